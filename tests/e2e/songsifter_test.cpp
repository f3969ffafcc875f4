// Runs build/songsifter as a user would on a machine without a display (console mode).
#include <gtest/gtest.h>

#include <filesystem>

#include "dialogs/Product.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kSuccessLine = "Information: The ringtone was successfully created!\n";

ProcessResult Songsifter(const std::vector<std::string>& args, const std::string& workingDir = "") {
    ProcessOptions options;
    options.workingDir = workingDir;
    options.timeoutSeconds = 120;
    return RunProcess(SongsifterPath(), args, options);
}

// A mono 8-bit song at 8000 bytes per second whose every byte is recognisable.
Bytes CountingSong(int seconds, Bytes* audio) {
    *audio = CountingBytes(8000u * static_cast<unsigned>(seconds), 42);
    return SimpleWave(1, 8000, 8, *audio);
}

}  // namespace

TEST(SongsifterConsole, MakesTheWaveRingtoneBesideTheSongAndExitsWithOne) {
    TempDir dir;
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", CountingSong(180, &audio)));
    ProcessResult r = Songsifter({dir / "song.wav"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, kSuccessLine);
    EXPECT_EQ(r.err, "") << "no bar is drawn when standard error is not a terminal";
    EXPECT_EQ(dir.List(), std::vector<std::string>({"song.wav", "song_Chimewick_Ringtone.wav"}));
    Bytes ringtone = ReadFileBytes(dir / "song_Chimewick_Ringtone.wav");
    ASSERT_EQ(ringtone.size(), 44u + 30 * 8000);
    EXPECT_TRUE(std::equal(ringtone.begin() + 44, ringtone.end(), audio.begin() + 50 * 8000));
}

TEST(SongsifterConsole, HandlesBlanksAndNonAsciiLettersInFolderAndName) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Müsik");
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "Müsik/été 日本.wav", CountingSong(60, &audio)));
    // As the file manager passes it: one argument, blanks kept.
    ProcessResult r = Songsifter({dir / "Müsik/été 日本.wav"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, kSuccessLine);
    Bytes ringtone = ReadFileBytes(dir / "Müsik/été 日本_Chimewick_Ringtone.wav");
    ASSERT_EQ(ringtone.size(), 44u + 30 * 8000);  // a 60 s song starts at 10 s
    EXPECT_TRUE(std::equal(ringtone.begin() + 44, ringtone.end(), audio.begin() + 10 * 8000));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"Müsik"}));
}

TEST(SongsifterConsole, QuotedAndSplitPathsAreOnePath) {
    TempDir dir;
    std::filesystem::create_directories(dir / "My Music");
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "My Music/a b.wav", CountingSong(45, &audio)));
    std::string folder = dir.path() + "My";
    ProcessResult split = Songsifter({"\"" + folder, "Music/a", "b.wav\""});
    EXPECT_EQ(split.out, kSuccessLine);
    EXPECT_TRUE(std::filesystem::exists(dir / "My Music/a b_Chimewick_Ringtone.wav"));
}

TEST(SongsifterConsole, BareNameIsLookedForInTheCurrentFolder) {
    TempDir dir;
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "here.wav", CountingSong(40, &audio)));
    ProcessResult r = Songsifter({"here.wav"}, dir.path());
    EXPECT_EQ(r.out, kSuccessLine);
    EXPECT_TRUE(std::filesystem::exists(dir / "here_Chimewick_Ringtone.wav"));
}

TEST(SongsifterConsole, ReportsFailuresAsTwoLinesAndLeavesTheFolderAlone) {
    TempDir dir;
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "notes.wav", Bytes(300, 'n')));
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", CountingSong(40, &audio)));
    const std::string cannotOpen =
        "Information: Error: This file could not be opened!\n"
        "Information: There was a problem reading the song file. Could not make ringtone.\n";
    struct Case {
        std::string arg;
        std::string out;
    } cases[] = {
        {dir / "missing.wav", cannotOpen},
        {dir / "notes.wav",
         "Information: Error: The input file is not a valid Sound File!\n"
         "Information: There was a problem reading the song file. Could not make ringtone.\n"},
        {"\" \"", cannotOpen},
        {"  ", cannotOpen},
        // A folder that cannot be entered: the song of the same name in the folder the
        // program started in is not the one asked for.
        {"/nonexistent/dir/song.wav", cannotOpen},
        {dir / "notes.wav/song.wav", cannotOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        ProcessResult r = Songsifter({c.arg}, dir.path());
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>({"notes.wav", "song.wav"}));
}

TEST(SongsifterConsole, GuiModeWithoutADisplaySaysSoAndExitsWithOne) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"\"\""}, {""}}) {
        ProcessResult r = Songsifter(args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
}

TEST(SongsifterConsole, ADisplayThatCannotBeOpenedFallsBackToConsoleMode) {
    TempDir dir;
    Bytes audio;
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", CountingSong(40, &audio)));
    ProcessOptions options;
    options.setEnv = {"DISPLAY=:97", "XAUTHORITY=/nonexistent"};
    ProcessResult r = RunProcess(SongsifterPath(), {dir / "song.wav"}, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, kSuccessLine);
    EXPECT_TRUE(std::filesystem::exists(dir / "song_Chimewick_Ringtone.wav"));
    r = RunProcess(SongsifterPath(), {}, options);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
}

TEST(SongsifterConsole, HelpAndVersionPrintAndExitWithZeroUnlessASongHasThatName) {
    const std::string usage = "Usage: songsifter [SONG]\n";
    struct Case {
        std::string arg;
        std::string out;  // the start of standard output
    } cases[] = {
        {"--help", usage},
        {"-h", usage},
        {"--version", "songsifter (Chimewick) " CHIMEWICK_VERSION "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        TempDir dir;
        // An unreachable display as well: the answer comes before any window system starts.
        for (bool display : {false, true}) {
            SCOPED_TRACE(display ? "display that cannot be opened" : "no display");
            ProcessOptions options;
            options.workingDir = dir.path();
            if (display) {
                options.setEnv = {"DISPLAY=:97", "XAUTHORITY=/nonexistent"};
            }
            ProcessResult r = RunProcess(SongsifterPath(), {c.arg}, options);
            EXPECT_EQ(r.exitStatus, 0);
            EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << r.out;
            EXPECT_EQ(r.err, "");
        }
        Bytes audio;
        ASSERT_TRUE(WriteFileBytes(dir / c.arg, CountingSong(40, &audio)));
        ProcessResult r = Songsifter({c.arg}, dir.path());
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out, kSuccessLine) << "a song of that name is a song";
        // Named as every song is, by its last four characters taken as the extension.
        EXPECT_EQ(dir.List().size(), 2u);
    }
}
