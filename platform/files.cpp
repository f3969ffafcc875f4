#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

std::FILE* CreateNewFileForWriting(const std::string& path) {
    unlink(path.c_str());
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
    }
    return f;
}

std::string LongFileName(const std::string& path) {
    // POSIX file systems keep one name per file, so the name typed is the name reported.
    if (!FileExists(path)) {
        return std::string();
    }
    return ExtractFileName(path);
}

}  // namespace platform
