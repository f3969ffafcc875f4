#pragma once
// The rules of the part a person chooses from a song: where it starts by itself, how it is
// clipped, how typed times are read and shown, and how keys and handles move it. Pure
// functions on the song's duration and the part, in whole seconds, so a window and the
// command line share them and the ringtone holds exactly the part shown.
//
// A part is the pipeline's RingtoneRange: a start of -1 stands for the first sample (the
// automatic start of a song under 30 seconds), shown as 0:00. A part the functions below
// return is always one the pipeline keeps as it is, so it is also the ringtone's range.

#include <cstdint>
#include <optional>
#include <string>

#include "app/Ringtonenames.h"

namespace chooser {

// The length a part has until the person changes it, as the main window's.
inline constexpr std::int32_t kDefaultPartSeconds = 30;
// Longer ringtones are refused by iPhones; the part may still be longer.
inline constexpr std::int32_t kIphoneLongestSeconds = 40;
extern const char* const kIphoneNote;

// The part "auto" chooses: the pipeline's automatic start with kDefaultPartSeconds,
// clipped as the pipeline clips it. Parts of other starts and lengths are clipped by
// ChooseRingtoneRange itself.
RingtoneRange AutomaticPart(std::int32_t durationSeconds);

// The first second the part holds: its start, 0 for the first sample.
std::int32_t PartBegin(const RingtoneRange& part);
// The second just behind the part.
std::int64_t PartEnd(const RingtoneRange& part);

// True when the part is longer than iPhones take (kIphoneNote says so; nothing refuses it).
bool LongerThanIphonesTake(std::int32_t lengthSeconds);

// A time typed by a person: whole seconds ("70"), minutes and seconds ("1:10") or hours,
// minutes and seconds ("1:02:03"); blanks around it are ignored. Seconds (and minutes
// behind hours) are exactly two digits below 60. Returns the seconds, or nothing with
// why set to a sentence saying what is wrong ("-3", "1.5", "1:75", "abc", a value beyond
// 32 bits, empty text).
std::optional<std::int32_t> ParseTime(const std::string& text, std::string& why);
// A start: "auto" (any case) gives -1, anything else is read by ParseTime.
std::optional<std::int32_t> ParseStart(const std::string& text, std::string& why);
// A length: as ParseTime, and at least one second.
std::optional<std::int32_t> ParseLength(const std::string& text, std::string& why);

// Seconds as m:ss, minutes counting on past 59 ("75:03"); ParseTime reads it back. A
// start of -1 shows as 0:00.
std::string FormatTime(std::int64_t seconds);

// The part moved to begin at newBegin, its length kept: it stops at the song's first
// second and where its end or start would leave what the pipeline keeps. Unchanged when
// it cannot move at all.
RingtoneRange MovePartTo(std::int32_t durationSeconds, const RingtoneRange& part,
                         std::int64_t newBegin);
// The arrow keys: by delta seconds, as MovePartTo (dragging inside the part is the same,
// by how far the pointer went).
RingtoneRange MovePartBy(std::int32_t durationSeconds, const RingtoneRange& part,
                         std::int64_t delta);
// Shift+arrows: the end by delta seconds, the start kept; the part keeps at least one
// second and ends where the pipeline would clip it at the latest.
RingtoneRange MovePartEndBy(std::int32_t durationSeconds, const RingtoneRange& part,
                            std::int64_t delta);
// The start handle dragged to second: the end stays put while it can; the part keeps at
// least one second and a start the pipeline keeps.
RingtoneRange DragPartStart(std::int32_t durationSeconds, const RingtoneRange& part,
                            std::int64_t second);
// The end handle dragged to second, as MovePartEndBy to that end.
RingtoneRange DragPartEnd(std::int32_t durationSeconds, const RingtoneRange& part,
                          std::int64_t second);

}  // namespace chooser
