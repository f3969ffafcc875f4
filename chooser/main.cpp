// chimewick-choose: the part chooser. With options it makes ringtones without a window;
// with no arguments or one song alone it opens the window, where a display is configured.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Commandline.h"
#include "chooser/Choosecommandline.h"
#include "platform/library.h"

namespace {

using Entry = int (*)(int, char**);

bool WantsWindow(const std::vector<std::string>& arguments) {
    return arguments.empty() ||
           (arguments.size() == 1 && !arguments[0].empty() && arguments[0][0] != '-');
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!WantsWindow(arguments) || !DisplayConfigured()) {
        return RunChooseCommandLine(arguments);
    }
    // Beside the executable in the build tree, in libexec/chimewick once installed.
    const std::string folder = platform::ExecutableFolder();
    std::string error;
    for (const std::string& candidate :
         {folder + "libchimewick-choose-gui.so",
          folder + CHIMEWICK_GUI_RELATIVE_DIR "/libchimewick-choose-gui.so"}) {
        std::string why;
        if (void* entry = platform::LoadLibrarySymbol(candidate, "ChimewickRunChooseWindow", why)) {
            return reinterpret_cast<Entry>(entry)(argc, argv);
        }
        if (!why.empty()) {
            error = why;
        }
    }
    std::fprintf(stderr, "chimewick-choose: cannot load its window: %s\n", error.c_str());
    return 1;
}
