#include "dialogs/Snippetprogressbar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>

#include "dialogs/Dabout.h"
#include "tests/gui/GuiFixture.h"

using ProgressDialog = GuiFixture;

TEST_F(ProgressDialog, LaysOutItsControlsAsDesigned) {
    TChimewickProgress& d = *ChimewickProgress;
    EXPECT_EQ(d.windowTitle(), "Chimewick - creating your ringtone...");
    EXPECT_EQ(d.size(), QSize(313, 393));
    EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "not resizable";
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(d.Image1->geometry(), QRect(23, 16, 268, 278));
    EXPECT_EQ(d.Image1->pixmap().size(), QSize(268, 278));
    EXPECT_EQ(d.Progress->geometry(), QRect(24, 317, 268, 16));
    EXPECT_EQ(d.Progress->minimum(), 0);
    EXPECT_EQ(d.Progress->maximum(), 100);
    EXPECT_EQ(d.aboutButton->geometry(), QRect(32, 352, 121, 25));
    EXPECT_EQ(d.aboutButton->text(), "About Chimewick");
    EXPECT_EQ(d.cancelButton->geometry(), QRect(168, 352, 113, 25));
    EXPECT_EQ(d.cancelButton->text(), "Cancel");
    EXPECT_FALSE(d.isVisible());
}

TEST_F(ProgressDialog, CancelAsksAndOnlyYesSetsTheFlag) {
    ui.ShowProgress();
    ui.confirmAnswers = {false};
    QTest::mouseClick(ChimewickProgress->cancelButton, Qt::LeftButton);
    EXPECT_FALSE(ChimewickProgress->cancelRequested);
    EXPECT_FALSE(ui.CancelRequested());
    ui.confirmAnswers = {true};
    QTest::mouseClick(ChimewickProgress->cancelButton, Qt::LeftButton);
    EXPECT_TRUE(ui.CancelRequested());
    EXPECT_EQ(ui.messages.size(), 2u);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.caption, "Confirm");
        EXPECT_EQ(m.text, "Are you sure you wish to cancel this process?");
    }
    EXPECT_TRUE(ChimewickProgress->isVisible()) << "a press of Cancel never hides the dialog";
}

TEST_F(ProgressDialog, TheFlagSurvivesHidingAndIsClearedByTheNextShowing) {
    ui.ShowProgress();
    ui.confirmAnswers = {true};
    QTest::mouseClick(ChimewickProgress->cancelButton, Qt::LeftButton);
    ui.HideProgress();
    EXPECT_TRUE(ChimewickProgress->cancelRequested);
    ui.ShowProgress();
    EXPECT_FALSE(ChimewickProgress->cancelRequested);
}

TEST_F(ProgressDialog, CannotBeClosedFromTheTitleBarOrWithEscape) {
    ui.ShowProgress();
    ChimewickProgress->close();
    EXPECT_TRUE(ChimewickProgress->isVisible());
    QTest::keyClick(ChimewickProgress, Qt::Key_Escape);
    EXPECT_TRUE(ChimewickProgress->isVisible());
}

TEST_F(ProgressDialog, AboutOpensTheAboutWindowWithoutBlocking) {
    ui.ShowProgress();
    QTest::mouseClick(ChimewickProgress->aboutButton, Qt::LeftButton);
    EXPECT_TRUE(aboutWindow->isVisible());
    EXPECT_FALSE(aboutWindow->isModal());
    EXPECT_TRUE(ChimewickProgress->isVisible());
}

TEST_F(ProgressDialog, BarShowsValuesAboveTheRangeAsFull) {
    ui.SetProgressPosition(40);
    EXPECT_EQ(ui.ProgressPosition(), 40);
    ui.SetProgressPosition(130);
    EXPECT_EQ(ChimewickProgress->Progress->value(), 100);
}
