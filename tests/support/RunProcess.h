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
    // The size no file may grow beyond (with SIGXFSZ ignored, a write past it fails as on
    // a full disk); -1: no limit.
    long long fileSizeLimit = -1;
};

// Runs program with args (program is argv[0]). Display variables are removed by default
// (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM), so programs run in console mode unless
// the options set them again.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// Runs command through /bin/sh -c; true when it exits with status 0.
bool RunShell(const std::string& command);
// True when the shell finds tool (ffmpeg, sox, ...) on the search path.
bool HaveTool(const std::string& tool);

// A process started in the background: its standard output and error are collected by
// Wait, so it must not print more than a pipe holds (64 KiB) before Wait is called.
// Destroying it unwaited kills it.
class RunningProcess {
public:
    RunningProcess() = default;
    RunningProcess(RunningProcess&& other) noexcept;
    RunningProcess& operator=(RunningProcess&& other) noexcept;
    ~RunningProcess();

    // Sends signalNumber to the process itself, as a user's kill would.
    void Signal(int signalNumber) const;
    // Feeds standard input, collects the output and waits for the end, within the time
    // limit counted from this call.
    ProcessResult Wait();

private:
    friend RunningProcess StartProcess(const std::string&, const std::vector<std::string>&,
                                       const ProcessOptions&);
    int pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int inFd_ = -1;
    std::string stdinData_;
    double timeoutSeconds_ = 0;
};

RunningProcess StartProcess(const std::string& program, const std::vector<std::string>& args,
                            const ProcessOptions& options = {});

// Paths of the built executables.
std::string SongsifterPath();
std::string ChimewickMp3Path();
std::string ChimewickChoosePath();

}  // namespace testing_support
