#pragma once
// Start-up: the command line, the choice between a real display and console mode, the
// four windows, and the two modes.

#include <functional>

#include "app/Commandline.h"

// Names the application and ties its windows to the installed desktop entry, so task bars
// and docks show Chimewick's name and icon: X11 matches the entry's StartupWMClass against
// the window class (the application name), Wayland the application id (the desktop file
// name). Also sets the window icon. A QGuiApplication must exist.
void DescribeApplication();

// Creates the four windows, hidden, in their fixed order: FormMain, ChimewickProgress,
// helpWindow, aboutWindow. A QApplication must exist.
void CreateWindows();
// Destroys them in reverse order (the main window's clean-up runs).
void DestroyWindows();

// The whole program: returns the process's exit status (command-line mode never returns).
int RunApplication(int argc, char** argv);

// A program with windows: chooses the window-system plugin, creates the QApplication and
// runs console() when no display could be opened; otherwise names the application, installs
// the Qt user-interface port and the termination handling, and runs windows(). Returns
// what the one it ran returns.
int RunWithDisplay(int argc, char** argv, const std::function<int()>& console,
                   const std::function<int()>& windows);

// Start-up once the window system and the user-interface port are in place: creates the
// four windows, then runs command-line mode (which ends the process) or shows the main
// window and runs the event loop until the main window is closed. An error that escapes
// is shown in the application's own error box. Destroys the windows and returns 0.
int RunWindows(const std::string& commandLine);
