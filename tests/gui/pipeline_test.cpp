#include <QProgressBar>
#include <filesystem>

#include "app/Mainform.h"
#include "app/Ringtonenames.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/Exception.h"
#include "platform/files.h"
#include "platform/process.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSuccess = "The ringtone was successfully created!";
const char* const kReadProblem =
    "There was a problem reading the song file. Could not make ringtone.";
const char* const kSnippetProblem =
    "There was a problem creating the ring tone. Could not make ringtone.";

struct ExitCalled {
    int status;
};

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

TEST_F(Pipeline, TruncatedAudioLeavesThePartialSnippetAndSaysSo) {
    std::string song = MakeWaveSong("cut.wav", 180);
    std::filesystem::resize_file(song, 44 + 60 * 8000);
    Select(song);
    EXPECT_EQ(RaisedBy(*FormMain), kSnippetProblem);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: could not read properly from wave file!"}));
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
    platform::SetExitInterceptor([](int status) { throw ExitCalled{status}; });
    int status = -1;
    try {
        FormMain->RunCommandLine(dir / "My Song.wav");
    } catch (const ExitCalled& e) {
        status = e.status;
    }
    platform::SetExitInterceptor(nullptr);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(platform::GetCurrentDir(), before);
    EXPECT_EQ(FormMain->songFile, "My Song.wav");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({kSuccess}));
    EXPECT_FALSE(ChimewickProgress->isVisible());
    EXPECT_TRUE(platform::FileExists(dir / "My Song_Chimewick_Ringtone.wav"));
}

TEST_F(Pipeline, CommandLineModeReportsFailuresInOrderAndStillExitsWithOne) {
    platform::SetExitInterceptor([](int status) { throw ExitCalled{status}; });
    int status = -1;
    try {
        FormMain->RunCommandLine(dir / "missing.wav");
    } catch (const ExitCalled& e) {
        status = e.status;
    }
    platform::SetExitInterceptor(nullptr);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: This file could not be opened!", kReadProblem}));
}

TEST_F(Pipeline, ExitingTheProcessDeletesAPendingTemporaryFile) {
    std::string leftover = dir / "x.mp3_TEMP.wav";
    ASSERT_TRUE(WriteFileBytes(leftover, Bytes(10, 0)));
    FormMain->tempWaveFile = leftover;
    FormMain->tempWavePending = true;
    platform::SetExitInterceptor([](int status) { throw ExitCalled{status}; });
    EXPECT_THROW(platform::ExitProcess(1), ExitCalled);
    platform::SetExitInterceptor(nullptr);
    EXPECT_FALSE(platform::FileExists(leftover));
}
