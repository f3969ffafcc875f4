#include "tests/support/RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

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

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    ProcessResult result;
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0) {
        return result;
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

    std::size_t written = 0;
    int inFd = inPipe[1];
    if (options.stdinData.empty()) {
        close(inFd);
        inFd = -1;
    } else {
        fcntl(inFd, F_SETFL, O_NONBLOCK);
    }
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(options.timeoutSeconds * 1000));
    bool outOpen = true, errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen)
            fds[n++] = {outPipe[0], POLLIN, 0};
        if (errOpen)
            fds[n++] = {errPipe[0], POLLIN, 0};
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            break;
        }
        if (poll(fds, n, static_cast<int>(left)) < 0) {
            continue;
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, options.stdinData.data() + written,
                                  options.stdinData.size() - written);
                if (w > 0)
                    written += static_cast<std::size_t>(w);
                if (w < 0 || written == options.stdinData.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            bool isOut = fds[i].fd == outPipe[0];
            if (r <= 0) {
                (isOut ? outOpen : errOpen) = false;
            } else {
                (isOut ? result.out : result.err).append(buffer, static_cast<std::size_t>(r));
            }
        }
    }
    if (inFd >= 0)
        close(inFd);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::string SongsifterPath() { return std::string(CHIMEWICK_BUILD_DIR) + "/songsifter"; }
std::string ChimewickMp3Path() { return std::string(CHIMEWICK_BUILD_DIR) + "/chimewick-mp3"; }

}  // namespace testing_support
