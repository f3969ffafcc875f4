#pragma once
// File-system services: current directory, path splitting, existence, deletion, size.
// Paths are narrow strings in the system's encoding (UTF-8 on Debian), never reinterpreted.

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// True for the characters that separate folders in a path ('/' on POSIX).
bool IsPathSeparator(char c);

// Everything up to and including the last separator; empty when there is none.
std::string ExtractFilePath(const std::string& path);
// Everything after the last separator (the whole path when there is none).
std::string ExtractFileName(const std::string& path);

// The current working directory, with a trailing separator; empty if it cannot be read.
std::string GetCurrentDir();
// Changes the current working directory. False (and nothing changes) on failure,
// including for an empty path.
bool SetCurrentDir(const std::string& dir);

// True when path names an existing file or folder.
bool FileExists(const std::string& path);
// Deletes the named file. False when it could not be deleted; callers that ignore the
// result may do so safely (a missing file is not an error for them).
bool DeleteFile(const std::string& path);
// The size in bytes of the named file, or -1 when it cannot be determined.
std::int64_t FileSize(const std::string& path);

// True when both paths name one existing file (the same device and inode), however
// they are spelled.
bool SameFile(const std::string& a, const std::string& b);

// Opens an existing regular file for binary reading; nullptr for anything else. A named
// pipe or device would block or never end, so it is refused instead of opened.
std::FILE* OpenRegularFileForReading(const std::string& path);

// Creates path as a new, empty file for binary writing, after deleting whatever file was
// there: created exclusively and never through a symbolic link, so nothing that appears at
// the name meanwhile is written through. nullptr when it cannot be created.
std::FILE* CreateNewFileForWriting(const std::string& path);
// The name of the file as the file system reports it (the last component only), or an
// empty string when the path names nothing. On POSIX this is the path's own last
// component when the file exists.
std::string LongFileName(const std::string& path);

}  // namespace platform
