// MP3 songs end to end, through build/chimewick-mp3 and build/songsifter in console mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/AudioBuilders.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSuccessLine = "Information: The ringtone was successfully created!\n";

struct DecodedWave {
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> left;  // channel 0
};

ProcessResult Mp3Tool(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
    ProcessOptions options;
    options.setEnv = std::move(env);
    options.timeoutSeconds = 300;
    return RunProcess(ChimewickMp3Path(), args, options);
}

ProcessResult Songsifter(const std::string& song, std::vector<std::string> env = {},
                         const std::string& workingDir = "") {
    ProcessOptions options;
    options.setEnv = std::move(env);
    options.workingDir = workingDir;
    options.timeoutSeconds = 300;
    return RunProcess(SongsifterPath(), {song}, options);
}

// Makes an MP3 of the tone pattern (a new frequency every second) with chimewick-mp3.
void MakeToneSong(const std::string& mp3, int seconds, std::uint32_t rate, int channels,
                  const std::string& scratch) {
    std::string wav = scratch + "/source.wav";
    ASSERT_TRUE(WriteFileBytes(wav, SimpleWave(static_cast<std::uint16_t>(channels), rate, 16,
                                               ToneSecondsPcm16(seconds, rate, channels))));
    ProcessResult r = Mp3Tool({"--silent", wav, mp3});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::filesystem::remove(wav);
}

DecodedWave Decode(const std::string& mp3, const std::string& scratch) {
    DecodedWave d;
    std::string wav = scratch + "/decoded.wav";
    ProcessResult r = Mp3Tool({"--decode", "--silent", mp3, wav});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    Bytes bytes = ReadFileBytes(wav);
    if (bytes.size() < 44) {
        ADD_FAILURE() << "no WAVE file";
        return d;
    }
    d.channels = ReadLE16(bytes, 22);
    d.rate = static_cast<int>(ReadLE32(bytes, 24));
    EXPECT_EQ(ReadLE32(bytes, 40), bytes.size() - 44) << "the header carries the true size";
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2u * static_cast<std::size_t>(d.channels)) {
        d.left.push_back(static_cast<std::int16_t>(ReadLE16(bytes, i)));
    }
    std::filesystem::remove(wav);
    return d;
}

// Checks that second i of the decoded audio plays the tone of second first + i.
void ExpectTonesFrom(const DecodedWave& d, int first, int seconds) {
    for (int i = 0; i < seconds; ++i) {
        SCOPED_TRACE(::testing::Message() << "second " << i);
        // The middle half of each second: the MP3's smearing at the changes stays outside.
        auto begin = d.left.begin() + static_cast<long>(i) * d.rate + d.rate / 4;
        std::vector<std::int16_t> middle(begin, begin + d.rate / 2);
        EXPECT_NEAR(ZeroCrossingFrequency(middle, static_cast<std::uint32_t>(d.rate)),
                    ToneForSecond(first + i), 3.0);
    }
}

}  // namespace

TEST(Mp3Ringtone, ThreeMinuteSongGivesThirtySecondsFromSecondFifty) {
    TempDir music, scratch;
    std::string song = music / "song.mp3";
    MakeToneSong(song, 180, 44100, 2, scratch.path());
    ProcessResult r = Songsifter(song);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, kSuccessLine);
    EXPECT_EQ(music.List(), std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));

    DecodedWave d = Decode(music / "song_Chimewick_Ringtone.mp3", scratch.path());
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.rate, 44100);
    // 30 s, give or take one frame and the encoder's padding at the end.
    EXPECT_GE(d.left.size(), 30u * 44100);
    EXPECT_LE(d.left.size(), 30u * 44100 + 2 * 1152);
    ExpectTonesFrom(d, 50, 30);
}

TEST(Mp3Ringtone, MonoAndOtherSampleRatesKeepTheirShape) {
    struct Case {
        std::uint32_t rate;
        int channels;
    } cases[] = {{48000, 1}, {22050, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz, " << c.channels << " channel(s)");
        TempDir music, scratch;
        std::string song = music / "tune.mp3";
        MakeToneSong(song, 60, c.rate, c.channels, scratch.path());
        ProcessResult r = Songsifter(song);
        EXPECT_EQ(r.out, kSuccessLine);
        DecodedWave d = Decode(music / "tune_Chimewick_Ringtone.mp3", scratch.path());
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.rate, static_cast<int>(c.rate));
        ASSERT_GE(d.left.size(), 30u * c.rate);
        ExpectTonesFrom(d, 10, 30);  // a 60 s song starts at 10 s
    }
}

TEST(Mp3Ringtone, LameoptChangesTheRingtonesEncoding) {
    TempDir music, scratch;
    std::string song = music / "song.mp3";
    MakeToneSong(song, 60, 44100, 2, scratch.path());

    ProcessResult r = Songsifter(song, {"LAMEOPT=-b 64"});
    EXPECT_EQ(r.out, kSuccessLine);
    auto size = std::filesystem::file_size(music / "song_Chimewick_Ringtone.mp3");
    EXPECT_NEAR(static_cast<double>(size), 30 * 64000 / 8.0, 8000.0) << "a 64 kbit/s ringtone";

    r = Songsifter(song, {"LAMEOPT=--preset phone"});
    EXPECT_EQ(r.out, kSuccessLine);
    DecodedWave d = Decode(music / "song_Chimewick_Ringtone.mp3", scratch.path());
    EXPECT_EQ(d.channels, 1);
}

TEST(Mp3Ringtone, ASongThatCannotBeReachedFailsLikeAMissingOne) {
    TempDir music, scratch;
    MakeToneSong(music / "song.mp3", 40, 44100, 2, scratch.path());
    ASSERT_TRUE(WriteFileBytes(music / "notes.txt", Bytes(10, 'n')));
    // The same name in the folder the program starts in must not be taken instead.
    for (const std::string& path : {music / "missing.mp3", std::string("/nonexistent/dir/song.mp3"),
                                    music / "notes.txt/song.mp3"}) {
        SCOPED_TRACE(path);
        ProcessResult r = Songsifter(path, {}, music.path());
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, "Information: No ringtone was created.\n");
        EXPECT_EQ(music.List(), std::vector<std::string>({"notes.txt", "song.mp3"}));
    }
}

TEST(Mp3Tool, ResultCodesBecomeExitStatuses) {
    TempDir dir;
    std::string wav = dir / "a.wav";
    ASSERT_TRUE(WriteFileBytes(wav, SimpleWave(2, 44100, 16, ToneSecondsPcm16(1, 44100, 2))));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"same path", {wav, wav}, 255},
        {"same file by another name", {wav, dir.path() + "./a.wav"}, 255},
        {"no arguments", {}, 1},
        {"help", {"--help"}, 0},
        {"unknown short option", {"-j", wav}, 1},
        {"output cannot be opened", {wav, dir / "no/such/folder/a.mp3"}, 255},
        {"missing input", {dir / "missing.wav", dir / "out.mp3"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProcessResult r = Mp3Tool(c.args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exitStatus, c.status) << r.err;
    }
    EXPECT_EQ(ReadFileBytes(wav).size(), 44u + 4 * 44100) << "the input is never touched";
}

TEST(Mp3Tool, EncodesFromStandardInputToStandardOutput) {
    Bytes wav = SimpleWave(1, 22050, 16, ToneSecondsPcm16(2, 22050, 1));
    ProcessOptions options;
    options.stdinData.assign(wav.begin(), wav.end());
    ProcessResult r = RunProcess(ChimewickMp3Path(), {"--silent", "-", "-"}, options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    ASSERT_GT(r.out.size(), 1000u);
    EXPECT_EQ(static_cast<unsigned char>(r.out[0]), 0xFF) << "MP3 frames, no tag rewrite";
}

TEST(Mp3Tool, SummariesNeverMixIntoAudioOnStandardOutput) {
    TempDir dir;
    std::string wav = dir / "a.wav";
    ASSERT_TRUE(WriteFileBytes(wav, SimpleWave(2, 44100, 16, ToneSecondsPcm16(2, 44100, 2))));
    ASSERT_EQ(Mp3Tool({"--silent", wav, dir / "a.mp3"}).exitStatus, 0);
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::string input;
        const char* summary;
    } cases[] = {
        {"encode", {}, wav, "ReplayGain: "},
        {"encode with clipping report", {"--clipdetect"}, wav, "The waveform does not clip"},
        {"decode", {"--decode"}, dir / "a.mp3", "skipping initial"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> quiet = c.options;
        quiet.insert(quiet.end(), {"--silent", c.input, "-"});
        std::vector<std::string> talking = c.options;
        talking.insert(talking.end(), {c.input, "-"});
        ProcessResult silent = Mp3Tool(quiet);
        ProcessResult summarised = Mp3Tool(talking);
        EXPECT_EQ(summarised.exitStatus, 0) << summarised.err;
        ASSERT_GT(silent.out.size(), 1000u);
        EXPECT_TRUE(summarised.out == silent.out) << "the audio on standard output differs";
        EXPECT_NE(summarised.err.find(c.summary), std::string::npos) << summarised.err;
    }
}

TEST(Mp3Tool, AFileNamedDashIsNotStandardInput) {
    TempDir dir;
    Bytes wav = SimpleWave(1, 22050, 16, ToneSecondsPcm16(1, 22050, 1));
    ASSERT_TRUE(WriteFileBytes(dir / "-", Bytes(10, 'x')));
    ProcessOptions options;
    options.stdinData.assign(wav.begin(), wav.end());
    options.workingDir = dir.path();
    ProcessResult r = RunProcess(ChimewickMp3Path(), {"--silent", "-", "./-"}, options);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_GT(ReadFileBytes(dir / "-").size(), 1000u) << "the MP3 went into the file named -";
}

// Above 16 bits, and above two channels, sox and ffmpeg write extensible headers, and
// floating point as tag 3 or as the extensible float sub-format.
TEST(Mp3Tool, WavesOfOtherWritersEncodeAtTheirRateLengthAndPitch) {
    if (!HaveTool("sox") || !HaveTool("ffmpeg")) {
        GTEST_SKIP() << "needs sox and ffmpeg (scripts/setup installs them)";
    }
    constexpr int kSeconds = 3;
    auto sox = [](int rate, int channels, const std::string& encoding, int hz) {
        return "sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " " +
               encoding + " OUT synth " + std::to_string(kSeconds) + " sine " + std::to_string(hz) +
               " vol 0.5";
    };
    // ffmpeg's sine source plays at an eighth of full scale, 3 dB less on each of two
    // channels.
    auto ffmpeg = [](int rate, int channels, const std::string& codec, int hz) {
        return "ffmpeg -v error -y -f lavfi -i sine=frequency=" + std::to_string(hz) +
               ":sample_rate=" + std::to_string(rate) + ":duration=" + std::to_string(kSeconds) +
               " -ac " + std::to_string(channels) + " -c:a " + codec + " OUT";
    };
    struct Case {
        const char* name;
        std::string command;  // writes the song to OUT
        int rate;
        int channels;  // above two: refused
        int hz;
        double peak;  // of full scale
    } cases[] = {
        {"sox 24-bit stereo", sox(44100, 2, "-b 24", 440), 44100, 2, 440, 0.5},
        {"sox 32-bit mono", sox(48000, 1, "-b 32", 660), 48000, 1, 660, 0.5},
        {"sox float 32 stereo", sox(44100, 2, "-e floating-point -b 32", 550), 44100, 2, 550, 0.5},
        {"sox float 32 mono", sox(22050, 1, "-e floating-point -b 32", 330), 22050, 1, 330, 0.5},
        {"ffmpeg 24-bit mono", ffmpeg(48000, 1, "pcm_s24le", 880), 48000, 1, 880, 0.125},
        {"ffmpeg 32-bit stereo", ffmpeg(44100, 2, "pcm_s32le", 440), 44100, 2, 440, 0.088},
        {"ffmpeg float 32 stereo", ffmpeg(32000, 2, "pcm_f32le", 500), 32000, 2, 500, 0.088},
        {"ffmpeg float 64 mono", ffmpeg(44100, 1, "pcm_f64le", 770), 44100, 1, 770, 0.125},
        {"sox 24-bit 6 channels", sox(44100, 6, "-b 24", 440), 44100, 6, 440, 0},
        {"ffmpeg float 32 6 channels", ffmpeg(48000, 6, "pcm_f32le", 440), 48000, 6, 440, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string wav = dir / "song.wav";
        const std::string mp3 = dir / "song.mp3";
        std::string command = c.command;
        command.replace(command.find("OUT"), 3, "'" + wav + "'");
        ASSERT_TRUE(RunShell(command)) << command;
        if (c.channels > 2) {
            ProcessResult r = Mp3Tool({wav, mp3});
            EXPECT_NE(r.exitStatus, 0);
            EXPECT_NE(r.err.find("Unsupported number of channels: 6"), std::string::npos) << r.err;
            EXPECT_FALSE(std::filesystem::exists(mp3)) << "no MP3 of the raw bytes";
            continue;
        }
        ProcessResult r = Mp3Tool({"--silent", wav, mp3});
        ASSERT_EQ(r.exitStatus, 0) << r.err;
        DecodedWave d = Decode(mp3, dir.path());
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.rate, c.rate);
        const auto samples = static_cast<std::size_t>(kSeconds * c.rate);
        ASSERT_GE(d.left.size(), samples);
        EXPECT_LE(d.left.size(), samples + 2 * 1152);
        std::vector<std::int16_t> middle(d.left.begin() + c.rate, d.left.begin() + 2 * c.rate);
        EXPECT_NEAR(ZeroCrossingFrequency(middle, static_cast<std::uint32_t>(c.rate)), c.hz, 3.0);
        const int peak = *std::max_element(middle.begin(), middle.end(),
                                           [](int a, int b) { return std::abs(a) < std::abs(b); });
        EXPECT_NEAR(std::abs(peak) / 32768.0, c.peak, 0.15 * c.peak);
    }
}
