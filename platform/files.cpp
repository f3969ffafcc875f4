#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace platform {

bool IsPathSeparator(char c) { return c == '/'; }

namespace {
std::string::size_type LastSeparator(const std::string& path) {
    for (auto i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string::npos;
}

// A stream on fd, which it owns from now on (closed when no stream can be made). Regular
// files ignore O_NONBLOCK; it is cleared anyway so reads and writes behave the ordinary way.
std::FILE* StreamOnDescriptor(int fd, const char* mode) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, mode);
    if (!f) {
        close(fd);
    }
    return f;
}

// A stream on the regular file at path, opened with flags; nullptr for anything else (a
// pipe or device is never opened so far that it could block).
std::FILE* OpenRegularFile(const std::string& path, int flags, const char* mode) {
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    return StreamOnDescriptor(fd, mode);
}
}  // namespace

std::string ExtractFilePath(const std::string& path) {
    auto at = LastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& path) {
    auto at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string GetCurrentDir() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20)) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string dir(buffer.data());
    if (dir.empty() || !IsPathSeparator(dir.back())) {
        dir += '/';
    }
    return dir;
}

bool SetCurrentDir(const std::string& dir) { return !dir.empty() && chdir(dir.c_str()) == 0; }

bool FileExists(const std::string& path) {
    // lstat: a link counts as the file it is, so a dangling link is still replaced,
    // not followed to wherever it points.
    struct stat info;
    return !path.empty() && lstat(path.c_str(), &info) == 0;
}

bool DeleteFile(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

std::int64_t FileSize(const std::string& path) {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return !a.empty() && !b.empty() && stat(a.c_str(), &first) == 0 &&
           stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::FILE* OpenRegularFileForReading(const std::string& path) {
    return OpenRegularFile(path, O_RDONLY, "rb");
}

std::FILE* OpenOwnFileForUpdate(const std::string& path) {
    return OpenRegularFile(path, O_RDWR | O_NOFOLLOW, "r+b");
}

std::FILE* OpenFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* OpenFileForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb+"); }

namespace {
bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The regular file at path opened without following a link and without waiting on
// anything; -1 for any other kind of entry. Opening only what lstat calls a regular file
// keeps a device at the name from being opened at all.
int OpenRegularEntry(const std::string& path, int access) {
    struct stat named, opened;
    if (lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        return -1;
    }
    int fd = open(path.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &opened) != 0 || !SameInode(named, opened))) {
        close(fd);
        return -1;
    }
    return fd;
}

// True when something other than fd's own open file holds the lock on its file.
bool HeldElsewhere(int fd) {
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    return locked != 0 && errno == EWOULDBLOCK;
}

// The held file at path emptied for writing from its start, or nullptr when no file of
// this one name is held there.
std::FILE* EmptyHeldFile(const std::string& path) {
    int fd = OpenRegularEntry(path, O_RDWR);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_nlink != 1 || !HeldElsewhere(fd) ||
        ftruncate(fd, 0) != 0) {
        close(fd);
        return nullptr;
    }
    return StreamOnDescriptor(fd, "w+b");
}

// Locks the file just created as name. A reclaiming run may have locked it in the moment
// between, and then deletes it; false then, and also when it already has. Where the file
// system keeps no locks nobody reclaims, so the file is as good as held.
bool HoldCreated(int fd, const std::string& name) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno != EWOULDBLOCK && errno != EINTR;
    }
    struct stat held, named;
    return fstat(fd, &held) == 0 && held.st_nlink > 0 && lstat(name.c_str(), &named) == 0 &&
           SameInode(held, named);
}
}  // namespace

HeldFile::HeldFile(HeldFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), name_(std::exchange(other.name_, {})) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        name_ = std::exchange(other.name_, {});
    }
    return *this;
}

void HeldFile::Release() {
    if (fd_ >= 0) {
        close(fd_);
    }
    fd_ = -1;
    name_.clear();
}

std::FILE* CreateNewFile(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    if (std::FILE* held = EmptyHeldFile(path)) {
        return held;
    }
    unlink(path.c_str());
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* f = fdopen(fd, "w+b");
    if (!f) {
        int saved = errno;
        close(fd);
        unlink(path.c_str());
        errno = saved;
    }
    return f;
}

HeldFile CreateUniqueFile(const std::string& stem, const std::string& suffix) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    // Taken names are rare; a bounded number of tries keeps a folder full of them from
    // turning into a hang.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (std::size_t i = 0; i < kUniqueNameChars; ++i) {
            name += kLetters[pick(generator)];
        }
        name += suffix;
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (HoldCreated(fd, name)) {
                return HeldFile(fd, std::move(name));
            }
            close(fd);
            continue;
        }
        if (errno != EEXIST) {
            return HeldFile();
        }
    }
    return HeldFile();
}

bool DeleteUnheldFile(const std::string& path) {
    int fd = OpenRegularEntry(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    struct stat held, named;
    // Deleted only while locked, and only if the name still names the file locked: a run
    // that created a new file there since keeps it.
    bool deleted = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
                   lstat(path.c_str(), &named) == 0 && SameInode(held, named) &&
                   unlink(path.c_str()) == 0;
    close(fd);
    return deleted;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(std::move(name));
        }
    }
    closedir(dir);
    return names;
}

bool MayReplaceFile(const std::string& path) {
    struct stat info;
    if (path.empty() || lstat(path.c_str(), &info) != 0) {
        // Nothing there to protect; creating the file will tell whether the name is usable.
        return true;
    }
    if (S_ISLNK(info.st_mode)) {
        return true;
    }
    if (S_ISDIR(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return !from.empty() && !to.empty() && rename(from.c_str(), to.c_str()) == 0;
}

std::size_t FileNameLimit(const std::string& folder) {
    long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : static_cast<std::size_t>(NAME_MAX);
}

std::string LongFileName(const std::string& path) {
    // POSIX file systems keep one name per file, so the name typed is the name reported.
    if (!FileExists(path)) {
        return std::string();
    }
    return ExtractFileName(path);
}

}  // namespace platform
