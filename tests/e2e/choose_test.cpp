// Runs build/chimewick-choose as a script would: its exit statuses, its messages (those of
// songsifter's command-line mode), its help, refusals of bad values, several songs in one
// run, and fades that reach the ringtone.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "dialogs/Product.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSuccessLine = "Information: The ringtone was successfully created!\n";

ProcessResult Choose(const std::vector<std::string>& args) {
    return RunProcess(ChimewickChoosePath(), args);
}

// 16-bit stereo tone, 8000 frames a second, its pitch changing every second.
Bytes ToneSong(int seconds) { return SimpleWave(2, 8000, 16, ToneSecondsPcm16(seconds, 8000, 2)); }

// The 16-bit samples behind a 44-byte header, left channel first.
std::vector<std::int16_t> Samples16(const Bytes& wave) {
    std::vector<std::int16_t> samples;
    for (std::size_t i = 44; i + 1 < wave.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(ReadLE16(wave, i)));
    }
    return samples;
}

double Rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        sum += static_cast<double>(s[i]) * s[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

}  // namespace

TEST(ChooseConsole, PrintsSongsiftersMessagesAndExitsWithZeroOnlyForARingtone) {
    struct Case {
        const char* what;
        const char* name;
        Bytes song;  // empty: no file at all
        int status;
    } cases[] = {
        {"a WAVE song", "song.wav", ToneSong(60), 0},
        {"an MP3 song", "song.mp3", EncodeMp3({}).bytes, 0},
        {"an empty WAVE song", "song.wav", SimpleWave(1, 8000, 8, {}), 1},
        {"not a WAVE file", "song.wav", Bytes(100, 'x'), 1},
        {"no file", "song.mp3", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = c.name;
        TempDir ours, theirs;
        if (!c.song.empty()) {
            ASSERT_TRUE(WriteFileBytes(ours / name, c.song));
            ASSERT_TRUE(WriteFileBytes(theirs / name, c.song));
        }
        ProcessResult mine = Choose({ours / name});
        ProcessResult songsifter = RunProcess(SongsifterPath(), {theirs / name});
        EXPECT_EQ(mine.exitStatus, c.status);
        EXPECT_EQ(mine.out, songsifter.out);
        EXPECT_EQ(mine.err, "");
        EXPECT_EQ(ours.List(), theirs.List());
        for (const std::string& file : ours.List()) {
            EXPECT_TRUE(ReadFileBytes(ours / file) == ReadFileBytes(theirs / file)) << file;
        }
        EXPECT_EQ(mine.out == kSuccessLine, c.status == 0) << mine.out;
    }
}

TEST(ChooseConsole, HelpVersionAndNoArguments) {
    ProcessResult help = Choose({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.err, "");
    for (const char* text : {"Usage: chimewick-choose", "--start", "--length", "--fade-in",
                             "--fade-out", "--version", "1:10", "auto", "Exit status: 0"}) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    }
    ProcessResult version = Choose({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "chimewick-choose (Chimewick) " CHIMEWICK_VERSION "\n");
    EXPECT_EQ(Choose({"-h"}).out, help.out);

    ProcessResult none = Choose({});
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, help.out) << "the usage goes to standard error";
}

TEST(ChooseConsole, BadValuesAreRefusedWithTheirReasonAndNothingIsMade) {
    struct Case {
        std::vector<std::string> options;
        const char* says;
    } cases[] = {
        {{"--start", "1:75"}, "--start: \"1:75\" is not a time"},
        {{"--start", "-3"}, "cannot be negative"},
        {{"--start=abc"}, "--start: \"abc\" is not a time"},
        {{"--length", "0"}, "--length: A ringtone lasts at least one second."},
        {{"--length", "99999999999"}, "longer time than any song"},
        {{"--fade-in", "7"}, "--fade-in: \"7\" is not a fade length: fades last 0.5 to 5"},
        {{"--fade-out", "0.25"}, "--fade-out: \"0.25\" is not a fade length"},
        {{"--fade-in=-1"}, "\"-1\" is not a fade length"},
        {{"--fade-in", "1e0"}, "\"1e0\" is not a fade length"},
        {{"--fade-in", "inf"}, "\"inf\" is not a fade length"},
        {{"--loud"}, "unknown option --loud"},
        {{"--start", "10", "--length"}, "--length needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir / "song.wav", ToneSong(60)));
        std::vector<std::string> args = c.options;
        args.insert(args.begin(), dir / "song.wav");
        ProcessResult r = Choose(args);
        EXPECT_EQ(r.exitStatus, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("chimewick-choose: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Try 'chimewick-choose --help'."), std::string::npos);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"song.wav"});
    }
    ProcessResult noSong = Choose({"--start", "10"});
    EXPECT_EQ(noSong.exitStatus, 2);
    EXPECT_NE(noSong.err.find("no song given"), std::string::npos);
}

TEST(ChooseConsole, SeveralSongsEachGetTheirRingtoneAndOneFailureMakesTheStatusOne) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.wav", ToneSong(60)));
    ASSERT_TRUE(WriteFileBytes(dir / "b.wav", ToneSong(20)));
    ASSERT_TRUE(WriteFileBytes(dir / "--odd.wav", ToneSong(20)));
    ProcessResult all =
        Choose({"--start=0:05", "--length=0:10", dir / "a.wav", "--", dir / "b.wav", "--odd.wav"});
    // "--odd.wav" is a song after "--": it is looked for in the current folder and missing.
    EXPECT_EQ(all.exitStatus, 1);
    EXPECT_EQ(all.out, std::string(kSuccessLine) + kSuccessLine +
                           "Information: Error: This file could not be opened!\n"
                           "Information: There was a problem reading the song file. Could not "
                           "make ringtone.\n");
    EXPECT_EQ(ReadFileBytes(dir / "a_Chimewick_Ringtone.wav").size(), 44u + 10 * 8000 * 4);
    EXPECT_EQ(ReadFileBytes(dir / "b_Chimewick_Ringtone.wav").size(), 44u + 10 * 8000 * 4);

    ProcessResult good = Choose({"--length", "3", dir / "a.wav", dir / "--odd.wav"});
    EXPECT_EQ(good.exitStatus, 0);
    EXPECT_EQ(good.out, std::string(kSuccessLine) + kSuccessLine);
}

TEST(ChooseConsole, NotesThatIphonesRefuseRingtonesBeyondFortySeconds) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", ToneSong(120)));
    ProcessResult forty = Choose({"--length", "40", dir / "song.wav"});
    EXPECT_EQ(forty.err, "");
    ProcessResult longer = Choose({"--length", "41", dir / "song.wav"});
    EXPECT_EQ(longer.exitStatus, 0) << "nothing refuses it";
    EXPECT_EQ(longer.err,
              "chimewick-choose: note: iPhones refuse ringtones longer than 40 seconds.\n");
    EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.wav").size(), 44u + 41 * 8000 * 4);
}

TEST(ChooseConsole, FadesReachTheWaveAndTheMp3Ringtone) {
    Mp3Options song;
    song.seconds = 60;
    song.varied = true;
    struct Case {
        const char* song;
        Bytes bytes;
    } cases[] = {
        {"song.wav", ToneSong(60)},
        {"song.mp3", EncodeMp3(song).bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song);
        TempDir plain, faded;
        ASSERT_TRUE(WriteFileBytes(plain / c.song, c.bytes));
        ASSERT_TRUE(WriteFileBytes(faded / c.song, c.bytes));
        ASSERT_EQ(Choose({"--start", "20", "--length", "10", plain / c.song}).exitStatus, 0);
        ProcessResult r = Choose({"--start", "20", "--length", "10", "--fade-in", "1", "--fade-out",
                                  "2", faded / c.song});
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_EQ(r.out, kSuccessLine);
        const bool mp3 = std::string(c.song).find(".mp3") != std::string::npos;
        const std::string ringtone =
            mp3 ? "song_Chimewick_Ringtone.mp3" : "song_Chimewick_Ringtone.wav";
        EXPECT_EQ(faded.List(), plain.List());
        Bytes unfadedWave = ReadFileBytes(plain / ringtone);
        Bytes fadedWave = ReadFileBytes(faded / ringtone);
        if (mp3) {
            for (TempDir* dir : {&plain, &faded}) {
                ASSERT_EQ(RunProcess(ChimewickMp3Path(), {"--decode", "--silent", *dir / ringtone,
                                                          *dir / "decoded.wav"})
                              .exitStatus,
                          0);
            }
            unfadedWave = ReadFileBytes(plain / "decoded.wav");
            fadedWave = ReadFileBytes(faded / "decoded.wav");
        }
        const std::vector<std::int16_t> before = Samples16(unfadedWave);
        const std::vector<std::int16_t> after = Samples16(fadedWave);
        const std::size_t rate = mp3 ? 44100 : 8000;
        ASSERT_EQ(after.size(), before.size());
        ASSERT_GE(before.size(), 10 * rate * 2);
        const std::size_t tenMs = rate / 100 * 2;
        EXPECT_LT(Rms(after, 0, tenMs), Rms(before, 0, tenMs) / 100) << "40 dB quieter";
        EXPECT_LT(Rms(after, after.size() - tenMs, tenMs),
                  Rms(before, before.size() - tenMs, tenMs) / 100);
        if (!mp3) {
            EXPECT_TRUE(std::equal(before.begin() + 2 * 8000, before.end() - 4 * 8000,
                                   after.begin() + 2 * 8000))
                << "the middle is unchanged";
        }
    }
}

TEST(ChooseConsole, FadesOnACompressedWaveSongFailWithTheReasonAndLeaveNothing) {
    TempDir dir;
    const Bytes adpcm = RiffBuilder()
                            .chunk("fmt ", FmtBody(0x11, 1, 8000, 4))
                            .data(CountingBytes(60 * 4000))
                            .build();
    ASSERT_TRUE(WriteFileBytes(dir / "adpcm.wav", adpcm));
    ProcessResult faded = Choose({"--fade-in", "1", dir / "adpcm.wav"});
    EXPECT_EQ(faded.exitStatus, 1);
    EXPECT_EQ(faded.out,
              "Information: This song's audio cannot be faded: it is compressed (WAVE format "
              "17); fades need plain PCM or float samples. Could not make ringtone.\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"adpcm.wav"});
    ProcessResult plain = Choose({dir / "adpcm.wav"});
    EXPECT_EQ(plain.exitStatus, 0) << "the cut itself takes any format";
    EXPECT_EQ(ReadFileBytes(dir / "adpcm.wav"), adpcm);
}

// One song alone asks for the window; where none can be shown (no display, the offscreen
// platform, a display that cannot be opened) it makes the ringtone as a script's run would,
// and no arguments print the usage.
TEST(ChooseConsole, OneSongAloneWithoutAUsableDisplayMakesItsRingtone) {
    struct Case {
        const char* what;
        std::vector<std::string> env;
    } cases[] = {
        {"no display", {}},
        {"the offscreen platform", {"QT_QPA_PLATFORM=offscreen"}},
        {"a display that cannot be opened", {"DISPLAY=:987"}},
    };
    const std::string usage = Choose({"--help"}).out;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir / "song.wav", ToneSong(60)));
        ProcessOptions options;
        options.setEnv = c.env;
        ProcessResult made = RunProcess(ChimewickChoosePath(), {dir / "song.wav"}, options);
        EXPECT_EQ(made.exitStatus, 0) << made.err;
        EXPECT_EQ(made.out, kSuccessLine);
        EXPECT_TRUE(std::filesystem::exists(dir / "song_Chimewick_Ringtone.wav"));

        ProcessResult none = RunProcess(ChimewickChoosePath(), {}, options);
        EXPECT_EQ(none.exitStatus, 1);
        // Qt names a display it could not open before the program can quiet it, as for
        // songsifter; the usage follows.
        ASSERT_GE(none.err.size(), usage.size());
        EXPECT_EQ(none.err.substr(none.err.size() - usage.size()), usage);
    }
}
