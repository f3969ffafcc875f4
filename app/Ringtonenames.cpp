#include "app/Ringtonenames.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"

namespace {
const std::string kRingtoneSuffix = "_Chimewick_Ringtone";
const std::string kTemporaryTag = "_TEMP";

bool IsUniqueNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The longest start of text of at most bytes bytes that ends between two characters.
std::string CutToBytes(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}
}  // namespace

bool IsMp3Song(const std::string& songFile) {
    std::string name = platform::ExtractFileName(songFile);
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".mp3";
}

std::string InsertRingtoneSuffix(const std::string& path) {
    std::string folder = platform::ExtractFilePath(path);
    std::string name = platform::ExtractFileName(path);
    std::size_t at = name.size() >= 4 ? name.size() - 4 : 0;
    return folder + name.insert(at, kRingtoneSuffix);
}

std::string RingtoneFileName(const std::string& songFile, std::size_t nameLimit) {
    std::string name = platform::ExtractFileName(songFile);
    if (name.size() < 4 || name.size() + kRingtoneSuffix.size() <= nameLimit) {
        return InsertRingtoneSuffix(songFile);
    }
    std::string stem = name.substr(0, name.size() - 4);
    std::string extension = name.substr(name.size() - 4);
    std::size_t room = nameLimit > kRingtoneSuffix.size() + extension.size()
                           ? nameLimit - kRingtoneSuffix.size() - extension.size()
                           : 0;
    std::string shortened = CutToBytes(stem, room);
    if (shortened + kRingtoneSuffix == stem && !shortened.empty()) {
        // The song is itself named like its own shortened ringtone: one character less.
        shortened = CutToBytes(shortened, shortened.size() - 1);
    }
    return platform::ExtractFilePath(songFile) + shortened + kRingtoneSuffix + extension;
}

std::string TemporaryNameStem(const std::string& songFile, std::size_t reserve,
                              std::size_t nameLimit) {
    std::string name = platform::ExtractFileName(songFile);
    std::size_t fixed = kTemporaryTag.size() + reserve;
    name = CutToBytes(name, nameLimit > fixed ? nameLimit - fixed : 0);
    return platform::ExtractFilePath(songFile) + name + kTemporaryTag;
}

const std::string kTempWaveSuffix = ".wav";
const std::string kSnippetSuffix = "_Chimewick_Ringtone.wav";
const std::string kPartialMp3Suffix = "_Chimewick_Ringtone.mp3";

std::string RunTemporaryStem(const std::string& songFile, std::size_t nameLimit) {
    return TemporaryNameStem(songFile, platform::kUniqueNameChars + kSnippetSuffix.size(),
                             nameLimit);
}

bool IsRunTemporaryName(const std::string& songFile, const std::string& name,
                        std::size_t nameLimit) {
    const std::string song = platform::ExtractFileName(songFile);
    if (song.empty() || name == song ||
        name == platform::ExtractFileName(RingtoneFileName(songFile, nameLimit))) {
        return false;
    }
    const std::string stem = platform::ExtractFileName(RunTemporaryStem(songFile, nameLimit));
    if (name.compare(0, stem.size(), stem) != 0) {
        return false;
    }
    const std::string rest = name.substr(stem.size());
    for (const std::string* suffix : {&kTempWaveSuffix, &kSnippetSuffix, &kPartialMp3Suffix}) {
        if (rest.size() == platform::kUniqueNameChars + suffix->size() &&
            rest.compare(platform::kUniqueNameChars, std::string::npos, *suffix) == 0 &&
            std::all_of(rest.begin(), rest.begin() + platform::kUniqueNameChars,
                        IsUniqueNameChar)) {
            return true;
        }
    }
    return false;
}

RingtoneRange ChooseRingtoneRange(std::int32_t d, std::int32_t start, std::int32_t length) {
    // 64-bit intermediates: d - 2 and d - start - 1 must not wrap for extreme inputs.
    if (static_cast<std::int64_t>(start) >= static_cast<std::int64_t>(d) - 2) {
        start = -1;
    }
    if (start < 0) {
        std::int32_t automatic = d / 3 - 10;
        if (start < automatic) {
            start = automatic;
        }
    }
    std::int64_t room = static_cast<std::int64_t>(d) - start - 1;
    if (room < length) {
        length = static_cast<std::int32_t>(room);
    }
    return {start, length};
}
