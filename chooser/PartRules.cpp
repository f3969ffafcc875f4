#include "chooser/PartRules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace chooser {

const char* const kIphoneNote = "iPhones refuse ringtones longer than 40 seconds.";

namespace {
const char* const kTimeForms = "give whole seconds (70) or minutes and seconds (1:10)";

// The longest length the pipeline leaves as it is for a part starting at start.
std::int64_t Room(std::int32_t d, std::int32_t start) {
    return static_cast<std::int64_t>(d) - start - 1;
}

// The latest start the pipeline keeps: one in the last two seconds falls back to automatic.
std::int64_t LatestStart(std::int32_t d) { return static_cast<std::int64_t>(d) - 3; }

std::string NotATime(const std::string& text, const std::string& reason) {
    return "\"" + text + "\" is not a time: " + reason + ".";
}

bool AllDigits(const std::string& field) {
    return !field.empty() && std::all_of(field.begin(), field.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; });
}
}  // namespace

RingtoneRange AutomaticPart(std::int32_t durationSeconds) {
    return ChooseRingtoneRange(durationSeconds, -1, kDefaultPartSeconds);
}

std::int32_t PartBegin(const RingtoneRange& part) { return std::max<std::int32_t>(part.start, 0); }

std::int64_t PartEnd(const RingtoneRange& part) {
    return static_cast<std::int64_t>(PartBegin(part)) + part.length;
}

bool LongerThanIphonesTake(std::int32_t lengthSeconds) {
    return lengthSeconds > kIphoneLongestSeconds;
}

std::optional<std::int32_t> ParseTime(const std::string& typed, std::string& why) {
    const std::size_t first = typed.find_first_not_of(" \t");
    const std::string text = first == std::string::npos
                                 ? std::string()
                                 : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (text.empty()) {
        why = std::string("No time was given: ") + kTimeForms + ".";
        return std::nullopt;
    }
    if (text[0] == '-') {
        why = NotATime(text, "times count from the song's start and cannot be negative");
        return std::nullopt;
    }
    if (text.find_first_of(".,") != std::string::npos) {
        why = NotATime(text, "parts are whole seconds");
        return std::nullopt;
    }
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ':') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (fields.size() > 3 || !std::all_of(fields.begin(), fields.end(), AllDigits)) {
        why = NotATime(text, kTimeForms);
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    for (char c : fields[0]) {
        seconds = std::min<std::int64_t>(seconds * 10 + (c - '0'), std::int64_t{INT32_MAX} + 1);
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].size() != 2 || fields[i][0] > '5') {
            why = NotATime(text, "minutes and seconds behind a colon are two digits, 00 to 59");
            return std::nullopt;
        }
        seconds = std::min<std::int64_t>(seconds * 60 + std::stoi(fields[i]),
                                         std::int64_t{INT32_MAX} + 1);
    }
    if (seconds > INT32_MAX) {
        why = "\"" + text + "\" is a longer time than any song.";
        return std::nullopt;
    }
    return static_cast<std::int32_t>(seconds);
}

std::optional<std::int32_t> ParseStart(const std::string& text, std::string& why) {
    std::string lower;
    for (unsigned char c : text) {
        if (c != ' ' && c != '\t') {
            lower += static_cast<char>(std::tolower(c));
        }
    }
    if (lower == "auto") {
        return -1;
    }
    return ParseTime(text, why);
}

std::optional<std::int32_t> ParseLength(const std::string& text, std::string& why) {
    std::optional<std::int32_t> seconds = ParseTime(text, why);
    if (seconds && *seconds < 1) {
        why = "A ringtone lasts at least one second.";
        return std::nullopt;
    }
    return seconds;
}

std::string FormatTime(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

RingtoneRange MovePartTo(std::int32_t d, const RingtoneRange& part, std::int64_t newBegin) {
    const std::int64_t latest = std::min(LatestStart(d), Room(d, 0) - part.length);
    if (latest < 0) {
        return part;
    }
    const std::int64_t begin = std::clamp<std::int64_t>(newBegin, 0, latest);
    if (begin == PartBegin(part)) {
        return part;
    }
    return {static_cast<std::int32_t>(begin), part.length};
}

RingtoneRange MovePartBy(std::int32_t d, const RingtoneRange& part, std::int64_t delta) {
    return MovePartTo(d, part, PartBegin(part) + delta);
}

RingtoneRange MovePartEndBy(std::int32_t d, const RingtoneRange& part, std::int64_t delta) {
    const std::int64_t room = Room(d, part.start);
    if (room < 1) {
        return part;
    }
    const std::int64_t length = std::clamp<std::int64_t>(part.length + delta, 1, room);
    return {part.start, static_cast<std::int32_t>(length)};
}

RingtoneRange DragPartStart(std::int32_t d, const RingtoneRange& part, std::int64_t second) {
    const std::int64_t end = PartEnd(part);
    const std::int64_t latest = std::min(LatestStart(d), end - 1);
    if (latest < 0) {
        return part;
    }
    const std::int64_t begin = std::clamp<std::int64_t>(second, 0, latest);
    if (begin == PartBegin(part)) {
        return part;
    }
    // A part that began at the first sample may reach the song's last second; a start of
    // its own leaves one second more at the end.
    const std::int64_t length = std::min(end - begin, Room(d, static_cast<std::int32_t>(begin)));
    return {static_cast<std::int32_t>(begin), static_cast<std::int32_t>(length)};
}

RingtoneRange DragPartEnd(std::int32_t d, const RingtoneRange& part, std::int64_t second) {
    return MovePartEndBy(d, part, second - PartEnd(part));
}

}  // namespace chooser
