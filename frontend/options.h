#pragma once
// The front end's option parser: turns a command-line style argument vector (and the
// LAMEOPT text) into settings on a LAME flags record and on the front-end settings, and
// prints the usage, help, licence, preset and table texts.
//
// Messages go to stderr; information texts (help, licence, genre list, preset help) to
// stdout. Not re-entrant: it writes the process-wide frontend::settings.
//
// Which file holds what:
//   options.cpp          the walk over the words, LAMEOPT, names, paths and numbers, and
//                        the usage, version and bitrate-table texts
//   options_table.cpp    every short letter and long name and what each one sets, the
//                        resample rates and --priority
//   options_presets.cpp  the --preset names and their help
//   options_help.cpp     the short and long help, the licence and the genre lines
// options_walk.h is the walk's state, shared by the first two and private to them.

#include <lame/lame.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/settings.h"

namespace frontend {

// Longest path the parser stores. Longer input, output, no-gap and no-gap folder paths
// are refused, never cut: a cut path can name a different file.
constexpr int kMaxPathLength = 1024;

// Room for a stored path and its end, as the classic front end's buffers had it.
inline constexpr std::size_t kPathBufferSize = static_cast<std::size_t>(kMaxPathLength) + 1;
// The longest part of a path a derived name keeps, leaving room for a four-character
// ending such as ".mp3".
inline constexpr std::size_t kDerivedStemLength = kPathBufferSize - 4;

// LAMEOPT words taken after the program word; later words are ignored.
constexpr int kMaxEnvironmentWords = 126;

// Parses argv[1..argc-1] into gfp, settings, inPath and outPath. argv[0] only names the
// program in messages; the vector is read, never kept.
// Before the walk: empties both paths, ResetSettingsForParse(), id3tag_init(gfp).
// nogapPaths: null, or a vector already sized to *nogapCount entries (the capacity);
// on success *nogapCount becomes the number of no-gap inputs stored in
// (*nogapPaths)[0..n-1]. nogapCount may be null (no no-gap inputs allowed).
// Returns 0 to go on, -1 on failure (a message or the usage text is on stderr), -2 when
// an information text was printed and nothing more is wanted. Options applied before a
// failure stay applied.
int ParseArguments(lame_global_flags* gfp, int argc, const char* const* argv, std::string& inPath,
                   std::string& outPath, std::vector<std::string>* nogapPaths, int* nogapCount);

// Splits text at single spaces (empty words kept; tabs belong to words), puts the program
// word "lhama" in front, keeps at most kMaxEnvironmentWords words and runs ParseArguments
// without a no-gap array. Null or empty text: returns 0 and touches nothing.
int ParseEnvironmentOptions(lame_global_flags* gfp, const char* text, std::string& inPath,
                            std::string& outPath);

// The kind of input its name's last four characters announce (case ignored);
// Unknown for names shorter than four characters or other endings.
InputKind InputKindFromName(const std::string& name);

// Replaces the last component of path by the name the file system reports for it. Leaves
// the path alone when the file is not found or the result would reach kDerivedStemLength
// characters.
void FixLongFileName(std::string& path);

// Compares ASCII-case-insensitively until the end of a or the first difference; returns
// the difference of the lower-cased bytes as unsigned values (0: equal).
int CompareIgnoringCase(const char* a, const char* b);

// Version banner, then the short usage text pointing to the help options.
void PrintUsage(std::FILE* out, const char* programName);
// Layer III sample frequencies and bitrates of MPEG-1, 2 and 2.5; flushes out.
void PrintBitrateTables(std::FILE* out);
// "LAME <bitness> version <version> (<url>)", the url moved to its own line when too long.
void PrintVersionBanner(std::FILE* out);

// Banner, usage and the common options; gfp supplies the default VBR quality shown.
void PrintShortHelp(std::FILE* out, lame_global_flags* gfp, const char* programName);
// Banner, usage and every option, then the bitrate tables. With pauseInput set, each of
// the seven section breaks flushes out and reads one character from pauseInput (end of
// file returns at once); with null it prints a blank line instead.
void PrintLongHelp(std::FILE* out, lame_global_flags* gfp, const char* programName,
                   std::FILE* pauseInput);
// Banner and the licence answer.
void PrintLicense(std::FILE* out);
// What the --preset names do, ending with the alias summary.
void PrintPresetHelp(std::FILE* out);
// id3tag_genre_list callback: "%3d %s\n" on the FILE* passed as cookie.
void PrintGenreLine(int number, const char* name, void* cookie);

// Applies a --preset name (with its fast/cbr modifiers) to gfp. Names are case-sensitive.
// Returns 0, or -1 after printing the preset help ("help") or an error text on stderr.
int ApplyPresetName(lame_global_flags* gfp, bool fast, bool cbr, const std::string& name,
                    const char* programName);

// The output sample rate in Hz for a --resample value in kHz (or Hz from 1000 up);
// 0 (library's choice) after an "Illegal resample frequency" message for other values.
int ToOutputSampleRate(double value);

// --priority: above 3 high, below 3 idle, 3 unchanged; prints what it set on stdout.
void SetProcessPriority(long level);

}  // namespace frontend
