// Fuzzes the option parser. Input: a LAMEOPT text, a line end, then argument words
// separated by NUL bytes. Each input gets a fresh flags record and fresh settings.
#include <sys/resource.h>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/options.h"

// --? pauses on standard input, which must be at its end. The usage and help texts would
// bury the log (and the disk): libFuzzer is told to close standard output and error for
// the target while keeping its own reports; a -close_fd_mask given later still wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args(*argv, *argv + *argc);
    static char quiet[] = "-close_fd_mask=3";
    args.insert(args.begin() + 1, quiet);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size() - 1);
    *argv = args.data();
    return std::freopen("/dev/null", "r", stdin) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t lineEnd = input.find('\n');
    std::string lameopt = input.substr(0, lineEnd);
    std::vector<std::string> words{"fuzz"};
    for (std::size_t at = lineEnd; at != std::string::npos;) {
        std::size_t end = input.find('\0', at + 1);
        words.push_back(input.substr(at + 1, end == std::string::npos ? end : end - at - 1));
        at = end;
    }
    std::vector<const char*> argv;
    for (const auto& word : words)
        argv.push_back(word.c_str());
    frontend::ResetSettingsToProcessStart();
    lame_global_flags* gfp = lame_init();
    std::string in, out;
    std::vector<std::string> nogap(4);
    int count = 4, priority = getpriority(PRIO_PROCESS, 0);
    frontend::ParseEnvironmentOptions(gfp, lameopt.c_str(), in, out);
    frontend::ParseArguments(gfp, static_cast<int>(argv.size()), argv.data(), in, out, &nogap,
                             &count);
    setpriority(PRIO_PROCESS, 0, priority);  // a --priority must not outlive its input
    lame_close(gfp);
    return 0;
}
