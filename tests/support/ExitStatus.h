#pragma once
// Watching platform::ExitProcess from a test without ending the test process.

#include <functional>

#include "platform/process.h"

namespace testing_support {

// Runs run with the final exit replaced; returns the status ExitProcess was called with
// (its exit hooks have run by then), or -1 when run returned without exiting.
inline int ExitStatusOf(const std::function<void()>& run) {
    struct Exited {
        int status;
    };
    platform::SetExitInterceptor([](int status) { throw Exited{status}; });
    int status = -1;
    try {
        run();
    } catch (const Exited& e) {
        status = e.status;
    }
    platform::SetExitInterceptor(nullptr);
    return status;
}

}  // namespace testing_support
