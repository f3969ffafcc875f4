#include "dialogs/Snippetprogressbar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "dialogs/Artwork.h"
#include "dialogs/Dabout.h"
#include "dialogs/WindowFont.h"
#include "platform/UserInterface.h"

TChimewickProgress* ChimewickProgress = nullptr;

TChimewickProgress::TChimewickProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("ChimewickProgress");
    setWindowTitle("Chimewick - creating your ringtone...");
    // A title bar without any border icons: no system menu, no close, no minimise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(WindowFont(8));
    setWindowIcon(ProgressDialogIcon());
    setFixedSize(313, 393);
    setModal(false);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(23, 16, 268, 278);
    Image1->setPixmap(ProgressPicture());

    Progress = new QProgressBar(this);
    Progress->setObjectName("Progress");
    Progress->setGeometry(24, 317, 268, 16);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    Progress->setTextVisible(false);

    aboutButton = new QPushButton("About Chimewick", this);
    aboutButton->setObjectName("aboutButton");
    aboutButton->setGeometry(32, 352, 121, 25);
    aboutButton->setAutoDefault(false);

    cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("cancelButton");
    cancelButton->setGeometry(168, 352, 113, 25);
    cancelButton->setAutoDefault(false);

    setTabOrder(Progress, aboutButton);
    setTabOrder(aboutButton, cancelButton);

    connect(aboutButton, &QPushButton::clicked, this, &TChimewickProgress::aboutButtonClick);
    connect(cancelButton, &QPushButton::clicked, this, &TChimewickProgress::cancelButtonClick);
    CentreOnDesktop();
}

void TChimewickProgress::CentreOnDesktop() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TChimewickProgress::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TChimewickProgress::closeEvent(QCloseEvent* event) { event->ignore(); }

void TChimewickProgress::FormShow() { cancelRequested = false; }

void TChimewickProgress::cancelButtonClick() {
    if (platform::Ui().Confirm("Are you sure you wish to cancel this process?")) {
        cancelRequested = true;
    }
}

void TChimewickProgress::aboutButtonClick() {
    if (aboutWindow) {
        aboutWindow->show();
        aboutWindow->raise();
        aboutWindow->activateWindow();
    }
}
