// The option table: every short letter and long name the parser knows, and what each
// one does to the flags record or to the front-end settings.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "frontend/options.h"
#include "frontend/options_walk.h"
#include "platform/files.h"
#include "platform/process.h"

namespace frontend {
namespace options_detail {
namespace {

constexpr Outcome kGoOn = Outcome::Continue;

// The next word as an option's value; it is used up whatever the option makes of it.
const char* TakeValue(Walk& walk) {
    const char* value = walk.NextWord();
    walk.TakeNextWord();
    return value;
}

int ClampQuality(const char* text) { return std::clamp(ReadInt(text), 0, 9); }

// --lowpass/--highpass: small values are kHz, values from hzFrom up are Hz.
Outcome SetPassFrequency(Walk& walk, double hzFrom, const char* message,
                         int (*setter)(lame_global_flags*, int)) {
    double value = ReadFloat(TakeValue(walk));
    // Written so that NaN is refused too: it is neither too small nor too big.
    if (!(value >= 0.001 && value <= 50000.0)) {
        std::fputs(message, stderr);
        return Outcome::Fail;
    }
    double hz = value >= hzFrom ? value : value * 1000.0;
    setter(walk.gfp, TruncateToInt(hz + 0.5));
    return kGoOn;
}

Outcome SetPassWidth(Walk& walk, const char* message, int (*setter)(lame_global_flags*, int)) {
    double width = ReadFloat(TakeValue(walk)) * 1000.0 + 0.5;
    if (!(width >= 0.0)) {
        std::fputs(message, stderr);
        return Outcome::Fail;
    }
    setter(walk.gfp, TruncateToInt(width));
    return kGoOn;
}

// --ns-bass and friends: a quarter-dB step count as a 6-bit two's-complement field.
Outcome SetNsField(Walk& walk, int shift) {
    int k = std::clamp(TruncateToInt(ReadFloat(TakeValue(walk)) * 4.0), -32, 31);
    if (k < 0) {
        k += 64;
    }
    lame_set_exp_nspsytune(walk.gfp, lame_get_exp_nspsytune(walk.gfp) | (k << shift));
    return kGoOn;
}

Outcome SetInputKind(InputKind kind) {
    settings.inputKind = kind;
    return kGoOn;
}

Outcome SetQuietLevel(int level) {
    settings.quietLevel = level;
    return kGoOn;
}

Outcome DeprecatedPreset(Walk& walk, const char* name) {
    if (ApplyPresetName(walk.gfp, false, false, name, walk.programName) < 0) {
        return Outcome::Fail;
    }
    std::fprintf(stderr, "Warning: --%s is deprecated, use --preset %s instead!", name, name);
    return kGoOn;
}

Outcome Preset(Walk& walk) {
    bool fast = false;
    bool cbr = false;
    int at = walk.index + 1;
    for (;; ++at) {
        const char* word = walk.Word(at);
        if (std::strcmp(word, "fast") == 0) {
            fast = true;
        } else if (std::strcmp(word, "cbr") == 0) {
            cbr = true;
        } else {
            break;
        }
    }
    std::string name = walk.Word(at);
    walk.index = std::min(at, walk.argc);
    return ApplyPresetName(walk.gfp, fast, cbr, name, walk.programName) < 0 ? Outcome::Fail : kGoOn;
}

Outcome Abr(Walk& walk) {
    lame_set_VBR(walk.gfp, vbr_abr);
    long long rate = ReadInt(TakeValue(walk));
    if (rate >= 8000) {
        rate = (rate + 500) / 1000;  // given in bits per second
    }
    rate = std::clamp(rate, 8LL, 320LL);
    lame_set_VBR_mean_bitrate_kbps(walk.gfp, static_cast<int>(rate));
    return kGoOn;
}

Outcome Track(Walk& walk) {
    const char* value = TakeValue(walk);
    if (!settings.ignoreTagErrors && *value != '\0') {
        long number = ReadInteger(value);
        if (number < 0 || number > 255) {
            if (settings.quietLevel < kQuietLevelSilent) {
                std::fprintf(stderr, "The track number has to be between 0 and 255.\n");
            }
            return Outcome::Fail;
        }
    }
    id3tag_set_track(walk.gfp, value);
    return kGoOn;
}

Outcome Genre(Walk& walk) {
    const char* value = TakeValue(walk);
    if (id3tag_set_genre(walk.gfp, value) == 0) {
        return kGoOn;
    }
    if (!settings.ignoreTagErrors) {
        std::fprintf(stderr, "Unknown genre: '%s'.  Specify genre name or number\n", value);
        return Outcome::Fail;
    }
    if (settings.quietLevel < kQuietLevelSilent) {
        std::fprintf(stderr, "Unknown genre: '%s'.  Setting to 'Other'\n", value);
    }
    id3tag_set_genre(walk.gfp, "other");
    return kGoOn;
}

Outcome NoAsm(Walk& walk) {
    const char* value = TakeValue(walk);
    if (std::strcmp(value, "mmx") == 0) {
        lame_set_asm_optimizations(walk.gfp, MMX, 0);
    } else if (std::strcmp(value, "3dnow") == 0) {
        lame_set_asm_optimizations(walk.gfp, AMD_3DNOW, 0);
    } else if (std::strcmp(value, "sse") == 0) {
        lame_set_asm_optimizations(walk.gfp, SSE, 0);
    }
    return kGoOn;
}

Outcome Priority(Walk& walk) {
    const char* value = walk.NextWord();
    char* end = nullptr;
    long level = std::strtol(value, &end, 10);
    // Only a word that reads as a level is taken: "--priority song.wav" keeps the path.
    if (end != value) {
        walk.TakeNextWord();
    }
    SetProcessPriority(level);
    return kGoOn;
}

Outcome NsPsyTune2(Walk& walk) {
    const char* fileName = TakeValue(walk);
    std::FILE* file = platform::OpenFileForReading(fileName);
    if (file == nullptr) {
        std::fprintf(stderr, "nspsytune2 : error opening %s\n", fileName);
        return kGoOn;
    }
    // libmp3lame 3.100 has neither the psy-model selector nor a slot for this file, so
    // the option is accepted without effect and the file is not kept open.
    std::fclose(file);
    return kGoOn;
}

Outcome Comp(Walk& walk) {
    double ratio = ReadFloat(TakeValue(walk));
    if (!(ratio >= 1.0)) {
        std::fprintf(stderr, "Must specify compression ratio >= 1.0\n");
        return Outcome::Fail;
    }
    lame_set_compression_ratio(walk.gfp, ToFloat(ratio));
    return kGoOn;
}

Outcome NogapOut(Walk& walk) {
    return StorePath(walk, walk.outPath, TakeValue(walk)) ? kGoOn : Outcome::Fail;
}

// The rows that hand the library one thing and go on: a fixed value (or none), the next
// word, or the next word as a number.
template <auto kSetter, auto... kValue>
Outcome Set(Walk& walk, const char*) {
    kSetter(walk.gfp, kValue...);
    return kGoOn;
}

template <auto kSetter>
Outcome SetText(Walk& walk, const char*) {
    kSetter(walk.gfp, TakeValue(walk));
    return kGoOn;
}

template <auto kSetter>
Outcome SetFloat(Walk& walk, const char*) {
    kSetter(walk.gfp, ToFloat(ReadFloat(TakeValue(walk))));
    return kGoOn;
}

struct LongOption {
    const char* name;
    Outcome (*apply)(Walk& walk, const char* typedName);
};

// Looked up by CompareIgnoringCase in this order; the names are distinct.
const LongOption kLongOptions[] = {
    {"resample",
     [](Walk& w, const char*) {
         lame_set_out_samplerate(w.gfp, ToOutputSampleRate(ReadFloat(TakeValue(w))));
         return kGoOn;
     }},
    {"vbr-old", Set<lame_set_VBR, vbr_rh>},
    {"vbr-new", Set<lame_set_VBR, vbr_mtrh>},
    {"vbr-mtrh", Set<lame_set_VBR, vbr_mtrh>},
    {"cbr", Set<lame_set_VBR, vbr_off>},
    {"abr", [](Walk& w, const char*) { return Abr(w); }},
    {"r3mix", Set<lame_set_preset, R3MIX>},
    {"bitwidth",
     [](Walk& w, const char*) {
         settings.inputBitWidth = ReadInt(TakeValue(w));
         return kGoOn;
     }},
    // Raw input is read one way only: signed (8-bit: unsigned) and big-endian unless -x
    // swaps it. These are kept so scripts that spell a format out still parse.
    {"signed", [](Walk&, const char*) { return kGoOn; }},
    {"unsigned", [](Walk&, const char*) { return kGoOn; }},
    {"little-endian", [](Walk&, const char*) { return kGoOn; }},
    {"big-endian", [](Walk&, const char*) { return kGoOn; }},
    {"mp1input", [](Walk&, const char*) { return SetInputKind(InputKind::MpegLayer1); }},
    {"mp2input", [](Walk&, const char*) { return SetInputKind(InputKind::MpegLayer2); }},
    {"mp3input", [](Walk&, const char*) { return SetInputKind(InputKind::MpegLayer3); }},
    {"ogginput",
     [](Walk&, const char*) {
         std::fprintf(stderr, "sorry, vorbis support in LAME is deprecated.\n");
         return Outcome::Fail;
     }},
    {"phone", DeprecatedPreset},
    {"voice", DeprecatedPreset},
    {"radio", DeprecatedPreset},
    {"tape", DeprecatedPreset},
    {"cd", DeprecatedPreset},
    {"studio", DeprecatedPreset},
    {"noshort", Set<lame_set_no_short_blocks, 1>},
    {"short", Set<lame_set_no_short_blocks, 0>},
    {"allshort", Set<lame_set_force_short_blocks, 1>},
    {"decode", Set<lame_set_decode_only, 1>},
    {"decode-mp3delay",
     [](Walk& w, const char*) {
         settings.userDecoderDelay = ReadInt(TakeValue(w));
         settings.userDecoderDelaySet = 1;
         return kGoOn;
     }},
    {"nores", Set<lame_set_disable_reservoir, 1>},
    {"strictly-enforce-ISO", Set<lame_set_strict_ISO, 1>},
    {"scale", SetFloat<lame_set_scale>},
    {"scale-l", SetFloat<lame_set_scale_left>},
    {"scale-r", SetFloat<lame_set_scale_right>},
    {"noasm", [](Walk& w, const char*) { return NoAsm(w); }},
    {"freeformat", Set<lame_set_free_format, 1>},
    {"replaygain-fast", Set<lame_set_findReplayGain, 1>},
    {"replaygain-accurate",
     [](Walk& w, const char*) {
         lame_set_decode_on_the_fly(w.gfp, 1);
         lame_set_findReplayGain(w.gfp, 1);
         return kGoOn;
     }},
    {"noreplaygain",
     [](Walk& w, const char*) {
         w.replayGainDisabled = true;
         lame_set_findReplayGain(w.gfp, 0);
         return kGoOn;
     }},
    {"clipdetect",
     [](Walk& w, const char*) {
         settings.reportClipping = 1;
         lame_set_decode_on_the_fly(w.gfp, 1);
         return kGoOn;
     }},
    {"nohist",
     [](Walk&, const char*) {
         settings.showBitrateHistogram = 0;
         return kGoOn;
     }},
    {"priority", [](Walk& w, const char*) { return Priority(w); }},
    {"tt", SetText<id3tag_set_title>},
    {"ta", SetText<id3tag_set_artist>},
    {"tl", SetText<id3tag_set_album>},
    {"ty", SetText<id3tag_set_year>},
    {"tc", SetText<id3tag_set_comment>},
    {"tn", [](Walk& w, const char*) { return Track(w); }},
    {"tg", [](Walk& w, const char*) { return Genre(w); }},
    {"add-id3v2", Set<id3tag_add_v2>},
    {"id3v1-only", Set<id3tag_v1_only>},
    {"id3v2-only", Set<id3tag_v2_only>},
    {"space-id3v1", Set<id3tag_space_v1>},
    {"pad-id3v2", Set<id3tag_pad_v2>},
    {"genre-list",
     [](Walk&, const char*) {
         id3tag_genre_list(PrintGenreLine, stdout);
         return Outcome::Inform;
     }},
    {"lowpass",
     [](Walk& w, const char*) {
         return SetPassFrequency(w, 50.0,
                                 "Must specify lowpass with --lowpass freq, freq >= 0.001 kHz\n",
                                 lame_set_lowpassfreq);
     }},
    {"lowpass-width",
     [](Walk& w, const char*) {
         return SetPassWidth(
             w, "Must specify lowpass width with --lowpass-width freq, freq >= 0 kHz\n",
             lame_set_lowpasswidth);
     }},
    {"highpass",
     [](Walk& w, const char*) {
         return SetPassFrequency(w, 16.0,
                                 "Must specify highpass with --highpass freq, freq >= 0.001 kHz\n",
                                 lame_set_highpassfreq);
     }},
    {"highpass-width",
     [](Walk& w, const char*) {
         return SetPassWidth(
             w, "Must specify highpass width with --highpass-width freq, freq >= 0 kHz\n",
             lame_set_highpasswidth);
     }},
    {"comp", [](Walk& w, const char*) { return Comp(w); }},
    {"notemp", Set<lame_set_useTemporal, 0>},
    {"interch", SetFloat<lame_set_interChRatio>},
    {"temporal-masking",
     [](Walk& w, const char*) {
         lame_set_useTemporal(w.gfp, ReadInteger(TakeValue(w)) != 0 ? 1 : 0);
         return kGoOn;
     }},
    // libmp3lame 3.100 has no setter for the psy-model selector: accepted, no effect.
    {"nspsytune", [](Walk&, const char*) { return kGoOn; }},
    {"nssafejoint",
     [](Walk& w, const char*) {
         lame_set_exp_nspsytune(w.gfp, lame_get_exp_nspsytune(w.gfp) | 2);
         return kGoOn;
     }},
    {"nsmsfix",
     [](Walk& w, const char*) {
         lame_set_msfix(w.gfp, ReadFloat(TakeValue(w)));
         return kGoOn;
     }},
    {"ns-bass", [](Walk& w, const char*) { return SetNsField(w, 2); }},
    {"ns-alto", [](Walk& w, const char*) { return SetNsField(w, 8); }},
    {"ns-treble", [](Walk& w, const char*) { return SetNsField(w, 14); }},
    {"ns-sfb21", [](Walk& w, const char*) { return SetNsField(w, 20); }},
    {"nspsytune2", [](Walk& w, const char*) { return NsPsyTune2(w); }},
    {"quiet", [](Walk&, const char*) { return SetQuietLevel(kQuietLevelSilent); }},
    {"silent", [](Walk&, const char*) { return SetQuietLevel(kQuietLevelSilent); }},
    {"brief", [](Walk&, const char*) { return SetQuietLevel(-5); }},
    {"verbose", [](Walk&, const char*) { return SetQuietLevel(-10); }},
    {"ignore-tag-errors",
     [](Walk&, const char*) {
         settings.ignoreTagErrors = 1;
         return kGoOn;
     }},
    {"version",
     [](Walk&, const char*) {
         PrintLicense(stdout);
         return Outcome::Inform;
     }},
    {"license",
     [](Walk&, const char*) {
         PrintLicense(stdout);
         return Outcome::Inform;
     }},
    {"help",
     [](Walk& w, const char*) {
         PrintShortHelp(stdout, w.gfp, w.programName);
         return Outcome::Inform;
     }},
    {"usage",
     [](Walk& w, const char*) {
         PrintShortHelp(stdout, w.gfp, w.programName);
         return Outcome::Inform;
     }},
    {"longhelp",
     [](Walk& w, const char*) {
         PrintLongHelp(stdout, w.gfp, w.programName, nullptr);
         return Outcome::Inform;
     }},
    {"?",
     [](Walk& w, const char*) {
         PrintLongHelp(stdout, w.gfp, w.programName, stdin);
         return Outcome::Inform;
     }},
    {"preset", [](Walk& w, const char*) { return Preset(w); }},
    {"alt-preset", [](Walk& w, const char*) { return Preset(w); }},
    {"disptime",
     [](Walk& w, const char*) {
         settings.statusInterval = ToFloat(ReadFloat(TakeValue(w)));
         return kGoOn;
     }},
    {"nogaptags",
     [](Walk& w, const char*) {
         w.nogapTags = true;
         return kGoOn;
     }},
    {"nogapout", [](Walk& w, const char*) { return NogapOut(w); }},
    {"nogap",
     [](Walk& w, const char*) {
         w.nogap = true;
         return kGoOn;
     }},
    {"athaa-sensitivity", SetFloat<lame_set_athaa_sensitivity>},
};

// "-e": n none, 5 50/15 microseconds, c CCITT J.17.
bool SetEmphasis(Walk& walk, const char* value) {
    switch (value[0]) {
        case 'n':
            lame_set_emphasis(walk.gfp, 0);
            return true;
        case '5':
            lame_set_emphasis(walk.gfp, 1);
            return true;
        case 'c':
            lame_set_emphasis(walk.gfp, 3);
            return true;
        default:
            std::fprintf(stderr, "%s: -e emp must be n/5/c not %s\n", walk.programName, value);
            return false;
    }
}

bool SetMode(Walk& walk, const char* value) {
    MPEG_mode mode;
    switch (value[0]) {
        case 's':
            mode = STEREO;
            break;
        case 'j':
        case 'a':
            mode = JOINT_STEREO;
            break;
        case 'f':
            lame_set_force_ms(walk.gfp, 1);
            mode = JOINT_STEREO;
            break;
        case 'd':
            mode = DUAL_CHANNEL;
            break;
        case 'm':
            mode = MONO;
            break;
        default:
            std::fprintf(stderr, "%s: -m mode must be s/d/j/f/m not %s\n", walk.programName, value);
            return false;
    }
    lame_set_mode(walk.gfp, mode);
    return true;
}

// "-X n[,m]": m defaults to n; a value that is not a number changes neither.
void SetQuantComparison(Walk& walk, const char* value) {
    char* end = nullptr;
    long longBlocks = std::strtol(value, &end, 10);
    if (end == value) {
        return;
    }
    long shortBlocks = longBlocks;
    if (*end == ',') {
        const char* second = end + 1;
        long parsed = std::strtol(second, &end, 10);
        if (end != second) {
            shortBlocks = parsed;
        }
    }
    lame_set_quant_comp(walk.gfp, ClampToInt(longBlocks));
    lame_set_quant_comp_short(walk.gfp, ClampToInt(shortBlocks));
}

void SetExperimentalZ(Walk& walk, const char* value, bool& valueUsed) {
    int z = 1;
    char* end = nullptr;
    long parsed = std::strtol(value, &end, 10);
    if (end != value) {
        z = ClampToInt(parsed);
        valueUsed = true;
    } else if (*value == '\0') {
        valueUsed = true;
    }
    lame_set_experimentalZ(walk.gfp, z);
}

void StartVbrIfOff(lame_global_flags* gfp) {
    if (lame_get_VBR(gfp) == vbr_off) {
        lame_set_VBR(gfp, vbr_rh);
    }
}

}  // namespace

bool HandleLongOption(Walk& walk, const char* name, Outcome& outcome) {
    for (const auto& option : kLongOptions) {
        if (CompareIgnoringCase(name, option.name) == 0) {
            outcome = option.apply(walk, name);
            return true;
        }
    }
    return false;
}

bool HandleShortOption(Walk& walk, char letter, const char* value, bool& valueUsed,
                       Outcome& outcome) {
    lame_global_flags* gfp = walk.gfp;
    switch (letter) {
        case '?':
            PrintLongHelp(stderr, gfp, walk.programName, nullptr);
            outcome = Outcome::Fail;
            return true;
        case 'a':
            walk.autoconvert = true;
            lame_set_mode(gfp, MONO);
            return true;
        case 'b':
            valueUsed = true;
            lame_set_brate(gfp, ReadInt(value));
            lame_set_VBR_min_bitrate_kbps(gfp, lame_get_brate(gfp));
            return true;
        case 'B':
            valueUsed = true;
            lame_set_VBR_max_bitrate_kbps(gfp, ReadInt(value));
            return true;
        case 'c':
            lame_set_copyright(gfp, 1);
            return true;
        case 'd':
            std::fprintf(stderr, "WARNING: -d is obsolete.\n");
            return true;
        case 'e':
            valueUsed = true;
            walk.error = !SetEmphasis(walk, value);
            return true;
        case 'f':
            lame_set_quality(gfp, 7);
            return true;
        case 'F':
            lame_set_VBR_hard_min(gfp, 1);
            return true;
        case 'h':
            lame_set_quality(gfp, 2);
            return true;
        case 'k':
            lame_set_lowpassfreq(gfp, -1);
            lame_set_highpassfreq(gfp, -1);
            return true;
        case 'm':
            valueUsed = true;
            walk.error = !SetMode(walk, value);
            return true;
        case 'o':
            lame_set_original(gfp, 0);
            return true;
        case 'p':
            lame_set_error_protection(gfp, 1);
            return true;
        case 'q':
            valueUsed = true;
            lame_set_quality(gfp, ClampQuality(value));
            return true;
        case 'r':
            settings.inputKind = InputKind::RawPcm;
            return true;
        case 's': {
            valueUsed = true;
            double rate = ReadFloat(value);
            // Up to 192 the rate is in kHz (44.1), above it in Hz (44100).
            double hz = rate > 192.0 ? rate : rate * 1000.0;
            lame_set_in_samplerate(gfp, TruncateToInt(hz + 0.5));
            return true;
        }
        case 'S':
            settings.quietLevel = kQuietLevelSilent;
            return true;
        case 't':
            lame_set_bWriteVbrTag(gfp, 0);
            settings.noWaveHeader = 1;
            return true;
        case 'T':
            lame_set_bWriteVbrTag(gfp, 1);
            walk.nogapTags = true;
            settings.noWaveHeader = 0;
            return true;
        case 'v':
            StartVbrIfOff(gfp);
            return true;
        case 'V':
            valueUsed = true;
            StartVbrIfOff(gfp);
            lame_set_VBR_q(gfp, ClampQuality(value));
            return true;
        case 'x':
            settings.swapBytes = 1;
            return true;
        case 'X':
            valueUsed = true;
            SetQuantComparison(walk, value);
            return true;
        case 'Y':
            lame_set_experimentalY(gfp, 1);
            return true;
        case 'Z':
            SetExperimentalZ(walk, value, valueUsed);
            return true;
        default:
            return false;
    }
}

}  // namespace options_detail

int ToOutputSampleRate(double value) {
    double khz = value >= 1000.0 ? value * 0.001 : value;
    switch (options_detail::TruncateToInt(khz)) {
        case 8:
            return 8000;
        case 11:
            return 11025;
        case 12:
            return 12000;
        case 16:
            return 16000;
        case 22:
            return 22050;
        case 24:
            return 24000;
        case 32:
            return 32000;
        case 44:
            return 44100;
        case 48:
            return 48000;
        default:
            std::fprintf(stderr, "Illegal resample frequency: %.3f kHz\n", khz);
            return 0;
    }
}

void SetProcessPriority(long level) {
    if (level > 3) {
        platform::SetProcessPriority(platform::Priority::High);
        std::printf("==> Priority set to High.\n");
    } else if (level < 3) {
        platform::SetProcessPriority(platform::Priority::Idle);
        std::printf("==> Priority set to Low.\n");
    }
}

}  // namespace frontend
