#pragma once
// chimewick-choose without a window: the part and its fades as options, for scripts. The
// ringtones, their names and the console messages are those of songsifter's command-line
// mode; only the part and the fades differ.

#include <string>
#include <vector>

// Exit statuses of RunChooseCommandLine.
inline constexpr int kChooseMade = 0;        // every ringtone was made (or --help, --version)
inline constexpr int kChooseFailed = 1;      // some song gave no ringtone, or no arguments
inline constexpr int kChooseBadOptions = 2;  // an unknown option or value: nothing was made

// Runs chimewick-choose on its arguments (the program's name not included): parses every
// option first, then makes one ringtone per song in the order given, each beside its song,
// with the console's messages on standard output. A Ctrl+C cancels the song being made and
// skips the rest. Reports bad options on standard error and returns the exit status.
int RunChooseCommandLine(const std::vector<std::string>& arguments);
