#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(Files, ANewFileReplacesWhatIsAtItsNameAndNeverWritesThroughIt) {
    using testing_support::Bytes;
    using testing_support::ReadFileBytes;
    using testing_support::WriteFileBytes;
    struct Case {
        const char* name;
        bool hardLink;
        bool dangling;
    } cases[] = {
        {"symbolic link", false, false},
        {"hard link", true, false},
        {"dangling link", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir / "victim", Bytes(100, 'v')));
        std::string at = dir / "new.wav";
        std::string target = c.dangling ? dir / "nothing" : dir / "victim";
        ASSERT_EQ(
            c.hardLink ? link(target.c_str(), at.c_str()) : symlink(target.c_str(), at.c_str()), 0);
        std::FILE* f = CreateNewFile(at);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(std::fputs("new", f), 1);
        EXPECT_EQ(std::fclose(f), 0);
        EXPECT_EQ(ReadFileBytes(dir / "victim"), Bytes(100, 'v'));
        EXPECT_FALSE(FileExists(dir / "nothing"));
        struct stat info;
        ASSERT_EQ(lstat(at.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_nlink, 1u);
        EXPECT_EQ(FileSize(at), 3);
    }
}

TEST(Files, OnlyWriteProtectedFilesAndFoldersMayNotBeReplaced) {
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "open", testing_support::Bytes(1, 0)));
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "locked", testing_support::Bytes(1, 0)));
    ASSERT_EQ(chmod((dir / "locked").c_str(), 0444), 0);
    ASSERT_EQ(symlink((dir / "locked").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0777), 0);
    struct Case {
        const char* name;
        bool mayReplace;
    } cases[] = {
        {"missing", true}, {"open", true}, {"link", true}, {"locked", false}, {"folder", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MayReplaceFile(dir / c.name), c.mayReplace);
    }
}

TEST(HeldFiles, OnlyARegularFileNobodyHoldsIsDeleted) {
    using testing_support::Bytes;
    using testing_support::WriteFileBytes;
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "plain", Bytes(10, 'p')));
    HeldFile made = CreateUniqueFile(dir / "made_", ".wav");
    ASSERT_TRUE(made);
    ASSERT_TRUE(WriteFileBytes(dir / "locked", Bytes(10, 'l')));
    int lockedFd = open((dir / "locked").c_str(), O_RDONLY);
    ASSERT_GE(lockedFd, 0);
    ASSERT_EQ(flock(lockedFd, LOCK_EX), 0);
    ASSERT_TRUE(WriteFileBytes(dir / "target", Bytes(10, 't')));
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0777), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        std::string name;
        bool deleted;
    } cases[] = {
        {"plain", true},   {made.name(), false}, {"locked", false},  {"link", false},
        {"folder", false}, {"pipe", false},      {"missing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.name[0] == '/' ? c.name : dir / c.name;
        EXPECT_EQ(DeleteUnheldFile(path), c.deleted);
        EXPECT_EQ(FileExists(path), !c.deleted && c.name != "missing");
    }
    EXPECT_TRUE(FileExists(dir / "target"));

    // Let go, they are leftovers like any other.
    std::string name = made.name();
    made.Release();
    close(lockedFd);
    EXPECT_TRUE(DeleteUnheldFile(name));
    EXPECT_TRUE(DeleteUnheldFile(dir / "locked"));
}

TEST(HeldFiles, AHeldFileWrittenAnewStaysHeldUnlessItHasAnotherName) {
    using testing_support::Bytes;
    using testing_support::ReadFileBytes;
    for (bool otherName : {false, true}) {
        SCOPED_TRACE(otherName ? "with a hard link elsewhere" : "alone");
        TempDir dir;
        HeldFile held = CreateUniqueFile(dir / "x_", ".wav");
        ASSERT_TRUE(held);
        if (otherName) {
            ASSERT_EQ(link(held.name().c_str(), (dir / "other").c_str()), 0);
        }
        std::FILE* f = CreateNewFile(held.name());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(std::fputs("new", f), 1);
        EXPECT_EQ(std::fclose(f), 0);
        EXPECT_EQ(FileSize(held.name()), 3);
        // Written in place, the file at the name is still the one held; through another name
        // it must not be written, so it is replaced and no longer held.
        EXPECT_EQ(DeleteUnheldFile(held.name()), otherName);
        if (otherName) {
            EXPECT_EQ(FileSize(dir / "other"), 0);
        }
    }
}
