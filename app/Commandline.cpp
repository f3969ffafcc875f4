#include "app/Commandline.h"

#include <cstdio>
#include <cstdlib>

#include "app/Ringtonepipeline.h"
#include "dialogs/Product.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/files.h"

namespace {
const char* const kNoDisplayText =
    "songsifter: no display available; to make a ringtone without one, give the song's "
    "path: songsifter SONG\n";

const char* const kUsageText =
    "Usage: songsifter [SONG]\n"
    "Makes a ringtone from an MP3 or WAVE song (.mp3 or .wav): 30 seconds, starting 10\n"
    "seconds before the first third of the song.\n"
    "\n"
    "  songsifter        shows the main window, where the song, the start and the length\n"
    "                    are chosen\n"
    "  songsifter SONG   makes the ringtone of SONG at once, with a progress dialog (on the\n"
    "                    console when there is no display)\n"
    "\n"
    "The ringtone is written beside the song, in the song's format: My Song.mp3 gives\n"
    "My Song_Chimewick_Ringtone.mp3, My Song.wav gives My Song_Chimewick_Ringtone.wav.\n"
    "The whole command line is the song's path, blanks and all.\n"
    "\n"
    "  -h, --help        print this help and exit\n"
    "  --version         print the version and exit\n"
    "\n"
    "More in the manual: man songsifter\n";

const char* const kVersionText = "songsifter (Chimewick) " CHIMEWICK_VERSION "\n";

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

std::string InformationRequested(const std::string& commandLine) {
    if ((commandLine != "--help" && commandLine != "-h" && commandLine != "--version") ||
        platform::FileExists(commandLine)) {
        return std::string();
    }
    return commandLine == "--version" ? kVersionText : kUsageText;
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
