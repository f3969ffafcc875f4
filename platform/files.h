#pragma once
// File-system services: current directory, path splitting, existence, deletion, size,
// listing a folder, creating files so that nothing already at a name is ever written
// through, and marking the files a run uses so that only abandoned ones are reclaimed.
// Paths are narrow strings in the system's encoding (UTF-8 on Debian), never reinterpreted.

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// Opens whatever is at path for binary reading, as a command-line tool does: a named pipe
// or device too. nullptr (errno set) when it cannot be opened.
std::FILE* OpenFileForReading(const std::string& path);

// Opens an existing regular file of this program's own (a snippet it made) for reading and
// changing in place, never through a link at the name; nothing is created or emptied.
// nullptr (errno set) for anything else.
std::FILE* OpenOwnFileForUpdate(const std::string& path);

// Opens path for reading and writing, created or emptied, as a command-line tool does: a
// link at the name is written through. nullptr (errno set) when it cannot be opened.
std::FILE* OpenFileForWriting(const std::string& path);

// Owns a C stream (one of the openers' above, or any other) and closes it however the
// scope is left.
class ScopedFile {
public:
    ScopedFile() = default;
    explicit ScopedFile(std::FILE* f) : f_(f) {}
    ~ScopedFile() { Close(); }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    std::FILE* get() const { return f_; }
    explicit operator bool() const { return f_ != nullptr; }
    // Closes the stream held (if any) and holds f instead.
    void reset(std::FILE* f) {
        Close();
        f_ = f;
    }
    // Closes the stream now. True when there was none, or when everything buffered reached
    // the file.
    bool Close() {
        if (!f_) {
            return true;
        }
        const bool ok = std::fclose(f_) == 0;
        f_ = nullptr;
        return ok;
    }

private:
    std::FILE* f_ = nullptr;
};

// A file this process marks as in use for as long as the hold lives: an exclusive advisory
// lock (flock) on a descriptor kept open, so another run can tell a file a live run is
// working with from one a killed run left behind (DeleteUnheldFile). The mark goes with the
// file, not the name: a move keeps it, and letting go (destruction, Release) never deletes.
// Move-only.
class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() { Release(); }
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // The name the file was created under; empty when nothing is held.
    const std::string& name() const { return name_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Ends the mark now; the file stays as it is.
    void Release();

private:
    friend HeldFile CreateUniqueFile(const std::string& stem, const std::string& suffix);
    HeldFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    int fd_ = -1;
    std::string name_;
};

// Creates path as a new, empty regular file open for reading and writing, never through a
// link: whatever is at the name (a file, a link, a hard link to another file) is removed as
// a name first, and the file is then created exclusively, so anything planted there in
// between makes the creation fail instead of being written through. A regular file held at
// the name (HeldFile; any exclusive lock counts) that has no other name is emptied where it
// is instead, so it stays marked as in use while it is written.
// Fails: nullptr, errno set; a folder at the name stays as it is.
std::FILE* CreateNewFile(const std::string& path);

// The number of random characters CreateUniqueFile puts between stem and suffix.
inline constexpr std::size_t kUniqueNameChars = 6;

// Creates a new, empty file named stem + kUniqueNameChars random letters and digits +
// suffix, exclusively and never through a link, trying fresh names while one is taken, so
// no other run or process can own the same file, and holds it from its creation on. The
// caller keeps the name within the folder's limit (FileNameLimit).
// Returns the file held; an empty HeldFile (errno set) when no file could be created.
// Where the file system keeps no locks the file is still created, and then never counts
// as unheld.
HeldFile CreateUniqueFile(const std::string& stem, const std::string& suffix);

// Deletes path when it is a regular file (never a link, a folder or anything else) that no
// process holds: the file is locked first and its name deleted only while it is locked
// and still names the file locked, so a run that is just creating or holding it keeps it.
// True when it was deleted; false, leaving everything as it was, otherwise.
bool DeleteUnheldFile(const std::string& path);

// The names of the entries directly in folder (an empty folder means the current one),
// without "." and ".."; empty when it cannot be read.
std::vector<std::string> FolderNames(const std::string& folder);

// True when nothing is at path or what is there may be replaced as a name: a link, or a
// file this user may write. False for a folder and for a write-protected file: one that
// this user may not write, or that nobody may (which also holds back the super-user).
bool MayReplaceFile(const std::string& path);

// Gives the file from the name to in one step: whatever was at to is replaced as a name
// (never written through), and to never names a partial file. False (errno set) when the
// move failed; both names are then as they were.
bool RenameFile(const std::string& from, const std::string& to);

// The longest file name, in bytes, the folder allows (its file system's limit). An empty
// folder means the current one.
std::size_t FileNameLimit(const std::string& folder);

// The name of the file as the file system reports it (the last component only), or an
// empty string when the path names nothing. On POSIX this is the path's own last
// component when the file exists.
std::string LongFileName(const std::string& path);

}  // namespace platform
