// What songsifter leaves in the song's folder when the folder holds traps (links, a named
// pipe), when two runs share a song, when a run fails, is stopped by a signal or killed
// outright, and for names that look like options or fill the file system's name limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const char* const kSuccessLine = "Information: The ringtone was successfully created!\n";
const char* const kCancelledLine = "Information: Ringtone creation cancelled by user.\n";

ProcessOptions InFolder(const std::string& dir, double timeoutSeconds = 300) {
    ProcessOptions options;
    options.workingDir = dir;
    options.timeoutSeconds = timeoutSeconds;
    return options;
}

ProcessResult Songsifter(const std::string& song, const ProcessOptions& options = {}) {
    return RunProcess(SongsifterPath(), {song}, options);
}

Bytes Mp3Song(int seconds) {
    Mp3Options options;
    options.seconds = seconds;
    return EncodeMp3(options).bytes;
}

// Frames with a CRC keep a song off the excerpt road: the whole song is decoded first.
Bytes WholeSongRoadMp3(int seconds) {
    Mp3Options options;
    options.seconds = seconds;
    options.crc = true;
    return EncodeMp3(options).bytes;
}

// Waits until an entry of dir satisfies found; false after the time limit.
template <typename Predicate>
bool WaitForEntry(const TempDir& dir, Predicate found, double seconds = 60) {
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& name : dir.List()) {
            if (found(name)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

bool IsTemporary(const std::string& name) { return name.find("_TEMP") != std::string::npos; }

bool EndsWith(const std::string& name, const std::string& tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

TEST(SafeOutputs, WhatSitsAtAnOutputNameIsReplacedNeverWrittenThrough) {
    struct Case {
        const char* name;
        const char* at;  // the name the trap is planted at
        bool pointsToSong;
        bool hardLink;
    } cases[] = {
        {"link from the ringtone to another file", "song_Chimewick_Ringtone.mp3", false, false},
        {"link from the temporary WAVE to another file", "song.mp3_TEMP.wav", false, false},
        {"link from the ringtone to the song", "song_Chimewick_Ringtone.mp3", true, false},
        {"hard link from the ringtone to the song", "song_Chimewick_Ringtone.mp3", true, true},
    };
    const Bytes song = Mp3Song(40);
    const Bytes victimBytes(5000, 'v');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir music, elsewhere;
        ASSERT_TRUE(WriteFileBytes(music / "song.mp3", song));
        ASSERT_TRUE(WriteFileBytes(elsewhere / "victim", victimBytes));
        std::string target = c.pointsToSong ? music / "song.mp3" : elsewhere / "victim";
        int made = c.hardLink ? link(target.c_str(), (music / c.at).c_str())
                              : symlink(target.c_str(), (music / c.at).c_str());
        ASSERT_EQ(made, 0);

        ProcessResult r = Songsifter(music / "song.mp3");
        EXPECT_EQ(r.out, kSuccessLine);
        EXPECT_EQ(ReadFileBytes(music / "song.mp3"), song);
        EXPECT_EQ(ReadFileBytes(elsewhere / "victim"), victimBytes);
        EXPECT_TRUE(IsRegularFile(music / "song_Chimewick_Ringtone.mp3"));
        EXPECT_GT(fs::file_size(music / "song_Chimewick_Ringtone.mp3"), 100000u);
    }
}

TEST(SafeOutputs, TwoRunsOnOneSongEachEndWithTheRightRingtoneOrAFailure) {
    TempDir music;
    ASSERT_TRUE(WriteFileBytes(music / "song.mp3", Mp3Song(120)));
    ProcessResult solo = Songsifter(music / "song.mp3");
    ASSERT_EQ(solo.out, kSuccessLine);
    const Bytes expected = ReadFileBytes(music / "song_Chimewick_Ringtone.mp3");
    const std::vector<std::string> onlyTheRingtone = {"song.mp3", "song_Chimewick_Ringtone.mp3"};

    // The second run starts late in the first one's decode (the excerpt's WAVE holds
    // 30 s, about 5.3 MB), then while the first one encodes.
    for (const char* second : {"decoding", "encoding"}) {
        SCOPED_TRACE(::testing::Message() << "second run starts while the first is " << second);
        fs::remove(music / "song_Chimewick_Ringtone.mp3");
        RunningProcess first = StartProcess(SongsifterPath(), {music / "song.mp3"});
        bool encoding = std::string(second) == "encoding";
        ASSERT_TRUE(WaitForEntry(music, [&](const std::string& name) {
            if (!IsTemporary(name)) {
                return false;
            }
            if (encoding) {
                return EndsWith(name, "_Chimewick_Ringtone.mp3");
            }
            std::error_code ignored;
            return EndsWith(name, ".wav") && fs::file_size(music / name, ignored) > 4000000u;
        }));
        RunningProcess other = StartProcess(SongsifterPath(), {music / "song.mp3"});
        for (ProcessResult r : {first.Wait(), other.Wait()}) {
            EXPECT_FALSE(r.timedOut);
            EXPECT_EQ(r.signal, 0);
            EXPECT_TRUE(r.out == kSuccessLine || r.out.rfind("Information: ", 0) == 0) << r.out;
        }
        EXPECT_EQ(music.List(), onlyTheRingtone);
        EXPECT_EQ(ReadFileBytes(music / "song_Chimewick_Ringtone.mp3"), expected);
    }
}

TEST(SafeOutputs, ANamedPipeInPlaceOfTheSongIsRefusedNotWaitedOn) {
    TempDir music;
    ASSERT_EQ(mkfifo((music / "song.mp3").c_str(), 0600), 0);
    ProcessResult r = Songsifter(music / "song.mp3", InFolder(music.path(), 30));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "Information: No ringtone was created.\n");
    EXPECT_EQ(music.List(), std::vector<std::string>({"song.mp3"}));
}

TEST(SafeOutputs, AFailedRunLeavesNoLitterAndKeepsTheEarlierRingtone) {
    TempDir music;
    Bytes song = SimpleWave(1, 8000, 8, CountingBytes(8000u * 180));
    ASSERT_TRUE(WriteFileBytes(music / "song.wav", song));
    const Bytes earlier(3000, 'e');
    ASSERT_TRUE(WriteFileBytes(music / "song_Chimewick_Ringtone.wav", earlier));
    // The data chunk promises three minutes; the file stops in the middle of the excerpt.
    fs::resize_file(music / "song.wav", 44 + 60 * 8000);
    ProcessResult r = Songsifter(music / "song.wav");
    EXPECT_EQ(r.out,
              "Information: Error: could not read properly from wave file!\n"
              "Information: There was a problem creating the ring tone. Could not make "
              "ringtone.\n");
    EXPECT_EQ(music.List(), std::vector<std::string>({"song.wav", "song_Chimewick_Ringtone.wav"}));
    EXPECT_EQ(ReadFileBytes(music / "song_Chimewick_Ringtone.wav"), earlier);
}

TEST(SafeOutputs, TerminationSignalsCancelTheRunAndRemoveItsFiles) {
    const Bytes song = Mp3Song(120);
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signalNumber));
        TempDir music;
        ASSERT_TRUE(WriteFileBytes(music / "song.mp3", song));
        RunningProcess run = StartProcess(SongsifterPath(), {music / "song.mp3"});
        ASSERT_TRUE(WaitForEntry(music, IsTemporary));
        run.Signal(signalNumber);
        ProcessResult r = run.Wait();
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, kCancelledLine);
        EXPECT_EQ(music.List(), std::vector<std::string>({"song.mp3"}));
    }
}

TEST(SafeOutputs, WhatARunKilledOutrightLeftGoesWithTheNextRunOnTheSong) {
    const Bytes song = WholeSongRoadMp3(180);
    const std::vector<std::string> onlyTheRingtone = {"song.mp3", "song_Chimewick_Ringtone.mp3"};
    struct Stage {
        const char* name;
        bool (*reached)(const std::string& entry);
    } stages[] = {
        {"decoding the whole song",
         [](const std::string& e) {
             return IsTemporary(e) && EndsWith(e, ".wav") &&
                    !EndsWith(e, "_Chimewick_Ringtone.wav");
         }},
        {"cutting the snippet",
         [](const std::string& e) {
             return IsTemporary(e) && EndsWith(e, "_Chimewick_Ringtone.wav");
         }},
        {"encoding the ringtone",
         [](const std::string& e) {
             return IsTemporary(e) && EndsWith(e, "_Chimewick_Ringtone.mp3");
         }},
    };
    for (const auto& stage : stages) {
        SCOPED_TRACE(stage.name);
        TempDir music;
        ASSERT_TRUE(WriteFileBytes(music / "song.mp3", song));
        // A run that ends on its own before the kill lands proves nothing; try again.
        ProcessResult killed;
        for (int attempt = 0; attempt < 5 && killed.signal != SIGKILL; ++attempt) {
            RunningProcess run = StartProcess(SongsifterPath(), {music / "song.mp3"});
            ASSERT_TRUE(WaitForEntry(music, stage.reached));
            run.Signal(SIGKILL);
            killed = run.Wait();
            fs::remove(music / "song_Chimewick_Ringtone.mp3");
        }
        ASSERT_EQ(killed.signal, SIGKILL);
        ASSERT_GT(music.List().size(), 1u) << "the killed run left its files";

        ProcessResult next = Songsifter(music / "song.mp3");
        EXPECT_EQ(next.out, kSuccessLine);
        EXPECT_EQ(music.List(), onlyTheRingtone);
        EXPECT_EQ(ReadFileBytes(music / "song.mp3"), song);
    }
}

TEST(SafeOutputs, ARunStartingBesideALiveOneLeavesItsFilesAlone) {
    TempDir music;
    ASSERT_TRUE(WriteFileBytes(music / "song.mp3", WholeSongRoadMp3(180)));
    // The first run's files are being written anew: its whole song decoded, its ringtone.
    for (const char* tail : {".wav", "_Chimewick_Ringtone.mp3"}) {
        SCOPED_TRACE(tail);
        RunningProcess first = StartProcess(SongsifterPath(), {music / "song.mp3"});
        ASSERT_TRUE(WaitForEntry(music, [&](const std::string& name) {
            std::error_code ignored;
            return IsTemporary(name) && EndsWith(name, tail) &&
                   fs::file_size(music / name, ignored) > 0;
        }));
        ProcessResult other = Songsifter(music / "song.mp3");
        EXPECT_EQ(first.Wait().out, kSuccessLine);
        EXPECT_EQ(other.out, kSuccessLine);
        EXPECT_EQ(music.List(),
                  std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
    }
}

TEST(SafeOutputs, TheNextRunSparesHeldFilesOtherSongsFilesAndLookAlikes) {
    TempDir music, elsewhere;
    ASSERT_TRUE(
        WriteFileBytes(music / "song.wav", SimpleWave(1, 8000, 8, CountingBytes(8000u * 40))));
    const Bytes planted(1000, 'x');
    const std::vector<std::string> leftovers = {"song.wav_TEMPAbc123.wav",
                                                "song.wav_TEMP0zZ9aA_Chimewick_Ringtone.wav"};
    const std::vector<std::string> kept = {
        "song.wav_TEMPHe1d00.wav",       // held, as a live run holds its files
        "song.wav.wav_TEMPAbc123.wav",   // another song's
        "othersong.wav_TEMPAbc123.wav",  // another song's
        "song.wav_TEMPAbc12.wav",        // not our names: too few letters,
        "song.wav_TEMPAbc123.mp3",       // another ending
    };
    for (const auto& name : leftovers) {
        ASSERT_TRUE(WriteFileBytes(music / name, planted));
    }
    for (const auto& name : kept) {
        ASSERT_TRUE(WriteFileBytes(music / name, planted));
    }
    int held = open((music / kept[0]).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // Our names, but no files a run made.
    ASSERT_TRUE(WriteFileBytes(elsewhere / "target", planted));
    ASSERT_EQ(symlink((elsewhere / "target").c_str(), (music / "song.wav_TEMPL1nk00.wav").c_str()),
              0);
    ASSERT_EQ(mkdir((music / "song.wav_TEMPF0lder.wav").c_str(), 0777), 0);
    ASSERT_EQ(mkfifo((music / "song.wav_TEMPP1pe00.wav").c_str(), 0600), 0);

    ProcessResult r = Songsifter(music / "song.wav", InFolder(music.path(), 60));
    close(held);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.out, kSuccessLine);
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(),
                    {"song.wav", "song_Chimewick_Ringtone.wav", "song.wav_TEMPL1nk00.wav",
                     "song.wav_TEMPF0lder.wav", "song.wav_TEMPP1pe00.wav"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(music.List(), expected);
    for (const auto& name : kept) {
        EXPECT_EQ(ReadFileBytes(music / name), planted) << name;
    }
    EXPECT_EQ(ReadFileBytes(elsewhere / "target"), planted);
}

TEST(SafeOutputs, WithAWindowSystemATerminationSignalRemovesTheRunsFilesAndEnds) {
    if (access("/usr/bin/Xvfb", X_OK) != 0) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    // A display number of its own, so parallel tests do not meet on one server.
    std::string display = ":" + std::to_string(200 + getpid() % 600);
    RunningProcess server =
        StartProcess("/usr/bin/Xvfb", {display, "-nolisten", "tcp", "-screen", "0", "800x600x24"});
    std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
    for (int i = 0; i < 500 && access(socket.c_str(), F_OK) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(access(socket.c_str(), F_OK), 0) << "Xvfb did not start";

    const Bytes song = Mp3Song(120);
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signalNumber));
        TempDir music;
        ASSERT_TRUE(WriteFileBytes(music / "song.mp3", song));
        ProcessOptions options;
        options.setEnv = {"DISPLAY=" + display};
        options.timeoutSeconds = 60;
        RunningProcess run = StartProcess(SongsifterPath(), {music / "song.mp3"}, options);
        ASSERT_TRUE(WaitForEntry(music, IsTemporary));
        run.Signal(signalNumber);
        ProcessResult r = run.Wait();
        EXPECT_FALSE(r.timedOut) << "a message box waited for an answer";
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, "") << "console mode would have printed the cancellation";
        EXPECT_EQ(music.List(), std::vector<std::string>({"song.mp3"}));
    }
    server.Signal(SIGTERM);
}

TEST(SafeOutputs, SongNamesThatLookLikeOptionsOrFillTheNameLimitWork) {
    const Bytes mp3 = Mp3Song(40);
    const Bytes wave = SimpleWave(1, 8000, 8, CountingBytes(8000u * 40));
    std::string longest(251, 'a');
    std::string accented;
    while (accented.size() < 250) {
        accented += "é";
    }
    struct Case {
        std::string song;
        const Bytes& bytes;
    } cases[] = {
        {"-song.mp3", mp3},
        {"--decode.mp3", mp3},
        {longest + ".mp3", mp3},
        {accented + "x.mp3", mp3},
        {longest.substr(0, 243) + ".mp3", mp3},
        {accented + "x.wav", wave},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.song);
        TempDir music;
        ASSERT_TRUE(WriteFileBytes(music / c.song, c.bytes));
        // Given as a bare name, so a leading '-' reaches the front end as it is.
        ProcessResult r = Songsifter(c.song, InFolder(music.path()));
        EXPECT_EQ(r.out, kSuccessLine);
        std::vector<std::string> names = music.List();
        EXPECT_EQ(names.size(), 2u);
        std::string ringtone = names.size() == 2 && names[0] == c.song ? names[1] : names[0];
        std::string extension = c.song.substr(c.song.size() - 4);
        EXPECT_NE(ringtone.find("_Chimewick_Ringtone" + extension), std::string::npos) << ringtone;
        EXPECT_EQ(ReadFileBytes(music / c.song), c.bytes);
    }
}

TEST(SafeOutputs, TheConsoleToolStillWritesWhereItsUserPoints) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.wav", SimpleWave(1, 22050, 16, Bytes(44100, 0))));
    ASSERT_TRUE(WriteFileBytes(dir / "kept.mp3", Bytes(10, 'k')));
    ASSERT_EQ(symlink((dir / "kept.mp3").c_str(), (dir / "out.mp3").c_str()), 0);
    ProcessResult r = RunProcess(ChimewickMp3Path(), {"--silent", dir / "a.wav", dir / "out.mp3"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "out.mp3"));
    EXPECT_GT(fs::file_size(dir / "kept.mp3"), 1000u);
}
