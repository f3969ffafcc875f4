#include "frontend/decodermain.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "frontend/Mp3handler.h"
#include "frontend/settings.h"
#include "platform/Exception.h"
#include "platform/UserInterface.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

int RunFrontEnd(std::vector<std::string> words) {
    std::vector<const char*> argv;
    for (const auto& w : words) {
        argv.push_back(w.c_str());
    }
    argv.push_back(nullptr);
    return frontend::FrontEndMain(static_cast<int>(words.size()), argv.data());
}

int OpenDescriptors() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) {
            ++count;
        }
        closedir(d);
    }
    return count;
}

// Every sample the library's decoder gives for the file, channel 0, nothing skipped.
std::vector<std::int16_t> RawDecode(const Bytes& mp3) {
    std::vector<std::int16_t> all;
    std::size_t at = 0;
    testing_support::DecodeWithLibraryAlone(
        [&](unsigned char* into, std::size_t capacity) {
            const std::size_t n = std::min(capacity, mp3.size() - at);
            std::copy_n(mp3.data() + at, n, into);
            at += n;
            return n;
        },
        [&](const short* left, const short*, int n, const mp3data_struct&) {
            all.insert(all.end(), left, left + n);
        });
    return all;
}

std::vector<std::int16_t> WaveChannel0(const Bytes& wav) {
    std::vector<std::int16_t> out;
    int channels = ReadLE16(wav, 22);
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2u * static_cast<std::size_t>(channels)) {
        out.push_back(static_cast<std::int16_t>(ReadLE16(wav, i)));
    }
    return out;
}

// Runs the front end in this (child) process with files that may not grow beyond limit
// bytes, as on a disk that fills up at that point, and exits with its result.
[[noreturn]] void RunOnADiskFullAt(const std::vector<std::string>& words, rlim_t limit) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit fileSize{limit, limit};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    std::_Exit(RunFrontEnd(words));
}

class FrontEndMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        frontend::ResetSettingsToProcessStart();
        unsetenv("LAMEOPT");
    }
    void TearDown() override { unsetenv("LAMEOPT"); }
    // Three seconds of tones as s.mp3 (with its tag) and as s.wav.
    void WriteShortSongs() {
        Mp3Options options;
        options.seconds = 3;
        ASSERT_TRUE(WriteFileBytes(dir / "s.mp3", EncodeMp3(options).bytes));
        ASSERT_TRUE(
            WriteFileBytes(dir / "s.wav", SimpleWave(2, 44100, 16, ToneSecondsPcm16(3, 44100, 2))));
    }
    TempDir dir;
    RecordingUserInterface ui;
    platform::ScopedUi installed{&ui};
};

}  // namespace

TEST_F(FrontEndMainTest, DecodeDropsTheTaggedDelayPlusTheDecodersExactly) {
    Mp3Options options;
    options.seconds = 3;
    Mp3File mp3 = EncodeMp3(options);
    ASSERT_TRUE(mp3.hasTag);
    ASSERT_TRUE(WriteFileBytes(dir / "t.mp3", mp3.bytes));
    std::vector<std::int16_t> raw = RawDecode(mp3.bytes);

    ASSERT_EQ(RunFrontEnd({"lame.exe", "--decode", "--silent", dir / "t.mp3", dir / "t.wav"}), 0);
    std::vector<std::int16_t> ours = WaveChannel0(ReadFileBytes(dir / "t.wav"));
    const std::size_t skip = static_cast<std::size_t>(mp3.encoderDelay) + 529;
    ASSERT_EQ(ours.size() + skip, raw.size());
    EXPECT_TRUE(std::equal(ours.begin(), ours.end(), raw.begin() + static_cast<long>(skip)));

    // A skip of the user's own replaces the tag's delay; the decoder's 529 still count,
    // and the sum is bounded to the song at both ends.
    struct Case {
        const char* delay;
        std::size_t skip;
    } cases[] = {
        {"1000", 1529}, {"-400", 129}, {"-2000", 0}, {"-2147483648", 0}, {"2147483647", raw.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delay);
        ASSERT_EQ(RunFrontEnd({"x", "--decode", "--silent", "--decode-mp3delay", c.delay,
                               dir / "t.mp3", dir / "u.wav"}),
                  0);
        std::vector<std::int16_t> user = WaveChannel0(ReadFileBytes(dir / "u.wav"));
        ASSERT_EQ(user.size() + c.skip, raw.size());
        EXPECT_TRUE(std::equal(user.begin(), user.end(), raw.begin() + static_cast<long>(c.skip)));
    }
}

TEST_F(FrontEndMainTest, DecodeWithoutATagSkipsTheEncodersDefaultDelay) {
    Mp3Options options;
    options.infoTag = false;
    Mp3File mp3 = EncodeMp3(options);
    ASSERT_TRUE(WriteFileBytes(dir / "n.mp3", mp3.bytes));
    std::vector<std::int16_t> raw = RawDecode(mp3.bytes);
    ASSERT_EQ(RunFrontEnd({"x", "--decode", "--silent", dir / "n.mp3", dir / "n.wav"}), 0);
    std::vector<std::int16_t> ours = WaveChannel0(ReadFileBytes(dir / "n.wav"));
    lame_global_flags* gfp = lame_init();
    lame_init_params(gfp);
    const std::size_t skip = static_cast<std::size_t>(lame_get_encoder_delay(gfp)) + 529;
    lame_close(gfp);
    ASSERT_EQ(ours.size() + skip, raw.size());
    EXPECT_TRUE(std::equal(ours.begin(), ours.end(), raw.begin() + static_cast<long>(skip)));
}

TEST_F(FrontEndMainTest, ResultCodesAndNothingLeftOpenOnAnyPath) {
    ASSERT_TRUE(WriteFileBytes(dir / "a.wav", SimpleWave(2, 44100, 16, Bytes(44100 * 4, 0))));
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int result;
    } cases[] = {
        {"program word only", {"lame.exe"}, 1},
        {"help", {"lame.exe", "--help"}, 0},
        {"bad short option", {"lame.exe", "-j", dir / "a.wav"}, 1},
        {"same path", {"lame.exe", dir / "a.wav", dir / "a.wav"}, -1},
        {"output folder missing", {"lame.exe", dir / "a.wav", dir / "no/x.mp3"}, -1},
        {"input missing", {"lame.exe", dir / "none.wav", dir / "x.mp3"}, 1},
        {"not MPEG", {"lame.exe", "--decode", dir / "a.wav.mp3", dir / "y.wav"}, 1},
        {"encoder error",
         {"lame.exe", "--silent", "-r", "-s", "0.001", dir / "a.wav", dir / "e.mp3"},
         1},
        {"encodes", {"lame.exe", "--silent", dir / "a.wav", dir / "ok.mp3"}, 0},
    };
    ASSERT_TRUE(WriteFileBytes(dir / "a.wav.mp3", Bytes(3000, 0)));
    // Failures are reported on standard output, so they are checked after the capture.
    std::vector<std::pair<int, int>> seen;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const int capturing = OpenDescriptors();
    for (const auto& c : cases) {
        seen.emplace_back(RunFrontEnd(c.words), OpenDescriptors());
    }
    testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(seen[i].first, cases[i].result);
        EXPECT_EQ(seen[i].second, capturing);
    }
    EXPECT_NE(err.find("Input file and Output file are the same. Abort.\n"), std::string::npos);
    EXPECT_NE(err.find("Can't init outfile '" + dir / "no/x.mp3" + "'\n"), std::string::npos);
    EXPECT_NE(err.find("mp3 buffer is not big enough... \n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "e.mp3")) << "what was written stays, closed";
    EXPECT_EQ(ReadFileBytes(dir / "a.wav").size(), 44u + 44100 * 4);
}

TEST_F(FrontEndMainTest, AFullDiskAnywhereInTheOutputIsAFailure) {
    WriteShortSongs();
    const std::vector<std::string> decode = {"x", "--decode", "--silent", dir / "s.mp3",
                                             dir / "out.wav"};
    const std::vector<std::string> encode = {"x", "--silent", dir / "s.wav", dir / "out.mp3"};
    ASSERT_EQ(RunFrontEnd(decode), 0);
    ASSERT_EQ(RunFrontEnd(encode), 0);
    const auto wavSize = static_cast<rlim_t>(std::filesystem::file_size(dir / "out.wav"));
    const auto mp3Size = static_cast<rlim_t>(std::filesystem::file_size(dir / "out.mp3"));
    // The last bytes come after the loop (the final WAVE header; the encoder's flush and
    // the tag) and may reach the disk only when the file is closed: a disk that fills
    // there must fail the run too. The limit also holds for the child's captured standard
    // error, so only the status tells.
    struct Case {
        const char* name;
        const std::vector<std::string>& words;
        rlim_t limit;
    } cases[] = {
        {"decode, nothing fits", decode, 0},
        {"decode, the header only", decode, 44},
        {"decode, all but the last byte", decode, wavSize - 1},
        {"encode, nothing fits", encode, 0},
        {"encode, half", encode, mp3Size / 2},
        {"encode, all but the last byte", encode, mp3Size - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(RunOnADiskFullAt(c.words, c.limit), ::testing::ExitedWithCode(1), "");
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunFrontEnd({"x", "--decode", "--silent", dir / "s.mp3", "/dev/full"}), 1);
    EXPECT_EQ(RunFrontEnd({"x", "--silent", dir / "s.wav", "/dev/full"}), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error writing WAVE output\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Error writing mp3 output \n"), std::string::npos) << err;

    // Outputs smaller than the stream's buffer reach the disk only when it is closed (a
    // headerless decode is never rewound), so there the close alone sees the full disk.
    Mp3Options tiny;
    tiny.seconds = 0;
    tiny.extraSamples = 800;
    tiny.sampleRate = 8000;
    tiny.channels = 1;
    ASSERT_TRUE(WriteFileBytes(dir / "tiny.mp3", EncodeMp3(tiny).bytes));
    ASSERT_TRUE(WriteFileBytes(dir / "tiny.wav", SimpleWave(1, 8000, 16, Bytes(1600, 0))));
    struct Tiny {
        std::vector<std::string> words;
        const char* message;
    } tinyCases[] = {
        {{"x", "--decode", "-t", "--silent", dir / "tiny.mp3", "/dev/full"},
         "Error writing WAVE output\n"},
        {{"x", "--silent", dir / "tiny.wav", "/dev/full"}, "Error writing mp3 output \n"},
    };
    for (const auto& c : tinyCases) {
        SCOPED_TRACE(c.words[1]);
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunFrontEnd(c.words), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    }
}

TEST_F(FrontEndMainTest, EmptyInputsGiveAnEmptyWaveAndAFlushedMp3) {
    Mp3Options options;
    options.seconds = 1;
    ASSERT_TRUE(WriteFileBytes(dir / "s.mp3", EncodeMp3(options).bytes));
    // A skip longer than the song leaves no samples at all.
    ASSERT_EQ(RunFrontEnd({"x", "--decode", "--silent", "--decode-mp3delay", "100000",
                           dir / "s.mp3", dir / "s.wav"}),
              0);
    Bytes wav = ReadFileBytes(dir / "s.wav");
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(ReadLE32(wav, 4), 36u);
    EXPECT_EQ(ReadLE32(wav, 40), 0u);

    ASSERT_TRUE(WriteFileBytes(dir / "e.wav", SimpleWave(1, 44100, 16, Bytes())));
    ASSERT_EQ(RunFrontEnd({"x", "--silent", dir / "e.wav", dir / "e.mp3"}), 0);
    EXPECT_GT(std::filesystem::file_size(dir / "e.mp3"), 0u);
}

TEST_F(FrontEndMainTest, TwoRunsInARowGiveTheSameBytes) {
    ASSERT_TRUE(
        WriteFileBytes(dir / "r.wav", SimpleWave(2, 44100, 16, ToneSecondsPcm16(3, 44100, 2))));
    MP3Handler handler;
    ASSERT_TRUE(handler.Encode(dir / "r.wav", dir / "1.mp3"));
    // A run in between that changes settings a parse resets, and one that fails.
    setenv("LAMEOPT", "--verbose -t --clipdetect --tt Title -q 0 nothing.wav", 1);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(handler.Decode(dir / "1.mp3", dir / "1.wav"));
    EXPECT_FALSE(handler.Decode(dir / "missing.mp3", dir / "2.wav"));
    testing::internal::GetCapturedStderr();
    unsetenv("LAMEOPT");
    ASSERT_TRUE(handler.Encode(dir / "r.wav", dir / "2.mp3"));
    EXPECT_EQ(ReadFileBytes(dir / "1.mp3"), ReadFileBytes(dir / "2.mp3"));
    EXPECT_EQ(frontend::settings.quietLevel, 10);
}

TEST_F(FrontEndMainTest, CancelDuringDecodingClosesBothFilesAndRaises) {
    Mp3Options options;
    options.seconds = 4;
    ASSERT_TRUE(WriteFileBytes(dir / "c.mp3", EncodeMp3(options).bytes));
    const int descriptors = OpenDescriptors();
    ui.SetProgressPosition(0);
    ui.onProcessMessages = [this](int calls) { ui.cancelFlag = calls >= 10; };
    try {
        MP3Handler().Decode(dir / "c.mp3", dir / "c.wav");
        ADD_FAILURE() << "no exception";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "Ringtone creation cancelled by user.");
    }
    EXPECT_EQ(ui.processCount, 10) << "the flag is tested after every frame";
    EXPECT_EQ(OpenDescriptors(), descriptors);
    Bytes partial = ReadFileBytes(dir / "c.wav");
    ASSERT_GT(partial.size(), 44u);
    EXPECT_EQ(ReadLE32(partial, 40), 0x7FFFFFFFu) << "the provisional header stays";
    ASSERT_FALSE(ui.positions.empty());
    EXPECT_TRUE(std::is_sorted(ui.positions.begin(), ui.positions.end()));
    EXPECT_LT(ui.positions.back(), 40);
}

TEST_F(FrontEndMainTest, CancelDuringEncodingClosesBothFilesAndRaises) {
    ASSERT_TRUE(
        WriteFileBytes(dir / "c.wav", SimpleWave(2, 44100, 16, ToneSecondsPcm16(4, 44100, 2))));
    const int descriptors = OpenDescriptors();
    ui.SetProgressPosition(40);
    ui.positions.clear();
    ui.onProcessMessages = [this](int calls) { ui.cancelFlag = calls >= 20; };
    EXPECT_THROW(MP3Handler().Encode(dir / "c.wav", dir / "c.mp3"), platform::Exception);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_GT(std::filesystem::file_size(dir / "c.mp3"), 0u);
    ASSERT_EQ(ui.positions.size(), 20u);
    EXPECT_GE(ui.positions.front(), 40);
    EXPECT_LT(ui.positions.back(), 100);
}

TEST_F(FrontEndMainTest, EachLoopMovesTheBarFromWhereItStandsToItsOwnEnd) {
    WriteShortSongs();
    struct Case {
        bool decode;
        int start;
        int end;
    } cases[] = {{true, 0, 40}, {true, 25, 40}, {false, 40, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (c.decode ? "decode from " : "encode from ") << c.start);
        ui.SetProgressPosition(c.start);
        ui.positions.clear();
        ASSERT_TRUE(c.decode ? MP3Handler().Decode(dir / "s.mp3", dir / "out.wav")
                             : MP3Handler().Encode(dir / "s.wav", dir / "out.mp3"));
        ASSERT_FALSE(ui.positions.empty());
        EXPECT_EQ(ui.positions.front(), c.start);
        EXPECT_TRUE(std::is_sorted(ui.positions.begin(), ui.positions.end()));
        EXPECT_LE(ui.positions.back(), c.end);
        EXPECT_GE(ui.positions.back(), c.end - (c.end - c.start) / 20);
    }
}

TEST(DeriveNogapOutputPath, PlacesEachOutputBesideItsInputOrInTheFolder) {
    struct Case {
        bool hasDirectory;
        const char* input;
        const char* directory;
        const char* output;
    } cases[] = {
        {false, "/m/a.wav", "", "/m/a.mp3"},
        {false, "/m/a.WAV", "", "/m/a.WAV.mp3"},
        {false, "/m/b.raw", "", "/m/b.raw.mp3"},
        {true, "/m/a.wav", "/out/", "/out/a.mp3"},
        {true, "/m/a.wav", "/out", "/out/a.mp3"},
        {true, "a.wav", "/out/", "/out/a.mp3"},
        {true, "a.wav", "/out", "/out/a.mp3"},
        // Backslashes and colons belong to names here, not to the folder.
        {true, "x\\a.wav", "/out", "/out/x\\a.mp3"},
        {true, "c:a.wav", "/out:", "/out:/c:a.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        std::string out = "previous";
        frontend::DeriveNogapOutputPath(c.hasDirectory, c.input, out, c.directory);
        EXPECT_EQ(out, c.output);
    }
}

TEST_F(FrontEndMainTest, GaplessBatchEncodesEveryFileAndStopsAtAnUnopenableOutput) {
    for (const char* name : {"one.wav", "two.wav"}) {
        ASSERT_TRUE(
            WriteFileBytes(dir / name, SimpleWave(2, 44100, 16, ToneSecondsPcm16(1, 44100, 2))));
    }
    ASSERT_EQ(RunFrontEnd({"x", "--silent", "--nogap", dir / "one.wav", dir / "two.wav"}), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "one.mp3"));
    EXPECT_TRUE(std::filesystem::exists(dir / "two.mp3"));

    std::filesystem::create_directories(dir / "out");
    ASSERT_EQ(RunFrontEnd({"x", "--silent", "--nogapout", dir / "out/", "--nogap", dir / "one.wav",
                           dir / "two.wav"}),
              0);
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        made.push_back(entry.path().filename().string());
    }
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, std::vector<std::string>({"one.mp3", "two.mp3"}));

    std::filesystem::remove(dir / "two.mp3");
    std::filesystem::create_directories(dir / "two.mp3/blocked");
    const int descriptors = OpenDescriptors();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunFrontEnd({"x", "--silent", "--nogap", dir / "one.wav", dir / "two.wav"}), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(OpenDescriptors(), descriptors);
}
