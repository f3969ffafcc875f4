#include "app/QtUserInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "app/Mainform.h"
#include "dialogs/Snippetprogressbar.h"

namespace {

QWidget* BoxParent() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    if (ChimewickProgress && ChimewickProgress->isVisible()) {
        return ChimewickProgress;
    }
    return FormMain && FormMain->isVisible() ? FormMain : nullptr;
}

}  // namespace

void QtUserInterface::ShowInformation(const std::string& text) {
    QMessageBox box(QMessageBox::Information, "Information", QString::fromStdString(text),
                    QMessageBox::Ok, BoxParent());
    box.exec();
}

bool QtUserInterface::Confirm(const std::string& text) {
    QMessageBox box(QMessageBox::Question, "Confirm", QString::fromStdString(text),
                    QMessageBox::NoButton, BoxParent());
    QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
    QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtUserInterface::ShowApplicationError(const std::string& text) {
    // The application's title; Qt's display name is not used for it because Qt would
    // append it to every window's caption.
    QMessageBox box(QMessageBox::Critical, "Chimewick", QString::fromStdString(text),
                    QMessageBox::Ok, BoxParent());
    box.exec();
}

void QtUserInterface::ShowProgress() {
    if (FormMain) {
        FormMain->setEnabled(false);
    }
    if (ChimewickProgress) {
        ChimewickProgress->show();
        ChimewickProgress->raise();
        ChimewickProgress->repaint();
        // Without a running event loop (command-line mode) the window would not appear
        // until the first message box; let the window system map and paint it now.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void QtUserInterface::HideProgress() {
    if (ChimewickProgress) {
        ChimewickProgress->hide();
    }
    if (FormMain) {
        FormMain->setEnabled(true);
    }
}

int QtUserInterface::ProgressPosition() const {
    return ChimewickProgress ? ChimewickProgress->Progress->value() : 0;
}

void QtUserInterface::SetProgressPosition(int position) {
    if (ChimewickProgress) {
        // The bar ignores values outside its range; above 100 means full.
        ChimewickProgress->Progress->setValue(position < 0 ? 0 : (position > 100 ? 100 : position));
    }
}

void QtUserInterface::ProcessMessages() {
    // The loops call this after every frame, hundreds of times a second; a pump every
    // 10 ms keeps the window as lively and costs a fraction. Cancel stays prompt: its flag
    // is set only by handlers that run inside a pump, so a skipped pump changes nothing
    // the loop's next cancel test could see.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < kPumpInterval) {
        return;
    }
    QCoreApplication::processEvents();
    lastPump_ = std::chrono::steady_clock::now();
}

bool QtUserInterface::CancelRequested() const {
    return ChimewickProgress && ChimewickProgress->cancelRequested;
}
