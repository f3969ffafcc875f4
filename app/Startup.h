#pragma once
// Start-up: the command line, the choice between a real display and console mode, the
// four windows, and the two modes.

#include <string>
#include <vector>

// The command line as the program sees it: the arguments joined by single blanks, leading
// blanks and tabs skipped, and every double quote removed wherever it stands. Empty means
// GUI mode; anything else is the path of one song.
std::string CommandLineFromArguments(const std::vector<std::string>& arguments);

// Creates the four windows, hidden, in their fixed order: FormMain, ChimewickProgress,
// helpWindow, aboutWindow. A QApplication must exist.
void CreateWindows();
// Destroys them in reverse order (the main window's clean-up runs).
void DestroyWindows();

// The whole program: returns the process's exit status (command-line mode never returns).
int RunApplication(int argc, char** argv);
