#include "frontend/Mp3handler.h"

#include <vector>

#include "frontend/decodermain.h"
#include "frontend/settings.h"

namespace {

// songsifter's requests read only regular files and create their outputs as new files,
// for exactly the length of one request.
class SafeFilesForOneRequest {
public:
    SafeFilesForOneRequest() { frontend::settings.safeFiles = true; }
    ~SafeFilesForOneRequest() { frontend::settings.safeFiles = false; }
    SafeFilesForOneRequest(const SafeFilesForOneRequest&) = delete;
    SafeFilesForOneRequest& operator=(const SafeFilesForOneRequest&) = delete;
};

// A path is one word that the front end must never take for an option: a relative path
// that starts with '-' gets "./" in front, which names the same file.
std::string FileWord(std::string path) {
    if (!path.empty() && path[0] == '-') {
        path.insert(0, "./");
    }
    return path;
}

// Runs the front end on words as a command-line run would receive them. The vector owns
// its words, so it is released however the run ends, the user's cancellation included.
bool RunFrontEnd(std::vector<std::string> words) {
    std::vector<const char*> argv;
    argv.reserve(words.size() + 1);
    for (const auto& word : words) {
        argv.push_back(word.c_str());
    }
    argv.push_back(nullptr);
    SafeFilesForOneRequest safe;
    return frontend::FrontEndMain(static_cast<int>(words.size()), argv.data()) == 0;
}

}  // namespace

bool MP3Handler::Decode(std::string inPath, std::string outPath) {
    return RunFrontEnd({"lame.exe", "--decode", "--silent", FileWord(std::move(inPath)),
                        FileWord(std::move(outPath))});
}

bool MP3Handler::Encode(std::string inPath, std::string outPath) {
    return RunFrontEnd(
        {"lame.exe", "--silent", FileWord(std::move(inPath)), FileWord(std::move(outPath))});
}
