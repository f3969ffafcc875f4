#include "chooser/Choosecommandline.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Ringtonepipeline.h"
#include "chooser/Fades.h"
#include "chooser/PartRules.h"
#include "dialogs/Product.h"
#include "platform/ConsoleUserInterface.h"

namespace {

const char* const kUsage =
    "Usage: chimewick-choose [--start START] [--length LENGTH] [--fade-in SECONDS]\n"
    "                        [--fade-out SECONDS] SONG...\n"
    "Makes a ringtone beside each MP3 or WAVE SONG from the part chosen: song.mp3 gives\n"
    "song_Chimewick_Ringtone.mp3, song.wav gives song_Chimewick_Ringtone.wav.\n"
    "With no arguments, or one SONG and no option, it opens a window to choose the part\n"
    "in, where a display is configured.\n"
    "\n"
    "  --start START       where the part begins: seconds (70), minutes and seconds\n"
    "                      (1:10) or h:mm:ss; \"auto\" (the default) is a third of the way\n"
    "                      in, less 10 seconds\n"
    "  --length LENGTH     how long it lasts, in whole seconds or m:ss (default 30)\n"
    "  --fade-in SECONDS   fades the part in over 0.5 to 5 seconds (0, the default: none)\n"
    "  --fade-out SECONDS  fades the part out the same way\n"
    "  -h, --help          shows this help\n"
    "  --version           shows the version\n"
    "\n"
    "A value may also follow its option after \"=\" (--start=1:10). As in songsifter, a start\n"
    "in a song's last two seconds falls back to auto, and the part is cut short to end at\n"
    "least a second before the song does. Messages are printed as lines on standard\n"
    "output (\"Information: The ringtone was successfully created!\"); Ctrl+C cancels.\n"
    "\n"
    "Exit status: 0 when every ringtone was made; 1 when any was not, and when no\n"
    "argument is given without a display; 2 for an unknown option or a value that is not\n"
    "valid, and when no song is given (nothing is made then).\n";

struct ChooseOptions {
    std::int32_t start = -1;
    std::int32_t length = chooser::kDefaultPartSeconds;
    chooser::Fades fades;
    std::vector<std::string> songs;
};

int BadOptions(const std::string& text) {
    std::fprintf(stderr, "chimewick-choose: %s\nTry 'chimewick-choose --help'.\n", text.c_str());
    return kChooseBadOptions;
}

// Fade lengths are plain decimals ("1", "0.5"); what strtod would also take (signs,
// exponents, "inf") is no length a person types.
std::optional<double> ParseFadeLength(const std::string& text, std::string& why) {
    bool digits = false;
    bool point = false;
    bool plain = !text.empty();
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            plain = false;
        }
    }
    const double seconds = plain && digits ? std::strtod(text.c_str(), nullptr) : -1;
    if (!plain || !digits || !chooser::IsFadeLength(seconds)) {
        why = "\"" + text + "\" is not a fade length: fades last 0.5 to 5 seconds (0 for none).";
        return std::nullopt;
    }
    return seconds;
}

// Reads the options into options; returns -1 to go on, or the status to exit with.
int ParseOptions(const std::vector<std::string>& arguments, ChooseOptions& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            std::fputs(kUsage, stdout);
            return kChooseMade;
        }
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            options.songs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--version") {
            std::fputs("chimewick-choose (Chimewick) " CHIMEWICK_VERSION "\n", stdout);
            return kChooseMade;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--start" && name != "--length" && name != "--fade-in" &&
            name != "--fade-out") {
            return BadOptions("unknown option " + name);
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return BadOptions(name + " needs a value");
        }
        std::string why;
        bool valid = true;
        if (name == "--start") {
            const std::optional<std::int32_t> start = chooser::ParseStart(value, why);
            valid = start.has_value();
            options.start = start.value_or(-1);
        } else if (name == "--length") {
            const std::optional<std::int32_t> length = chooser::ParseLength(value, why);
            valid = length.has_value();
            options.length = length.value_or(0);
        } else {
            const std::optional<double> fade = ParseFadeLength(value, why);
            valid = fade.has_value();
            (name == "--fade-in" ? options.fades.inSeconds : options.fades.outSeconds) =
                fade.value_or(0);
        }
        if (!valid) {
            return BadOptions(name + ": " + why);
        }
    }
    if (options.songs.empty()) {
        return BadOptions("no song given");
    }
    return -1;
}

}  // namespace

int RunChooseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return kChooseFailed;
    }
    ChooseOptions options;
    const int status = ParseOptions(arguments, options);
    if (status >= 0) {
        return status;
    }
    if (chooser::LongerThanIphonesTake(options.length)) {
        std::fprintf(stderr, "chimewick-choose: note: %s\n", chooser::kIphoneNote);
    }

    platform::ConsoleUserInterface ui;
    ui.CatchInterrupts();
    platform::ScopedUi installed(&ui);
    RingtonePipeline pipeline;
    chooser::UseFades(pipeline, options.fades);
    bool allMade = true;
    for (const std::string& song : options.songs) {
        pipeline.startSeconds = options.start;
        pipeline.lengthSeconds = options.length;
        if (!pipeline.MakeRingtoneBeside(song)) {
            allMade = false;
            if (ui.CancelRequested()) {
                break;
            }
        }
    }
    return allMade ? kChooseMade : kChooseFailed;
}
