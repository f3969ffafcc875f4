#include "app/Commandline.h"

#include <cstdio>
#include <cstdlib>

#include "app/Ringtonepipeline.h"
#include "platform/ConsoleUserInterface.h"

namespace {
const char* const kNoDisplayText =
    "songsifter: no display available; to make a ringtone without one, give the song's "
    "path: songsifter SONG\n";
}  // namespace

std::string CommandLineFromArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += arguments[i];
    }
    std::size_t first = line.find_first_not_of(" \t");
    line.erase(0, first == std::string::npos ? line.size() : first);
    std::string result;
    for (char c : line) {
        if (c != '"') {
            result += c;
        }
    }
    return result;
}

bool DisplayConfigured() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

int RunConsoleMode(const std::string& commandLine) {
    if (commandLine.empty()) {
        std::fputs(kNoDisplayText, stderr);
        return 1;
    }
    platform::ConsoleUserInterface ui;
    ui.CatchInterrupts();
    platform::ScopedUi installed(&ui);
    RingtonePipeline pipeline;
    pipeline.RunCommandLine(commandLine);
}
