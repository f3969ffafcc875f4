#include "wave/Wavefile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "bytes/wave_header.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

const char* const kNotSound = "Error: The input file is not a valid Sound File!";
const char* const kNotWave = "Error: The input file is not a valid Wave File!";
const char* const kCouldNotRead = "Error: Could not read wave file header!";
const char* const kPastEnd = "Error: The snippet requested is past the end of the file!";
const char* const kPositive = "Error: The snippet must have positive length!";

class WaveFileTest : public ::testing::Test {
protected:
    RecordingUserInterface ui;
    platform::ScopedUi installed{&ui};
    TempDir dir;

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir / name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
};

// 44-byte header, CD-quality stereo, byte rate 176400.
Bytes CdHeader(std::uint32_t dataSize) {
    const bytes::WaveHeaderBytes h = bytes::MakeWaveHeader(dataSize, 44100, 2, 16);
    return Bytes(h.begin(), h.end());
}

}  // namespace

TEST_F(WaveFileTest, CutsSecondsFiftyToEightyOfAThreeMinuteSongByteForByte) {
    const std::uint32_t dataSize = 31752000;
    Bytes song = CdHeader(dataSize);
    Bytes audio = CountingBytes(dataSize, 1);
    song.insert(song.end(), audio.begin(), audio.end());
    std::string path = Write("song.wav", song);

    WaveFile wave(path);
    ASSERT_TRUE(wave.ReadHeader());
    EXPECT_EQ(wave.GetDurationSeconds(), 180);
    EXPECT_EQ(wave.headerSize, 44);
    EXPECT_EQ(wave.riffSize, 31752036u);
    ASSERT_TRUE(wave.WriteSnippet(dir / "cut.wav", 50, 30));

    Bytes cut = ReadFileBytes(dir / "cut.wav");
    ASSERT_EQ(cut.size(), 44u + 5292000u);
    EXPECT_EQ(ReadLE32(cut, 4), 5292036u);
    EXPECT_EQ(ReadLE32(cut, 40), 5292000u);
    Bytes expectedHeader(song.begin(), song.begin() + 44);
    expectedHeader[4] = cut[4], expectedHeader[5] = cut[5], expectedHeader[6] = cut[6],
    expectedHeader[7] = cut[7];
    for (int i = 40; i < 44; ++i) {
        expectedHeader[i] = cut[i];
    }
    EXPECT_TRUE(std::equal(expectedHeader.begin(), expectedHeader.end(), cut.begin()));
    EXPECT_TRUE(std::equal(cut.begin() + 44, cut.end(), song.begin() + 44 + 8820000));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WaveFileTest, KeepsAnExtendedFmtChunkAndAListChunkUnchanged) {
    Bytes fmt = FmtBody(0xFFFE, 2, 8000, 16);
    Bytes extension = CountingBytes(24, 9);
    fmt.insert(fmt.end(), extension.begin(), extension.end());
    Bytes list;
    AppendText(list, "INFOISFT");
    AppendLE32(list, 3);
    AppendText(list, "abc");  // an odd-sized chunk: no pad byte follows it
    ASSERT_EQ(list.size(), 15u);
    Bytes audio = CountingBytes(32000 * 4, 2);
    Bytes song = RiffBuilder().chunk("fmt ", fmt).chunk("LIST", list).data(audio).build();
    std::string path = Write("ext.wav", song);

    WaveFile wave(path);
    ASSERT_TRUE(wave.ReadHeader());
    EXPECT_EQ(wave.fmtSize, 40u);
    EXPECT_EQ(wave.formatTag, 0xFFFE);
    EXPECT_EQ(wave.headerSize, 12 + 8 + 40 + (8 + 15) + 8);
    EXPECT_EQ(wave.GetDurationSeconds(), 4);
    ASSERT_TRUE(wave.WriteSnippet(dir / "ext_cut.wav", 1, 2));

    Bytes cut = ReadFileBytes(dir / "ext_cut.wav");
    const std::size_t header = static_cast<std::size_t>(wave.headerSize);
    ASSERT_EQ(cut.size(), header + 64000);
    // Everything between the two size fields is the source's own header.
    EXPECT_TRUE(std::equal(cut.begin() + 8, cut.begin() + header - 4, song.begin() + 8));
    EXPECT_EQ(ReadLE32(cut, header - 4), 64000u);
    EXPECT_EQ(ReadLE32(cut, 4), static_cast<std::uint32_t>(song.size() - 8 - audio.size() + 64000));
    EXPECT_TRUE(std::equal(cut.begin() + header, cut.end(), song.begin() + header + 32000));
}

TEST_F(WaveFileTest, CopiesTwoKilobytesAsOneBlockAndATailAndMovesTheBarOnce) {
    Bytes fmt = FmtBody(1, 1, 1024, 16);  // byte rate 2048: one second is n = 2048
    Bytes song = RiffBuilder().chunk("fmt ", fmt).data(CountingBytes(2048 * 3, 3)).build();
    std::string path = Write("n2048.wav", song);
    WaveFile wave(path);
    ASSERT_TRUE(wave.ReadHeader());
    ui.SetProgressPosition(40);
    ui.positions.clear();
    ASSERT_TRUE(wave.WriteSnippet(dir / "n2048_cut.wav", 1, 1));
    EXPECT_EQ(ui.positions, std::vector<int>({57}));  // 1024 / 2048 of the way from 40 to 75
    Bytes cut = ReadFileBytes(dir / "n2048_cut.wav");
    ASSERT_EQ(cut.size(), 44u + 2048u);
    EXPECT_TRUE(std::equal(cut.begin() + 44, cut.end(), song.begin() + 44 + 2048));
}

TEST_F(WaveFileTest, BarClimbsFromWhereItStandsTowardSeventyFiveButNotBeyond) {
    Bytes song = SimpleWave(1, 8000, 8, CountingBytes(8000 * 10, 4));
    WaveFile wave(Write("bar.wav", song));
    ASSERT_TRUE(wave.ReadHeader());
    ui.SetProgressPosition(40);
    ui.positions.clear();
    ASSERT_TRUE(wave.WriteSnippet(dir / "bar_cut.wav", 0, 9));
    ASSERT_FALSE(ui.positions.empty());
    EXPECT_GE(ui.positions.front(), 40);
    EXPECT_TRUE(std::is_sorted(ui.positions.begin(), ui.positions.end()));
    EXPECT_EQ(ui.positions.back(), 74);
}

TEST_F(WaveFileTest, RefusesFilesThatAreNotRiffWave) {
    Bytes good = SimpleWave(2, 44100, 16, Bytes(4 * 44100, 0));
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
        WaveHeaderRejection reason;
    };
    Bytes rifx = good;
    rifx[3] = 'X';
    Bytes lower = good;
    lower[0] = 'r';
    Bytes listFirst = RiffBuilder()
                          .chunk("LIST", Bytes(4, 'x'))
                          .chunk("fmt ", FmtBody(1, 2, 44100, 16))
                          .data(Bytes(8, 0))
                          .build();
    Bytes noData = RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 16)).build();
    Bytes hugeChunk = RiffBuilder()
                          .chunk("fmt ", FmtBody(1, 2, 44100, 16))
                          .chunkWithSize("junk", 0xFFFFFFF0u, Bytes(16, 0))
                          .data(Bytes(8, 0))
                          .build();
    Bytes hugeFmt = good;
    hugeFmt[16] = hugeFmt[17] = hugeFmt[18] = hugeFmt[19] = 0xFF;
    Bytes zeroRate = RiffBuilder().chunk("fmt ", FmtBody(1, 0, 0, 16)).data(Bytes(8, 0)).build();
    Bytes shortFmt = good;
    shortFmt.resize(30);
    using R = WaveHeaderRejection;
    Case cases[] = {
        {"RIFX", rifx, kNotSound, R::NoRiff},
        {"lower-case riff", lower, kNotSound, R::NoRiff},
        {"fmt not first", listFirst, kNotWave, R::NoWaveFmt},
        {"ends inside the fmt fields", shortFmt, kCouldNotRead, R::FmtTruncated},
        {"ends before data", noData, kCouldNotRead, R::EndsBeforeData},
        {"chunk size past the end", hugeChunk, kCouldNotRead, R::EndsBeforeData},
        {"fmt size past the end", hugeFmt, kCouldNotRead, R::EndsBeforeData},
        {"no channels, byte rate 0", zeroRate, kCouldNotRead, R::NoChannels},
        {"empty file", Bytes(), kNotSound, R::NoRiff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        WaveFile wave(Write("bad.wav", c.bytes));
        EXPECT_FALSE(wave.ReadHeader());
        EXPECT_FALSE(wave.headerRead);
        EXPECT_EQ(wave.rejection, c.reason);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>({c.message}));
    }
}

TEST_F(WaveFileTest, AcceptsAnyFormatWhoseByteRateIsWholeBlocksAndRefusesTheRest) {
    using R = WaveHeaderRejection;
    struct Case {
        const char* name;
        std::uint16_t tag, channels;
        std::uint32_t rate, byteRate;
        std::uint16_t blockAlign, bits;
        WaveHeaderRejection reason;  // None: accepted
    } cases[] = {
        {"PCM, 16-bit stereo", 1, 2, 44100, 176400, 4, 16, R::None},
        {"PCM, 24-bit mono", 1, 1, 48000, 144000, 3, 24, R::None},
        {"PCM, 8-bit mono", 1, 1, 8000, 8000, 1, 8, R::None},
        {"float, 32-bit stereo", 3, 2, 48000, 384000, 8, 32, R::None},
        {"extensible, six channels", 0xFFFE, 6, 48000, 576000, 12, 16, R::None},
        {"compressed, 22 blocks of 512 bytes a second", 2, 1, 22050, 11264, 512, 4, R::None},
        {"MPEG audio inside, one-byte blocks", 0x55, 2, 44100, 16000, 1, 0, R::None},
        {"no channels", 1, 0, 44100, 176400, 4, 16, R::NoChannels},
        {"no block alignment", 1, 2, 44100, 176400, 0, 16, R::NoBlockAlign},
        {"byte rate 0", 3, 2, 44100, 0, 8, 32, R::ZeroByteRate},
        {"byte rate not whole blocks", 3, 2, 44100, 352802, 8, 32, R::ByteRateNotWholeBlocks},
        {"byte rate 1, two-byte blocks", 1, 1, 8000, 1, 2, 16, R::ByteRateNotWholeBlocks},
        {"byte rate 1, block too small for a 16-bit sample", 7, 1, 8000, 1, 1, 16,
         R::BlockTooSmall},
        {"PCM byte rate 1 at 8000 samples a second", 1, 1, 8000, 1, 1, 8, R::PcmByteRateMismatch},
        {"PCM byte rate twice what the samples make", 1, 2, 44100, 352800, 4, 16,
         R::PcmByteRateMismatch},
        {"block too small for every channel", 0xFFFE, 2, 44100, 88200, 2, 16, R::BlockTooSmall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes fmt;
        AppendLE16(fmt, c.tag);
        AppendLE16(fmt, c.channels);
        AppendLE32(fmt, c.rate);
        AppendLE32(fmt, c.byteRate);
        AppendLE16(fmt, c.blockAlign);
        AppendLE16(fmt, c.bits);
        ui.messages.clear();
        WaveFile wave(
            Write("fmt.wav", RiffBuilder().chunk("fmt ", fmt).data(Bytes(64, 0)).build()));
        const bool accepted = c.reason == R::None;
        EXPECT_EQ(wave.ReadHeader(), accepted);
        EXPECT_EQ(wave.rejection, c.reason);
        EXPECT_EQ(ui.Texts(), accepted ? std::vector<std::string>()
                                       : std::vector<std::string>({kCouldNotRead}));
    }
}

TEST_F(WaveFileTest, EveryTruncationOfAHeaderFailsWithTheRightMessage) {
    Bytes list(10, 'L');
    Bytes song = RiffBuilder()
                     .chunk("fmt ", FmtBody(1, 2, 44100, 16))
                     .chunk("LIST", list)
                     .data(Bytes(8, 0))
                     .build();
    const std::size_t header = song.size() - 8;
    for (std::size_t length = 0; length < header; ++length) {
        SCOPED_TRACE(length);
        ui.messages.clear();
        WaveFile wave(Write("cut.wav", Bytes(song.begin(), song.begin() + length)));
        EXPECT_FALSE(wave.ReadHeader());
        const char* expected = length < 4 ? kNotSound : length < 16 ? kNotWave : kCouldNotRead;
        EXPECT_EQ(ui.Texts(), std::vector<std::string>({expected}));
        using R = WaveHeaderRejection;
        EXPECT_EQ(wave.rejection, length < 4    ? R::NoRiff
                                  : length < 16 ? R::NoWaveFmt
                                  : length < 36 ? R::FmtTruncated
                                                : R::EndsBeforeData);
    }
}

TEST_F(WaveFileTest, MissingFileAndFolderCannotBeOpened) {
    for (std::string path : {dir / "missing.wav", dir.path(), std::string()}) {
        SCOPED_TRACE(path);
        ui.messages.clear();
        WaveFile wave(path);
        EXPECT_FALSE(wave.ReadHeader());
        EXPECT_EQ(wave.rejection, WaveHeaderRejection::CannotOpen);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>({"Error: This file could not be opened!"}));
    }
}

TEST_F(WaveFileTest, RangeChecksComeInOrderAndTheLastSecondFits) {
    // 176399 audio bytes at byte rate 176400: no whole second.
    WaveFile tiny(Write("tiny.wav", SimpleWave(2, 44100, 16, Bytes(176399, 0))));
    EXPECT_FALSE(tiny.WriteSnippet(dir / "t.wav", 0, 1));
    EXPECT_EQ(ui.Texts().back(), "Error: Must read wave file header first!");
    ASSERT_TRUE(tiny.ReadHeader());
    EXPECT_EQ(tiny.GetDurationSeconds(), 0);
    EXPECT_FALSE(tiny.WriteSnippet(dir / "t.wav", 0, 30));
    EXPECT_EQ(ui.Texts().back(), kPastEnd);
    EXPECT_FALSE(tiny.WriteSnippet(dir / "t.wav", 0, 0));
    EXPECT_EQ(ui.Texts().back(), kPositive);

    WaveFile five(Write("five.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 5, 5))));
    ASSERT_TRUE(five.ReadHeader());
    ui.messages.clear();
    EXPECT_TRUE(five.WriteSnippet(dir / "f.wav", 2, 3));
    EXPECT_FALSE(five.WriteSnippet(dir / "f.wav", 2, 4));
    EXPECT_FALSE(five.WriteSnippet(dir / "f.wav", 1, -1));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>({kPastEnd, kPositive}));
}

TEST_F(WaveFileTest, NegativeStartBeginsAtTheFirstAudioByte) {
    Bytes audio = CountingBytes(8000 * 3, 6);
    WaveFile wave(Write("short.wav", SimpleWave(1, 8000, 8, audio)));
    ASSERT_TRUE(wave.ReadHeader());
    ASSERT_TRUE(wave.WriteSnippet(dir / "short_cut.wav", -1, 3));
    Bytes cut = ReadFileBytes(dir / "short_cut.wav");
    ASSERT_EQ(cut.size(), 44u + audio.size());
    EXPECT_TRUE(std::equal(cut.begin() + 44, cut.end(), audio.begin()));
}

// Streaming writers leave the lengths at 0xFFFFFFFF; the audio is then what the file holds,
// and the snippet is the one the same song with true lengths gives.
TEST_F(WaveFileTest, AnUnknownDataLengthMeansTheAudioTheFileHolds) {
    struct Case {
        std::uint16_t channels, bits;
        std::uint32_t seconds, extraBytes;
    } cases[] = {{1, 8, 5, 0}, {2, 16, 4, 3}, {1, 16, 40, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const std::uint32_t rate = 8000u * c.channels * c.bits / 8;
        Bytes known =
            SimpleWave(c.channels, 8000, c.bits, CountingBytes(rate * c.seconds + c.extraBytes, 9));
        Bytes streamed = known;
        for (std::size_t at : {std::size_t{4}, std::size_t{40}}) {
            std::fill(streamed.begin() + at, streamed.begin() + at + 4, 0xFF);
        }
        WaveFile fromKnown(Write("known.wav", known));
        WaveFile fromStreamed(Write("streamed.wav", streamed));
        ASSERT_TRUE(fromKnown.ReadHeader());
        ASSERT_TRUE(fromStreamed.ReadHeader());
        EXPECT_EQ(fromStreamed.GetDurationSeconds(), static_cast<std::int32_t>(c.seconds));
        const std::int32_t start = c.seconds > 30 ? 5 : -1;
        const std::int32_t length = std::min<std::int32_t>(3, c.seconds);
        ASSERT_TRUE(fromKnown.WriteSnippet(dir / "known_cut.wav", start, length));
        ASSERT_TRUE(fromStreamed.WriteSnippet(dir / "streamed_cut.wav", start, length));
        EXPECT_EQ(ReadFileBytes(dir / "streamed_cut.wav"), ReadFileBytes(dir / "known_cut.wav"));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WaveFileTest, TrailingChunksStayCountedInTheRiffSizeButAreNotCopied) {
    Bytes audio = CountingBytes(8000 * 4, 7);
    Bytes song = RiffBuilder()
                     .chunk("fmt ", FmtBody(1, 1, 8000, 8))
                     .data(audio)
                     .chunk("id3 ", Bytes(100, 'T'))
                     .build();
    WaveFile wave(Write("tagged.wav", song));
    ASSERT_TRUE(wave.ReadHeader());
    ASSERT_TRUE(wave.WriteSnippet(dir / "tagged_cut.wav", 1, 2));
    Bytes cut = ReadFileBytes(dir / "tagged_cut.wav");
    EXPECT_EQ(cut.size(), 44u + 16000u);
    EXPECT_EQ(ReadLE32(cut, 4), ReadLE32(song, 4) - audio.size() + 16000);
}

TEST_F(WaveFileTest, ReplacesAnEarlierSnippetAndRefusesOneThatCannotBeDeleted) {
    WaveFile wave(Write("r.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 3, 8))));
    ASSERT_TRUE(wave.ReadHeader());
    std::string target = dir / "r_cut.wav";
    ASSERT_TRUE(WriteFileBytes(target, Bytes(100000, 0xAB)));
    ASSERT_TRUE(wave.WriteSnippet(target, 0, 1));
    EXPECT_EQ(ReadFileBytes(target).size(), 44u + 8000u);

    // Nobody may write it: refused and left as it is, even for the super-user.
    std::string locked = dir / "locked.wav";
    ASSERT_TRUE(WriteFileBytes(locked, Bytes(10, 0xCD)));
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    EXPECT_FALSE(wave.WriteSnippet(locked, 0, 1));
    EXPECT_EQ(ui.Texts().back(),
              "Error: The snippet file already exists and could not be deleted!");
    EXPECT_EQ(ReadFileBytes(locked), Bytes(10, 0xCD));

    // A folder in the snippet's place cannot be deleted, whoever runs the test.
    std::string blocked = dir / "blocked.wav";
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_FALSE(wave.WriteSnippet(blocked, 0, 1));
    EXPECT_EQ(ui.Texts().back(),
              "Error: The snippet file already exists and could not be deleted!");

    EXPECT_FALSE(wave.WriteSnippet(dir / "no/such/folder.wav", 0, 1));
    EXPECT_EQ(ui.Texts().back(), "Error: Snippet File could be opened for writing!");

    std::filesystem::remove(dir / "r.wav");
    EXPECT_FALSE(wave.WriteSnippet(target, 0, 1));
    EXPECT_EQ(ui.Texts().back(), "Error: Wave File could be opened for reading!");
}

TEST_F(WaveFileTest, ASnippetWrittenToAHeldFileKeepsItHeld) {
    WaveFile wave(Write("h.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 3, 8))));
    ASSERT_TRUE(wave.ReadHeader());
    platform::HeldFile held = platform::CreateUniqueFile(dir / "h_", "_cut.wav");
    ASSERT_TRUE(held);
    ASSERT_TRUE(wave.WriteSnippet(held.name(), 0, 1));
    EXPECT_EQ(ReadFileBytes(held.name()).size(), 44u + 8000u);
    EXPECT_FALSE(platform::DeleteUnheldFile(held.name())) << "another run would take it";
}

TEST_F(WaveFileTest, DoesNotFollowALinkPlantedInTheSnippetsPlace) {
    WaveFile wave(Write("l.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 2, 9))));
    ASSERT_TRUE(wave.ReadHeader());
    std::string elsewhere = dir / "elsewhere.bin";
    ASSERT_TRUE(WriteFileBytes(elsewhere, Bytes(10, 1)));
    std::filesystem::create_symlink(elsewhere, dir / "l_cut.wav");
    ASSERT_TRUE(wave.WriteSnippet(dir / "l_cut.wav", 0, 1));
    EXPECT_EQ(ReadFileBytes(elsewhere), Bytes(10, 1));
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "l_cut.wav"));
}

TEST_F(WaveFileTest, AudioShorterThanItsHeaderClaimsIsAReadFailureNotASnippet) {
    Bytes song = SimpleWave(1, 8000, 8, CountingBytes(8000 * 5, 10));
    song.resize(song.size() - 8000 * 2 - 100);  // the last two seconds and a bit are gone
    WaveFile wave(Write("trunc.wav", song));
    ASSERT_TRUE(wave.ReadHeader());
    EXPECT_EQ(wave.GetDurationSeconds(), 5);
    EXPECT_FALSE(wave.WriteSnippet(dir / "trunc_cut.wav", 2, 3));
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: could not read properly from wave file!"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "trunc_cut.wav")) << "no partial snippet";
    // The tail is checked too: a short last block is not a made snippet either.
    ui.messages.clear();
    Bytes tiny = SimpleWave(1, 1000, 8, CountingBytes(1000, 11));
    tiny.resize(tiny.size() - 1);
    WaveFile tail(Write("tail.wav", tiny));
    ASSERT_TRUE(tail.ReadHeader());
    EXPECT_FALSE(tail.WriteSnippet(dir / "tail_cut.wav", 0, 1));
    EXPECT_EQ(ui.Texts(),
              std::vector<std::string>({"Error: could not read properly from wave file!"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "tail_cut.wav"));
}

TEST_F(WaveFileTest, AFullDiskIsAWriteFailure) {
    WaveFile wave(Write("big.wav", SimpleWave(1, 8000, 8, CountingBytes(8000 * 4, 12))));
    ASSERT_TRUE(wave.ReadHeader());
    std::string target = dir / "big_cut.wav";
    // A file-size limit in a child process stands in for a full disk.
    auto writeWithFullDisk = [&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{10000, 10000};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool made = wave.WriteSnippet(target, 0, 3);
        bool told = !ui.messages.empty() &&
                    ui.messages.back().text == "Error: could not write properly to snippet file!";
        std::_Exit(!made && told ? 0 : 1);
    };
    EXPECT_EXIT(writeWithFullDisk(), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(std::filesystem::exists(target)) << "no partial snippet";
}

TEST_F(WaveFileTest, CutsBeyondTwoGigabytesInASparseFourGigabyteSong) {
    const std::uint32_t dataSize = 0xFFFFFF00u;  // about 6 h 45 min of CD audio
    std::string path = dir / "long.wav";
    ASSERT_TRUE(WriteFileBytes(path, CdHeader(dataSize)));
    std::filesystem::resize_file(path, 44 + static_cast<std::uintmax_t>(dataSize));
    const std::int64_t start = 20000;  // 3.5 GB in
    const std::int64_t offset = 44 + start * 176400;
    Bytes marker = CountingBytes(176400, 13);
    {
        std::FILE* f = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fseeko(f, static_cast<off_t>(offset), SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(marker.data(), 1, marker.size(), f), marker.size());
        std::fclose(f);
    }
    WaveFile wave(path);
    ASSERT_TRUE(wave.ReadHeader());
    EXPECT_EQ(wave.GetDurationSeconds(), static_cast<std::int32_t>(dataSize / 176400));
    ASSERT_TRUE(wave.WriteSnippet(dir / "long_cut.wav", static_cast<std::int32_t>(start), 2));
    Bytes cut = ReadFileBytes(dir / "long_cut.wav");
    ASSERT_EQ(cut.size(), 44u + 2 * 176400u);
    EXPECT_EQ(ReadLE32(cut, 4), 36u + 2 * 176400u);
    EXPECT_TRUE(std::equal(marker.begin(), marker.end(), cut.begin() + 44));
}
