#include "app/Ringtonenames.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"

namespace {
const char* const kRingtoneSuffix = "_Chimewick_Ringtone";
}

bool IsMp3Song(const std::string& songFile) {
    std::string name = platform::ExtractFileName(songFile);
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".mp3";
}

std::string InsertRingtoneSuffix(const std::string& path) {
    std::string folder = platform::ExtractFilePath(path);
    std::string name = platform::ExtractFileName(path);
    std::size_t at = name.size() >= 4 ? name.size() - 4 : 0;
    return folder + name.insert(at, kRingtoneSuffix);
}

RingtoneRange ChooseRingtoneRange(std::int32_t d, std::int32_t start, std::int32_t length) {
    // 64-bit intermediates: d - 2 and d - start - 1 must not wrap for extreme inputs.
    if (static_cast<std::int64_t>(start) >= static_cast<std::int64_t>(d) - 2) {
        start = -1;
    }
    if (start < 0) {
        std::int32_t automatic = d / 3 - 10;
        if (start < automatic) {
            start = automatic;
        }
    }
    std::int64_t room = static_cast<std::int64_t>(d) - start - 1;
    if (room < length) {
        length = static_cast<std::int32_t>(room);
    }
    return {start, length};
}
