#pragma once
// Runs an executable the way a user would, with captured output and a time limit.

#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
    int exitStatus = -1;    // exit status, or -1 when it did not exit normally
    int signal = 0;         // the signal that ended it, if any
    bool timedOut = false;  // killed after the time limit
    std::string out;        // standard output
    std::string err;        // standard error
};

struct ProcessOptions {
    std::string workingDir;             // empty: inherit
    std::vector<std::string> setEnv;    // "NAME=value" added or replaced
    std::vector<std::string> unsetEnv;  // names removed
    std::string stdinData;              // fed to standard input, then closed
    double timeoutSeconds = 120.0;
};

// Runs program with args (program is argv[0]). Display variables are removed by default
// (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM), so programs run in console mode unless
// the options set them again.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// Paths of the built executables.
std::string SongsifterPath();
std::string ChimewickMp3Path();

}  // namespace testing_support
