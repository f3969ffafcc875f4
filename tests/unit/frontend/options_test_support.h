#pragma once
// Runs the option parser on a fresh flags record and captures what it prints.

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <string>
#include <vector>

#include "frontend/options.h"
#include "frontend/settings.h"

namespace options_test {

// A fresh flags record and process-start settings for one case.
struct Flags {
    Flags() {
        frontend::ResetSettingsToProcessStart();
        gfp = lame_init();
    }
    ~Flags() { lame_close(gfp); }
    Flags(const Flags&) = delete;
    Flags& operator=(const Flags&) = delete;
    lame_global_flags* gfp;
};

struct Parsed {
    int code = 0;
    std::string in, out;
    std::string err;   // stderr
    std::string text;  // stdout
};

// Parses "lame.exe" followed by words.
inline Parsed Parse(lame_global_flags* gfp, std::vector<const char*> words,
                    std::vector<std::string>* nogapPaths = nullptr, int* nogapCount = nullptr) {
    words.insert(words.begin(), "lame.exe");
    Parsed parsed;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    parsed.code = frontend::ParseArguments(gfp, static_cast<int>(words.size()), words.data(),
                                           parsed.in, parsed.out, nogapPaths, nogapCount);
    parsed.text = testing::internal::GetCapturedStdout();
    parsed.err = testing::internal::GetCapturedStderr();
    return parsed;
}

inline Parsed ParseEnvironment(lame_global_flags* gfp, const char* text) {
    Parsed parsed;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    parsed.code = frontend::ParseEnvironmentOptions(gfp, text, parsed.in, parsed.out);
    parsed.text = testing::internal::GetCapturedStdout();
    parsed.err = testing::internal::GetCapturedStderr();
    return parsed;
}

inline bool Contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

inline bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// What PrintVersionBanner prints, for the texts that start with it.
inline std::string Banner() {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&buffer, &size);
    frontend::PrintVersionBanner(memory);
    std::fclose(memory);
    std::string banner(buffer, size);
    std::free(buffer);
    return banner;
}

}  // namespace options_test
