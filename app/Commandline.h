#pragma once
// Start-up without Qt: the command line, and command-line mode where no display is
// configured at all, which needs no window system and so starts at once.

#include <string>
#include <vector>

// The command line as the program sees it: the arguments joined by single blanks, and
// every double quote removed wherever it stands. Blanks are kept, leading ones too: the
// shell has already taken away those that separated the arguments. When the quote-free
// text names no existing file but the joined arguments with their quotes do, those are
// the command line. Empty means GUI mode; anything else is the path of one song.
std::string CommandLineFromArguments(const std::vector<std::string>& arguments);

// What the command line asks the program to print instead of making a ringtone: the
// usage for "--help" or "-h", the name and version for "--version". Only when that is the
// whole command line and no file of that name exists in the current folder: a file named
// "--help" is a song. Empty for every other command line.
std::string InformationRequested(const std::string& commandLine);

// True when the environment names a display or a window-system plugin (DISPLAY,
// WAYLAND_DISPLAY or QT_QPA_PLATFORM).
bool DisplayConfigured();

// Console mode: messages as lines on standard output, the bar on standard error when it
// is a terminal, Ctrl+C as Cancel. With a song path this makes the ringtone and ends the
// process with status 1; without one it says that a display is needed and returns 1.
int RunConsoleMode(const std::string& commandLine);
