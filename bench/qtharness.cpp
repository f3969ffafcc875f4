// Makes one ringtone through the real Qt progress dialog and message pump on the offscreen
// platform, with a port that answers the message boxes instead of waiting for a click.
//   bench_qtharness SONG
#include <QApplication>
#include <cstdio>

#include "app/Mainform.h"
#include "app/QtUserInterface.h"
#include "app/Startup.h"
#include "platform/Exception.h"

namespace {

class AnsweringUserInterface : public QtUserInterface {
public:
    void ShowInformation(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    bool Confirm(const std::string&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SONG\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    AnsweringUserInterface ui;
    platform::ScopedUi installed(&ui);
    CreateWindows();
    FormMain->songFile = argv[1];
    FormMain->startSeconds = -1;
    FormMain->lengthSeconds = 30;
    int status = 0;
    try {
        FormMain->MakeRingtone();
    } catch (const platform::Exception& e) {
        std::printf("%s\n", e.Message().c_str());
        status = 1;
    }
    ui.HideProgress();
    DestroyWindows();
    return status;
}
