// MP3 songs through build/songsifter in console mode.
#include <gtest/gtest.h>

#include "tests/support/AudioBuilders.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

TEST(SongsifterConsoleMp3, AnUnconvertibleSongLeavesNothingNew) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "noise.mp3", CountingBytes(20000)));
    ProcessResult r = RunProcess(SongsifterPath(), {dir / "noise.mp3"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "Information: No ringtone was created.\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>({"noise.mp3"}));
}
