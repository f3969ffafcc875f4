#include "frontend/options.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "frontend/options_walk.h"
#include "platform/files.h"

namespace frontend {
namespace options_detail {

const char* Walk::Word(int i) const {
    if (i < 0 || i >= argc || argv[i] == nullptr) {
        return "";
    }
    return argv[i];
}

void Walk::TakeNextWord() {
    if (index < argc) {
        ++index;
    }
}

bool StorePath(const Walk& walk, std::string& dest, const char* word) {
    if (std::strlen(word) > static_cast<std::size_t>(kMaxPathLength)) {
        std::fprintf(stderr, "%s: path longer than %d characters refused: %s\n", walk.programName,
                     kMaxPathLength, word);
        return false;
    }
    dest = word;
    return true;
}

long ReadInteger(const char* text) { return std::strtol(text, nullptr, 10); }

int ClampToInt(long value) {
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

int ReadInt(const char* text) { return ClampToInt(ReadInteger(text)); }

double ReadFloat(const char* text) { return std::strtod(text, nullptr); }

int TruncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return INT_MAX;
    }
    if (value <= -2147483648.0) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

float ToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -kMax) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace options_detail

using options_detail::Outcome;
using options_detail::Walk;

namespace {

enum class WordResult { Next, Stop, Fail, Inform };

WordResult FromOutcome(Outcome outcome) {
    switch (outcome) {
        case Outcome::Fail:
            return WordResult::Fail;
        case Outcome::Inform:
            return WordResult::Inform;
        case Outcome::Continue:
            break;
    }
    return WordResult::Next;
}

WordResult HandlePositional(Walk& walk, const char* word) {
    if (walk.nogap) {
        if (walk.nogapCollected < walk.nogapCapacity) {
            if (!options_detail::StorePath(walk, (*walk.nogapPaths)[walk.nogapCollected], word)) {
                return WordResult::Fail;
            }
            ++walk.nogapCollected;
            walk.inputSeen = true;
            return WordResult::Next;
        }
        std::fprintf(stderr,
                     "Error: 'nogap option'.  Calling program does not allow nogap option, "
                     "or\nyou have exceeded maximum number of input files for the nogap "
                     "option\n");
        if (walk.nogapCount != nullptr) {
            *walk.nogapCount = -1;
        }
        return WordResult::Fail;
    }
    if (walk.inPath.empty()) {
        walk.inputSeen = true;
        return options_detail::StorePath(walk, walk.inPath, word) ? WordResult::Next
                                                                  : WordResult::Fail;
    }
    if (walk.outPath.empty()) {
        return options_detail::StorePath(walk, walk.outPath, word) ? WordResult::Next
                                                                   : WordResult::Fail;
    }
    std::fprintf(stderr, "%s: excess arg %s\n", walk.programName, word);
    walk.error = true;
    return WordResult::Stop;
}

WordResult HandleShortBundle(Walk& walk, const char* letters) {
    // An unknown letter ends the walk after this word, but the letters after it still
    // take effect, as they would in a word of their own.
    bool unknownLetter = false;
    Outcome outcome = Outcome::Continue;
    for (const char* letter = letters; *letter != '\0'; ++letter) {
        const char* rest = letter + 1;
        bool fromRest = *rest != '\0';
        const char* value = fromRest ? rest : walk.NextWord();
        bool valueUsed = false;
        if (!options_detail::HandleShortOption(walk, *letter, value, valueUsed, outcome)) {
            std::fprintf(stderr, "%s: unrec option %c\n", walk.programName, *letter);
            unknownLetter = true;
            continue;
        }
        if (outcome != Outcome::Continue || walk.error) {
            break;
        }
        if (valueUsed) {
            if (fromRest) {
                break;
            }
            walk.TakeNextWord();
        }
    }
    if (walk.error || unknownLetter) {
        walk.error = true;
        return WordResult::Stop;
    }
    return FromOutcome(outcome);
}

WordResult HandleWord(Walk& walk) {
    const char* word = walk.Word(walk.index);
    if (word[0] != '-') {
        return HandlePositional(walk, word);
    }
    if (word[1] == '\0') {
        // "-" is standard input, then standard output; a third one changes nothing.
        walk.inputSeen = true;
        if (walk.inPath.empty()) {
            walk.inPath = "-";
        } else if (walk.outPath.empty()) {
            walk.outPath = "-";
        }
        return WordResult::Next;
    }
    if (word[1] == '-') {
        const char* name = word + 2;
        Outcome outcome = Outcome::Continue;
        if (!options_detail::HandleLongOption(walk, name, outcome)) {
            std::fprintf(stderr, "%s: unrec option --%s\n", walk.programName, name);
            return WordResult::Next;
        }
        return walk.error ? WordResult::Stop : FromOutcome(outcome);
    }
    return HandleShortBundle(walk, word + 1);
}

// The consistency steps that follow a walk which saw no failure.
int FinishWalk(Walk& walk) {
    lame_global_flags* gfp = walk.gfp;
    if (walk.error || !walk.inputSeen) {
        PrintUsage(stderr, walk.programName);
        return -1;
    }
    if (walk.inPath[0] == '-') {
        if (settings.quietLevel <= 1) {
            settings.quietLevel = 1;
        }
    } else {
        FixLongFileName(walk.inPath);
    }
    if (walk.outPath.empty() && walk.nogapCollected == 0) {
        if (walk.inPath[0] == '-') {
            walk.outPath = "-";
        } else {
            walk.outPath = walk.inPath.substr(0, kDerivedStemLength);
            walk.outPath += lame_get_decode_only(gfp) ? ".wav" : ".mp3";
        }
    }
    if (!walk.replayGainDisabled) {
        lame_set_findReplayGain(gfp, 1);
    }
    if (walk.nogap && lame_get_bWriteVbrTag(gfp) && !walk.nogapTags) {
        std::fprintf(stderr,
                     "Note: Disabling VBR Xing/Info tag since it interferes with --nogap\n");
        lame_set_bWriteVbrTag(gfp, 0);
    }
    if (walk.outPath[0] == '-') {
        lame_set_bWriteVbrTag(gfp, 0);
    }
    if (settings.inputKind == InputKind::Unknown) {
        settings.inputKind = InputKindFromName(walk.inPath);
    }
    if (IsMpegKind(settings.inputKind) && settings.reportClipping) {
        std::fprintf(stderr,
                     "\nError: input cannot be MPEG when --clipdetect is used\n\n"
                     "--clipdetect requires decoding of MPEG *output* on the fly which\n"
                     "cannot be performed simultaneously with decoding MPEG *input*.\n\n"
                     "Use a plain .wav file as input with --clipdetect.\n");
        return -1;
    }
    if (IsMpegKind(settings.inputKind) && lame_get_decode_on_the_fly(gfp)) {
        std::fprintf(stderr,
                     "\nError: input cannot be MPEG when --replaygain-accurate is used\n\n"
                     "--replaygain-accurate requires decoding of MPEG *output* on the fly "
                     "which\ncannot be performed simultaneously with decoding MPEG *input*.\n\n"
                     "Use a plain .wav file as input with --replaygain-accurate.\n");
        return -1;
    }
    if (walk.autoconvert) {
        lame_set_num_channels(gfp, 2);
    } else {
        lame_set_num_channels(gfp, lame_get_mode(gfp) == MONO ? 1 : 2);
    }
    if (lame_get_free_format(gfp) && (lame_get_brate(gfp) < 8 || lame_get_brate(gfp) > 640)) {
        std::fprintf(stderr, "For free format, specify a bitrate between 8 and 640 kbps\n");
        std::fprintf(stderr, "with the -b <bitrate> option\n");
        return -1;
    }
    if (walk.nogapCount != nullptr) {
        *walk.nogapCount = walk.nogapCollected;
    }
    return 0;
}

}  // namespace

int ParseArguments(lame_global_flags* gfp, int argc, const char* const* argv, std::string& inPath,
                   std::string& outPath, std::vector<std::string>* nogapPaths, int* nogapCount) {
    // A no-gap input needs both a place and a count; never trust the count beyond the
    // vector's real size.
    int capacity = 0;
    if (nogapPaths != nullptr && nogapCount != nullptr && *nogapCount > 0) {
        capacity =
            static_cast<int>(std::min(static_cast<std::size_t>(*nogapCount), nogapPaths->size()));
    }
    Walk walk{gfp, "", argc, argv, inPath, outPath, nogapPaths, nogapCount, capacity};
    walk.programName = walk.Word(0);

    inPath.clear();
    outPath.clear();
    ResetSettingsForParse();
    id3tag_init(gfp);

    while (++walk.index < argc) {
        switch (HandleWord(walk)) {
            case WordResult::Next:
                continue;
            case WordResult::Stop:
                break;
            case WordResult::Fail:
                return -1;
            case WordResult::Inform:
                return -2;
        }
        break;
    }
    return FinishWalk(walk);
}

int ParseEnvironmentOptions(lame_global_flags* gfp, const char* text, std::string& inPath,
                            std::string& outPath) {
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    std::string copy(text);
    std::vector<const char*> words;
    words.push_back("lhama");
    // Only the space separates: no quoting, and every extra space makes an empty word.
    std::size_t start = 0;
    while (static_cast<int>(words.size()) <= kMaxEnvironmentWords) {
        std::size_t space = copy.find(' ', start);
        if (space != std::string::npos) {
            copy[space] = '\0';
        }
        words.push_back(copy.c_str() + start);
        if (space == std::string::npos) {
            break;
        }
        start = space + 1;
    }
    words.push_back(nullptr);
    return ParseArguments(gfp, static_cast<int>(words.size()) - 1, words.data(), inPath, outPath,
                          nullptr, nullptr);
}

InputKind InputKindFromName(const std::string& name) {
    if (name.size() < 4) {
        return InputKind::Unknown;
    }
    const char* ending = name.c_str() + name.size() - 4;
    static const struct {
        const char* ending;
        InputKind kind;
    } kEndings[] = {
        {".mpg", InputKind::MpegLayer1}, {".mp1", InputKind::MpegLayer1},
        {".mp2", InputKind::MpegLayer2}, {".mp3", InputKind::MpegLayer3},
        {".wav", InputKind::Wave},       {".aif", InputKind::Aiff},
        {".raw", InputKind::RawPcm},
    };
    for (const auto& entry : kEndings) {
        if (CompareIgnoringCase(ending, entry.ending) == 0) {
            return entry.kind;
        }
    }
    return InputKind::Unknown;
}

void FixLongFileName(std::string& path) {
    std::string found = platform::LongFileName(path);
    if (found.empty() || found.size() >= kDerivedStemLength) {
        return;
    }
    // The platform's own separators: on POSIX a backslash or colon is part of a name, and
    // cutting there would point the path at a different file.
    const std::string folder = platform::ExtractFilePath(path);
    if (folder.size() + found.size() < kDerivedStemLength) {
        path = folder + found;
    }
}

int CompareIgnoringCase(const char* a, const char* b) {
    auto lower = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    };
    for (;; ++a, ++b) {
        int ca = lower(*a);
        int cb = lower(*b);
        if (ca == 0 || ca != cb) {
            return ca - cb;
        }
    }
}

void PrintUsage(std::FILE* out, const char* programName) {
    PrintVersionBanner(out);
    std::fprintf(out,
                 "usage: %s [options] <infile> [outfile]\n"
                 "\n"
                 "Either path may be \"-\": standard input for <infile>, standard output\n"
                 "for <outfile>. Without <outfile> the output is named after <infile> with\n"
                 "\".mp3\" added (\".wav\" when decoding).\n"
                 "\n"
                 "More help:\n"
                 "  %s --help           the common options\n"
                 "  %s --preset help    the quality presets\n"
                 "  %s --longhelp       every option\n"
                 "  %s -?               every option, on the error stream\n",
                 programName, programName, programName, programName, programName);
}

void PrintBitrateTables(std::FILE* out) {
    static const int kMpeg1[14] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kMpeg2[14] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const struct {
        const char* name;
        int divisor;
        const int* bitrates;
    } kVersions[] = {{"1", 1, kMpeg1}, {"2", 2, kMpeg2}, {"2.5", 4, kMpeg2}};
    for (const auto& version : kVersions) {
        std::fprintf(out,
                     "\nMPEG-%-3s layer III sample frequencies (kHz):  %2d  %2d  %g\n"
                     "bitrates (kbps):",
                     version.name, 32 / version.divisor, 48 / version.divisor,
                     44.1 / version.divisor);
        for (int i = 0; i < 14; ++i) {
            std::fprintf(out, " %2i", version.bitrates[i]);
        }
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\n");
    std::fflush(out);
}

void PrintVersionBanner(std::FILE* out) {
    const char* bitness = get_lame_os_bitness();
    const char* version = get_lame_version();
    const char* url = get_lame_url();
    std::size_t b = std::strlen(bitness);
    std::size_t v = std::strlen(version);
    std::size_t u = std::strlen(url);
    if (b + v + u + 16 <= 80 || u + 2 > 80) {
        if (b > 0) {
            std::fprintf(out, "LAME %s version %s (%s)\n\n", bitness, version, url);
        } else {
            std::fprintf(out, "LAME version %s (%s)\n\n", version, url);
        }
        return;
    }
    int width = 78 - static_cast<int>(u);
    if (b > 0) {
        std::fprintf(out, "LAME %s version %s\n%*s(%s)\n\n", bitness, version, width, "", url);
    } else {
        std::fprintf(out, "LAME version %s\n%*s(%s)\n\n", version, width, "", url);
    }
}

}  // namespace frontend
