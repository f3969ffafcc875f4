#include "chooser/Choosestartup.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include <vector>

#include "app/Startup.h"
#include "chooser/Choosecommandline.h"
#include "chooser/Choosewindow.h"
#include "dialogs/Dabout.h"
#include "dialogs/Snippetprogressbar.h"

namespace {

// CHIMEWICK_DARK_PALETTE=1 shows the window in Fusion with a dark palette, to check that
// everything stays legible where the desktop offers no dark theme to Qt.
void UseDarkPaletteWhenAsked() {
    if (qgetenv("CHIMEWICK_DARK_PALETTE") != "1") {
        return;
    }
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(55, 55, 58));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::ToolTipBase, QColor(30, 30, 32));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(61, 142, 201));
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(130, 130, 130));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(130, 130, 130));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(130, 130, 130));
    QApplication::setPalette(dark);
}

}  // namespace

int RunChooseWindow(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunWithDisplay(
        argc, argv, [&] { return RunChooseCommandLine(arguments); },
        [&] {
            UseDarkPaletteWhenAsked();
            // The pipeline's progress dialog, and the about window its button opens.
            ChimewickProgress = new TChimewickProgress;
            aboutWindow = new TaboutWindow;
            int status = 0;
            {
                ChooseWindow window;
                window.resize(720, 480);
                window.show();
                if (!arguments.empty()) {
                    window.OpenSongWhenShown(arguments.front());
                }
                status = QApplication::exec();
            }
            delete aboutWindow;
            aboutWindow = nullptr;
            delete ChimewickProgress;
            ChimewickProgress = nullptr;
            return status;
        });
}
