#include "platform/process.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct Hook {
    int id;
    std::function<void()> run;
};

std::vector<Hook>& Hooks() {
    static std::vector<Hook> hooks;
    return hooks;
}
int nextHookId = 1;
std::function<void(int)> interceptor;

volatile std::sig_atomic_t terminationRequested = 0;
int terminationPipe[2] = {-1, -1};

extern "C" void OnTerminationRequest(int) {
    terminationRequested = 1;
    if (terminationPipe[1] >= 0) {
        // Non-blocking: a full pipe already says what one more byte would.
        ssize_t ignored = write(terminationPipe[1], "t", 1);
        (void)ignored;
    }
}

}  // namespace

int CatchTerminationRequests(bool alsoInterrupt) {
    if (terminationPipe[0] < 0 && pipe2(terminationPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        terminationPipe[0] = terminationPipe[1] = -1;
    }
    struct sigaction action = {};
    action.sa_handler = OnTerminationRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    if (alsoInterrupt) {
        sigaction(SIGINT, &action, nullptr);
    }
    return terminationPipe[0];
}

bool TerminationRequested() { return terminationRequested != 0; }

int AddExitHook(std::function<void()> hook) {
    Hooks().push_back({nextHookId, std::move(hook)});
    return nextHookId++;
}

void RemoveExitHook(int id) {
    auto& hooks = Hooks();
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->id == id) {
            hooks.erase(it);
            return;
        }
    }
}

void ExitProcess(int status) {
    // A hook may remove itself (or others) while running, so take them out first.
    std::vector<Hook> hooks;
    hooks.swap(Hooks());
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        it->run();
    }
    std::fflush(nullptr);
    if (interceptor) {
        interceptor(status);
    }
    std::exit(status);
}

void SetExitInterceptor(std::function<void(int)> replacement) {
    interceptor = std::move(replacement);
}

void UseAllProcessors() {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    if (online <= 0) {
        return;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    for (long cpu = 0; cpu < online && cpu < CPU_SETSIZE; ++cpu) {
        CPU_SET(static_cast<int>(cpu), &set);
    }
    (void)sched_setaffinity(0, sizeof set, &set);
}

bool SetProcessPriority(Priority priority) {
    // Raising priority needs privileges an ordinary user lacks; the failure is reported
    // to the caller, who decides whether that matters.
    int nice = priority == Priority::High ? -10 : 19;
    return setpriority(PRIO_PROCESS, 0, nice) == 0;
}

}  // namespace platform
