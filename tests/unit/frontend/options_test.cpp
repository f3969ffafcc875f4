// The walk over the argument vector, the end-of-walk steps, LAMEOPT and the helpers.

#include "frontend/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"
#include "tests/unit/frontend/options_test_support.h"

using frontend::InputKind;
using frontend::settings;
using options_test::Contains;
using options_test::Flags;
using options_test::Parse;
using options_test::ParseEnvironment;
using options_test::StartsWith;
using testing_support::TempDir;

namespace {

const char kUsageLine[] = "usage: lame.exe [options] <infile> [outfile]\n";

TEST(ParseArguments, TheProgramsDecodeVectorSetsDecodingSilenceAndTheMpegKind) {
    TempDir dir;
    std::string song = dir / "song.mp3";
    std::string temp = dir / "song.mp3_TEMP.wav";
    ASSERT_TRUE(testing_support::WriteFileBytes(song, testing_support::Bytes(16, 0)));
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--decode", "--silent", song.c_str(), temp.c_str()});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.err, "");
    EXPECT_EQ(parsed.in, song);
    EXPECT_EQ(parsed.out, temp);
    EXPECT_EQ(lame_get_decode_only(flags.gfp), 1);
    EXPECT_EQ(settings.quietLevel, 10);
    EXPECT_EQ(settings.inputKind, InputKind::MpegLayer3);
    EXPECT_EQ(lame_get_num_channels(flags.gfp), 2);
    EXPECT_EQ(lame_get_findReplayGain(flags.gfp), 1);
}

TEST(ParseArguments, TheProgramsEncodeVectorTakesTheWaveKindAndKeepsTheTag) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--silent", "snip.wav", "song_Chimewick_Ringtone.mp3"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.out, "song_Chimewick_Ringtone.mp3");
    EXPECT_EQ(lame_get_decode_only(flags.gfp), 0);
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
    EXPECT_EQ(lame_get_bWriteVbrTag(flags.gfp), 1);
}

TEST(ParseArguments, DerivesTheOutputByAppendingAndHandlesStandardStreams) {
    struct Case {
        std::vector<const char*> words;
        const char* in;
        const char* out;
        int quietLevel;
        int vbrTag;
    } cases[] = {
        {{"x.wav"}, "x.wav", "x.wav.mp3", 0, 1},
        {{"--decode", "x.mp3"}, "x.mp3", "x.mp3.wav", 0, 1},
        {{"-"}, "-", "-", 1, 0},
        {{"--brief", "-"}, "-", "-", 1, 0},
        {{"--silent", "-"}, "-", "-", 10, 0},
        {{"x.wav", "-"}, "x.wav", "-", 0, 0},
        {{"-", "-", "-"}, "-", "-", 1, 0},
        {{"-", "y.mp3"}, "-", "y.mp3", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(parsed.err, "");
        EXPECT_EQ(parsed.in, c.in);
        EXPECT_EQ(parsed.out, c.out);
        EXPECT_EQ(settings.quietLevel, c.quietLevel);
        EXPECT_EQ(lame_get_bWriteVbrTag(flags.gfp), c.vbrTag);
    }
}

TEST(ParseArguments, ADerivedNameKeepsTheFirst1021Characters) {
    Flags flags;
    std::string longName(1024, 'a');
    auto parsed = Parse(flags.gfp, {longName.c_str()});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.out, std::string(1021, 'a') + ".mp3");
}

TEST(ParseArguments, RefusesPathsLongerThan1024CharactersWithoutCuttingThem) {
    std::string fits(1024, 'p');
    std::string tooLong(1025, 'p');
    struct Case {
        std::vector<const char*> words;
        int code;
    } cases[] = {
        {{fits.c_str(), fits.c_str()}, 0},
        {{tooLong.c_str()}, -1},
        {{"x.wav", tooLong.c_str()}, -1},
        {{"--nogapout", tooLong.c_str(), "x.wav"}, -1},
        {{"--nogap", "a.wav", tooLong.c_str()}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.size());
        Flags flags;
        std::vector<std::string> nogap(200);
        int count = 200;
        auto parsed = Parse(flags.gfp, c.words, &nogap, &count);
        EXPECT_EQ(parsed.code, c.code);
        if (c.code == -1) {
            EXPECT_TRUE(StartsWith(parsed.err, "lame.exe: path longer than 1024 characters"))
                << parsed.err;
            EXPECT_TRUE(Contains(parsed.err, tooLong + "\n"));
            EXPECT_EQ(std::count(parsed.err.begin(), parsed.err.end(), '\n'), 1);
        }
    }
}

TEST(ParseArguments, ExcessPositionalWordAndUnknownLettersEndWithTheUsageText) {
    Flags fresh;
    const int rate = lame_get_brate(fresh.gfp);
    const char* const z = "lame.exe: unrec option z\n";
    // The letters around an unknown one still take effect before the walk ends.
    struct Case {
        std::vector<const char*> words;
        std::string messages;
        int quality;
        int bitrate;
    } cases[] = {
        {{"a.wav", "b.mp3", "c.mp3"}, "lame.exe: excess arg c.mp3\n", -1, rate},
        {{"-j", "a.wav"}, "lame.exe: unrec option j\n", -1, rate},
        {{"-hj", "a.wav"}, "lame.exe: unrec option j\n", 2, rate},
        {{"-zh", "x.wav"}, z, 2, rate},
        {{"-zzh", "x.wav"}, std::string(z) + z, 2, rate},
        {{"-hjb", "64", "x.wav"}, "lame.exe: unrec option j\n", 2, 64},
        {{"-zb64h", "x.wav"}, z, -1, 64},
        {{"--silent"}, "", -1, rate},
        {{}, "", -1, rate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, -1);
        EXPECT_TRUE(StartsWith(parsed.err, c.messages + options_test::Banner() + kUsageLine))
            << parsed.err;
        EXPECT_EQ(lame_get_quality(flags.gfp), c.quality);
        EXPECT_EQ(lame_get_brate(flags.gfp), c.bitrate);
    }
}

TEST(ParseArguments, UnknownLongNamesAreReportedAndTheWalkGoesOn) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--", "--nosuch", "-h", "x.wav"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.err, "lame.exe: unrec option --\nlame.exe: unrec option --nosuch\n");
    EXPECT_EQ(lame_get_quality(flags.gfp), 2);
    EXPECT_EQ(parsed.in, "x.wav");
}

TEST(ParseArguments, LongNamesIgnoreCaseButLettersDoNot) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"--DECODE", "--Silent", "x.mp3"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(lame_get_decode_only(flags.gfp), 1);
    EXPECT_EQ(settings.quietLevel, 10);

    Flags lower;
    parsed = Parse(lower.gfp, {"-s", "48", "x.wav"});
    EXPECT_EQ(settings.quietLevel, 0);
    EXPECT_EQ(lame_get_in_samplerate(lower.gfp), 48000);
}

TEST(ParseArguments, LetterBundlesTakeTheRestOfTheWordOrTheNextWord) {
    struct Case {
        std::vector<const char*> words;
        int quality;
        int vbrQuality;
        int quietLevel;
        const char* in;
    } cases[] = {
        {{"-V2", "x.wav"}, -1, 2, 0, "x.wav"},
        {{"-V", "2", "x.wav"}, -1, 2, 0, "x.wav"},
        {{"-hV2", "x.wav"}, 2, 2, 0, "x.wav"},
        {{"-hV", "3", "x.wav"}, 2, 3, 0, "x.wav"},
        {{"-Sh", "x.wav"}, 2, 4, 10, "x.wav"},
        // In -qh the h is the value of -q, read as 0.
        {{"-qh", "x.wav"}, 0, 4, 0, "x.wav"},
        {{"-q", "5", "x.wav"}, 5, 4, 0, "x.wav"},
        // The letter's value is used up even when it is the last word.
        {{"x.wav", "-q"}, 0, 4, 0, "x.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(lame_get_quality(flags.gfp), c.quality);
        EXPECT_EQ(lame_get_VBR_q(flags.gfp), c.vbrQuality);
        EXPECT_EQ(settings.quietLevel, c.quietLevel);
        EXPECT_EQ(parsed.in, c.in);
    }
}

TEST(ParseArguments, ResetsOnlyThePerParseSettingsAndStartsAFreshTag) {
    Flags flags;
    settings.inputKind = InputKind::Aiff;
    settings.swapBytes = 1;
    settings.statusInterval = 3.5f;
    settings.inputBitWidth = 24;
    settings.quietLevel = 10;
    settings.ignoreTagErrors = 1;
    settings.showBitrateHistogram = 0;
    settings.userDecoderDelay = 7;
    settings.userDecoderDelaySet = 1;
    settings.reportClipping = 1;
    settings.noWaveHeader = 1;
    settings.inputEncoderDelay = 5;
    settings.inputEncoderPadding = 6;
    std::string in = "stale", out = "stale";
    const char* words[] = {"lame.exe"};
    testing::internal::CaptureStderr();
    EXPECT_EQ(frontend::ParseArguments(flags.gfp, 1, words, in, out, nullptr, nullptr), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(in, "");
    EXPECT_EQ(out, "");
    EXPECT_EQ(settings.inputKind, InputKind::Aiff);
    EXPECT_EQ(settings.swapBytes, 1);
    EXPECT_EQ(settings.statusInterval, 3.5f);
    EXPECT_EQ(settings.inputBitWidth, 24);
    EXPECT_EQ(settings.quietLevel, 0);
    EXPECT_EQ(settings.ignoreTagErrors, 0);
    EXPECT_EQ(settings.showBitrateHistogram, 1);
    EXPECT_EQ(settings.userDecoderDelay, 0);
    EXPECT_EQ(settings.userDecoderDelaySet, 0);
    EXPECT_EQ(settings.reportClipping, 0);
    EXPECT_EQ(settings.noWaveHeader, 0);
    EXPECT_EQ(settings.inputEncoderDelay, -1);
    EXPECT_EQ(settings.inputEncoderPadding, -1);
}

TEST(ParseArguments, MpegInputRefusesOutputDecodingAndFreeFormatNeedsABitrate) {
    struct Case {
        std::vector<const char*> words;
        int code;
        const char* messageStart;
    } cases[] = {
        {{"--clipdetect", "x.mp3"},
         -1,
         "\nError: input cannot be MPEG when --clipdetect is used\n"},
        {{"--clipdetect", "x.wav"}, 0, ""},
        {{"--replaygain-accurate", "--mp2input", "x.wav"},
         -1,
         "\nError: input cannot be MPEG when --replaygain-accurate is used\n"},
        {{"--replaygain-accurate", "x.wav"}, 0, ""},
        {{"--freeformat", "x.wav"},
         -1,
         "For free format, specify a bitrate between 8 and 640 kbps\n"
         "with the -b <bitrate> option\n"},
        {{"--freeformat", "-b", "641", "x.wav"}, -1, "For free format"},
        {{"--freeformat", "-b", "640", "x.wav"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        auto parsed = Parse(flags.gfp, c.words);
        EXPECT_EQ(parsed.code, c.code);
        EXPECT_TRUE(StartsWith(parsed.err, c.messageStart)) << parsed.err;
        if (c.code == 0) {
            EXPECT_EQ(parsed.err, "");
        }
    }
}

TEST(ParseArguments, ChannelsFollowTheModeUnlessDownmixing) {
    struct Case {
        std::vector<const char*> words;
        int channels;
    } cases[] = {
        {{"x.wav"}, 2},
        {{"-m", "m", "x.wav"}, 1},
        {{"-a", "x.wav"}, 2},
        {{"-m", "s", "x.wav"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        Flags flags;
        ASSERT_EQ(Parse(flags.gfp, c.words).code, 0);
        EXPECT_EQ(lame_get_num_channels(flags.gfp), c.channels);
    }
}

TEST(ParseArguments, NoGapInputsFillTheCallersVectorUpToItsCapacity) {
    Flags flags;
    std::vector<std::string> nogap(3);
    int count = 3;
    auto parsed = Parse(flags.gfp, {"--nogap", "a.wav", "b.wav", "c.wav"}, &nogap, &count);
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(nogap, (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(parsed.in, "");
    EXPECT_EQ(parsed.out, "") << "no-gap outputs are named by the main routine";
    EXPECT_EQ(parsed.err, "Note: Disabling VBR Xing/Info tag since it interferes with --nogap\n");
    EXPECT_EQ(lame_get_bWriteVbrTag(flags.gfp), 0);

    Flags tagged;
    count = 3;
    parsed = Parse(tagged.gfp, {"--nogaptags", "--nogap", "a.wav"}, &nogap, &count);
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(parsed.err, "");
    EXPECT_EQ(lame_get_bWriteVbrTag(tagged.gfp), 1);
}

TEST(ParseArguments, NoGapBeyondCapacityOrWithoutAVectorFails) {
    const std::string message =
        "Error: 'nogap option'.  Calling program does not allow nogap option, or\n"
        "you have exceeded maximum number of input files for the nogap option\n";
    Flags flags;
    std::vector<std::string> nogap(1);
    int count = 1;
    auto parsed = Parse(flags.gfp, {"--nogap", "a.wav", "b.wav"}, &nogap, &count);
    EXPECT_EQ(parsed.code, -1);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(parsed.err, message);

    // A count larger than the vector must not write past it.
    Flags lying;
    std::vector<std::string> small(1);
    count = 200;
    parsed = Parse(lying.gfp, {"--nogap", "a.wav", "b.wav"}, &small, &count);
    EXPECT_EQ(parsed.code, -1);
    EXPECT_EQ(count, -1);

    Flags none;
    parsed = Parse(none.gfp, {"--nogap", "a.wav"});
    EXPECT_EQ(parsed.code, -1);
    EXPECT_EQ(parsed.err, message);
}

TEST(ParseArguments, AFailureLeavesEarlierOptionsApplied) {
    Flags flags;
    auto parsed = Parse(flags.gfp, {"-b", "64", "-m", "x", "-h", "x.wav"});
    EXPECT_EQ(parsed.code, -1);
    EXPECT_TRUE(StartsWith(parsed.err, "lame.exe: -m mode must be s/d/j/f/m not x\n"));
    EXPECT_EQ(lame_get_brate(flags.gfp), 64);
    EXPECT_EQ(lame_get_quality(flags.gfp), -1) << "the walk stops at the failing option";
}

TEST(ParseEnvironmentOptions, AbsentOrEmptyTextParsesNothing) {
    Flags flags;
    settings.quietLevel = 10;
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        auto parsed = ParseEnvironment(flags.gfp, text);
        EXPECT_EQ(parsed.code, 0);
        EXPECT_EQ(parsed.err, "");
        EXPECT_EQ(settings.quietLevel, 10) << "no parse ran, so nothing was reset";
    }
}

TEST(ParseEnvironmentOptions, SplitsAtSingleSpacesKeepingEmptyWords) {
    Flags flags;
    auto parsed = ParseEnvironment(flags.gfp, "-b 64  -h");
    // The empty third word is a positional input, so the end steps ran.
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.in, "");
    EXPECT_EQ(parsed.out, ".mp3");
    EXPECT_EQ(lame_get_brate(flags.gfp), 64);
    EXPECT_EQ(lame_get_quality(flags.gfp), 2);

    Flags tab;
    parsed = ParseEnvironment(tab.gfp, "a\tb.wav");
    EXPECT_EQ(parsed.in, "a\tb.wav");
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
}

TEST(ParseEnvironmentOptions, WithoutAFileNameEndsWithUsageButTheSettingsStay) {
    Flags flags;
    auto parsed = ParseEnvironment(flags.gfp, "-b 64 --tt Title");
    EXPECT_EQ(parsed.code, -1);
    EXPECT_TRUE(StartsWith(parsed.err,
                           options_test::Banner() + "usage: lhama [options] <infile> [outfile]\n"));
    parsed = Parse(flags.gfp, {"x.wav"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(lame_get_brate(flags.gfp), 64);
}

TEST(ParseEnvironmentOptions, AFileNameFixesTheInputKindForTheVectorPass) {
    Flags flags;
    ASSERT_EQ(ParseEnvironment(flags.gfp, "-h x.wav").code, 0);
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
    auto parsed = Parse(flags.gfp, {"song.mp3"});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
}

TEST(ParseEnvironmentOptions, TagFieldsAreLostToTheVectorPassButOptionsStay) {
    auto v1TagOf = [](lame_global_flags* gfp) {
        lame_set_write_id3tag_automatic(gfp, 0);
        EXPECT_GE(lame_init_params(gfp), 0);
        unsigned char tag[128] = {};
        std::size_t size = lame_get_id3v1_tag(gfp, tag, sizeof tag);
        return std::string(reinterpret_cast<const char*>(tag), size);
    };
    Flags lost;
    ParseEnvironment(lost.gfp, "--tt Title -b 96 x.wav");
    ASSERT_EQ(Parse(lost.gfp, {"song.wav"}).code, 0);
    EXPECT_EQ(lame_get_brate(lost.gfp), 96);
    EXPECT_FALSE(Contains(v1TagOf(lost.gfp), "Title"));

    Flags kept;
    ASSERT_EQ(Parse(kept.gfp, {"--tt", "Title", "song.wav"}).code, 0);
    EXPECT_TRUE(Contains(v1TagOf(kept.gfp), "Title"));
}

TEST(ParseEnvironmentOptions, TakesAtMost126Words) {
    std::string text;
    for (int i = 0; i < 125; ++i) {
        text += "-c ";
    }
    Flags fits;
    auto parsed = ParseEnvironment(fits.gfp, (text + "x.wav").c_str());
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(parsed.in, "x.wav");

    Flags cut;
    parsed = ParseEnvironment(cut.gfp, (text + "-c x.wav").c_str());
    EXPECT_EQ(parsed.code, -1) << "the 127th word, the file, is ignored";
    EXPECT_EQ(parsed.in, "");
}

TEST(InputKindFromName, LooksAtTheLastFourCharactersIgnoringCase) {
    struct Case {
        const char* name;
        InputKind kind;
    } cases[] = {{"a.mpg", InputKind::MpegLayer1}, {"a.MP1", InputKind::MpegLayer1},
                 {"a.mp2", InputKind::MpegLayer2}, {"song.Mp3", InputKind::MpegLayer3},
                 {".wav", InputKind::Wave},        {"x.aif", InputKind::Aiff},
                 {"x.raw", InputKind::RawPcm},     {"x.aiff", InputKind::Unknown},
                 {"wav", InputKind::Unknown},      {"", InputKind::Unknown},
                 {"x.mp3.ogg", InputKind::Unknown}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(frontend::InputKindFromName(c.name), c.kind);
    }
}

TEST(CompareIgnoringCase, EqualOnlyForTheSameLettersAndLength) {
    using frontend::CompareIgnoringCase;
    EXPECT_EQ(CompareIgnoringCase("Strictly-Enforce-iso", "strictly-enforce-ISO"), 0);
    EXPECT_NE(CompareIgnoringCase("nogap", "nogaptags"), 0);
    EXPECT_NE(CompareIgnoringCase("nogaptags", "nogap"), 0);
    EXPECT_LT(CompareIgnoringCase("a", "b"), 0);
    EXPECT_GT(CompareIgnoringCase("\xe9", "a"), 0) << "bytes compare as unsigned";
    EXPECT_NE(CompareIgnoringCase("[", "{"), 0) << "only letters are folded";
}

TEST(FixLongFileName, KeepsExistingPathsAndNeverCutsAtNonSeparators) {
    TempDir dir;
    for (const char* name : {"song.wav", "a\\b.wav", "c:d.wav"}) {
        SCOPED_TRACE(name);
        std::string path = dir / name;
        ASSERT_TRUE(testing_support::WriteFileBytes(path, testing_support::Bytes(4, 0)));
        std::string fixed = path;
        frontend::FixLongFileName(fixed);
        EXPECT_EQ(fixed, path);
        testing_support::ScopedCurrentDir here(dir.path());
        std::string bare = name;
        frontend::FixLongFileName(bare);
        EXPECT_EQ(bare, name);
    }
    std::string missing = dir / "missing.wav";
    frontend::FixLongFileName(missing);
    EXPECT_EQ(missing, dir / "missing.wav");
}

TEST(PrintBitrateTables, AgreesWithTheLibrarysOwnTables) {
    std::string expected;
    const char* names[] = {"1  ", "2  ", "2.5"};
    for (int version = 0; version < 3; ++version) {
        // The library numbers MPEG-2 as 0, MPEG-1 as 1 and MPEG-2.5 as 2.
        int library = version == 0 ? 1 : version == 1 ? 0 : 2;
        char line[128];
        std::snprintf(line, sizeof line,
                      "\nMPEG-%s layer III sample frequencies (kHz):  %2d  %2d  %g\n"
                      "bitrates (kbps):",
                      names[version], lame_get_samplerate(library, 2) / 1000,
                      lame_get_samplerate(library, 1) / 1000,
                      lame_get_samplerate(library, 0) / 1000.0);
        expected += line;
        // MPEG-2.5 shares the MPEG-2 bitrates; the library's own 2.5 row stops at 64.
        int rates = library == 2 ? 0 : library;
        for (int i = 1; i <= 14; ++i) {
            expected += " " + std::string(lame_get_bitrate(rates, i) < 10 ? " " : "") +
                        std::to_string(lame_get_bitrate(rates, i));
        }
        expected += "\n";
    }
    expected += "\n";
    testing::internal::CaptureStdout();
    frontend::PrintBitrateTables(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
}

TEST(PrintVersionBanner, ShowsTheLibrarysVersionOnOneLine) {
    EXPECT_EQ(options_test::Banner(), std::string("LAME ") + get_lame_os_bitness() + " version " +
                                          get_lame_version() + " (" + get_lame_url() + ")\n\n");
}

TEST(PrintUsage, NamesTheProgramInEveryHint) {
    testing::internal::CaptureStderr();
    frontend::PrintUsage(stderr, "chimewick-mp3");
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(StartsWith(
        text, options_test::Banner() + "usage: chimewick-mp3 [options] <infile> [outfile]\n"));
    for (const char* hint : {"chimewick-mp3 --help", "chimewick-mp3 --preset help",
                             "chimewick-mp3 --longhelp", "chimewick-mp3 -?"}) {
        EXPECT_TRUE(Contains(text, hint)) << hint;
    }
}

}  // namespace
