#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>
#include <climits>
#include <filesystem>

#include "app/Mainform.h"
#include "dialogs/Dabout.h"
#include "dialogs/Dhelpwindow.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/files.h"
#include "platform/process.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/ExitStatus.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSelectSong = "You must select a song before creating a ring tone!";
const char* const kSuccess = "The ringtone was successfully created!";
constexpr std::uint32_t kRate = 8000;  // 8-bit mono: one byte per sample, 8000 per second

}  // namespace

// Readable failure messages for the Qt values compared below.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height();
}
static void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << " x " << s.height(); }

TEST(LeadingInteger, ReadsOptionalBlanksSignAndDigitsAndIgnoresTheRest) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"15", 15},
        {" 15s", 15},
        {"1:30", 1},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"\t\n\v\f\r 42", 42},
        {"   ", 0},
        {"-", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"--5", 0},
        {"1e3", 1},
        {"\xC2\xA0"
         "5",
         0},                              // a no-break space is not white space
        {"\xEF\xBC\x91\xEF\xBC\x92", 0},  // full-width digits are not digits
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(LeadingInteger(c.text), c.value);
    }
}

class MainWindow : public GuiFixture {
protected:
    TempDir dir;
    TFormMain& form() { return *FormMain; }

    // Types into both boxes as a user would: clear, then key presses.
    void Type(const QString& start, const QString& length) {
        form().ringtoneStart->lineEdit()->clear();
        QTest::keyClicks(form().ringtoneStart->lineEdit(), start);
        form().ringtoneLength->clear();
        QTest::keyClicks(form().ringtoneLength, length);
    }
    // Answers the open-file dialog with answer ("" = cancelled) and presses "Select Song".
    void Choose(const std::string& answer) {
        form().chooseSongFile = [answer](QWidget*, const QString&, const QString&) {
            return answer;
        };
        QTest::mouseClick(form().InputFileButton, Qt::LeftButton);
    }
    // A 180-second song whose audio byte i is recognisable.
    std::string MakeSong(const std::string& relative) {
        std::string path = dir / relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(WriteFileBytes(path, SimpleWave(1, kRate, 8, CountingBytes(kRate * 180))));
        return path;
    }
};

TEST_F(MainWindow, LaysOutEveryControlAsDesigned) {
    TFormMain& f = form();
    EXPECT_EQ(f.windowTitle(), "Chimewick - the ultimate ringtone maker");
    EXPECT_EQ(f.size(), QSize(353, 215));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "not resizable";
    Qt::WindowFlags flags = f.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((f.frameGeometry().center() - desktop.center()).manhattanLength(), 2);
    EXPECT_EQ(f.font().family(), "MS Sans Serif");
    EXPECT_EQ(f.font().pointSize(), 8);
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_FALSE(f.isVisible());
    f.show();

    struct Control {
        QWidget* widget;
        QWidget* parent;
        QRect geometry;
        QString caption;
        QString hint;
    } controls[] = {
        {f.InputFileButton, &f, {24, 16, 113, 24}, "Select Song", "click here to select your song"},
        {f.inputFileName, &f, {152, 16, 177, 24}, "", "selected song name"},
        {f.GroupBox1, &f, {24, 59, 265, 86}, "  Advanced Options  ", ""},
        {f.OptionLabel1, f.GroupBox1, {16, 26, 151, 13}, "Ringtone start time (in seconds):", ""},
        {f.ringtoneStart,
         f.GroupBox1,
         {179, 23, 65, 21},
         "auto",
         "ringtone starts after (in seconds)"},
        {f.OptionLabel2, f.GroupBox1, {16, 55, 138, 13}, "Ringtone length (in seconds):", ""},
        {f.ringtoneLength, f.GroupBox1, {179, 53, 49, 21}, "30", "ringtone length (in seconds)"},
        {f.helpButton, &f, {306, 81, 22, 22}, "", "click here for help"},
        {f.aboutButton, &f, {306, 111, 22, 22}, "", "about Chimewick"},
        {f.Bevel1, &f, {16, 159, 321, 2}, "", ""},
        {f.goButton, &f, {24, 175, 153, 25}, "Make Ringtone!", "click here to make ringtone"},
        {f.exitButton, &f, {192, 175, 137, 25}, "Exit", "click here to exit this program"},
    };
    for (const auto& c : controls) {
        ASSERT_NE(c.widget, nullptr);
        SCOPED_TRACE(c.widget->objectName().toStdString());
        EXPECT_EQ(c.widget->parentWidget(), c.parent);
        EXPECT_EQ(c.widget->geometry(), c.geometry);
        EXPECT_EQ(c.widget->toolTip(), c.hint);
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
            caption = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(c.widget)) {
            caption = label->text();
            QFontMetrics metrics(label->font());
            EXPECT_LE(metrics.horizontalAdvance(caption), label->contentsRect().width())
                << "the caption is cut off";
        } else if (auto* box = qobject_cast<QGroupBox*>(c.widget)) {
            caption = box->title();
        } else if (auto* combo = qobject_cast<QComboBox*>(c.widget)) {
            caption = combo->currentText();
        } else if (auto* edit = qobject_cast<QLineEdit*>(c.widget)) {
            caption = edit->text();
        }
        EXPECT_EQ(caption, c.caption);
    }

    EXPECT_TRUE(f.ringtoneStart->isEditable());
    EXPECT_EQ(f.ringtoneStart->count(), 1);
    EXPECT_EQ(f.ringtoneStart->itemText(0), "auto");
    EXPECT_EQ(f.ringtoneStart->currentIndex(), 0);
    EXPECT_EQ(f.ringtoneLength->maxLength(), 3);
    for (QToolButton* speed : {f.helpButton, f.aboutButton}) {
        EXPECT_EQ(speed->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(speed->autoRaise());
        EXPECT_EQ(speed->iconSize(), QSize(18, 18));
        EXPECT_FALSE(speed->icon().isNull());
    }
    EXPECT_EQ(f.Bevel1->frameShape(), QFrame::HLine);
}

TEST_F(MainWindow, TabVisitsButtonsThenLengthThenStart) {
    TFormMain& f = form();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.InputFileButton->setFocus();
    std::vector<QWidget*> visited;
    for (int i = 0; i < 6; ++i) {
        visited.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The editable combo box keeps the focus in its own line edit.
    for (QWidget*& w : visited) {
        if (w == f.ringtoneStart->lineEdit()) {
            w = f.ringtoneStart;
        }
    }
    EXPECT_EQ(visited,
              std::vector<QWidget*>({f.InputFileButton, f.goButton, f.exitButton, f.ringtoneLength,
                                     f.ringtoneStart, f.InputFileButton}));
}

TEST_F(MainWindow, BoxesAreReadAfreshOnEveryPress) {
    struct Case {
        const char* start;
        const char* length;
        std::int32_t startSeconds;
        std::int32_t lengthSeconds;
    } cases[] = {
        {"auto", "30", -1, 30},    {"10 auto", "0", -1, 30}, {"Auto", "-5", 0, 30},
        {"AUTO 10", "abc", 0, 30}, {"-3", "", -1, 30},       {"0", "999", 0, 999},
        {"90", "20", 90, 20},      {" 15s", "1", 15, 1},     {"1:30", "+2", 1, 2},
        {"+7", "9999", 7, 999},    {"", "2x", 0, 2},         {"xautox", "-0", -1, 30},
    };
    int presses = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "start '" << c.start << "' length '" << c.length << "'");
        Type(c.start, c.length);
        form().startSeconds = 12345;
        form().lengthSeconds = 12345;
        QTest::mouseClick(form().goButton, Qt::LeftButton);
        ++presses;
        EXPECT_EQ(form().startSeconds, c.startSeconds);
        EXPECT_EQ(form().lengthSeconds, c.lengthSeconds);
        EXPECT_EQ(form().ringtoneStart->currentText(), c.start) << "the boxes stay as typed";
        EXPECT_EQ(form().ringtoneLength->text().toStdString(), std::string(c.length).substr(0, 3));
        EXPECT_EQ(form().ringtoneStart->count(), 1);
    }
    EXPECT_EQ(ui.messages, std::vector<RecordedMessage>(presses, {"Information", kSelectSong}));
}

TEST_F(MainWindow, MakeRingtoneWithoutASongShowsOneMessageAndHidesTheDialog) {
    ScopedCurrentDir inside(dir.path());
    ChimewickProgress->show();
    QTest::mouseClick(form().goButton, Qt::LeftButton);
    EXPECT_EQ(ui.messages, std::vector<RecordedMessage>({{"Information", kSelectSong}}));
    EXPECT_EQ(ui.showCount, 0);
    EXPECT_EQ(ui.hideCount, 1);
    EXPECT_FALSE(ChimewickProgress->isVisible());
    EXPECT_TRUE(form().isEnabled());
    EXPECT_TRUE(dir.List().empty());
}

TEST_F(MainWindow, ReturnPressesTheFocusedButtonElseMakeRingtone) {
    TFormMain& f = form();
    int asked = 0;
    f.chooseSongFile = [&asked](QWidget*, const QString&, const QString&) {
        ++asked;
        return std::string();
    };
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    struct Case {
        QWidget* focus;
        Qt::Key key;
        int messages;
        int asked;
    } cases[] = {
        {f.ringtoneLength, Qt::Key_Return, 1, 0},  {f.ringtoneStart, Qt::Key_Return, 2, 0},
        {f.ringtoneStart, Qt::Key_Enter, 3, 0},    {f.goButton, Qt::Key_Return, 4, 0},
        {f.InputFileButton, Qt::Key_Return, 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus->objectName().toStdString());
        c.focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(ui.messages.size(), static_cast<std::size_t>(c.messages));
        EXPECT_EQ(asked, c.asked);
    }
    EXPECT_EQ(f.ringtoneStart->count(), 1) << "Return adds no list item";
}

TEST_F(MainWindow, ChoosingASongShowsItsNameAndMovesTheFocus) {
    ScopedCurrentDir inside(dir.path());
    form().show();
    form().ringtoneLength->setFocus();
    QWidget* owner = nullptr;
    QString folder, filter;
    std::string song = dir / "Müsik/été 日本.wav";
    form().chooseSongFile = [&](QWidget* parent, const QString& d, const QString& f) {
        owner = parent;
        folder = d;
        filter = f;
        return song;
    };
    QTest::mouseClick(form().InputFileButton, Qt::LeftButton);
    EXPECT_EQ(owner, FormMain);
    EXPECT_EQ(folder, QString::fromStdString(dir.path()));
    EXPECT_EQ(filter, "Music files (*.mp3 *.wav)");
    EXPECT_EQ(form().songFile, song);
    EXPECT_EQ(form().inputFileName->text(), "été 日本.wav");
    EXPECT_TRUE(form().inputFileName->toolTip().endsWith(QString::fromStdString(song)));
    EXPECT_EQ(form().focusWidget(), form().goButton);

    form().ringtoneLength->setFocus();
    QString tip = form().inputFileName->toolTip();
    Choose("");
    EXPECT_EQ(form().songFile, song) << "cancelling keeps the previous song";
    EXPECT_EQ(form().inputFileName->text(), "été 日本.wav");
    EXPECT_EQ(form().inputFileName->toolTip(), tip);
    EXPECT_EQ(form().focusWidget(), form().InputFileButton) << "where the click left it";
}

TEST_F(MainWindow, ALongSongNameIsShortenedInTheMiddle) {
    std::string name = std::string(40, 'a') + " - " + std::string(40, 'z') + ".wav";
    Choose(dir / name);
    QString shown = form().inputFileName->text();
    EXPECT_TRUE(shown.startsWith("aaa")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("zz.wav")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(QFontMetrics(form().inputFileName->font()).horizontalAdvance(shown),
              form().inputFileName->contentsRect().width());
    EXPECT_EQ(form().songFile, dir / name) << "only the panel is shortened";
}

TEST_F(MainWindow, MakesTheWaveRingtoneTheBoxesAskFor) {
    std::string song = MakeSong("Müsik/été 日本.wav");
    Bytes audio = ReadFileBytes(song);
    std::string ringtone = dir / "Müsik/été 日本_Chimewick_Ringtone.wav";
    Choose(song);
    struct Case {
        const char* start;
        const char* length;
        std::uint32_t fromSecond;
        std::uint32_t seconds;
    } cases[] = {
        {"auto", "30", 50, 30},  {"Auto", "abc", 0, 30}, {" 15s", "20", 15, 20},
        {"1:30", "999", 1, 178}, {"170", "", 170, 9},    {"178", "5", 50, 5},
        {"-3", "0", 50, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "start '" << c.start << "' length '" << c.length << "'");
        ui.messages.clear();
        Type(c.start, c.length);
        QTest::mouseClick(form().goButton, Qt::LeftButton);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>({kSuccess}));
        Bytes made = ReadFileBytes(ringtone);
        ASSERT_EQ(made.size(), 44u + c.seconds * kRate);
        auto from = audio.begin() + 44 + c.fromSecond * kRate;
        EXPECT_TRUE(std::equal(made.begin() + 44, made.end(), from));
        EXPECT_FALSE(ChimewickProgress->isVisible());
        EXPECT_TRUE(form().isEnabled());
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>({"Müsik"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Müsik"),
                            std::filesystem::directory_iterator()),
              2);
}

// Notes the main window's state at the moment the outcome is shown, and tries to start a
// second run and to close the window from inside the first.
class DuringTheRun : public RecordingUserInterface {
public:
    bool enabled = true, dialogVisible = false, windowVisible = false;
    void ShowInformation(const std::string& text) override {
        RecordingUserInterface::ShowInformation(text);
        enabled = FormMain->isEnabled();
        dialogVisible = ChimewickProgress->isVisible();
        FormMain->goButtonClick();
        FormMain->close();
        windowVisible = FormMain->isVisible();
    }
};

TEST_F(MainWindow, IsDisabledAndStaysWhileTheRingtoneIsMade) {
    DuringTheRun during;
    during.progressDelegate = &qt;
    platform::ScopedUi installedHere(&during);
    form().show();
    Choose(MakeSong("song.wav"));
    QTest::mouseClick(form().goButton, Qt::LeftButton);
    EXPECT_EQ(during.Texts(), std::vector<std::string>({kSuccess})) << "no second run";
    EXPECT_EQ(during.showCount, 1);
    EXPECT_FALSE(during.enabled);
    EXPECT_TRUE(during.dialogVisible);
    EXPECT_TRUE(during.windowVisible) << "closing is refused while the work goes on";
    EXPECT_TRUE(form().isEnabled());
    EXPECT_FALSE(ChimewickProgress->isVisible());
}

TEST_F(MainWindow, DestroyingTheWindowDeletesOnlyAPendingTemporaryFile) {
    std::string leftover = dir / "My Müsik.mp3_TEMP.wav";
    for (bool pending : {false, true}) {
        SCOPED_TRACE(pending);
        ASSERT_TRUE(WriteFileBytes(leftover, Bytes(10, 0)));
        FormMain->tempWaveFile = leftover;
        FormMain->tempWavePending = pending;
        DestroyWindows();
        EXPECT_EQ(platform::FileExists(leftover), !pending);
        CreateWindows();
    }
}

TEST_F(MainWindow, ExitEndsTheProcessWithStatusOne) {
    EXPECT_EQ(ExitStatusOf([&] { form().exitButton->click(); }), 1);
    EXPECT_TRUE(ui.messages.empty()) << "without asking";
}

TEST_F(MainWindow, ClosingItEndsTheEventLoopWithStatusZero) {
    form().show();
    aboutWindow->show();  // left open by the progress dialog
    QTimer::singleShot(0, FormMain, [] { FormMain->close(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form().isVisible());
}

TEST_F(MainWindow, HelpAndAboutOpenModally) {
    aboutWindow->show();  // left open without modality by the progress dialog
    struct Case {
        QToolButton* button;
        QDialog* window;
    } cases[] = {{form().helpButton, helpWindow}, {form().aboutButton, aboutWindow}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        QWidget* modal = nullptr;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            modal = QApplication::activeModalWidget();
            c.window->done(0);
        });
        closer.start(0);
        c.button->click();
        EXPECT_EQ(modal, c.window);
        EXPECT_FALSE(c.window->isVisible());
    }
}
