// The entry point of the window-system part of songsifter, loaded only when a display is
// configured, so that console mode never pays for loading Qt.
#include "app/Startup.h"

extern "C" __attribute__((visibility("default"))) int ChimewickRunApplication(int argc,
                                                                              char** argv) {
    return RunApplication(argc, argv);
}
