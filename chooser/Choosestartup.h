#pragma once
// chimewick-choose with a window: the song given, or none.

#include <string>

// Runs the window on song ("" for none) until it is closed, and returns the exit status.
// Where no display can be opened it does what the command line does with the same
// arguments. A QApplication must not exist yet.
int RunChooseWindow(int argc, char** argv);
