#include "tests/support/RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

extern char** environ;

namespace testing_support {

namespace {

std::vector<std::string> BuildEnvironment(const ProcessOptions& options) {
    std::vector<std::string> unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    unset.insert(unset.end(), options.unsetEnv.begin(), options.unsetEnv.end());
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string name = nameOf(entry);
        bool drop = false;
        for (const auto& u : unset) {
            drop = drop || u == name;
        }
        for (const auto& s : options.setEnv) {
            drop = drop || nameOf(s) == name;
        }
        if (!drop) {
            env.push_back(entry);
        }
    }
    env.insert(env.end(), options.setEnv.begin(), options.setEnv.end());
    return env;
}

}  // namespace

RunningProcess::RunningProcess(RunningProcess&& other) noexcept { *this = std::move(other); }

RunningProcess& RunningProcess::operator=(RunningProcess&& other) noexcept {
    std::swap(pid_, other.pid_);
    std::swap(outFd_, other.outFd_);
    std::swap(errFd_, other.errFd_);
    std::swap(inFd_, other.inFd_);
    std::swap(stdinData_, other.stdinData_);
    std::swap(timeoutSeconds_, other.timeoutSeconds_);
    return *this;
}

RunningProcess::~RunningProcess() {
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        Wait();
    }
}

void RunningProcess::Signal(int signalNumber) const {
    if (pid_ > 0) {
        kill(pid_, signalNumber);
    }
}

RunningProcess StartProcess(const std::string& program, const std::vector<std::string>& args,
                            const ProcessOptions& options) {
    RunningProcess started;
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0) {
        return started;
    }
    std::vector<std::string> env = BuildEnvironment(options);
    std::vector<char*> argv, envp;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    for (auto& e : env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            close(fd);
        }
        setpgid(0, 0);
        if (options.fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const auto limit = static_cast<rlim_t>(options.fileSizeLimit);
            rlimit fileSize{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
                _exit(125);
            }
        }
        if (!options.workingDir.empty() && chdir(options.workingDir.c_str()) != 0) {
            _exit(126);
        }
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    signal(SIGPIPE, SIG_IGN);
    started.pid_ = pid;
    started.outFd_ = outPipe[0];
    started.errFd_ = errPipe[0];
    started.inFd_ = inPipe[1];
    started.stdinData_ = options.stdinData;
    started.timeoutSeconds_ = options.timeoutSeconds;
    return started;
}

ProcessResult RunningProcess::Wait() {
    ProcessResult result;
    if (pid_ <= 0) {
        return result;
    }
    std::size_t written = 0;
    int inFd = inFd_;
    if (stdinData_.empty()) {
        close(inFd);
        inFd = -1;
    } else {
        fcntl(inFd, F_SETFL, O_NONBLOCK);
    }
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(timeoutSeconds_ * 1000));
    bool outOpen = true, errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen)
            fds[n++] = {outFd_, POLLIN, 0};
        if (errOpen)
            fds[n++] = {errFd_, POLLIN, 0};
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(-pid_, SIGKILL);
            break;
        }
        if (poll(fds, n, static_cast<int>(left)) < 0) {
            continue;
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, stdinData_.data() + written, stdinData_.size() - written);
                if (w > 0)
                    written += static_cast<std::size_t>(w);
                if (w < 0 || written == stdinData_.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            bool isOut = fds[i].fd == outFd_;
            if (r <= 0) {
                (isOut ? outOpen : errOpen) = false;
            } else {
                (isOut ? result.out : result.err).append(buffer, static_cast<std::size_t>(r));
            }
        }
    }
    if (inFd >= 0)
        close(inFd);
    close(outFd_);
    close(errFd_);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    return StartProcess(program, args, options).Wait();
}

bool RunShell(const std::string& command) {
    return RunProcess("/bin/sh", {"-c", command}).exitStatus == 0;
}

bool HaveTool(const std::string& tool) { return RunShell("command -v " + tool); }

std::string SongsifterPath() { return std::string(CHIMEWICK_BUILD_DIR) + "/songsifter"; }
std::string ChimewickMp3Path() { return std::string(CHIMEWICK_BUILD_DIR) + "/chimewick-mp3"; }
std::string ChimewickChoosePath() { return std::string(CHIMEWICK_BUILD_DIR) + "/chimewick-choose"; }

}  // namespace testing_support
