#include "platform/files.h"

#include <gtest/gtest.h>

#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace platform;
using testing_support::TempDir;

TEST(PathSplitting, FolderKeepsItsTrailingSeparatorAndNameIsTheRest) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/music/My Song.mp3", "/music/", "My Song.mp3"},
        {"song.wav", "", "song.wav"},
        {"/old.mp3s/song.wav", "/old.mp3s/", "song.wav"},
        {"/", "/", ""},
        {"", "", ""},
        {"a/b/", "a/b/", ""},
        {"Müsik/été 日本.wav", "Müsik/", "été 日本.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFilePath(c.path), c.folder);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
    }
}

TEST(Files, ExistsSizeAndDeleteFollowTheDisk) {
    TempDir dir;
    std::string file = dir / "x.bin";
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(FileSize(file), -1);
    EXPECT_FALSE(DeleteFile(file));
    ASSERT_TRUE(testing_support::WriteFileBytes(file, testing_support::Bytes(1234, 7)));
    EXPECT_TRUE(FileExists(file));
    EXPECT_EQ(FileSize(file), 1234);
    EXPECT_EQ(LongFileName(file), "x.bin");
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(LongFileName(file), "");
    EXPECT_EQ(FileSize(dir.path()), -1) << "a folder has no file size";
}

TEST(Files, CurrentDirectoryRoundTripsAndRefusesEmptyAndMissing) {
    TempDir dir;
    std::string before = GetCurrentDir();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.back(), '/');
    EXPECT_FALSE(SetCurrentDir(""));
    EXPECT_FALSE(SetCurrentDir(dir / "missing/"));
    EXPECT_EQ(GetCurrentDir(), before);
    ASSERT_TRUE(SetCurrentDir(dir.path()));
    EXPECT_TRUE(FileExists(GetCurrentDir()));
    ASSERT_TRUE(SetCurrentDir(before));
}
