#include "app/Mainform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <initializer_list>

#include "app/Ringtonenames.h"
#include "dialogs/WindowFont.h"
#include "dialogs/Artwork.h"
#include "dialogs/Dabout.h"
#include "dialogs/Dhelpwindow.h"
#include "frontend/Mp3handler.h"
#include "platform/Exception.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "platform/process.h"
#include "wave/Wavefile.h"

TFormMain* FormMain = nullptr;

namespace {
const char* const kSelectSongFirst = "You must select a song before creating a ring tone!";
const char* const kSongFilter = "Music files (*.mp3 *.wav)";
const char* const kSongNameHint = "selected song name";
constexpr std::int32_t kDefaultLength = 30;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <class Control>
Control* Placed(Control* control, const char* name, QRect geometry, const char* hint = nullptr) {
    control->setObjectName(name);
    control->setGeometry(geometry);
    if (hint) {
        control->setToolTip(hint);
    }
    return control;
}

QToolButton* SpeedButton(QWidget* parent, const QPixmap& glyph) {
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(glyph));
    button->setIconSize(QSize(18, 18));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The labels are sized for the classic 8-point face. Where that face is missing, the
// fallback is often wider and would cut the captions off, so the labels share the largest
// size, down to 6 points, at which all of them fit.
void FitLabels(std::initializer_list<QLabel*> labels) {
    QFont font = (*labels.begin())->font();
    auto fits = [&labels](const QFont& candidate) {
        QFontMetrics metrics(candidate);
        for (const QLabel* label : labels) {
            if (metrics.horizontalAdvance(label->text()) > label->contentsRect().width()) {
                return false;
            }
        }
        return true;
    };
    if (font.pointSizeF() <= 0 || fits(font)) {
        return;
    }
    while (font.pointSizeF() > 6 && !fits(font)) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    for (QLabel* label : labels) {
        label->setFont(font);
    }
}

// Shows dialog modally. A window the progress dialog opened modeless is still visible; it
// is hidden first so the window system sees the change of modality.
void ShowModal(QDialog* dialog) {
    if (!dialog) {
        return;
    }
    if (dialog->isVisible()) {
        dialog->hide();
    }
    dialog->exec();
}

}  // namespace

std::int32_t LeadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps instead of overflowing, so absurdly long digit runs are
    // harmless; the final conversion is the two's-complement reading of the bits.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

TFormMain::TFormMain(QWidget* parent) : QWidget(parent) {
    setObjectName("FormMain");
    setWindowTitle("Chimewick - the ultimate ringtone maker");
    // A fixed single border with the system menu and minimise only; close stays, it is how
    // the user ends the program normally.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont(8));
    setWindowIcon(ApplicationIcon());
    setFixedSize(353, 215);
    BuildControls();
    CentreOnDesktop();

    chooseSongFile = [](QWidget* owner, const QString& dir, const QString& filter) {
        QString chosen = QFileDialog::getOpenFileName(owner, QString(), dir, filter);
        return QFile::encodeName(chosen).toStdString();
    };
}

void TFormMain::BuildControls() {
    InputFileButton = Placed(new QPushButton("Select Song", this), "InputFileButton",
                             {24, 16, 113, 24}, "click here to select your song");

    inputFileName = Placed(new QLabel(this), "inputFileName", {152, 16, 177, 24}, kSongNameHint);
    inputFileName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inputFileName->setAlignment(Qt::AlignCenter);
    inputFileName->setMargin(2);
    // A file name is shown as it is, never as markup.
    inputFileName->setTextFormat(Qt::PlainText);

    GroupBox1 = Placed(new QGroupBox("  Advanced Options  ", this), "GroupBox1", {24, 59, 265, 86});
    OptionLabel1 = Placed(new QLabel("Ringtone start time (in seconds):", GroupBox1),
                          "OptionLabel1", {16, 26, 151, 13});
    ringtoneStart = Placed(new QComboBox(GroupBox1), "ringtoneStart", {179, 23, 65, 21},
                           "ringtone starts after (in seconds)");
    ringtoneStart->setEditable(true);
    // Return runs the ringtone; it must not also collect the typed text as a new item.
    ringtoneStart->setInsertPolicy(QComboBox::NoInsert);
    ringtoneStart->addItem("auto");
    ringtoneStart->setCurrentIndex(0);
    OptionLabel2 = Placed(new QLabel("Ringtone length (in seconds):", GroupBox1), "OptionLabel2",
                          {16, 55, 138, 13});
    ringtoneLength = Placed(new QLineEdit("30", GroupBox1), "ringtoneLength", {179, 53, 49, 21},
                            "ringtone length (in seconds)");
    ringtoneLength->setMaxLength(3);
    for (QLabel* label : {OptionLabel1, OptionLabel2}) {
        label->setTextFormat(Qt::PlainText);
    }
    FitLabels({OptionLabel1, OptionLabel2});

    helpButton = Placed(SpeedButton(this, HelpGlyph()), "helpButton", {306, 81, 22, 22},
                        "click here for help");
    QFont bold = helpButton->font();
    bold.setBold(true);
    helpButton->setFont(bold);
    aboutButton = Placed(SpeedButton(this, AboutGlyph()), "aboutButton", {306, 111, 22, 22},
                         "about Chimewick");

    Bevel1 = Placed(new QFrame(this), "Bevel1", {16, 159, 321, 2});
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    goButton = Placed(new QPushButton("Make Ringtone!", this), "goButton", {24, 175, 153, 25},
                      "click here to make ringtone");
    goButton->setDefault(true);
    exitButton = Placed(new QPushButton("Exit", this), "exitButton", {192, 175, 137, 25},
                        "click here to exit this program");
    // Return presses the focused button; anywhere else it reaches keyPressEvent below.
    for (QPushButton* button : {InputFileButton, goButton, exitButton}) {
        button->setAutoDefault(true);
    }

    // The group box's own order puts the length before the start.
    setTabOrder(InputFileButton, goButton);
    setTabOrder(goButton, exitButton);
    setTabOrder(exitButton, ringtoneLength);
    setTabOrder(ringtoneLength, ringtoneStart);

    connect(InputFileButton, &QPushButton::clicked, this, &TFormMain::InputFileButtonClick);
    connect(goButton, &QPushButton::clicked, this, &TFormMain::goButtonClick);
    connect(exitButton, &QPushButton::clicked, this, &TFormMain::exitButtonClick);
    connect(helpButton, &QToolButton::clicked, this, &TFormMain::helpButtonClick);
    connect(aboutButton, &QToolButton::clicked, this, &TFormMain::aboutButtonClick);
}

void TFormMain::CentreOnDesktop() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TFormMain::~TFormMain() = default;

void TFormMain::InputFileButtonClick() {
    if (!chooseSongFile) {
        return;
    }
    std::string chosen =
        chooseSongFile(this, QFile::decodeName(platform::GetCurrentDir().c_str()), kSongFilter);
    if (chosen.empty()) {
        return;
    }
    ShowSongName(chosen);
    songFile = chosen;
    goButton->setFocus();
}

void TFormMain::ShowSongName(const std::string& path) {
    QString name = QFile::decodeName(platform::ExtractFileName(path).c_str());
    int room = inputFileName->contentsRect().width() - 2 * inputFileName->margin();
    inputFileName->setText(inputFileName->fontMetrics().elidedText(name, Qt::ElideMiddle, room));
    // The first line keeps the hint; the full path is what an elided name hides.
    inputFileName->setToolTip(QString(kSongNameHint) + '\n' + QFile::decodeName(path.c_str()));
}

void TFormMain::ReadOptions() {
    // Reading a box fails only when memory runs out; the box then goes back to its default
    // rather than letting the error escape the click.
    try {
        std::string start = ringtoneStart->currentText().toStdString();
        if (start.find("auto") != std::string::npos) {
            startSeconds = -1;
        } else {
            startSeconds = LeadingInteger(start);
            if (startSeconds < 0) {
                startSeconds = -1;
            }
        }
    } catch (...) {
        startSeconds = -1;
        ringtoneStart->setCurrentIndex(0);
        ringtoneStart->setEditText(ringtoneStart->itemText(0));
    }
    try {
        lengthSeconds = LeadingInteger(ringtoneLength->text().toStdString());
        if (lengthSeconds < 1) {
            lengthSeconds = kDefaultLength;
        }
    } catch (...) {
        lengthSeconds = kDefaultLength;
        ringtoneLength->setText(QString::number(kDefaultLength));
    }
}

void TFormMain::goButtonClick() {
    // The conversion front end is not re-entrant; a second press from inside a running
    // conversion (its loops process window messages) must not start another.
    if (making_) {
        return;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(making_);

    ReadOptions();
    platform::RunShowingErrors(
        [this] {
            if (songFile.empty()) {
                throw platform::Exception(kSelectSongFirst);
            }
            MakeRingtone();
        },
        kUnknownErrorText);
    platform::Ui().HideProgress();
}

void TFormMain::exitButtonClick() { platform::ExitProcess(1); }

void TFormMain::helpButtonClick() { ShowModal(helpWindow); }

void TFormMain::aboutButtonClick() { ShowModal(aboutWindow); }

void TFormMain::keyPressEvent(QKeyEvent* event) {
    // A plain window has no default-button handling of its own: Return (or Enter) in the
    // boxes presses "Make Ringtone!", as it would in a dialog.
    bool plain = !event->modifiers() ||
                 (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (goButton->isEnabled() && goButton->isVisible()) {
            goButton->click();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (making_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    // The main window's end is the program's end, also while the about window the
    // progress dialog opened is still on the screen.
    QCoreApplication::quit();
}
