#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, with a trailing '/'.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }
    // Names of the entries directly inside the folder, sorted.
    std::vector<std::string> List() const;

private:
    std::string path_;
};

// Changes the current directory for one scope.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string& dir);
    ~ScopedCurrentDir();

private:
    std::string previous_;
};

}  // namespace testing_support
