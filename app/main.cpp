// songsifter. Its usage and version, and without any display configured command-line mode,
// run right here, without loading the window system; otherwise the Qt part is loaded and
// takes over.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Commandline.h"
#include "platform/library.h"

namespace {

using Entry = int (*)(int, char**);

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string commandLine = CommandLineFromArguments(arguments);
    // Answered here, before any window system, so that it works on any terminal.
    const std::string information = InformationRequested(commandLine);
    if (!information.empty()) {
        std::fputs(information.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!DisplayConfigured()) {
        return RunConsoleMode(commandLine);
    }
    // Beside the executable in the build tree, in libexec/chimewick once installed.
    std::string folder = platform::ExecutableFolder();
    std::string error;
    for (std::string candidate : {folder + "libchimewick-gui.so",
                                  folder + CHIMEWICK_GUI_RELATIVE_DIR "/libchimewick-gui.so"}) {
        std::string why;
        if (void* entry = platform::LoadLibrarySymbol(candidate, "ChimewickRunApplication", why)) {
            return reinterpret_cast<Entry>(entry)(argc, argv);
        }
        if (!why.empty()) {
            error = why;  // the installed location's reason is the one that matters
        }
    }
    std::fprintf(stderr, "songsifter: cannot load its user interface: %s\n", error.c_str());
    return 1;
}
