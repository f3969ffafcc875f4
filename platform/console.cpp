#include "platform/console.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace platform {

bool IsStderrTerminal() { return isatty(fileno(stderr)) == 1; }

bool IsStderrPipe() { return !IsStderrTerminal(); }

void CursorUpLines(int lines) {
    if (lines > 0) {
        std::fprintf(stderr, "\r\033[%dA", lines);
    } else {
        std::fputc('\r', stderr);
    }
}

double RealTimeSeconds() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms / 1000) + static_cast<double>(ms % 1000) * 0.001;
}

double CpuTimeSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace platform
