#pragma once
// The dialog that stands on the screen while a ringtone is made: a picture, the bar, and
// "About Chimewick" and "Cancel". It owns the cancel flag the conversion loops read.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TChimewickProgress : public QDialog {
    Q_OBJECT
public:
    explicit TChimewickProgress(QWidget* parent = nullptr);

    QProgressBar* Progress;
    QLabel* Image1;
    QPushButton* aboutButton;
    QPushButton* cancelButton;
    // True once the user has confirmed Cancel; cleared every time the dialog is shown.
    bool cancelRequested = false;

    // Places the dialog at the centre of the desktop.
    void CentreOnDesktop();

public slots:
    // Asks "Are you sure you wish to cancel this process?"; Yes sets cancelRequested.
    void cancelButtonClick();
    // Shows the about window modeless and in front; the work goes on meanwhile.
    void aboutButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    // The dialog has no close box; Escape and the window manager's close do nothing, so
    // the work is only stopped through Cancel.
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    void FormShow();
};

// Created hidden at start-up; lives until the process ends.
extern TChimewickProgress* ChimewickProgress;
