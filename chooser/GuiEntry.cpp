// The entry point of chimewick-choose's window, loaded only when a display is configured,
// so that runs with options never pay for loading Qt.
#include "chooser/Choosestartup.h"

extern "C" __attribute__((visibility("default"))) int ChimewickRunChooseWindow(int argc,
                                                                               char** argv) {
    return RunChooseWindow(argc, argv);
}
