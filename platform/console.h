#pragma once
// Console and clock services for the front end's status output.

namespace platform {

// True when standard error goes to a pipe or a file rather than a terminal.
bool IsStderrPipe();
// True when standard error is a terminal.
bool IsStderrTerminal();
// Moves the terminal cursor on standard error to column 0, lines rows up.
void CursorUpLines(int lines);

// Wall-clock seconds, millisecond resolution.
double RealTimeSeconds();
// Processor time used by this process, in seconds.
double CpuTimeSeconds();

}  // namespace platform
