#include "app/Startup.h"

#include <gtest/gtest.h>

TEST(CommandLine, IsTheArgumentsJoinedWithEveryQuoteRemoved) {
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{""}, ""},
        {{"\"\""}, ""},
        {{"   "}, ""},
        {{"\t \t"}, ""},
        {{"\" \""}, " "},
        {{"/My Music/song.mp3"}, "/My Music/song.mp3"},
        {{"\"/My Music/song.mp3\""}, "/My Music/song.mp3"},
        {{"/My", "Music/song.mp3"}, "/My Music/song.mp3"},
        {{"a\"b\"c.wav", "x"}, "abc.wav x"},
        {{"song.wav "}, "song.wav "},
        {{"Müsik/été 日本.wav"}, "Müsik/été 日本.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(CommandLineFromArguments(c.arguments), c.line);
    }
}
