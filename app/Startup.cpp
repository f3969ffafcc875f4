#include "app/Startup.h"

#include <QApplication>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Mainform.h"
#include "app/QtUserInterface.h"
#include "dialogs/Artwork.h"
#include "dialogs/Dabout.h"
#include "dialogs/Dhelpwindow.h"
#include "dialogs/Product.h"
#include "dialogs/Snippetprogressbar.h"
#include "platform/UserInterface.h"
#include "platform/process.h"

namespace {

bool HasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Chooses the window-system plugin before Qt starts. Without any display the program runs
// in console mode on the offscreen plugin; with one, an unreachable display falls back to
// offscreen (console mode) instead of aborting.
void ChoosePlatformPlugin() {
    if (HasEnv("QT_QPA_PLATFORM")) {
        return;
    }
    if (HasEnv("WAYLAND_DISPLAY") && !HasEnv("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "wayland;xcb;offscreen");
    } else if (HasEnv("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb;wayland;offscreen");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// In console mode standard error belongs to the user; the window system's notes about
// missing runtime folders or fonts mean nothing there.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || HasEnv("CHIMEWICK_QT_MESSAGES")) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// Message boxes with plain text buttons, as on the desktops the program was designed for;
// the generic Unix theme would put stock icons on "OK", "Yes" and "No".
class PlainButtonsStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// For the start-up benchmark (CHIMEWICK_QUIT_AFTER_FIRST_PAINT set): ends the program as
// soon as the first window has been painted, so that timing the whole process times the
// way from starting it to a window a person can see.
class QuitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            painted_ = true;
            // Once this paint and the rest of its window's are done and on the display; at
            // once, before any work the window queued behind its first paint.
            QTimer::singleShot(0, [] {
                QGuiApplication::sync();
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool painted_ = false;
};

bool IsConsolePlatform() {
    QString name = QGuiApplication::platformName();
    return name == "offscreen" || name == "minimal";
}

}  // namespace

void DescribeApplication() {
    QApplication::setApplicationName(QStringLiteral("songsifter"));
    QGuiApplication::setDesktopFileName(QStringLiteral(CHIMEWICK_DESKTOP_ID));
    QApplication::setWindowIcon(ApplicationIcon());
}

void CreateWindows() {
    FormMain = new TFormMain;
    ChimewickProgress = new TChimewickProgress;
    helpWindow = new ThelpWindow(FormMain);
    aboutWindow = new TaboutWindow;
}

void DestroyWindows() {
    delete aboutWindow;
    aboutWindow = nullptr;
    delete helpWindow;
    helpWindow = nullptr;
    delete ChimewickProgress;
    ChimewickProgress = nullptr;
    delete FormMain;
    FormMain = nullptr;
}

int RunApplication(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string commandLine = CommandLineFromArguments(arguments);
    return RunWithDisplay(
        argc, argv, [&] { return RunConsoleMode(commandLine); },
        [&] { return RunWindows(commandLine); });
}

int RunWithDisplay(int argc, char** argv, const std::function<int()>& console,
                   const std::function<int()>& windows) {
    ChoosePlatformPlugin();
    QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    if (requested == "offscreen" || requested == "minimal") {
        qInstallMessageHandler(QuietQtMessages);
    }
    QApplication application(argc, argv);
    if (IsConsolePlatform()) {
        qInstallMessageHandler(QuietQtMessages);
        // The display named in the environment could not be opened: no window is
        // needed for what remains possible.
        return console();
    }
    DescribeApplication();
    QApplication::setStyle(new PlainButtonsStyle);
    QuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("CHIMEWICK_QUIT_AFTER_FIRST_PAINT")) {
        application.installEventFilter(&quitAfterFirstPaint);
    }
    QtUserInterface ui;
    platform::ScopedUi installed(&ui);
    // SIGTERM, SIGHUP or Ctrl+C ends the program wherever window messages are processed, a
    // running conversion's loop included; the exit hooks remove the files of an unfinished run.
    std::unique_ptr<QSocketNotifier> termination;
    int terminationFd = platform::CatchTerminationRequests(true);
    if (terminationFd >= 0) {
        termination = std::make_unique<QSocketNotifier>(terminationFd, QSocketNotifier::Read);
        QObject::connect(termination.get(), &QSocketNotifier::activated,
                         [] { platform::ExitProcess(1); });
    }
    return windows();
}

int RunWindows(const std::string& commandLine) {
    platform::RunShowingErrors(
        [&] {
            CreateWindows();
            if (!commandLine.empty()) {
                FormMain->RunCommandLine(commandLine);
            }
            FormMain->show();
            QApplication::exec();
        },
        "", &platform::UserInterface::ShowApplicationError);
    DestroyWindows();
    return 0;
}
