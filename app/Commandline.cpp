#include "app/Commandline.h"

#include <cstdio>
#include <cstdlib>

#include "app/Ringtonepipeline.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/files.h"

namespace {
const char* const kNoDisplayText =
    "songsifter: no display available; to make a ringtone without one, give the song's "
    "path: songsifter SONG\n";
}  // namespace

std::string CommandLineFromArguments(const std::vector<std::string>& arguments) {
    std::string given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            given += ' ';
        }
        given += arguments[i];
    }
    std::string unquoted;
    for (char c : given) {
        if (c != '"') {
            unquoted += c;
        }
    }
    // A double quote may be part of the song's own name; the quote-free reading still wins
    // wherever it finds a file.
    if (unquoted != given && !platform::FileExists(unquoted) && platform::FileExists(given)) {
        return given;
    }
    return unquoted;
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
