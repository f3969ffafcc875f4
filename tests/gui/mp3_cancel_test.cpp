// Cancel pressed in the real progress dialog while an MP3 song is converted, on each road
// an MP3 song can take: the excerpt road (the parameter true) and the whole-song road.
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "app/Mainform.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/Exception.h"
#include "platform/files.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

class Mp3Cancel : public GuiFixture, public ::testing::WithParamInterface<bool> {
protected:
    TempDir dir;
    std::string song;
    bool pressed = false;
    bool wholeSongDecoded = false;

    void SetUp() override {
        GuiFixture::SetUp();
        Mp3Options options;
        options.seconds = 40;
        song = dir / "song.mp3";
        ASSERT_TRUE(WriteFileBytes(song, EncodeMp3(options).bytes));
        FormMain->songFile = song;
        FormMain->startSeconds = -1;
        FormMain->lengthSeconds = 30;
        FormMain->excerptRoad = GetParam();
        PressCancelOnceBeyond(kNever);
    }

    void TearDown() override {
        EXPECT_EQ(wholeSongDecoded, !GetParam()) << "the run took the other road";
        GuiFixture::TearDown();
    }

    static constexpr int kNever = 100;

    // Presses Cancel once, from a timer the window system runs while the loops process
    // messages, as soon as the bar has passed from; notes whether the song was decoded
    // whole into a temporary WAVE file.
    void PressCancelOnceBeyond(int from) {
        ui.onProcessMessages = [this, from](int) {
            wholeSongDecoded = wholeSongDecoded || FormMain->tempWavePending;
            if (!pressed && ChimewickProgress->Progress->value() > from) {
                pressed = true;
                QTimer::singleShot(
                    0, [] { QTest::mouseClick(ChimewickProgress->cancelButton, Qt::LeftButton); });
            }
        };
    }
};

TEST_P(Mp3Cancel, YesStopsTheRunRemovesItsFilesAndKeepsTheEarlierRingtone) {
    const Bytes earlier(4000, 'e');
    struct Case {
        const char* name;
        int pressBeyond;
    } cases[] = {{"while decoding", 5}, {"while encoding", 76}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(dir / "song_Chimewick_Ringtone.mp3", earlier));
        pressed = false;
        ui.confirmAnswers = {true};
        PressCancelOnceBeyond(c.pressBeyond);
        EXPECT_EQ(RaisedBy(*FormMain), "Ringtone creation cancelled by user.");
        EXPECT_TRUE(pressed);
        EXPECT_FALSE(FormMain->tempWavePending);
        EXPECT_EQ(dir.List(),
                  std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
        EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3"), earlier);
        EXPECT_TRUE(ChimewickProgress->isVisible()) << "the caller hides it";
        ui.HideProgress();
    }

    // The next run goes to its end and replaces the earlier ringtone.
    PressCancelOnceBeyond(kNever);
    ui.messages.clear();
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({"The ringtone was successfully created!"}));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
    EXPECT_GT(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3").size(), 100000u);
}

TEST_P(Mp3Cancel, NoLetsTheWorkGoOnToTheEnd) {
    ui.confirmAnswers = {false};
    PressCancelOnceBeyond(20);
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(ChimewickProgress->cancelRequested);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({"Are you sure you wish to cancel this process?",
                                                    "The ringtone was successfully created!"}));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
}

TEST_P(Mp3Cancel, TwoRingtonesInARowAreIdentical) {
    EXPECT_EQ(RaisedBy(*FormMain), "");
    Bytes first = ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3");
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3"), first);
    EXPECT_GT(first.size(), 100000u);
}

INSTANTIATE_TEST_SUITE_P(Roads, Mp3Cancel, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& road) {
                             return road.param ? "ExcerptRoad" : "WholeSongRoad";
                         });
