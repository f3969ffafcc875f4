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

// From this call on, SIGTERM and SIGHUP (a shutdown, a closed terminal) no longer end the
// process at once: each one sets the flag TerminationRequested reports and makes a byte
// readable on the returned descriptor, so an event loop can watch for it. The process is
// then expected to clean up and end. Returns the descriptor, or -1 when no pipe could be
// made (the flag works all the same); later calls return the same one. With
// alsoInterrupt, Ctrl+C (SIGINT) is a termination request too: where there are windows,
// nobody is watching a console for a cancel.
int CatchTerminationRequests(bool alsoInterrupt = false);
bool TerminationRequested();

// Lets the process run on every processor the system has online. Failures are ignored.
void UseAllProcessors();

// Raises (above normal) or lowers (idle) the scheduling priority of this process.
enum class Priority { High, Idle };
bool SetProcessPriority(Priority priority);

}  // namespace platform
