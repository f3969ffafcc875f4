#include <QProgressBar>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/Mainform.h"
#include "app/Ringtonenames.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/Exception.h"
#include "platform/files.h"
#include "platform/process.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/ExitStatus.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSuccess = "The ringtone was successfully created!";
const char* const kReadProblem =
    "There was a problem reading the song file. Could not make ringtone.";
const char* const kSnippetProblem =
    "There was a problem creating the ring tone. Could not make ringtone.";
const char* const kSnippetExists =
    "Error: The snippet file already exists and could not be deleted!";

// 125 two-byte characters: cutting at an odd byte count would split one.
std::string Accented250() {
    std::string accented;
    while (accented.size() < 250) {
        accented += "é";
    }
    return accented;
}

}  // namespace

TEST(RingtoneRange, FollowsTheRangeRule) {
    struct Case {
        int d, start, length, startUsed, lengthUsed;
    } cases[] = {
        {180, -1, 30, 50, 30},  {180, 170, 30, 170, 9},  {180, 177, 30, 177, 2},
        {180, 178, 30, 50, 30}, {180, 1000, 30, 50, 30}, {45, -1, 30, 5, 30},
        {30, -1, 30, 0, 29},    {29, -1, 30, -1, 29},    {20, -1, 30, -1, 20},
        {0, -1, 30, -1, 0},     {180, 0, 999, 0, 179},   {180, 90, 30, 90, 30},
        {180, -3, 30, 50, 30},  {2, -1, 30, -1, 2},      {3, 0, 30, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "d=" << c.d << " start=" << c.start);
        RingtoneRange r = ChooseRingtoneRange(c.d, c.start, c.length);
        EXPECT_EQ(r.start, c.startUsed);
        EXPECT_EQ(r.length, c.lengthUsed);
        if (r.start >= 0) {
            EXPECT_LE(r.start + r.length, c.d - 1) << "a chosen range ends a second early";
        }
    }
}

TEST(RingtoneNames, InsertTheSuffixBeforeTheLastFourCharactersOfTheName) {
    struct Case {
        const char* song;
        bool mp3;
        const char* ringtone;
    } cases[] = {
        {"song.mp3", true, "song_Chimewick_Ringtone.mp3"},
        {"song.wav", false, "song_Chimewick_Ringtone.wav"},
        {"song.mp3_TEMP.wav", false, "song.mp3_TEMP_Chimewick_Ringtone.wav"},
        {"SONG.MP3", true, "SONG_Chimewick_Ringtone.MP3"},
        {"Song.Mp3", true, "Song_Chimewick_Ringtone.Mp3"},
        {"/old.mp3s/song.wav", false, "/old.mp3s/song_Chimewick_Ringtone.wav"},
        {"/m/song.mp3.wav", false, "/m/song.mp3_Chimewick_Ringtone.wav"},
        {"/music/a.b", false, "/music/_Chimewick_Ringtonea.b"},
        {"/My Music/été 日本.mp3", true, "/My Music/été 日本_Chimewick_Ringtone.mp3"},
        {"mp3", false, "_Chimewick_Ringtonemp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.song);
        EXPECT_EQ(IsMp3Song(c.song), c.mp3);
        EXPECT_EQ(InsertRingtoneSuffix(c.song), c.ringtone);
    }
}

TEST(RingtoneNames, NamesThatWouldPassTheFileSystemsLimitAreCutBetweenCharacters) {
    const std::string a250(250, 'a');
    const std::string accented = Accented250();
    struct Case {
        std::string song;
        std::string ringtone;       // at a limit of 255 bytes
        std::string temporaryStem;  // reserving 29 bytes behind it
    } cases[] = {
        {"/m/song.mp3", "/m/song_Chimewick_Ringtone.mp3", "/m/song.mp3_TEMP"},
        {std::string(232, 'a') + ".mp3", std::string(232, 'a') + "_Chimewick_Ringtone.mp3",
         std::string(221, 'a') + "_TEMP"},
        {a250 + "x.mp3", std::string(232, 'a') + "_Chimewick_Ringtone.mp3",
         std::string(221, 'a') + "_TEMP"},
        {accented + "x.wav", accented.substr(0, 232) + "_Chimewick_Ringtone.wav",
         accented.substr(0, 220) + "_TEMP"},
        // Named like its own shortened ringtone: the ringtone must not take the song's name.
        {std::string(232, 'a') + "_Chimewick_Ringtone.mp3",
         std::string(231, 'a') + "_Chimewick_Ringtone.mp3", std::string(221, 'a') + "_TEMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.song);
        EXPECT_EQ(RingtoneFileName(c.song, 255), c.ringtone);
        EXPECT_EQ(TemporaryNameStem(c.song, 29, 255), c.temporaryStem);
    }
}

TEST(RingtoneNames, OnlyTheNamesARunGivesItsTemporariesCountAsTheSongsLeftovers) {
    const std::string a221(221, 'a');
    const std::string accented = Accented250();
    struct Case {
        std::string song;
        std::string name;  // in the song's folder, at a limit of 255 bytes
        bool leftover;
    } cases[] = {
        {"/m/song.mp3", "song.mp3_TEMPAbc123.wav", true},
        {"/m/song.mp3", "song.mp3_TEMPzZ09aB_Chimewick_Ringtone.wav", true},
        {"/m/song.mp3", "song.mp3_TEMPzZ09aB_Chimewick_Ringtone.mp3", true},
        {"song.mp3", "song.mp3_TEMP000000.wav", true},
        {"/m/song.mp3", "song.mp3_TEMPAbc12.wav", false},
        {"/m/song.mp3", "song.mp3_TEMPAbc1234.wav", false},
        {"/m/song.mp3", "song.mp3_TEMPAb-123.wav", false},
        {"/m/song.mp3", "song.mp3_TEMP.wav", false},
        {"/m/song.mp3", "song.mp3_TEMPAbc123.mp3", false},
        {"/m/song.mp3", "song.mp3_TEMPAbc123.WAV", false},
        {"/m/song.mp3", "song.mp3_TEMPAbc123_Chimewick_Ringtone.mp3.part", false},
        {"/m/song.mp3", "song.mp3.mp3_TEMPAbc123.wav", false},
        {"/m/song.mp3.mp3", "song.mp3_TEMPAbc123.wav", false},
        {"/m/song.mp3", "othersong.mp3_TEMPAbc123.wav", false},
        {"/m/song.mp3", "ong.mp3_TEMPAbc123.wav", false},
        {"/m/song.mp3", "song_Chimewick_Ringtone.mp3", false},
        {"/m/", "_TEMPAbc123.wav", false},
        // Long names share the stem cut short, and only that one.
        {std::string(232, 'a') + ".mp3", a221 + "_TEMPAbc123.wav", true},
        {std::string(232, 'a') + ".mp3", std::string(232, 'a') + ".mp3_TEMPAbc123.wav", false},
        {accented + "x.mp3", accented.substr(0, 220) + "_TEMPAbc123_Chimewick_Ringtone.mp3", true},
        // A song and a ringtone whose long names look like the song's own temporaries.
        {a221 + "_TEMPAbc123_Chimewick_Ringtone.wav", a221 + "_TEMPAbc123_Chimewick_Ringtone.wav",
         false},
        {a221 + "_TEMPAbc123.mp3", a221 + "_TEMPAbc123_Chimewick_Ringtone.mp3", false},
        {a221 + "_TEMPAbc123.mp3", a221 + "_TEMPXyz789_Chimewick_Ringtone.mp3", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.song + " / " + c.name);
        EXPECT_EQ(IsRunTemporaryName(c.song, c.name, 255), c.leftover);
    }
}

class Pipeline : public GuiFixture {
protected:
    TempDir dir;

    // A WAVE song whose byte i of audio is recognisable, lasting seconds at 8000 bytes/s.
    std::string MakeWaveSong(const std::string& name, int seconds) {
        std::string path = dir / name;
        EXPECT_TRUE(WriteFileBytes(path, SimpleWave(1, 8000, 8, CountingBytes(8000u * seconds))));
        return path;
    }
    void Select(const std::string& song, int start = -1, int length = 30) {
        FormMain->songFile = song;
        FormMain->startSeconds = start;
        FormMain->lengthSeconds = length;
    }
};

TEST_F(Pipeline, WaveSongBecomesSecondsFiftyToEightyWithTheBarAtEachStep) {
    Bytes audio = CountingBytes(8000u * 180);
    std::string song = dir / "song.wav";
    ASSERT_TRUE(WriteFileBytes(song, SimpleWave(1, 8000, 8, audio)));
    Select(song);
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({kSuccess}));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.wav", "song_Chimewick_Ringtone.wav"}));
    Bytes ringtone = ReadFileBytes(dir / "song_Chimewick_Ringtone.wav");
    ASSERT_EQ(ringtone.size(), 44u + 30 * 8000);
    EXPECT_TRUE(std::equal(ringtone.begin() + 44, ringtone.end(), audio.begin() + 50 * 8000));

    ASSERT_GE(ui.positions.size(), 4u);
    EXPECT_EQ(ui.positions.front(), 0);
    EXPECT_EQ(ui.positions[1], 40);
    EXPECT_EQ(ui.positions.back(), 100);
    std::vector<int> copying(ui.positions.begin() + 2, ui.positions.end() - 1);
    EXPECT_TRUE(std::is_sorted(copying.begin(), copying.end()));
    EXPECT_GE(copying.front(), 40);
    EXPECT_LT(copying.back(), 75);
    EXPECT_EQ(ui.showCount, 1);
    EXPECT_TRUE(ChimewickProgress->isVisible()) << "the caller hides the dialog";
    EXPECT_EQ(ChimewickProgress->Progress->value(), 100);
}

TEST_F(Pipeline, MainWindowIsDisabledWhileTheDialogIsUp) {
    Select(MakeWaveSong("song.wav", 40));
    FormMain->show();
    EXPECT_TRUE(FormMain->isEnabled());
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_FALSE(FormMain->isEnabled()) << "still showing the result";
    ui.HideProgress();
    EXPECT_TRUE(FormMain->isEnabled());
}

TEST_F(Pipeline, RequestedStartAndLengthAreClippedToTheSong) {
    Select(MakeWaveSong("song.wav", 180), 170, 30);
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.wav").size(), 44u + 9 * 8000);
    EXPECT_EQ(FormMain->startSeconds, 170) << "the pipeline works on copies";
    EXPECT_EQ(FormMain->lengthSeconds, 30);
}

TEST_F(Pipeline, ShortSongIsCutFromItsFirstByte) {
    Select(MakeWaveSong("short.wav", 20));
    EXPECT_EQ(RaisedBy(*FormMain), "");
    Bytes ringtone = ReadFileBytes(dir / "short_Chimewick_Ringtone.wav");
    Bytes song = ReadFileBytes(dir / "short.wav");
    EXPECT_EQ(ringtone.size(), song.size());
    EXPECT_TRUE(std::equal(ringtone.begin() + 44, ringtone.end(), song.begin() + 44));
}

TEST_F(Pipeline, RunningTwiceReplacesTheEarlierRingtone) {
    Select(MakeWaveSong("song.wav", 90), 10, 5);
    EXPECT_EQ(RaisedBy(*FormMain), "");
    FormMain->lengthSeconds = 3;
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.wav").size(), 44u + 3 * 8000);
}

TEST_F(Pipeline, UnreadableSongShowsTwoMessagesAndHidesTheDialog) {
    std::string song = dir / "fake.wav";
    ASSERT_TRUE(WriteFileBytes(song, Bytes(100, 'x')));
    Select(song);
    EXPECT_EQ(RaisedBy(*FormMain), kReadProblem);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: The input file is not a valid Sound File!"}));
    EXPECT_FALSE(ChimewickProgress->isVisible());
    EXPECT_EQ(dir.List(), std::vector<std::string>({"fake.wav"}));
}

TEST_F(Pipeline, ZeroLengthSongIsRefusedByTheSnippetWriter) {
    Select(MakeWaveSong("empty.wav", 0));
    EXPECT_EQ(RaisedBy(*FormMain), kSnippetProblem);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: The snippet must have positive length!"}));
    EXPECT_FALSE(ChimewickProgress->isVisible());
}

TEST_F(Pipeline, TruncatedAudioLeavesNoPartialRingtoneAndSaysSo) {
    std::string song = MakeWaveSong("cut.wav", 180);
    std::filesystem::resize_file(song, 44 + 60 * 8000);
    Select(song);
    EXPECT_EQ(RaisedBy(*FormMain), kSnippetProblem);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: could not read properly from wave file!"}));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"cut.wav"}));
}

TEST_F(Pipeline, AWriteProtectedEarlierRingtoneIsRefusedNotReplaced) {
    Mp3Options fortySeconds;
    fortySeconds.seconds = 40;
    struct Case {
        const char* song;
        Bytes bytes;
        const char* ringtone;
    } cases[] = {
        {"song.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 40)),
         "song_Chimewick_Ringtone.wav"},
        {"song.mp3", EncodeMp3(fortySeconds).bytes, "song_Chimewick_Ringtone.mp3"},
    };
    const Bytes earlier(3000, 'e');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.song);
        ui.messages.clear();
        ASSERT_TRUE(WriteFileBytes(dir / c.song, c.bytes));
        ASSERT_TRUE(WriteFileBytes(dir / c.ringtone, earlier));
        // No write permission for anybody holds back the super-user too.
        ASSERT_EQ(chmod((dir / c.ringtone).c_str(), 0444), 0);
        Select(dir / c.song);
        EXPECT_EQ(RaisedBy(*FormMain), kSnippetProblem);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>({kSnippetExists}));
        EXPECT_EQ(ReadFileBytes(dir / c.ringtone), earlier);
        EXPECT_EQ(dir.List(), std::vector<std::string>({c.song, c.ringtone}));
        std::filesystem::remove(dir / c.song);
        std::filesystem::remove(dir / c.ringtone);
    }
}

TEST_F(Pipeline, FailuresAfterAGoodDecodeRemoveEveryFileOfTheRun) {
    Mp3Options fortySeconds, underASecond;
    fortySeconds.seconds = 40;
    underASecond.seconds = 0;
    underASecond.extraSamples = 20000;
    enum class Trouble { None, GarbageForTheDecodedWave, FullDiskWhileEncoding };
    struct Case {
        const char* name;
        Bytes song;
        Trouble trouble;
        const char* raised;
        std::vector<std::string> shown;
    } cases[] = {
        {"header: the decoded file is not a WAVE",
         EncodeMp3(fortySeconds).bytes,
         Trouble::GarbageForTheDecodedWave,
         kReadProblem,
         {"Error: The input file is not a valid Sound File!"}},
        {"snippet: not a whole second of audio",
         EncodeMp3(underASecond).bytes,
         Trouble::None,
         kSnippetProblem,
         {"Error: The snippet must have positive length!"}},
        {"encode: the disk fills up",
         EncodeMp3(fortySeconds).bytes,
         Trouble::FullDiskWhileEncoding,
         "No ringtone was created.",
         {}},
    };
    const Bytes earlier(3000, 'e');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        ASSERT_TRUE(WriteFileBytes(dir / "song.mp3", c.song));
        ASSERT_TRUE(WriteFileBytes(dir / "song_Chimewick_Ringtone.mp3", earlier));
        Select(dir / "song.mp3");
        // Only the whole-song road decodes into a WAVE file that is read back.
        FormMain->excerptRoad = c.trouble != Trouble::GarbageForTheDecodedWave;
        rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        bool troubled = false;
        ui.onProcessMessages = [&](int) {
            int bar = ChimewickProgress->Progress->value();
            if (troubled || c.trouble == Trouble::None) {
                return;
            }
            if (c.trouble == Trouble::GarbageForTheDecodedWave && bar > 5) {
                // The decoder goes on writing the file it opened; the name now holds junk.
                for (const auto& name : dir.List()) {
                    if (name.find("_TEMP") != std::string::npos) {
                        std::filesystem::remove(dir / name);
                        troubled = WriteFileBytes(dir / name, Bytes(100, 'x'));
                    }
                }
            } else if (c.trouble == Trouble::FullDiskWhileEncoding && bar > 76) {
                // A file-size limit set once the encoder writes stands in for a full disk.
                signal(SIGXFSZ, SIG_IGN);
                rlimit full{1, saved.rlim_max};
                troubled = setrlimit(RLIMIT_FSIZE, &full) == 0;
            }
        };
        std::string raised = RaisedBy(*FormMain);
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_DFL);
        ui.onProcessMessages = nullptr;
        EXPECT_EQ(troubled, c.trouble != Trouble::None);
        EXPECT_EQ(raised, c.raised);
        EXPECT_EQ(ui.Texts(), c.shown);
        EXPECT_FALSE(FormMain->tempWavePending);
        EXPECT_EQ(dir.List(),
                  std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
        EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3"), earlier);
    }
}

TEST_F(Pipeline, Mp3SongThatCannotBeConvertedLeavesNothingBehind) {
    std::string song = dir / "SONG.MP3";
    ASSERT_TRUE(WriteFileBytes(song, Bytes(5000, 0xFF)));
    Select(song);
    EXPECT_EQ(RaisedBy(*FormMain), "No ringtone was created.");
    EXPECT_FALSE(FormMain->tempWavePending);
    EXPECT_EQ(dir.List(), std::vector<std::string>({"SONG.MP3"}));
    EXPECT_TRUE(ChimewickProgress->isVisible());
}

TEST_F(Pipeline, LeftoverTemporaryFileGoesAtTheNextRunAndAtDestruction) {
    std::string leftover = dir / "old.mp3_TEMP.wav";
    ASSERT_TRUE(WriteFileBytes(leftover, Bytes(10, 0)));
    FormMain->tempWaveFile = leftover;
    FormMain->tempWavePending = true;
    Select(MakeWaveSong("song.wav", 40));
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_FALSE(platform::FileExists(leftover));
    EXPECT_FALSE(FormMain->tempWavePending);

    ASSERT_TRUE(WriteFileBytes(leftover, Bytes(10, 0)));
    FormMain->tempWaveFile = leftover;
    FormMain->tempWavePending = true;
    DestroyWindows();
    EXPECT_FALSE(platform::FileExists(leftover));
    CreateWindows();
}

TEST_F(Pipeline, CommandLineModeWorksInTheSongsFolderAndEndsWithStatusOne) {
    MakeWaveSong("My Song.wav", 100);
    std::string before = platform::GetCurrentDir();
    EXPECT_EQ(ExitStatusOf([&] { FormMain->RunCommandLine(dir / "My Song.wav"); }), 1);
    EXPECT_EQ(platform::GetCurrentDir(), before);
    EXPECT_EQ(FormMain->songFile, "My Song.wav");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({kSuccess}));
    EXPECT_FALSE(ChimewickProgress->isVisible());
    EXPECT_TRUE(platform::FileExists(dir / "My Song_Chimewick_Ringtone.wav"));
}

TEST_F(Pipeline, CommandLineModeReportsFailuresInOrderAndStillExitsWithOne) {
    EXPECT_EQ(ExitStatusOf([&] { FormMain->RunCommandLine(dir / "missing.wav"); }), 1);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: This file could not be opened!", kReadProblem}));
}

TEST_F(Pipeline, ExitingTheProcessDeletesAPendingTemporaryFile) {
    std::string leftover = dir / "x.mp3_TEMP.wav";
    ASSERT_TRUE(WriteFileBytes(leftover, Bytes(10, 0)));
    FormMain->tempWaveFile = leftover;
    FormMain->tempWavePending = true;
    EXPECT_EQ(ExitStatusOf([] { platform::ExitProcess(1); }), 1);
    EXPECT_FALSE(platform::FileExists(leftover));
}
