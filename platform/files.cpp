#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>
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
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    // Regular files ignore O_NONBLOCK; clear it anyway so reads behave the ordinary way.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (!f) {
        close(fd);
    }
    return f;
}

std::FILE* OpenOwnFileForUpdate(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "r+b");
    if (!f) {
        close(fd);
    }
    return f;
}

std::FILE* OpenFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* OpenFileForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb+"); }

std::FILE* CreateNewFile(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
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

std::string CreateUniqueFile(const std::string& stem, const std::string& suffix) {
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
            close(fd);
            return name;
        }
        if (errno != EEXIST) {
            return std::string();
        }
    }
    return std::string();
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
