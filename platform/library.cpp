#include "platform/library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "platform/files.h"

namespace platform {

std::string ExecutableFolder() {
    std::vector<char> path(4096);
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) {
        return std::string();
    }
    return ExtractFilePath(std::string(path.data(), static_cast<std::size_t>(n)));
}

void* LoadLibrarySymbol(const std::string& path, const char* symbol, std::string& error) {
    void* address = nullptr;
    if (void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        address = dlsym(library, symbol);
    }
    if (address == nullptr) {
        const char* why = dlerror();
        error = why != nullptr ? why : "";
    }
    return address;
}

}  // namespace platform
