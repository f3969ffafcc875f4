#include "chooser/Choosestartup.h"

#include <QApplication>

#include <vector>

#include "app/Startup.h"
#include "chooser/Choosecommandline.h"
#include "chooser/Choosewindow.h"
#include "dialogs/Dabout.h"
#include "dialogs/Snippetprogressbar.h"

int RunChooseWindow(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunWithDisplay(
        argc, argv, [&] { return RunChooseCommandLine(arguments); },
        [&] {
            // The pipeline's progress dialog, and the about window its button opens.
            ChimewickProgress = new TChimewickProgress;
            aboutWindow = new TaboutWindow;
            int status = 0;
            {
                ChooseWindow window;
                window.resize(720, 480);
                window.show();
                if (!arguments.empty()) {
                    window.OpenSong(arguments.front());
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
