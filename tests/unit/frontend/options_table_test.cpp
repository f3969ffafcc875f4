// The option table, the presets and the information texts, checked through the
// library's getters after a parse.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/options.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"
#include "tests/unit/frontend/options_test_support.h"

using frontend::InputKind;
using frontend::settings;
using options_test::Banner;
using options_test::Contains;
using options_test::Flags;
using options_test::Parse;
using options_test::StartsWith;

namespace {

int VbrMode(const lame_global_flags* gfp) { return lame_get_VBR(gfp); }

TEST(OptionTable, VbrQualityQualityAndAverageBitrateAreClamped) {
    struct Case {
        std::vector<const char*> words;
        int (*getter)(const lame_global_flags*);
        int expected;
    } cases[] = {
        {{"-V", "12"}, lame_get_VBR_q, 9},
        {{"-V", "-1"}, lame_get_VBR_q, 0},
        {{"-q", "12"}, lame_get_quality, 9},
        {{"-q", "-3"}, lame_get_quality, 0},
        {{"--abr", "128000"}, lame_get_VBR_mean_bitrate_kbps, 128},
        {{"--abr", "5"}, lame_get_VBR_mean_bitrate_kbps, 8},
        {{"--abr", "400"}, lame_get_VBR_mean_bitrate_kbps, 320},
        {{"--abr", "7999"}, lame_get_VBR_mean_bitrate_kbps, 320},
        {{"--abr", "8499"}, lame_get_VBR_mean_bitrate_kbps, 8},
        {{"--abr", "99999999999999999999"}, lame_get_VBR_mean_bitrate_kbps, 320},
        {{"--abr", "200"}, VbrMode, vbr_abr},
        {{"-V", "3"}, VbrMode, vbr_rh},
        {{"--vbr-new", "-V", "3"}, VbrMode, vbr_mtrh},
        {{"--vbr-new", "--cbr"}, VbrMode, vbr_off},
        {{"-v"}, VbrMode, vbr_rh},
        {{"-b", "64"}, lame_get_VBR_min_bitrate_kbps, 64},
        {{"-B", "256"}, lame_get_VBR_max_bitrate_kbps, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        ASSERT_EQ(Parse(flags.gfp, words).code, 0);
        EXPECT_EQ(c.getter(flags.gfp), c.expected);
    }
}

TEST(OptionTable, SampleRatesScaleBetweenKilohertzAndHertz) {
    struct Case {
        std::vector<const char*> words;
        int in;
        int out;
        bool illegal;
    } cases[] = {
        {{"-s", "44.1"}, 44100, 0, false},
        {{"-s", "44100"}, 44100, 0, false},
        {{"-s", "192"}, 192000, 0, false},
        {{"-s", "193"}, 193, 0, false},
        {{"-s22.05"}, 22050, 0, false},
        {{"-s", "nan"}, 44100, 0, false},  // refused by the library, and no UB
        {{"--resample", "44.1"}, 44100, 44100, false},
        {{"--resample", "44100"}, 44100, 44100, false},
        {{"--resample", "11.025"}, 44100, 11025, false},
        {{"--resample", "8"}, 44100, 8000, false},
        {{"--resample", "48000"}, 44100, 48000, false},
        {{"--resample", "45"}, 44100, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        auto parsed = Parse(flags.gfp, words);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(lame_get_in_samplerate(flags.gfp), c.in);
        EXPECT_EQ(lame_get_out_samplerate(flags.gfp), c.out);
        EXPECT_EQ(parsed.err, c.illegal ? "Illegal resample frequency: 45.000 kHz\n" : "");
    }
}

TEST(OptionTable, ModeAndEmphasisLetters) {
    struct Case {
        const char* words[2];
        int mode;
        int forceMs;
        int emphasis;
    } cases[] = {
        {{"-m", "s"}, STEREO, 0, 0},       {{"-mj", nullptr}, JOINT_STEREO, 0, 0},
        {{"-m", "a"}, JOINT_STEREO, 0, 0}, {{"-m", "f"}, JOINT_STEREO, 1, 0},
        {{"-m", "d"}, DUAL_CHANNEL, 0, 0}, {{"-m", "mono"}, MONO, 0, 0},
        {{"-e", "n"}, NOT_SET, 0, 0},      {{"-e", "5"}, NOT_SET, 0, 1},
        {{"-ec", nullptr}, NOT_SET, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[0]);
        Flags flags;
        std::vector<const char*> words{c.words[0]};
        if (c.words[1] != nullptr) {
            words.push_back(c.words[1]);
        }
        words.push_back("x.wav");
        ASSERT_EQ(Parse(flags.gfp, words).code, 0);
        EXPECT_EQ(lame_get_mode(flags.gfp), c.mode);
        EXPECT_EQ(lame_get_force_ms(flags.gfp), c.forceMs);
        EXPECT_EQ(lame_get_emphasis(flags.gfp), c.emphasis);
    }
    Flags wrong;
    auto parsed = Parse(wrong.gfp, {"-e", "x", "y.wav"});
    EXPECT_EQ(parsed.code, -1);
    EXPECT_TRUE(StartsWith(parsed.err, "lame.exe: -e emp must be n/5/c not x\n"));
}

TEST(OptionTable, QuantComparisonAndExperimentalValues) {
    struct Case {
        std::vector<const char*> words;
        int quantLong;
        int quantShort;
        int z;
        const char* in;
    } cases[] = {
        {{"-X", "3", "x.wav"}, 3, 3, 0, "x.wav"},
        {{"-X3,4", "x.wav"}, 3, 4, 0, "x.wav"},
        {{"-X5,x", "x.wav"}, 5, 5, 0, "x.wav"},
        // Not a number: both stay, and the word is used up all the same.
        {{"-X", "fast", "x.wav"}, -1, -1, 0, "x.wav"},
        {{"-Z", "x.wav"}, -1, -1, 1, "x.wav"},
        {{"-Z7", "x.wav"}, -1, -1, 7, "x.wav"},
        {{"-Z", "2", "x.wav"}, -1, -1, 2, "x.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        int defaultLong = lame_get_quant_comp(flags.gfp);
        int defaultShort = lame_get_quant_comp_short(flags.gfp);
        auto parsed = Parse(flags.gfp, c.words);
        ASSERT_EQ(parsed.code, 0);
        EXPECT_EQ(parsed.in, c.in);
        EXPECT_EQ(lame_get_quant_comp(flags.gfp), c.quantLong < 0 ? defaultLong : c.quantLong);
        EXPECT_EQ(lame_get_quant_comp_short(flags.gfp),
                  c.quantShort < 0 ? defaultShort : c.quantShort);
        EXPECT_EQ(lame_get_experimentalZ(flags.gfp), c.z);
    }
    Flags bundle;
    ASSERT_EQ(Parse(bundle.gfp, {"-Zh", "x.wav"}).code, 0);
    EXPECT_EQ(lame_get_experimentalZ(bundle.gfp), 1);
    EXPECT_EQ(lame_get_quality(bundle.gfp), 2) << "-Z leaves a non-number for the next letter";
}

TEST(OptionTable, SwitchesReachTheirSetters) {
    struct Case {
        std::vector<const char*> words;
        int (*getter)(const lame_global_flags*);
        int expected;
    } cases[] = {
        {{"-c"}, lame_get_copyright, 1},
        {{"-o"}, lame_get_original, 0},
        {{"-p"}, lame_get_error_protection, 1},
        {{"-F"}, lame_get_VBR_hard_min, 1},
        {{"-f"}, lame_get_quality, 7},
        {{"-k"}, lame_get_lowpassfreq, -1},
        {{"-k"}, lame_get_highpassfreq, -1},
        {{"-Y"}, lame_get_experimentalY, 1},
        {{"-t"}, lame_get_bWriteVbrTag, 0},
        {{"-t", "-T"}, lame_get_bWriteVbrTag, 1},
        {{"--noshort"}, lame_get_no_short_blocks, 1},
        {{"--noshort", "--short"}, lame_get_no_short_blocks, 0},
        {{"--allshort"}, lame_get_force_short_blocks, 1},
        {{"--notemp"}, lame_get_useTemporal, 0},
        {{"--notemp", "--temporal-masking", "2"}, lame_get_useTemporal, 1},
        {{"--temporal-masking", "0"}, lame_get_useTemporal, 0},
        {{"--nores"}, lame_get_disable_reservoir, 1},
        {{"--strictly-enforce-ISO"}, lame_get_strict_ISO, 1},
        {{"--freeformat", "-b", "500"}, lame_get_free_format, 1},
        {{"--noreplaygain"}, lame_get_findReplayGain, 0},
        {{"--replaygain-fast"}, lame_get_findReplayGain, 1},
        {{"--replaygain-accurate"}, lame_get_decode_on_the_fly, 1},
        {{"--clipdetect"}, lame_get_decode_on_the_fly, 1},
        {{"--r3mix"}, VbrMode, vbr_mtrh},
        {{"--lowpass", "5"}, lame_get_lowpassfreq, 5000},
        {{"--lowpass", "50"}, lame_get_lowpassfreq, 50},
        {{"--lowpass", "17.5"}, lame_get_lowpassfreq, 17500},
        {{"--highpass", "16"}, lame_get_highpassfreq, 16},
        {{"--highpass", "15"}, lame_get_highpassfreq, 15000},
        {{"--lowpass-width", "2.5"}, lame_get_lowpasswidth, 2500},
        {{"--highpass-width", "0"}, lame_get_highpasswidth, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        auto parsed = Parse(flags.gfp, words);
        ASSERT_EQ(parsed.code, 0) << parsed.err;
        EXPECT_EQ(c.getter(flags.gfp), c.expected);
    }
}

TEST(OptionTable, FloatValuesAndNoiseShapingFields) {
    Flags flags;
    int before = lame_get_exp_nspsytune(flags.gfp);
    ASSERT_EQ(
        Parse(flags.gfp, {"--scale",       "0.5",  "--scale-l", "2",   "--scale-r",           "3",
                          "--interch",     "0.25", "--nsmsfix", "1.5", "--athaa-sensitivity", "-3",
                          "--comp",        "5.5",  "--ns-bass", "-2",  "--ns-sfb21",          "100",
                          "--nssafejoint", "x.wav"})
            .code,
        0);
    EXPECT_FLOAT_EQ(lame_get_scale(flags.gfp), 0.5f);
    EXPECT_FLOAT_EQ(lame_get_scale_left(flags.gfp), 2.0f);
    EXPECT_FLOAT_EQ(lame_get_scale_right(flags.gfp), 3.0f);
    EXPECT_FLOAT_EQ(lame_get_interChRatio(flags.gfp), 0.25f);
    EXPECT_FLOAT_EQ(lame_get_msfix(flags.gfp), 1.5f);
    EXPECT_FLOAT_EQ(lame_get_athaa_sensitivity(flags.gfp), -3.0f);
    EXPECT_FLOAT_EQ(lame_get_compression_ratio(flags.gfp), 5.5f);
    // -2 dB is -8 quarter steps, stored as 56 in six bits; 100 dB is clamped to 31.
    EXPECT_EQ(lame_get_exp_nspsytune(flags.gfp), before | (56 << 2) | (31 << 20) | 2);
}

TEST(OptionTable, OutOfRangeFiltersAndRatiosFailWithTheirMessage) {
    struct Case {
        std::vector<const char*> words;
        const char* message;
    } cases[] = {
        {{"--lowpass", "0.0005"}, "Must specify lowpass with --lowpass freq, freq >= 0.001 kHz\n"},
        {{"--lowpass", "50001"}, "Must specify lowpass with --lowpass freq, freq >= 0.001 kHz\n"},
        {{"--lowpass", "nan"}, "Must specify lowpass with --lowpass freq, freq >= 0.001 kHz\n"},
        {{"--highpass", "-1"}, "Must specify highpass with --highpass freq, freq >= 0.001 kHz\n"},
        {{"--lowpass-width", "-1"},
         "Must specify lowpass width with --lowpass-width freq, freq >= 0 kHz\n"},
        {{"--highpass-width", "-0.01"},
         "Must specify highpass width with --highpass-width freq, freq >= 0 kHz\n"},
        {{"--comp", "0.5"}, "Must specify compression ratio >= 1.0\n"},
        {{"--ogginput"}, "sorry, vorbis support in LAME is deprecated.\n"},
        {{"--tn", "256"}, "The track number has to be between 0 and 255.\n"},
        {{"--silent", "--tn", "-1"}, ""},
        {{"--tg", "300"}, "Unknown genre: '300'.  Specify genre name or number\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        auto parsed = Parse(flags.gfp, words);
        EXPECT_EQ(parsed.code, -1);
        EXPECT_EQ(parsed.err, c.message);
    }
}

TEST(OptionTable, IgnoringTagErrorsLetsTrackAndGenreThrough) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--ignore-tag-errors", "--tn", "300", "--tg", "300", "x.wav"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.err, "Unknown genre: '300'.  Setting to 'Other'\n");

    Flags quiet;
    parsed = Parse(quiet.gfp, {"-S", "--ignore-tag-errors", "--tg", "300", "x.wav"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.err, "");

    Flags order;
    parsed = Parse(order.gfp, {"--tn", "300", "--ignore-tag-errors", "x.wav"});
    EXPECT_EQ(parsed.code, -1) << "only tag options after it are excused";
}

TEST(OptionTable, FrontEndSettingsOptions) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"-r", "-x", "--bitwidth", "24", "--disptime", "0.5",
                                    "--decode-mp3delay", "576", "--nohist", "-t", "x.mp3"});
    ASSERT_EQ(parsed.code, 0);
    EXPECT_EQ(settings.inputKind, InputKind::RawPcm) << "-r wins over the name";
    EXPECT_EQ(settings.swapBytes, 1);
    EXPECT_EQ(settings.inputBitWidth, 24);
    EXPECT_FLOAT_EQ(settings.statusInterval, 0.5f);
    EXPECT_EQ(settings.userDecoderDelay, 576);
    EXPECT_EQ(settings.userDecoderDelaySet, 1);
    EXPECT_EQ(settings.showBitrateHistogram, 0);
    EXPECT_EQ(settings.noWaveHeader, 1);

    struct Case {
        const char* option;
        InputKind kind;
        int quietLevel;
    } cases[] = {
        {"--mp1input", InputKind::MpegLayer1, 0}, {"--mp2input", InputKind::MpegLayer2, 0},
        {"--mp3input", InputKind::MpegLayer3, 0}, {"--quiet", InputKind::Wave, 10},
        {"--brief", InputKind::Wave, -5},         {"--verbose", InputKind::Wave, -10},
        {"--big-endian", InputKind::Wave, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        Flags each;
        ASSERT_EQ(Parse(each.gfp, {c.option, "x.wav"}).code, 0);
        EXPECT_EQ(settings.inputKind, c.kind);
        EXPECT_EQ(settings.quietLevel, c.quietLevel);
    }
}

TEST(OptionTable, WarningsThatLetTheParseGoOn) {
    testing_support::TempDir dir;
    std::string tuning = dir / "tuning.txt";
    ASSERT_TRUE(testing_support::WriteFileBytes(tuning, testing_support::Bytes(4, '1')));
    std::string missing = dir / "missing.txt";
    struct Case {
        std::vector<const char*> words;
        std::string err;
    } cases[] = {
        {{"-d"}, "WARNING: -d is obsolete.\n"},
        {{"--nspsytune2", missing.c_str()}, "nspsytune2 : error opening " + missing + "\n"},
        {{"--nspsytune2", tuning.c_str()}, ""},
        {{"--nspsytune"}, ""},
        {{"--noasm", "sse"}, ""},
        {{"--noasm", "SSE"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        auto parsed = Parse(flags.gfp, words);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(parsed.in, "x.wav");
        EXPECT_EQ(parsed.err, c.err);
    }
}

TEST(OptionTable, PriorityTakesOnlyANumberAndSaysWhatItSet) {
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, 0);
    struct Case {
        std::vector<const char*> words;
        const char* text;
    } cases[] = {
        {{"--priority", "3", "x.wav"}, ""},
        {{"--priority", "x.wav"}, "==> Priority set to Low.\n"},
        {{"--priority", "2", "x.wav"}, "==> Priority set to Low.\n"},
        {{"--priority", "4", "x.wav"}, "==> Priority set to High.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(parsed.in, "x.wav");
        EXPECT_EQ(parsed.text, c.text);
        setpriority(PRIO_PROCESS, 0, nice);
    }
}

struct PresetCase {
    std::vector<const char*> words;
    int code;
    int vbr;
    int bitrate;  // mean bitrate for ABR, brate otherwise; 0: not checked
    int vbrQuality;
    bool mono;
};

void CheckPreset(const PresetCase& c) {
    SCOPED_TRACE(testing::PrintToString(c.words));
    Flags flags;
    auto words = c.words;
    words.push_back("x.wav");
    auto parsed = Parse(flags.gfp, words);
    ASSERT_EQ(parsed.code, c.code) << parsed.err;
    if (c.code != 0) {
        return;
    }
    EXPECT_EQ(parsed.in, "x.wav") << "modifiers and the name are used up";
    EXPECT_EQ(lame_get_VBR(flags.gfp), c.vbr);
    if (c.bitrate != 0) {
        EXPECT_EQ(c.vbr == vbr_abr ? lame_get_VBR_mean_bitrate_kbps(flags.gfp)
                                   : lame_get_brate(flags.gfp),
                  c.bitrate);
    }
    if (c.vbrQuality >= 0) {
        EXPECT_EQ(lame_get_VBR_q(flags.gfp), c.vbrQuality);
    }
    EXPECT_EQ(lame_get_mode(flags.gfp) == MONO, c.mono);
}

TEST(Presets, EveryNameAliasAndModifier) {
    const PresetCase cases[] = {
        {{"--preset", "medium"}, 0, vbr_rh, 0, 4, false},
        {{"--preset", "standard"}, 0, vbr_rh, 0, 2, false},
        {{"--preset", "extreme"}, 0, vbr_rh, 0, 0, false},
        {{"--preset", "fast", "standard"}, 0, vbr_mtrh, 0, 2, false},
        {{"--preset", "cbr", "fast", "medium"}, 0, vbr_mtrh, 0, 4, false},
        {{"--alt-preset", "extreme"}, 0, vbr_rh, 0, 0, false},
        {{"--preset", "insane"}, 0, vbr_off, 320, -1, false},
        {{"--preset", "320"}, 0, vbr_off, 320, -1, false},
        {{"--preset", "cbr", "320"}, 0, vbr_off, 320, -1, false},
        {{"--preset", "8"}, 0, vbr_abr, 8, -1, false},
        {{"--preset", "128"}, 0, vbr_abr, 128, -1, false},
        {{"--preset", "cbr", "192"}, 0, vbr_off, 192, -1, false},
        {{"--preset", "phone"}, 0, vbr_abr, 16, -1, true},
        {{"--preset", "phon+"}, 0, vbr_abr, 24, -1, true},
        {{"--preset", "lw"}, 0, vbr_abr, 24, -1, true},
        {{"--preset", "mw-eu"}, 0, vbr_abr, 24, -1, true},
        {{"--preset", "sw"}, 0, vbr_abr, 24, -1, true},
        {{"--preset", "mw-us"}, 0, vbr_abr, 40, -1, true},
        {{"--preset", "voice"}, 0, vbr_abr, 56, -1, true},
        {{"--preset", "cbr", "voice"}, 0, vbr_off, 56, -1, true},
        {{"--preset", "fm"}, 0, vbr_abr, 112, -1, false},
        {{"--preset", "radio"}, 0, vbr_abr, 112, -1, false},
        {{"--preset", "tape"}, 0, vbr_abr, 112, -1, false},
        {{"--preset", "hifi"}, 0, vbr_abr, 160, -1, false},
        {{"--preset", "cd"}, 0, vbr_abr, 192, -1, false},
        {{"--preset", "studio"}, 0, vbr_abr, 256, -1, false},
        {{"--phone"}, 0, vbr_abr, 16, -1, true},
        {{"--voice"}, 0, vbr_abr, 56, -1, true},
        {{"--radio"}, 0, vbr_abr, 112, -1, false},
        {{"--tape"}, 0, vbr_abr, 112, -1, false},
        {{"--cd"}, 0, vbr_abr, 192, -1, false},
        {{"--studio"}, 0, vbr_abr, 256, -1, false},
        {{"--preset", "Standard"}, -1, 0, 0, 0, false},
        {{"--Phone"}, -1, 0, 0, 0, false},
        {{"--preset", "fast", "192"}, -1, 0, 0, 0, false},
        {{"--preset", "fast", "insane"}, -1, 0, 0, 0, false},
        {{"--preset", "7"}, -1, 0, 0, 0, false},
        {{"--preset", "321"}, -1, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        CheckPreset(c);
    }
}

TEST(Presets, ErrorTextsGoToTheErrorStream) {
    const std::string invalid =
        Banner() +
        "Error: You did not enter a valid profile and/or options with --preset\n\n"
        "Available profiles are:\n";
    const std::string range =
        Banner() +
        "Error: The bitrate specified is out of the valid range for this preset\n\n"
        "When using this mode you must enter a value between \"32\" and \"320\"\n\n"
        "For further information try: \"lame.exe --preset help\"\n";
    struct Case {
        std::vector<const char*> words;
        std::string err;
        bool exact;
    } cases[] = {
        {{"--preset", "fast", "insane"}, invalid, false},
        {{"--preset", "cbr", "help"}, invalid, false},
        {{"--preset"}, invalid, false},
        {{"--preset", "fast"}, invalid, false},
        {{"--preset", "7"}, range, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, -1);
        EXPECT_EQ(parsed.text, "");
        if (c.exact) {
            EXPECT_EQ(parsed.err, c.err);
        } else {
            EXPECT_TRUE(StartsWith(parsed.err, c.err)) << parsed.err;
            EXPECT_TRUE(Contains(parsed.err, "    Some examples:\n\n"));
            EXPECT_TRUE(Contains(parsed.err, "lame.exe --preset help"));
        }
    }
}

TEST(Presets, DeprecatedOptionsWarnWithoutALineEnd) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--cd", "x.wav"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.err, "Warning: --cd is deprecated, use --preset cd instead!");
}

TEST(InformationOptions, PrintTheirTextOnStandardOutputAndStop) {
    const std::string usage = Banner() + "usage: lame.exe [options] <infile> [outfile]\n";
    struct Case {
        std::vector<const char*> words;
        std::string start;
        const char* inside;
        int code;
    } cases[] = {
        {{"--help"}, usage, "    --priority type  sets the process priority\n", -2},
        {{"--usage"}, usage, "    --preset type   type must be ", -2},
        {{"--longhelp"}, usage, "  ID3 tag options:\n", -2},
        {{"--version"}, Banner() + "Can I use LAME in my commercial program?\n", "LGPL", -2},
        {{"--license"}, Banner() + "Can I use LAME in my commercial program?\n", "LGPL", -2},
        {{"--genre-list"}, "123 A Cappella\n 34 Acid\n", "\n  0 Blues\n", -2},
        {{"--preset", "help"},
         Banner() +
             "\nThe --preset switches are designed to provide the highest possible quality.\n",
         "A few aliases are available for ABR mode:\n",
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto words = c.words;
        words.push_back("x.wav");
        auto parsed = Parse(flags.gfp, words);
        EXPECT_EQ(parsed.code, c.code);
        EXPECT_EQ(parsed.err, "");
        EXPECT_TRUE(StartsWith(parsed.text, c.start)) << parsed.text.substr(0, 300);
        EXPECT_TRUE(Contains(parsed.text, c.inside));
    }
}

TEST(InformationOptions, HelpShowsTheCurrentVbrQuality) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"-V", "7", "--help"});
    EXPECT_TRUE(Contains(parsed.text, "default n=7")) << parsed.text;
    Flags fresh;
    parsed = Parse(fresh.gfp, {"--longhelp"});
    EXPECT_TRUE(Contains(parsed.text, "default n=4"));
}

TEST(InformationOptions, QuestionMarkLetterPrintsTheLongHelpAsAnError) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"-?", "x.wav"});
    EXPECT_EQ(parsed.code, -1);
    EXPECT_EQ(parsed.text, "");
    EXPECT_TRUE(StartsWith(parsed.err, Banner() + "usage: lame.exe"));
    EXPECT_TRUE(Contains(parsed.err, "  ID3 tag options:\n"));
    EXPECT_EQ(parsed.err.find("usage:"), parsed.err.rfind("usage:")) << "no usage text after it";
}

TEST(InformationOptions, LongHelpPausesSevenTimesAndEndOfInputDoesNotBlock) {
    // --? reads its pauses from standard input; at end of input it must run straight on.
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--?"});
    EXPECT_EQ(parsed.code, -2);

    std::FILE* keys = std::tmpfile();
    ASSERT_NE(keys, nullptr);
    std::fputs("abcdefghij", keys);
    std::rewind(keys);
    testing::internal::CaptureStdout();
    frontend::PrintLongHelp(stdout, flags.gfp, "lame.exe", keys);
    std::string paused = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::ftell(keys), 7);
    std::fclose(keys);
    EXPECT_EQ(paused, parsed.text) << "--? is the long help with pauses";

    testing::internal::CaptureStdout();
    frontend::PrintLongHelp(stdout, flags.gfp, "lame.exe", nullptr);
    std::string unpaused = testing::internal::GetCapturedStdout();
    EXPECT_EQ(unpaused.size(), paused.size() + 7) << "a pause prints one line end, not two";
}

TEST(InformationOptions, LongHelpSectionsComeInOrderAndEveryOptionIsDocumented) {
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);  // for --?
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--longhelp"});
    const std::string& text = parsed.text;
    std::size_t at = 0;
    for (const char* heading :
         {"OPTIONS:\n", "  Operational options:\n", "  Verbosity:\n",
          "  Noise shaping & psycho acoustic algorithms:\n",
          "  CBR (constant bitrate, the default) options:\n", "  VBR options:\n",
          "  PSY related:\n", "  experimental switches:\n", "  MP3 header/stream options:\n",
          "  Filter options:\n", "  ID3 tag options:\n", "\nMPEG-1   layer III"}) {
        std::size_t found = text.find(heading, at);
        EXPECT_NE(found, std::string::npos) << heading;
        at = found == std::string::npos ? at : found;
    }
    const char* longNames[] = {"resample",
                               "vbr-old",
                               "vbr-new",
                               "vbr-mtrh",
                               "cbr",
                               "abr",
                               "r3mix",
                               "bitwidth",
                               "signed",
                               "unsigned",
                               "little-endian",
                               "big-endian",
                               "mp1input",
                               "mp2input",
                               "mp3input",
                               "ogginput",
                               "phone",
                               "voice",
                               "radio",
                               "tape",
                               "cd",
                               "studio",
                               "noshort",
                               "short",
                               "allshort",
                               "decode",
                               "decode-mp3delay",
                               "nores",
                               "strictly-enforce-ISO",
                               "scale",
                               "scale-l",
                               "scale-r",
                               "noasm",
                               "freeformat",
                               "replaygain-fast",
                               "replaygain-accurate",
                               "noreplaygain",
                               "clipdetect",
                               "nohist",
                               "priority",
                               "tt",
                               "ta",
                               "tl",
                               "ty",
                               "tc",
                               "tn",
                               "tg",
                               "add-id3v2",
                               "id3v1-only",
                               "id3v2-only",
                               "space-id3v1",
                               "pad-id3v2",
                               "genre-list",
                               "lowpass",
                               "lowpass-width",
                               "highpass",
                               "highpass-width",
                               "comp",
                               "notemp",
                               "interch",
                               "temporal-masking",
                               "nspsytune",
                               "nssafejoint",
                               "nsmsfix",
                               "ns-bass",
                               "ns-alto",
                               "ns-treble",
                               "ns-sfb21",
                               "nspsytune2",
                               "quiet",
                               "silent",
                               "brief",
                               "verbose",
                               "ignore-tag-errors",
                               "version",
                               "license",
                               "help",
                               "usage",
                               "longhelp",
                               "?",
                               "preset",
                               "alt-preset",
                               "disptime",
                               "nogaptags",
                               "nogapout",
                               "nogap",
                               "athaa-sensitivity"};
    for (const char* name : longNames) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Contains(text, std::string("--") + name)) << "missing from the long help";
        if (std::string(name) == "priority") {
            continue;  // would change this process's priority; tested on its own
        }
        Flags each;
        auto known = Parse(each.gfp, {(std::string("--") + name).c_str(), "x.wav"});
        EXPECT_FALSE(Contains(known.err, "unrec option")) << "missing from the table";
    }
    for (char letter : std::string("?abBcdefFhkmopqrsStTvVxXYZ")) {
        std::string option = std::string("-") + letter + " ";
        EXPECT_TRUE(Contains(text, option) || Contains(text, std::string("-") + letter + ","))
            << option;
    }
}

}  // namespace
