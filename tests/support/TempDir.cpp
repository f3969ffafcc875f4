#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/files.h"

namespace testing_support {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/chimewick-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = std::string(buffer.data()) + "/";
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Write-protected files and folders made by a test must not stop the clean-up.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::List() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& dir) : previous_(platform::GetCurrentDir()) {
    platform::SetCurrentDir(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() { platform::SetCurrentDir(previous_); }

}  // namespace testing_support
