#include "app/Startup.h"

#include <gtest/gtest.h>

#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using testing_support::TempDir;

TEST(CommandLine, IsTheArgumentsJoinedWithEveryQuoteRemoved) {
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{""}, ""},
        {{"\"\""}, ""},
        // Blanks that reach the program belong to the path: no shell left them there.
        {{"   "}, "   "},
        {{"\t \t"}, "\t \t"},
        {{" lead.wav"}, " lead.wav"},
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

TEST(CommandLine, KeepsQuotesOnlyWhenTheNameAsGivenIsTheOneThatExists) {
    TempDir dir;
    for (const char* name : {"my \"best\" song.wav", "both \"x\".wav", "both x.wav"}) {
        ASSERT_TRUE(testing_support::WriteFileBytes(dir / name, testing_support::Bytes(4, 0)));
    }
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{dir / "my \"best\" song.wav"}, dir / "my \"best\" song.wav"},
        {{dir / "my", "\"best\"", "song.wav"}, dir / "my \"best\" song.wav"},
        {{dir / "both \"x\".wav"}, dir / "both x.wav"},
        {{dir / "\"missing\".wav"}, dir / "missing.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(CommandLineFromArguments(c.arguments), c.line);
    }
}
