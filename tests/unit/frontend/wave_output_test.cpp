#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/get_audio.h"
#include "frontend/settings.h"
#include "frontend/wave_output.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace frontend;
using testing_support::Bytes;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

// Runs write on a fresh output file and returns the bytes it left.
template <typename Write>
Bytes Written(Write write) {
    TempDir dir;
    std::FILE* f = OpenOutputStream(dir / "out.wav");
    EXPECT_NE(f, nullptr);
    if (f == nullptr) {
        return {};
    }
    write(f);
    EXPECT_EQ(CloseOutputStream(f), 0);
    return ReadFileBytes(dir / "out.wav");
}

Bytes ExpectedHeader(std::uint32_t riffSize, std::uint16_t channels, std::uint32_t rate,
                     std::uint32_t byteRate, std::uint16_t align, std::uint32_t dataSize) {
    Bytes h;
    testing_support::AppendText(h, "RIFF");
    testing_support::AppendLE32(h, riffSize);
    testing_support::AppendText(h, "WAVEfmt ");
    testing_support::AppendLE32(h, 16);
    testing_support::AppendLE16(h, 1);
    testing_support::AppendLE16(h, channels);
    testing_support::AppendLE32(h, rate);
    testing_support::AppendLE32(h, byteRate);
    testing_support::AppendLE16(h, align);
    testing_support::AppendLE16(h, 16);
    testing_support::AppendText(h, "data");
    testing_support::AppendLE32(h, dataSize);
    return h;
}

TEST(WaveHeader, IsByteForByteTheFortyFourBytesOfTheFormat) {
    struct Case {
        const char* name;
        int bytes;
        int rate;
        int channels;
        Bytes expected;
    } cases[] = {
        {"10 s of 44100 Hz stereo", 1764000, 44100, 2,
         ExpectedHeader(1764036, 2, 44100, 176400, 4, 1764000)},
        {"no frames", 0, 44100, 2, ExpectedHeader(36, 2, 44100, 176400, 4, 0)},
        {"mono", 16000, 8000, 1, ExpectedHeader(16036, 1, 8000, 16000, 2, 16000)},
        {"placeholder length", 0x7FFFFFFF, 22050, 2,
         ExpectedHeader(0x80000023u, 2, 22050, 88200, 4, 0x7FFFFFFF)},
        {"capped length wraps the RIFF size", static_cast<int>(0xFFFFFFD0u), 48000, 2,
         ExpectedHeader(0xFFFFFFF4u, 2, 48000, 192000, 4, 0xFFFFFFD0u)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int result = -1;
        Bytes bytes = Written(
            [&](std::FILE* f) { result = WriteWaveHeader(f, c.bytes, c.rate, c.channels, 16); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(bytes, c.expected);
    }
}

TEST(WaveHeader, ReportsAStreamThatCannotBeWritten) {
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "x", Bytes(4, 0)));
    std::FILE* readOnly = std::fopen((dir / "x").c_str(), "rb");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(WriteWaveHeader(readOnly, 0, 44100, 2, 16), -1);
    std::fclose(readOnly);
}

TEST(SampleWriters, StoreMinusTwoInEachByteOrder) {
    const short minusTwo = -2;
    EXPECT_EQ(Written([](std::FILE* f) { Write16LE(f, -2); }), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(Written([&](std::FILE* f) { WriteBytesInOrder(f, &minusTwo, 2); }),
              (Bytes{0xFE, 0xFF}));  // this machine is little-endian
    EXPECT_EQ(Written([&](std::FILE* f) { WriteBytesReversed(f, &minusTwo, 2); }),
              (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(Written([](std::FILE* f) { Write32LE(f, 0x12345678); }),
              (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Written([](std::FILE* f) { Write32LE(f, -2); }), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(SampleWriters, TheFrameWriterMatchesThePerSampleWriters) {
    short left[kFrameSamples];
    short right[kFrameSamples];
    for (int i = 0; i < kFrameSamples; ++i) {
        left[i] = static_cast<short>(i * 37 - 20000);
        right[i] = static_cast<short>(-i * 53 + 1234);
    }
    struct Case {
        SampleByteOrder order;
        void (*write)(std::FILE*, const short&);
    } cases[] = {
        {SampleByteOrder::LittleEndian, [](std::FILE* f, const short& s) { Write16LE(f, s); }},
        {SampleByteOrder::InOrder,
         [](std::FILE* f, const short& s) { WriteBytesInOrder(f, &s, 2); }},
        {SampleByteOrder::Reversed,
         [](std::FILE* f, const short& s) { WriteBytesReversed(f, &s, 2); }},
    };
    for (const auto& c : cases) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(static_cast<int>(c.order) * 10 + channels);
            const int first = 529;  // the loop starts inside a frame after a skip
            Bytes fast = Written([&](std::FILE* f) {
                WriteSampleFrames(f, left, right, first, kFrameSamples, channels, c.order);
            });
            Bytes slow = Written([&](std::FILE* f) {
                for (int i = first; i < kFrameSamples; ++i) {
                    c.write(f, left[i]);
                    if (channels == 2) {
                        c.write(f, right[i]);
                    }
                }
            });
            EXPECT_EQ(fast.size(),
                      static_cast<std::size_t>((kFrameSamples - first) * 2 * channels));
            EXPECT_EQ(fast, slow);
        }
    }
}

TEST(WaveOutput, WhatIsWrittenReadsBackAsTheSameSamples) {
    ResetSettingsToProcessStart();
    settings.quietLevel = 10;
    short left[kFrameSamples];
    short right[kFrameSamples];
    for (int i = 0; i < kFrameSamples; ++i) {
        left[i] = static_cast<short>(i * 29 - 16000);
        right[i] = static_cast<short>(32767 - i * 41);
    }
    TempDir dir;
    std::FILE* f = OpenOutputStream(dir / "round.wav");
    ASSERT_NE(f, nullptr);
    WriteWaveHeader(f, 0x7FFFFFFF, 32000, 2, 16);
    WriteSampleFrames(f, left, right, 0, kFrameSamples, 2, SampleByteOrder::LittleEndian);
    WriteSampleFrames(f, left, right, 0, 100, 2, SampleByteOrder::LittleEndian);
    ASSERT_EQ(std::fseek(f, 0, SEEK_SET), 0);
    WriteWaveHeader(f, (kFrameSamples + 100) * 4, 32000, 2, 16);
    ASSERT_EQ(CloseOutputStream(f), 0);

    lame_global_flags* gfp = lame_init();
    OpenAudioInput(gfp, dir / "round.wav");
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
    EXPECT_EQ(lame_get_in_samplerate(gfp), 32000);
    short back[2][kFrameSamples];
    ASSERT_EQ(ReadAudioFrame16(gfp, back), kFrameSamples);
    EXPECT_TRUE(std::equal(left, left + kFrameSamples, back[0]));
    EXPECT_TRUE(std::equal(right, right + kFrameSamples, back[1]));
    EXPECT_EQ(ReadAudioFrame16(gfp, back), 100);
    EXPECT_EQ(ReadAudioFrame16(gfp, back), 0);
    CloseAudioInput();
    lame_close(gfp);
}

TEST(OutputStream, OpensForReadingAndWritingAndLeavesStandardOutputOpen) {
    TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "old.mp3", Bytes(1000, 1)));
    std::FILE* f = OpenOutputStream(dir / "old.mp3");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadFileBytes(dir / "old.mp3").size(), 0u) << "an existing file is truncated";
    std::fputs("abc", f);
    std::rewind(f);
    EXPECT_EQ(std::fgetc(f), 'a') << "the library reads the output back for its tag";
    EXPECT_EQ(CloseOutputStream(f), 0);

    EXPECT_EQ(OpenOutputStream(dir / "no such folder/x.wav"), nullptr);

    std::FILE* out = OpenOutputStream("-");
    EXPECT_EQ(out, stdout);
    EXPECT_EQ(CloseOutputStream(out), 0);
    EXPECT_NE(fcntl(fileno(stdout), F_GETFD), -1);
    EXPECT_GE(std::fflush(stdout), 0) << "standard output still works";
}

}  // namespace
