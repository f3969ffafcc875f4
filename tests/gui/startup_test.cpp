#include "app/Startup.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/Mainform.h"
#include "dialogs/Dabout.h"
#include "dialogs/Dhelpwindow.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/Exception.h"
#include "platform/process.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

using testing_support::RecordedMessage;
using testing_support::RecordingUserInterface;
using testing_support::TempDir;

TEST(CommandLine, IsTheArgumentsJoinedWithEveryQuoteRemoved) {
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{""}, ""},
        {{"\"\""}, ""},
        // Blanks that reach the program belong to the path: no shell left them there.
        {{"   "}, "   "},
        {{"\t \t"}, "\t \t"},
        {{" lead.wav"}, " lead.wav"},
        {{"\" \""}, " "},
        {{"/My Music/song.mp3"}, "/My Music/song.mp3"},
        {{"\"/My Music/song.mp3\""}, "/My Music/song.mp3"},
        {{"/My", "Music/song.mp3"}, "/My Music/song.mp3"},
        {{"a\"b\"c.wav", "x"}, "abc.wav x"},
        {{"song.wav "}, "song.wav "},
        {{"Müsik/été 日本.wav"}, "Müsik/été 日本.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(CommandLineFromArguments(c.arguments), c.line);
    }
}

TEST(CommandLine, KeepsQuotesOnlyWhenTheNameAsGivenIsTheOneThatExists) {
    TempDir dir;
    for (const char* name : {"my \"best\" song.wav", "both \"x\".wav", "both x.wav"}) {
        ASSERT_TRUE(testing_support::WriteFileBytes(dir / name, testing_support::Bytes(4, 0)));
    }
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{dir / "my \"best\" song.wav"}, dir / "my \"best\" song.wav"},
        {{dir / "my", "\"best\"", "song.wav"}, dir / "my \"best\" song.wav"},
        {{dir / "both \"x\".wav"}, dir / "both x.wav"},
        {{dir / "\"missing\".wav"}, dir / "missing.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(CommandLineFromArguments(c.arguments), c.line);
    }
}

TEST(Startup, ShowsOnlyTheMainWindowAndItsCloseGivesStatusZero) {
    RecordingUserInterface ui;
    platform::ScopedUi installed(&ui);
    bool created = false, mainShown = false, othersHidden = false, helpOwnedByMain = false;
    QTimer::singleShot(0, [&] {
        created = FormMain && ChimewickProgress && helpWindow && aboutWindow;
        if (created) {
            mainShown = FormMain->isVisible();
            othersHidden = !ChimewickProgress->isVisible() && !helpWindow->isVisible() &&
                           !aboutWindow->isVisible();
            // The help window is centred over the main window, so that one comes first.
            helpOwnedByMain = helpWindow->parentWidget() == FormMain;
            FormMain->close();
        }
    });
    bool guardFired = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QApplication::exit(99);
    });
    guard.start(5000);
    EXPECT_EQ(RunWindows(""), 0);
    EXPECT_TRUE(created);
    EXPECT_TRUE(mainShown);
    EXPECT_TRUE(othersHidden);
    EXPECT_TRUE(helpOwnedByMain);
    EXPECT_FALSE(guardFired) << "closing the main window did not end the program";
    EXPECT_EQ(FormMain, nullptr) << "the windows are destroyed on the way out";
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Startup, AnErrorThatEscapesIsShownInTheApplicationsOwnBox) {
    TempDir dir;
    struct Case {
        std::function<void()> raise;
        std::string shown;
    } cases[] = {
        {[] { throw platform::Exception("The disk went away."); }, "The disk went away."},
        {[] { throw 42; }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        RecordingUserInterface ui;
        platform::ScopedUi installed(&ui);
        bool mainWindowShown = true;
        // Command-line mode ends the process; here the end raises instead, as an error
        // escaping start-up would.
        platform::SetExitInterceptor([&](int) {
            mainWindowShown = FormMain->isVisible();
            c.raise();
        });
        EXPECT_EQ(RunWindows(dir / "missing.wav"), 0);
        platform::SetExitInterceptor(nullptr);
        EXPECT_FALSE(mainWindowShown);
        ASSERT_EQ(ui.messages.size(), 3u);
        EXPECT_EQ(ui.messages.back(), (RecordedMessage{"Chimewick", c.shown}));
        EXPECT_EQ(FormMain, nullptr);
    }
}

namespace {

// The keys of a desktop entry's main group.
std::map<QString, QString> DesktopEntryKeys(const QString& path) {
    std::map<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return keys;
    }
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && !line.startsWith('#') && line.contains('=')) {
            keys[line.section('=', 0, 0)] = line.section('=', 1);
        }
    }
    return keys;
}

}  // namespace

// Docks and task bars find a window's desktop entry by the application id on Wayland (the
// desktop file name) and by the window class on X11 (the application name, matched against
// StartupWMClass); either one off, and the window shows a generic icon and name.
TEST(ApplicationIdentity, WindowsBelongToTheInstalledDesktopEntry) {
    DescribeApplication();
    const QString id = QGuiApplication::desktopFileName();
    ASSERT_FALSE(id.isEmpty());
    const auto entry =
        DesktopEntryKeys(QStringLiteral(CHIMEWICK_SOURCE_DIR "/packaging/") + id + ".desktop.in");
    ASSERT_FALSE(entry.empty()) << "no desktop entry " << id.toStdString() << " is installed";
    EXPECT_EQ(entry.at("Type"), "Application");
    EXPECT_EQ(entry.count("StartupWMClass") ? entry.at("StartupWMClass") : QString(),
              QCoreApplication::applicationName());
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
}
