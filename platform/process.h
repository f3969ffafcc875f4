#pragma once
// Process services: ending the process the ordinary way, affinity and priority.

#include <functional>

namespace platform {

// Registers a clean-up that runs when the process is ended through ExitProcess (and only
// then; a normal return from main runs destructors instead). Returns an id for removal.
int AddExitHook(std::function<void()> hook);
void RemoveExitHook(int id);

// Runs the exit hooks (newest first), flushes the C streams and ends the process with
// status through the ordinary exit path, so static clean-up runs too.
[[noreturn]] void ExitProcess(int status);

// Tests replace the final exit with a function that throws, so they can watch the status.
// Pass an empty function to restore the real exit.
void SetExitInterceptor(std::function<void(int)> interceptor);

// Lets the process run on every processor the system has online. Failures are ignored.
void UseAllProcessors();

// Raises (above normal) or lowers (idle) the scheduling priority of this process.
enum class Priority { High, Idle };
bool SetProcessPriority(Priority priority);

}  // namespace platform
