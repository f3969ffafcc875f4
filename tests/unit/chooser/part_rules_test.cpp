// The part's rules as tables: where "auto" puts it, how typed times are read and shown,
// and how keys and handles move it, always to a part the pipeline keeps as it is.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "app/Ringtonenames.h"
#include "chooser/PartRules.h"

using namespace chooser;

namespace {

bool SamePart(const RingtoneRange& a, const RingtoneRange& b) {
    return a.start == b.start && a.length == b.length;
}

std::string Show(const RingtoneRange& part) {
    return "{" + std::to_string(part.start) + ", " + std::to_string(part.length) + "}";
}

}  // namespace

TEST(PartRulesAutomatic, TakesThePipelinesAutomaticStartAndClipsThirtySeconds) {
    struct Case {
        std::int32_t duration;
        RingtoneRange part;
    } cases[] = {
        {180, {50, 30}}, {45, {5, 30}}, {30, {0, 29}},      {29, {-1, 29}},
        {20, {-1, 20}},  {0, {-1, 0}},  {3600, {1190, 30}}, {INT32_MAX, {715827872, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.duration);
        const RingtoneRange part = AutomaticPart(c.duration);
        EXPECT_TRUE(SamePart(part, c.part)) << Show(part);
    }
}

TEST(PartRulesTimes, ReadsSecondsMinutesAndHoursAndRefusesJunkWithAReason) {
    struct Case {
        const char* text;
        std::int32_t seconds;  // -2: refused
        const char* why;       // part of the reason
    } cases[] = {
        {"70", 70, ""},
        {"1:10", 70, ""},
        {" 1:10\t", 70, ""},
        {"0:05", 5, ""},
        {"007", 7, ""},
        {"75:03", 4503, ""},
        {"1:02:03", 3723, ""},
        {"0:59", 59, ""},
        {"2147483647", INT32_MAX, ""},
        {"596523:14:07", INT32_MAX, ""},
        {"", -2, "No time was given"},
        {"   ", -2, "No time was given"},
        {"-3", -2, "cannot be negative"},
        {"1.5", -2, "whole seconds"},
        {"1,5", -2, "whole seconds"},
        {"abc", -2, "1:10"},
        {"+5", -2, "1:10"},
        {"1 0", -2, "1:10"},
        {"1:", -2, "1:10"},
        {":10", -2, "1:10"},
        {"1::10", -2, "1:10"},
        {"1:2:3:4", -2, "1:10"},
        {"1:75", -2, "00 to 59"},
        {"1:60", -2, "00 to 59"},
        {"1:5", -2, "00 to 59"},
        {"1:005", -2, "00 to 59"},
        {"1:75:00", -2, "00 to 59"},
        {"2147483648", -2, "longer time than any song"},
        {"596523:14:08", -2, "longer time than any song"},
        {"99999999999999999999999", -2, "longer time than any song"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        std::string why;
        const std::optional<std::int32_t> seconds = ParseTime(c.text, why);
        if (c.seconds >= 0) {
            ASSERT_TRUE(seconds.has_value()) << why;
            EXPECT_EQ(*seconds, c.seconds);
        } else {
            EXPECT_FALSE(seconds.has_value()) << *seconds;
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
}

TEST(PartRulesTimes, StartTakesAutoAndLengthAtLeastOneSecond) {
    struct Case {
        std::function<std::optional<std::int32_t>(const std::string&, std::string&)> parse;
        const char* text;
        std::optional<std::int32_t> seconds;
    } cases[] = {
        {ParseStart, "auto", -1},  {ParseStart, " AUTO ", -1}, {ParseStart, "automatic", {}},
        {ParseStart, "0", 0},      {ParseStart, "1:30", 90},   {ParseLength, "auto", {}},
        {ParseLength, "0", {}},    {ParseLength, "0:00", {}},  {ParseLength, "1", 1},
        {ParseLength, "1:10", 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string why;
        EXPECT_EQ(c.parse(c.text, why), c.seconds) << why;
    }
}

TEST(PartRulesTimes, ShowsMinutesAndSecondsThatReadBackAsTheSameTime) {
    struct Case {
        std::int64_t seconds;
        const char* text;
    } cases[] = {{0, "0:00"},     {5, "0:05"},  {59, "0:59"},
                 {60, "1:00"},    {70, "1:10"}, {600, "10:00"},
                 {4503, "75:03"}, {-1, "0:00"}, {INT32_MAX, "35791394:07"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(FormatTime(c.seconds), c.text);
        std::string why;
        EXPECT_EQ(ParseTime(c.text, why), std::max<std::int64_t>(c.seconds, 0)) << why;
    }
}

TEST(PartRulesIphone, NotesLengthsBeyondFortySeconds) {
    EXPECT_FALSE(LongerThanIphonesTake(40));
    EXPECT_TRUE(LongerThanIphonesTake(41));
    EXPECT_NE(std::string(kIphoneNote).find("40 seconds"), std::string::npos);
}

TEST(PartRulesMoves, KeysAndHandlesMoveThePartWithinWhatThePipelineKeeps) {
    using Move = std::function<RingtoneRange(std::int32_t, const RingtoneRange&, std::int64_t)>;
    const Move by = MovePartBy, end = MovePartEndBy, start = DragPartStart, to = DragPartEnd,
               move = MovePartTo;
    struct Case {
        const char* what;
        Move op;
        std::int32_t duration;
        RingtoneRange part;
        std::int64_t argument;
        RingtoneRange expected;
    } cases[] = {
        {"right arrow", by, 180, {50, 30}, 1, {51, 30}},
        {"left arrow", by, 180, {50, 30}, -1, {49, 30}},
        {"left past the first second", by, 180, {50, 30}, -60, {0, 30}},
        {"right past the end", by, 180, {50, 30}, 200, {149, 30}},
        {"right at the end", by, 180, {149, 30}, 1, {149, 30}},
        {"short part near the end", by, 180, {170, 2}, 100, {177, 2}},
        {"whole short song cannot move", by, 20, {-1, 20}, 1, {-1, 20}},
        {"first sample is the first second", by, 20, {-1, 15}, -1, {-1, 15}},
        {"short song's part moves on", by, 20, {-1, 15}, 1, {1, 15}},
        {"drag inside", move, 180, {50, 30}, 100, {100, 30}},
        {"shift right", end, 180, {50, 30}, 1, {50, 31}},
        {"shift left", end, 180, {50, 30}, -1, {50, 29}},
        {"shift left keeps a second", end, 180, {50, 30}, -40, {50, 1}},
        {"shift right to the pipeline's end", end, 180, {50, 30}, 1000, {50, 129}},
        {"first sample may reach the last second", end, 20, {-1, 15}, 10, {-1, 20}},
        {"start handle left", start, 180, {50, 30}, 40, {40, 40}},
        {"start handle onto the end", start, 180, {50, 30}, 100, {79, 1}},
        {"start handle before the song", start, 180, {50, 30}, -5, {0, 80}},
        {"start handle off the first sample", start, 20, {-1, 20}, 5, {5, 14}},
        {"start handle in the last seconds", start, 180, {170, 9}, 179, {177, 2}},
        {"start handle on a tiny song", start, 2, {-1, 2}, 1, {-1, 2}},
        {"end handle right", to, 180, {50, 30}, 100, {50, 50}},
        {"end handle onto the start", to, 180, {50, 30}, 10, {50, 1}},
        {"end handle past the song", to, 180, {50, 30}, 500, {50, 129}},
        {"end handle on a long song", to, INT32_MAX, {0, 30}, INT64_MAX / 2, {0, INT32_MAX - 1}},
        {"right arrow on a long song",
         by,
         INT32_MAX,
         {715827872, 30},
         INT64_MAX / 2,
         {INT32_MAX - 31, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RingtoneRange moved = c.op(c.duration, c.part, c.argument);
        EXPECT_TRUE(SamePart(moved, c.expected)) << Show(moved);
        EXPECT_TRUE(SamePart(ChooseRingtoneRange(c.duration, moved.start, moved.length), moved))
            << "the pipeline would change " << Show(moved);
    }
}

TEST(PartRulesMoves, EveryMoveOnEverySmallSongGivesAPartThePipelineKeeps) {
    const std::function<RingtoneRange(std::int32_t, const RingtoneRange&, std::int64_t)> ops[] = {
        MovePartBy, MovePartEndBy, DragPartStart, DragPartEnd, MovePartTo};
    for (std::int32_t d = 2; d <= 40; ++d) {
        for (const auto& op : ops) {
            RingtoneRange part = AutomaticPart(d);
            for (std::int64_t argument = -3; argument <= d + 3; ++argument) {
                SCOPED_TRACE("duration " + std::to_string(d) + " from " + Show(part) + " by " +
                             std::to_string(argument));
                const RingtoneRange moved = op(d, part, argument);
                ASSERT_GE(moved.length, 1);
                ASSERT_TRUE(SamePart(ChooseRingtoneRange(d, moved.start, moved.length), moved))
                    << Show(moved);
                part = moved;
            }
        }
    }
}
