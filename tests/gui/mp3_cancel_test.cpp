// Cancel pressed in the real progress dialog while an MP3 song is converted.
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

class Mp3Cancel : public GuiFixture {
protected:
    TempDir dir;
    std::string song;
    bool pressed = false;

    void SetUp() override {
        GuiFixture::SetUp();
        Mp3Options options;
        options.seconds = 40;
        song = dir / "song.mp3";
        ASSERT_TRUE(WriteFileBytes(song, EncodeMp3(options).bytes));
        FormMain->songFile = song;
        FormMain->startSeconds = -1;
        FormMain->lengthSeconds = 30;
        // These hold the whole-song road's clean-up; the excerpt road leaves no temporary.
        FormMain->excerptRoad = false;
    }

    // Presses Cancel once, from a timer the window system runs while the loops process
    // messages, as soon as the bar has passed from.
    void PressCancelOnceBeyond(int from) {
        ui.onProcessMessages = [this, from](int) {
            if (!pressed && ChimewickProgress->Progress->value() > from) {
                pressed = true;
                QTimer::singleShot(
                    0, [] { QTest::mouseClick(ChimewickProgress->cancelButton, Qt::LeftButton); });
            }
        };
    }
};

TEST_F(Mp3Cancel, YesWhileDecodingStopsTheRunAndKeepsTheTemporaryFilePending) {
    ui.confirmAnswers = {true};
    PressCancelOnceBeyond(5);
    EXPECT_EQ(RaisedBy(*FormMain), "Ringtone creation cancelled by user.");
    EXPECT_TRUE(pressed);
    EXPECT_LT(ChimewickProgress->Progress->value(), 40);
    EXPECT_TRUE(FormMain->tempWavePending);
    EXPECT_TRUE(platform::FileExists(dir / "song.mp3_TEMP.wav"));
    EXPECT_TRUE(ChimewickProgress->isVisible()) << "the caller hides it";

    // The next run removes the leftover first, then runs to its end.
    ui.HideProgress();
    ui.onProcessMessages = nullptr;
    ui.messages.clear();
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({"The ringtone was successfully created!"}));
    EXPECT_FALSE(FormMain->tempWavePending);
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
}

TEST_F(Mp3Cancel, YesWhileEncodingStopsTheRunAndTheWindowsDestructionCleansUp) {
    ui.confirmAnswers = {true};
    PressCancelOnceBeyond(76);
    EXPECT_EQ(RaisedBy(*FormMain), "Ringtone creation cancelled by user.");
    EXPECT_TRUE(pressed);
    EXPECT_GE(ChimewickProgress->Progress->value(), 76);
    EXPECT_TRUE(FormMain->tempWavePending);
    EXPECT_TRUE(platform::FileExists(dir / "song.mp3_TEMP.wav"));
    DestroyWindows();
    EXPECT_FALSE(platform::FileExists(dir / "song.mp3_TEMP.wav"));
    CreateWindows();
}

TEST_F(Mp3Cancel, NoLetsTheWorkGoOnToTheEnd) {
    ui.confirmAnswers = {false};
    PressCancelOnceBeyond(20);
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(ChimewickProgress->cancelRequested);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({"Are you sure you wish to cancel this process?",
                                                    "The ringtone was successfully created!"}));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.mp3", "song_Chimewick_Ringtone.mp3"}));
}

TEST_F(Mp3Cancel, TwoRingtonesInARowAreIdentical) {
    EXPECT_EQ(RaisedBy(*FormMain), "");
    Bytes first = ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3");
    EXPECT_EQ(RaisedBy(*FormMain), "");
    EXPECT_EQ(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3"), first);
    EXPECT_GT(first.size(), 100000u);
}
