#pragma once
// The main window.

#include <QWidget>

#include "app/Ringtonepipeline.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QCloseEvent;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The number a box's text starts with: leading blanks, tabs, line feeds, vertical tabs,
// form feeds and carriage returns are skipped, one optional sign is taken, then decimal
// digits up to the first non-digit. No digits give 0; whatever follows is ignored.
// Never fails: a number beyond 32 bits wraps around modulo 2^32.
std::int32_t LeadingInteger(const std::string& text);

// The window carries the pipeline and command-line mode it inherits; both also run
// without any window where there is no display.
class TFormMain : public QWidget, public RingtonePipeline {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // The open-file dialog: given the owner, the initial folder and the filter, returns
    // the chosen file's full path (UTF-8), or an empty string when the user cancelled.
    // Defaults to QFileDialog::getOpenFileName; tests put a scripted answer here.
    std::function<std::string(QWidget* parent, const QString& dir, const QString& filter)>
        chooseSongFile;

    // The controls, named and placed as the window's layout gives them.
    QPushButton* InputFileButton = nullptr;
    QLabel* inputFileName = nullptr;  // a sunken panel showing the chosen song's file name
    QGroupBox* GroupBox1 = nullptr;
    QLabel* OptionLabel1 = nullptr;
    QComboBox* ringtoneStart = nullptr;
    QLabel* OptionLabel2 = nullptr;
    QLineEdit* ringtoneLength = nullptr;
    QToolButton* helpButton = nullptr;
    QToolButton* aboutButton = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* goButton = nullptr;
    QPushButton* exitButton = nullptr;

public slots:
    // Asks for a song; on confirmation shows its name, remembers its full path in songFile
    // and moves the focus to "Make Ringtone!". Cancelling changes nothing.
    void InputFileButtonClick();
    // Reads the start and length boxes into startSeconds and lengthSeconds ("auto"
    // anywhere or a negative start: automatic; a length below 1: 30), then makes the
    // ringtone. Every failure is shown in an information box; the progress dialog is
    // hidden afterwards on every path. Ignored while a ringtone is being made.
    void goButtonClick();
    // Ends the process with status 1, without asking.
    void exitButtonClick();
    // Show the help and the about window modally.
    void helpButtonClick();
    void aboutButtonClick();

protected:
    // Closing ends the event loop (and so the program, with status 0). Refused while a
    // ringtone is being made: the loop would end under the running conversion.
    void closeEvent(QCloseEvent* event) override;
    // Return or Enter that no control took presses "Make Ringtone!".
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void CentreOnDesktop();
    // Shows the file-name part of path in the panel, shortened in the middle if it is too
    // long, with the full path in the panel's tool tip.
    void ShowSongName(const std::string& path);
    // startSeconds and lengthSeconds from the two boxes.
    void ReadOptions();
    bool making_ = false;  // inside goButtonClick
};

// The main window; created first at start-up, lives until the process ends.
extern TFormMain* FormMain;
