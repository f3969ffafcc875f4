#include "frontend/Mp3handler.h"

#include <vector>

#include "frontend/decodermain.h"

namespace {

// Runs the front end on words as a command-line run would receive them. The vector owns
// its words, so it is released however the run ends, the user's cancellation included.
bool RunFrontEnd(std::vector<std::string> words) {
    std::vector<const char*> argv;
    argv.reserve(words.size() + 1);
    for (const auto& word : words) {
        argv.push_back(word.c_str());
    }
    argv.push_back(nullptr);
    return frontend::FrontEndMain(static_cast<int>(words.size()), argv.data()) == 0;
}

}  // namespace

bool MP3Handler::Decode(std::string inPath, std::string outPath) {
    return RunFrontEnd({"lame.exe", "--decode", "--silent", std::move(inPath), std::move(outPath)});
}

bool MP3Handler::Encode(std::string inPath, std::string outPath) {
    return RunFrontEnd({"lame.exe", "--silent", std::move(inPath), std::move(outPath)});
}
