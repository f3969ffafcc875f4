// songsifter. Without any display configured, command-line mode runs right here, without
// loading the window system; otherwise the Qt part is loaded and takes over.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Commandline.h"

namespace {

std::string ExecutableFolder() {
    std::vector<char> path(4096);
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) {
        return std::string();
    }
    std::string exe(path.data(), static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/') + 1);
}

using Entry = int (*)(int, char**);

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!DisplayConfigured()) {
        return RunConsoleMode(CommandLineFromArguments(arguments));
    }
    // Beside the executable in the build tree, in libexec/chimewick once installed.
    std::string folder = ExecutableFolder();
    std::string error;
    for (std::string candidate : {folder + "libchimewick-gui.so",
                                  folder + CHIMEWICK_GUI_RELATIVE_DIR "/libchimewick-gui.so"}) {
        if (void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (auto entry = reinterpret_cast<Entry>(dlsym(library, "ChimewickRunApplication"))) {
                return entry(argc, argv);
            }
        }
        if (const char* why = dlerror()) {
            error = why;  // the installed location's reason is the one that matters
        }
    }
    std::fprintf(stderr, "songsifter: cannot load its user interface: %s\n", error.c_str());
    return 1;
}
