#include "frontend/get_audio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio_ext.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/FatalInputError.h"
#include "frontend/settings.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"
#include "tests/support/Mp3Builder.h"

using namespace frontend;
using testing_support::AppendBE16;
using testing_support::AppendBE32;
using testing_support::AppendLE16;
using testing_support::AppendLE32;
using testing_support::AppendText;
using testing_support::Bytes;
using testing_support::FmtBody;
using testing_support::RiffBuilder;

namespace {

// Every sample the input delivers, channel by channel.
struct Decoded {
    std::vector<int> left;
    std::vector<int> right;
    int calls = 0;
};

// Reads to the end. The frame loop is bounded: no input of these tests holds more than
// 100000 frames, so a reader that never reports the end fails instead of hanging.
Decoded ReadAll(lame_global_flags* gfp, bool wide) {
    Decoded out;
    for (int guard = 0; guard < 100000; ++guard) {
        int wideBuffer[2][kFrameSamples];
        short narrowBuffer[2][kFrameSamples];
        // Garbage in channel 1 shows whether a mono reader really writes zeros there.
        for (int i = 0; i < kFrameSamples; ++i) {
            wideBuffer[1][i] = 0x5A5A5A5A;
            narrowBuffer[1][i] = 0x5A5A;
        }
        const int n = wide ? ReadAudioFrame(gfp, wideBuffer) : ReadAudioFrame16(gfp, narrowBuffer);
        ++out.calls;
        if (n == 0) {
            return out;
        }
        for (int i = 0; i < n; ++i) {
            out.left.push_back(wide ? wideBuffer[0][i] : narrowBuffer[0][i]);
            out.right.push_back(wide ? wideBuffer[1][i] : narrowBuffer[1][i]);
        }
    }
    ADD_FAILURE() << "the input never reported its end";
    return out;
}

class AudioInput : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettingsToProcessStart();
        ResetSettingsForParse();  // as every run's argument parse leaves them
        settings.quietLevel = 10;
        gfp_ = lame_init();
        ASSERT_NE(gfp_, nullptr);
    }
    void TearDown() override {
        ReleaseAudioInput();
        lame_close(gfp_);
        ResetSettingsToProcessStart();
    }
    std::string Write(const Bytes& bytes, const std::string& name = "input.bin") {
        std::string path = dir_ / name;
        EXPECT_TRUE(testing_support::WriteFileBytes(path, bytes));
        return path;
    }
    void Open(const Bytes& bytes, InputKind kind = InputKind::Unknown) {
        settings.inputKind = kind;
        OpenAudioInput(gfp_, Write(bytes));
    }
    // Opens and expects the run to end with status; returns what went to standard error.
    std::string OpenExpectingFailure(const std::string& path, int status) {
        ::testing::internal::CaptureStderr();
        int thrown = -1;
        try {
            OpenAudioInput(gfp_, path);
        } catch (const FatalInputError& e) {
            thrown = e.status;
        }
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(thrown, status);
        EXPECT_EQ(CurrentAudioInput().stream, nullptr) << "a failed open must release its file";
        EXPECT_EQ(CurrentAudioInput().decoder, nullptr);
        return err;
    }
    unsigned long NumSamples() const { return lame_get_num_samples(gfp_); }

    testing_support::TempDir dir_;
    lame_global_flags* gfp_ = nullptr;
};

Bytes Pcm16(const std::vector<int>& samples) {
    Bytes out;
    for (int s : samples) {
        AppendLE16(out, static_cast<std::uint16_t>(s));
    }
    return out;
}

// Interleaved 16-bit stereo where left = 2i and right = -(2i + 1) for frame i.
Bytes CountingStereo16(int frames) {
    std::vector<int> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(2 * i);
        samples.push_back(-(2 * i + 1));
    }
    return Pcm16(samples);
}

// The 40-byte "fmt " body of an extensible header whose sub-format GUID stands for subTag.
Bytes ExtensibleFmt(std::uint16_t subTag, std::uint16_t channels, std::uint16_t containerBits,
                    std::uint16_t validBits, std::uint16_t cbSize = 22,
                    std::uint8_t guidTail0 = 0x00) {
    Bytes fmt = FmtBody(0xFFFE, channels, 44100, containerBits);
    AppendLE16(fmt, cbSize);
    AppendLE16(fmt, validBits);
    AppendLE32(fmt, channels == 1 ? 0x4u : 0x3u);
    AppendLE32(fmt, subTag);
    fmt.insert(fmt.end(),
               {guidTail0, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return fmt;
}

TEST_F(AudioInput, WaveChunkLayoutsDeliverExactlyTheAnnouncedSamples) {
    const Bytes pcm = CountingStereo16(3000);
    const Bytes fmt = FmtBody(1, 2, 22050, 16);
    Bytes fmtExtended = fmt;
    AppendLE16(fmtExtended, 0);  // cbSize of an 18-byte "fmt "
    Bytes info;
    AppendText(info, "INFOISFT");
    AppendLE32(info, 3);
    AppendText(info, "abc");  // odd size, and no pad byte follows
    RiffBuilder nineteenFillers = RiffBuilder().chunk("fmt ", fmt);
    for (int i = 0; i < 18; ++i) {
        nineteenFillers.chunk("junk", Bytes(i, 1));
    }
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"plain", RiffBuilder().chunk("fmt ", fmt).data(pcm).build()},
        {"LIST between fmt and data",
         RiffBuilder().chunk("fmt ", fmt).chunk("LIST", info).data(pcm).build()},
        {"18-byte fmt", RiffBuilder().chunk("fmt ", fmtExtended).data(pcm).build()},
        {"data as the 20th chunk", RiffBuilder(nineteenFillers).data(pcm).build()},
        {"tag after the data",
         RiffBuilder().chunk("fmt ", fmt).data(pcm).chunk("id3 ", Bytes(500, 7)).build()},
        {"later fmt overrides",
         RiffBuilder().chunk("fmt ", FmtBody(1, 1, 8000, 8)).chunk("fmt ", fmt).data(pcm).build()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.file);
        EXPECT_EQ(settings.inputKind, InputKind::Wave);
        EXPECT_EQ(lame_get_in_samplerate(gfp_), 22050);
        EXPECT_EQ(lame_get_num_channels(gfp_), 2);
        EXPECT_EQ(NumSamples(), 3000u);
        Decoded d = ReadAll(gfp_, false);
        ASSERT_EQ(d.left.size(), 3000u);
        for (int i = 0; i < 3000; i += 997) {
            EXPECT_EQ(d.left[i], 2 * i);
            EXPECT_EQ(d.right[i], -(2 * i + 1));
        }
        EXPECT_EQ(d.left.back(), 2 * 2999);
        CloseAudioInput();
    }
}

TEST_F(AudioInput, WaveWithDataLengthZeroIsReadToTheEnd) {
    Bytes pcm = CountingStereo16(1500);
    Open(RiffBuilder()
             .chunk("fmt ", FmtBody(1, 2, 44100, 16))
             .chunkWithSize("data", 0, pcm)
             .build());
    EXPECT_EQ(settings.inputKind, InputKind::Wave);
    EXPECT_EQ(NumSamples(), 0u);
    EXPECT_EQ(ReadAll(gfp_, true).left.size(), 1500u);
}

TEST_F(AudioInput, ExtensibleAndFloatWavesDeliverFullScaleSamples) {
    constexpr int kMax = INT32_MAX;
    constexpr int kMin = INT32_MIN;
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    // Stereo pairs: in range, both ends of the scale, beyond them, and values without a level.
    const std::vector<double> floats = {0.5, -0.25, 1.0, -1.0, 2.0, -3.0, nan, inf, -inf, 0.0};
    const std::vector<int> fromFloats = {0x40000000, -0x20000000, kMax, kMin, kMax,
                                         kMin,       0,           kMax, kMin, 0};
    Bytes f32, f64;
    for (double v : floats) {
        const auto f = static_cast<float>(v);
        std::uint32_t bits32;
        std::memcpy(&bits32, &f, 4);
        AppendLE32(f32, bits32);
        std::uint64_t bits64;
        std::memcpy(&bits64, &v, 8);
        AppendLE32(f64, static_cast<std::uint32_t>(bits64));
        AppendLE32(f64, static_cast<std::uint32_t>(bits64 >> 32));
    }
    Bytes fmt18 = FmtBody(3, 2, 44100, 32);
    AppendLE16(fmt18, 0);
    Bytes fact;
    AppendLE32(fact, 5);
    Bytes pcm32;
    for (std::uint32_t v : {0x12345600u, 0x80000000u, 0x7FFFFF00u, 0x00000100u}) {
        AppendLE32(pcm32, v);
    }
    struct Case {
        const char* name;
        Bytes fmt;
        Bytes samples;
        std::vector<int> wide;  // left, right, left, ...
    } cases[] = {
        {"extensible 16-bit PCM",
         ExtensibleFmt(1, 2, 16, 16),
         Pcm16({0x1234, -2, -32768, 1}),
         {0x12340000, -0x20000, kMin, 0x10000}},
        {"extensible 24 valid bits in a 32-bit container",
         ExtensibleFmt(1, 2, 32, 24),
         pcm32,
         {0x12345600, kMin, 0x7FFFFF00, 0x100}},
        {"float 32, 18-byte fmt", fmt18, f32, fromFloats},
        {"float 64", FmtBody(3, 2, 44100, 64), f64, fromFloats},
        {"extensible float 32", ExtensibleFmt(3, 2, 32, 32), f32, fromFloats},
        {"extensible float 64", ExtensibleFmt(3, 2, 64, 64), f64, fromFloats},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t frames = c.wide.size() / 2;
        for (bool wide : {true, false}) {
            SCOPED_TRACE(wide ? "32-bit frames" : "16-bit frames");
            Open(RiffBuilder().chunk("fmt ", c.fmt).chunk("fact", fact).data(c.samples).build());
            EXPECT_EQ(settings.inputKind, InputKind::Wave);
            EXPECT_EQ(lame_get_num_channels(gfp_), 2);
            EXPECT_EQ(NumSamples(), frames);
            Decoded d = ReadAll(gfp_, wide);
            ASSERT_EQ(d.left.size(), frames);
            for (std::size_t i = 0; i < frames; ++i) {
                SCOPED_TRACE(::testing::Message() << "frame " << i);
                const int left = c.wide[2 * i];
                const int right = c.wide[2 * i + 1];
                EXPECT_EQ(d.left[i], wide ? left : left >> 16);
                EXPECT_EQ(d.right[i], wide ? right : right >> 16);
            }
            CloseAudioInput();
        }
    }
}

TEST_F(AudioInput, UnusableWaveHeadersWarnAndAreReadFromByteZeroAsRawBigEndian) {
    const Bytes pcm = CountingStereo16(100);
    RiffBuilder twentyFillers = RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 16));
    for (int i = 0; i < 19; ++i) {
        twentyFillers.chunk("junk", Bytes(4, 0));
    }
    using R = HeaderRejection;
    struct Case {
        const char* name;
        Bytes file;
        HeaderRejection reason;
    } cases[] = {
        {"data as the 21st chunk", RiffBuilder(twentyFillers).data(pcm).build(), R::TooManyChunks},
        {"fmt shorter than 16", RiffBuilder().chunk("fmt ", Bytes(14, 1)).data(pcm).build(),
         R::FmtTooShort},
        {"data before fmt", RiffBuilder().data(pcm).chunk("fmt ", FmtBody(1, 2, 44100, 16)).build(),
         R::NoFmt},
        {"no WAVE form",
         RiffBuilder().form("AVI ").chunk("fmt ", FmtBody(1, 2, 44100, 16)).data(pcm).build(),
         R::NoWaveForm},
        {"chunk size past the end",
         RiffBuilder()
             .chunk("fmt ", FmtBody(1, 2, 44100, 16))
             .chunkWithSize("LIST", 0xFFFFFFF0u, Bytes(8, 0))
             .build(),
         R::EndsBeforeData},
    };
    lame_set_in_samplerate(gfp_, 32000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.quietLevel = 0;
        ::testing::internal::CaptureStderr();
        Open(c.file);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("Warning: corrupt or unsupported WAVE format\n"), std::string::npos)
            << err;
        EXPECT_NE(err.find("Assuming raw pcm input file\n"), std::string::npos) << err;
        EXPECT_EQ(settings.inputKind, InputKind::RawPcm);
        EXPECT_EQ(CurrentAudioInput().headerRejection, c.reason);
        // Raw input keeps the context's rate and channels; its length is guessed at two
        // bytes per sample.
        EXPECT_EQ(lame_get_in_samplerate(gfp_), 32000);
        EXPECT_EQ(NumSamples(), c.file.size() / 4);
        Decoded d = ReadAll(gfp_, false);
        ASSERT_EQ(d.left.size(), c.file.size() / 4);
        EXPECT_EQ(d.left[0], 0x5249);   // "RI", big-endian
        EXPECT_EQ(d.right[0], 0x4646);  // "FF"
        CloseAudioInput();
    }
}

TEST_F(AudioInput, PcmUnpackingFollowsWidthAndByteOrder) {
    struct Case {
        const char* name;
        InputKind kind;  // Wave is little-endian, raw big-endian
        int swap;
        int bits;
        Bytes sample;
        std::uint32_t wide;
    } cases[] = {
        {"8-bit 0x00", InputKind::Wave, 0, 8, {0x00}, 0x807F0000u},
        {"8-bit 0x80", InputKind::Wave, 0, 8, {0x80}, 0x007F0000u},
        {"8-bit 0xFF", InputKind::Wave, 0, 8, {0xFF}, 0x7F7F0000u},
        {"8-bit ignores -x", InputKind::Wave, 1, 8, {0xFF}, 0x7F7F0000u},
        {"16-bit wave", InputKind::Wave, 0, 16, {0x34, 0x12}, 0x12340000u},
        {"16-bit wave -x", InputKind::Wave, 1, 16, {0x34, 0x12}, 0x34120000u},
        {"16-bit raw", InputKind::RawPcm, 0, 16, {0x34, 0x12}, 0x34120000u},
        {"16-bit raw -x", InputKind::RawPcm, 1, 16, {0x34, 0x12}, 0x12340000u},
        {"24-bit wave", InputKind::Wave, 0, 24, {0x56, 0x34, 0x12}, 0x12345600u},
        {"24-bit raw", InputKind::RawPcm, 0, 24, {0x12, 0x34, 0x56}, 0x12345600u},
        {"32-bit wave", InputKind::Wave, 0, 32, {0x78, 0x56, 0x34, 0x92}, 0x92345678u},
        {"32-bit raw", InputKind::RawPcm, 0, 32, {0x92, 0x34, 0x56, 0x78}, 0x92345678u},
        {"32-bit raw -x", InputKind::RawPcm, 1, 32, {0x78, 0x56, 0x34, 0x92}, 0x92345678u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.swapBytes = c.swap;
        settings.inputBitWidth = c.bits;
        Bytes pcm;
        for (int i = 0; i < 3; ++i) {
            pcm.insert(pcm.end(), c.sample.begin(), c.sample.end());
        }
        Bytes file =
            c.kind == InputKind::Wave
                ? RiffBuilder()
                      .chunk("fmt ", FmtBody(1, 1, 8000, static_cast<std::uint16_t>(c.bits)))
                      .data(pcm)
                      .build()
                : pcm;
        lame_set_num_channels(gfp_, 1);
        for (bool wide : {true, false}) {
            SCOPED_TRACE(wide ? "32-bit frames" : "16-bit frames");
            Open(file, c.kind);
            Decoded d = ReadAll(gfp_, wide);
            ASSERT_EQ(d.left.size(), 3u);
            const int expected =
                wide ? static_cast<std::int32_t>(c.wide) : static_cast<std::int16_t>(c.wide >> 16);
            EXPECT_EQ(d.left, std::vector<int>(3, expected));
            EXPECT_EQ(d.right, std::vector<int>(3, 0)) << "mono leaves channel 1 at zero";
            CloseAudioInput();
        }
    }
}

TEST_F(AudioInput, EightBitSamplesInSixteenBitFramesAreTheTopBits) {
    Open(testing_support::SimpleWave(1, 8000, 8, {0x00, 0x80, 0xFF}));
    EXPECT_EQ(ReadAll(gfp_, false).left, (std::vector<int>{-32641, 127, 32639}));
}

TEST_F(AudioInput, TruncatedStereoDropsTheTrailingHalfFrameAndPartialSample) {
    Bytes pcm = CountingStereo16(10);
    pcm.push_back(0x11);  // a lone byte: part of no sample
    for (int width : {16, 24}) {
        SCOPED_TRACE(width);
        settings.inputBitWidth = width;
        Open(pcm, InputKind::RawPcm);
        EXPECT_EQ(ReadAll(gfp_, true).left.size(), width == 16 ? 10u : 6u);  // 41 bytes: 13 samples
        CloseAudioInput();
    }
}

TEST_F(AudioInput, ReadsStopAtTheFrameSizeTheEncoderWants) {
    lame_set_in_samplerate(gfp_, 16000);
    lame_set_out_samplerate(gfp_, 16000);
    Open(testing_support::SimpleWave(2, 16000, 16, CountingStereo16(1000)));
    ASSERT_EQ(lame_init_params(gfp_), 0);
    ASSERT_EQ(lame_get_framesize(gfp_), 576);
    Decoded d = ReadAll(gfp_, true);
    EXPECT_EQ(d.left.size(), 1000u);
    EXPECT_EQ(d.calls, 3);  // 576 + 424 + the end
}

TEST_F(AudioInput, UnusableEncodingsWidthsAndChannelCountsEndTheRun) {
    auto wave = [](const Bytes& fmt) {
        return RiffBuilder().chunk("fmt ", fmt).data(Bytes(48, 0)).build();
    };
    const std::string unsupported = "Unsupported WAVE format in " + dir_ / "input.bin" + ": ";
    const std::string unknownSubFormat =
        unsupported +
        "an extensible header whose sub-format is neither integer PCM nor floating point\n";
    struct Case {
        const char* name;
        Bytes file;
        std::string message;
    } cases[] = {
        {"6-channel extensible", wave(ExtensibleFmt(1, 6, 16, 16)),
         "Unsupported number of channels: 6d\n"},
        {"6-channel float", wave(FmtBody(3, 6, 44100, 32)), "Unsupported number of channels: 6d\n"},
        {"ADPCM", wave(FmtBody(2, 2, 44100, 4)),
         unsupported + "format tag 0x0002 is neither integer PCM nor floating point\n"},
        {"extensible MP3", wave(ExtensibleFmt(0x55, 2, 16, 16)), unknownSubFormat},
        {"extensible, GUID of another family", wave(ExtensibleFmt(1, 2, 16, 16, 22, 0x01)),
         unknownSubFormat},
        {"extensible, cbSize below 22", wave(ExtensibleFmt(1, 2, 16, 16, 21)), unknownSubFormat},
        {"extensible without its extension", wave(FmtBody(0xFFFE, 2, 44100, 16)), unknownSubFormat},
        {"16-bit float", wave(FmtBody(3, 1, 44100, 16)),
         unsupported + "16-bit floating point (only 32 and 64 bits are supported)\n"},
        {"extensible 24-bit float", wave(ExtensibleFmt(3, 2, 24, 24)),
         unsupported + "24-bit floating point (only 32 and 64 bits are supported)\n"},
        {"3 channels", testing_support::SimpleWave(3, 44100, 16, Bytes(60, 0)),
         "Unsupported number of channels: 3d\n"},
        {"0 channels",
         RiffBuilder().chunk("fmt ", FmtBody(1, 0, 44100, 16)).data(Bytes(8, 0)).build(),
         "Unsupported number of channels: 0d\n"},
        {"0 bits", RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 0)).data(Bytes(8, 0)).build(),
         "Only 8, 16, 24 and 32 bit input files supported \n"},
        {"0xFFFF bits",
         RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 0xFFFF)).data(Bytes(8, 0)).build(),
         "Only 8, 16, 24 and 32 bit input files supported \n"},
        {"0x8001 bits",
         RiffBuilder().chunk("fmt ", FmtBody(1, 1, 44100, 0x8001)).data(Bytes(8, 0)).build(),
         "Only 8, 16, 24 and 32 bit input files supported \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.quietLevel = 9;
        settings.inputKind = InputKind::Unknown;
        EXPECT_EQ(OpenExpectingFailure(Write(c.file), 1), c.message);
        settings.quietLevel = 10;
        settings.inputKind = InputKind::Unknown;
        EXPECT_EQ(OpenExpectingFailure(Write(c.file), 1), "") << "silent at quietLevel 10";
    }
}

TEST_F(AudioInput, AnOddWidthIsRefusedAtTheFirstRead) {
    settings.quietLevel = 0;
    Open(testing_support::SimpleWave(1, 8000, 12, Bytes(30, 0)));
    ::testing::internal::CaptureStderr();
    int thrown = -1;
    try {
        int buffer[2][kFrameSamples];
        ReadAudioFrame(gfp_, buffer);
    } catch (const FatalInputError& e) {
        thrown = e.status;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Only 8, 16, 24 and 32 bit input files supported \n");
    EXPECT_EQ(thrown, 1);
    EXPECT_EQ(CurrentAudioInput().stream, nullptr);
}

TEST_F(AudioInput, AMissingFileEndsTheRunWithStatusOne) {
    settings.quietLevel = 0;
    const std::string path = dir_ / "no such.wav";
    EXPECT_EQ(OpenExpectingFailure(path, 1), "Could not find \"" + path + "\".\n");
}

// --- AIFF ---

Bytes Extended80(double value) {
    Bytes out;
    if (value == 0) {
        return Bytes(10, 0);
    }
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent);  // value = mantissa * 2^exponent
    const auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    AppendBE16(out, static_cast<std::uint16_t>(16383 + exponent - 1));
    AppendBE32(out, static_cast<std::uint32_t>(bits >> 32));
    AppendBE32(out, static_cast<std::uint32_t>(bits));
    return out;
}

struct AiffLayout {
    std::string form = "AIFF";
    std::uint16_t channels = 2;
    std::uint32_t frames = 0;
    std::uint16_t bits = 16;
    double rate = 44100;
    std::string compression = "NONE";
    std::uint32_t blockSize = 0;
    Bytes before;  // whole chunks placed before COMM
};

Bytes Aiff(const AiffLayout& layout, const Bytes& sound) {
    Bytes comm;
    AppendBE16(comm, layout.channels);
    AppendBE32(comm, layout.frames);
    AppendBE16(comm, layout.bits);
    Bytes rate = Extended80(layout.rate);
    comm.insert(comm.end(), rate.begin(), rate.end());
    if (layout.form == "AIFC") {
        AppendText(comm, layout.compression);
        AppendText(comm, std::string("\x04none", 5));
        comm.push_back(0);  // pad of the compression name
    }
    Bytes body;
    AppendText(body, layout.form);
    body.insert(body.end(), layout.before.begin(), layout.before.end());
    AppendText(body, "COMM");
    AppendBE32(body, static_cast<std::uint32_t>(comm.size()));
    body.insert(body.end(), comm.begin(), comm.end());
    AppendText(body, "SSND");
    AppendBE32(body, static_cast<std::uint32_t>(sound.size() + 8));
    AppendBE32(body, 0);
    AppendBE32(body, layout.blockSize);
    body.insert(body.end(), sound.begin(), sound.end());
    Bytes file;
    AppendText(file, "FORM");
    AppendBE32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

TEST_F(AudioInput, AiffAndAifcDeliverTheirSamplesInTheirByteOrder) {
    Bytes fver;
    AppendText(fver, "FVER");
    AppendBE32(fver, 4);
    AppendBE32(fver, 0xA2805140u);
    struct Case {
        const char* name;
        std::string form;
        std::string compression;
        double rate;
        int swap;
        Bytes sample;  // one 16-bit sample as stored
    } cases[] = {
        {"AIFF 44100", "AIFF", "NONE", 44100, 0, {0x12, 0x34}},
        {"AIFF 22050", "AIFF", "NONE", 22050, 0, {0x12, 0x34}},
        {"AIFF -x", "AIFF", "NONE", 8000, 1, {0x34, 0x12}},
        {"AIFC NONE", "AIFC", "NONE", 48000, 0, {0x12, 0x34}},
        {"AIFC twos", "AIFC", "twos", 11025, 0, {0x12, 0x34}},
        {"AIFC sowt", "AIFC", "sowt", 44100, 0, {0x34, 0x12}},
        {"AIFC sowt -x", "AIFC", "sowt", 22050, 1, {0x12, 0x34}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.swapBytes = c.swap;
        AiffLayout layout;
        layout.form = c.form;
        layout.compression = c.compression;
        layout.rate = c.rate;
        layout.frames = 4;
        layout.before = c.form == "AIFC" ? fver : Bytes();
        Bytes sound;
        for (int i = 0; i < 8; ++i) {
            sound.insert(sound.end(), c.sample.begin(), c.sample.end());
        }
        sound.insert(sound.end(), 6, 0x77);  // trailing bytes past the announced frames
        Open(Aiff(layout, sound), InputKind::Aiff);
        EXPECT_EQ(settings.inputKind, InputKind::Aiff);
        EXPECT_EQ(lame_get_in_samplerate(gfp_), static_cast<int>(c.rate));
        EXPECT_EQ(NumSamples(), 4u);
        Decoded d = ReadAll(gfp_, false);
        EXPECT_EQ(d.left, std::vector<int>(4, 0x1234));
        EXPECT_EQ(d.right, std::vector<int>(4, 0x1234));
        CloseAudioInput();
    }
}

TEST_F(AudioInput, UnusableAiffHeadersFallBackToRawWithTheirReason) {
    using R = HeaderRejection;
    struct Case {
        const char* name;
        AiffLayout layout;
        const char* message;
        bool infiniteRate;
        HeaderRejection reason;
    } cases[] = {
        {"8 bits",
         [] {
             AiffLayout s;
             s.bits = 8;
             return s;
         }(),
         "Sound data is not 16 bits in 'name'\n", false, R::NotSixteenBits},
        {"3 channels",
         [] {
             AiffLayout s;
             s.channels = 3;
             return s;
         }(),
         "Sound data is not mono or stereo in 'name'\n", false, R::NotMonoOrStereo},
        {"block size 4",
         [] {
             AiffLayout s;
             s.blockSize = 4;
             return s;
         }(),
         "Block size is not 0 bytes in 'name'\n", false, R::BlockSizeNotZero},
        {"AIFC ima4",
         [] {
             AiffLayout s;
             s.form = "AIFC";
             s.compression = "ima4";
             return s;
         }(),
         "", false, R::UnknownCompression},
        {"infinite rate", AiffLayout(), "", true, R::UnusableRate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.quietLevel = 0;
        Bytes file = Aiff(c.layout, Bytes(16, 0));
        if (c.infiniteRate) {
            file[28] = 0x7F;  // exponent 0x7FFF
            file[29] = 0xFF;
        }
        ::testing::internal::CaptureStderr();
        Open(file, InputKind::Aiff);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string(c.message) + "Assuming raw pcm input file\n");
        EXPECT_EQ(settings.inputKind, InputKind::RawPcm);
        EXPECT_EQ(CurrentAudioInput().headerRejection, c.reason);
        EXPECT_EQ(ReadAll(gfp_, true).left.size(), file.size() / 4);
        CloseAudioInput();
    }
}

TEST_F(AudioInput, MalformedChunkSizesEndTheHeaderWalkAtTheEndOfTheFile) {
    // Sizes that read as negative would step backwards forever; they must count as huge.
    Bytes aiff;
    AppendText(aiff, "FORM");
    AppendBE32(aiff, 0x7FFFFFFF);
    AppendText(aiff, "AIFF");
    for (int i = 0; i < 4; ++i) {
        AppendText(aiff, "JUNK");
        AppendBE32(aiff, 0xFFFFFFFFu);
    }
    Bytes shortComm;
    AppendText(shortComm, "FORM");
    AppendBE32(shortComm, 100);
    AppendText(shortComm, "AIFFCOMM");
    AppendBE32(shortComm, 2);  // shorter than its own fields
    shortComm.insert(shortComm.end(), 30, 0);
    Bytes wave = RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 16)).build();
    for (int i = 0; i < 4; ++i) {
        AppendText(wave, "JUNK");
        AppendLE32(wave, 0xFFFFFFF8u);
    }
    const struct {
        Bytes file;
        HeaderRejection reason;
    } cases[] = {{aiff, HeaderRejection::NoSoundChunk},
                 {shortComm, HeaderRejection::CommTooShort},
                 {wave, HeaderRejection::EndsBeforeData}};
    for (const auto& [file, reason] : cases) {
        Open(file);
        EXPECT_EQ(settings.inputKind, InputKind::RawPcm);
        EXPECT_EQ(CurrentAudioInput().headerRejection, reason);
        EXPECT_EQ(ReadAll(gfp_, true).left.size(), file.size() / 4);
        CloseAudioInput();
    }
}

TEST(Extended80, ConvertsTheSampleRatesAiffFilesUse) {
    struct Case {
        Bytes bytes;
        double value;
    } cases[] = {
        {Extended80(44100), 44100},
        {Extended80(22050), 22050},
        {Extended80(8000), 8000},
        {Extended80(0.5), 0.5},
        {Bytes(10, 0), 0},
        {{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, 44100},
        {{0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, -44100},
        {{0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, INFINITY},
    };
    testing_support::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(testing_support::WriteFileBytes(dir / "x", c.bytes));
        std::FILE* f = std::fopen((dir / "x").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(ReadExtended80BE(f), c.value);
        std::fclose(f);
    }
}

TEST(ByteReaders, SignExtendCombineAndReadPastTheEndAsFF) {
    testing_support::TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(
        dir / "x", {0x34, 0x92, 0x92, 0x34, 0x01, 0x02, 0x03, 0x84, 0x84, 0x03, 0x02, 0x01, 0x7F}));
    std::FILE* f = std::fopen((dir / "x").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Read16LE(f), -0x6DCC);  // 0x9234
    EXPECT_EQ(Read16BE(f), -0x6DCC);
    EXPECT_EQ(Read32LE(f), static_cast<std::int32_t>(0x84030201u));
    EXPECT_EQ(Read32BE(f), static_cast<std::int32_t>(0x84030201u));
    EXPECT_EQ(Read16BE(f), 0x7FFF);  // 0x7F, then past the end
    EXPECT_EQ(Read32LE(f), -1);
    std::fclose(f);
}

// --- standard input ---

// Makes standard input read bytes from a pipe for one scope: a stream that cannot seek.
class ScopedStdinPipe {
public:
    explicit ScopedStdinPipe(const Bytes& bytes) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
        std::size_t written = 0;
        while (written < bytes.size()) {
            ssize_t n = write(fds[1], bytes.data() + written, bytes.size() - written);
            if (n <= 0) {
                break;
            }
            written += static_cast<std::size_t>(n);
        }
        EXPECT_EQ(written, bytes.size()) << "the pipe must hold the whole test input";
        close(fds[1]);
        saved_ = dup(0);
        dup2(fds[0], 0);
        close(fds[0]);
        __fpurge(stdin);
        std::clearerr(stdin);
    }
    ~ScopedStdinPipe() {
        __fpurge(stdin);
        dup2(saved_, 0);
        close(saved_);
        std::clearerr(stdin);
    }

private:
    int saved_ = -1;
};

TEST_F(AudioInput, StandardInputSkipsChunksByReadingAndIsNeverClosed) {
    Bytes info(5000, 'i');
    Bytes file = RiffBuilder()
                     .chunk("fmt ", FmtBody(1, 2, 44100, 16))
                     .chunk("LIST", info)
                     .data(CountingStereo16(2000))
                     .build();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        ScopedStdinPipe input(file);
        settings.inputKind = InputKind::Wave;
        OpenAudioInput(gfp_, "-");
        EXPECT_TRUE(CurrentAudioInput().streamIsStdin);
        EXPECT_EQ(settings.inputKind, InputKind::Wave);
        Decoded d = ReadAll(gfp_, false);
        ASSERT_EQ(d.left.size(), 2000u);
        EXPECT_EQ(d.right[1999], -3999);
        CloseAudioInput();
        EXPECT_EQ(CurrentAudioInput().stream, nullptr);
        EXPECT_NE(fcntl(fileno(stdin), F_GETFD), -1) << "standard input stays open";
    }
}

TEST_F(AudioInput, RawStandardInputGetsNoSizeEstimate) {
    ScopedStdinPipe input(CountingStereo16(700));
    settings.inputKind = InputKind::RawPcm;
    OpenAudioInput(gfp_, "-");
    EXPECT_EQ(NumSamples(), 0xFFFFFFFFul);
    EXPECT_EQ(ReadAll(gfp_, true).left.size(), 700u);
}

TEST_F(AudioInput, AnUnknownOrOverlongDataLengthIsReadToTheEndWithTheTrueCount) {
    const Bytes stereo = CountingStereo16(3000);
    const Bytes mono8 = testing_support::CountingBytes(5000, 3);
    auto wave = [](const Bytes& fmt, std::uint32_t length, const Bytes& pcm) {
        return RiffBuilder().chunk("fmt ", fmt).chunkWithSize("data", length, pcm).build();
    };
    struct Case {
        const char* name;
        Bytes file;
        std::size_t frames;
    } cases[] = {
        {"8-bit mono, length unknown", wave(FmtBody(1, 1, 8000, 8), 0xFFFFFFFFu, mono8), 5000},
        {"16-bit stereo, length unknown", wave(FmtBody(1, 2, 44100, 16), 0xFFFFFFFFu, stereo),
         3000},
        {"16-bit stereo, one frame past the end", wave(FmtBody(1, 2, 44100, 16), 4 * 3001, stereo),
         3000},
        {"16-bit stereo, far past the end", wave(FmtBody(1, 2, 44100, 16), 0x7FFFFFF0u, stereo),
         3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.file);
        EXPECT_EQ(settings.inputKind, InputKind::Wave);
        EXPECT_EQ(NumSamples(), c.frames);
        EXPECT_EQ(ReadAll(gfp_, false).left.size(), c.frames);
        CloseAudioInput();
    }
    // Standard input that cannot tell its size is read to its end, the count unknown.
    ScopedStdinPipe input(wave(FmtBody(1, 2, 44100, 16), 0xFFFFFFFFu, stereo));
    settings.inputKind = InputKind::Wave;
    OpenAudioInput(gfp_, "-");
    EXPECT_EQ(NumSamples(), 0xFFFFFFFFul);
    Decoded d = ReadAll(gfp_, false);
    ASSERT_EQ(d.left.size(), 3000u);
    EXPECT_EQ(d.right.back(), -5999);
}

TEST(SkipForward, ReadsForwardOnAPipeAndRefusesToGoBack) {
    ResetSettingsToProcessStart();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    Bytes bytes(9000, 0);
    bytes[8999] = 0x42;
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), 9000);
    close(fds[1]);
    std::FILE* f = fdopen(fds[0], "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(SkipForward(f, 8999, SEEK_CUR), 0);
    EXPECT_EQ(std::fgetc(f), 0x42);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SkipForward(f, -4, SEEK_CUR), -1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("fskip problem"), std::string::npos);
    EXPECT_EQ(SkipForward(f, 10, SEEK_CUR), -1) << "the input ended first";
    std::fclose(f);
}

// --- MPEG ---

class MpegInput : public AudioInput {
protected:
    static const testing_support::Mp3File& Song() {
        static const testing_support::Mp3File song = testing_support::EncodeMp3({});
        return song;
    }
    Decoded DecodeFile(const Bytes& bytes, bool wide = false) {
        Open(bytes, InputKind::MpegLayer3);
        return ReadAll(gfp_, wide);
    }
};

TEST_F(MpegInput, AThreeMinuteSongDeliversEveryFrame) {
    testing_support::Mp3Options options;
    options.seconds = 180;
    const testing_support::Mp3File song = testing_support::EncodeMp3(options);
    ASSERT_EQ(song.audioFrames, 6892);
    Decoded d = DecodeFile(song.bytes);
    EXPECT_EQ(d.left.size(), 6892u * 1152u);
    EXPECT_EQ(lame_get_num_samples(gfp_), 6892ul * 1152ul) << "from the Info tag";
    EXPECT_EQ(mp3InputInfo.totalframes, 6892);
}

TEST_F(MpegInput, TheTagGivesDelayAndPaddingAndTheStreamItsFormat) {
    Open(Song().bytes, InputKind::MpegLayer3);
    EXPECT_EQ(settings.inputEncoderDelay, Song().encoderDelay);
    EXPECT_GT(settings.inputEncoderPadding, 0);
    EXPECT_EQ(lame_get_in_samplerate(gfp_), 44100);
    EXPECT_EQ(lame_get_num_channels(gfp_), 2);
    EXPECT_EQ(mp3InputInfo.framesize, 1152);
    EXPECT_EQ(mp3InputInfo.bitrate, 128);
    EXPECT_EQ(mp3InputInfo.nsamp, static_cast<unsigned long>(Song().audioFrames) * 1152);
}

TEST_F(MpegInput, LeadingTagsAreSkippedAndTheSamplesStayTheSame) {
    const Decoded plain = DecodeFile(Song().bytes);
    ASSERT_EQ(plain.left.size(), static_cast<std::size_t>(Song().audioFrames) * 1152);
    CloseAudioInput();

    const std::uint8_t size257[4] = {0x00, 0x00, 0x02, 0x01};
    Bytes id3 = testing_support::Id3v2Tag(size257, Bytes(257, 0xFF));  // sync-like filler
    Bytes albumId = {'A', 'i', 'D', 1, 40, 0};
    albumId.insert(albumId.end(), 34, 0xFF);
    struct Case {
        const char* name;
        Bytes prefix;
        const char* message;
    } cases[] = {
        {"ID3v2 of 257 bytes", id3,
         "ID3v2 found. Be aware that the ID3 tag is currently lost when transcoding.\n"},
        {"Album ID block", albumId, "Album ID found.  length=40 \n"},
        {"junk before the first frame", Bytes(300, 0x00), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = c.prefix;
        file.insert(file.end(), Song().bytes.begin(), Song().bytes.end());
        settings.quietLevel = 0;
        ::testing::internal::CaptureStderr();
        Open(file, InputKind::MpegLayer3);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(settings.inputEncoderDelay, Song().encoderDelay) << "the tag frame was found";
        Decoded d = ReadAll(gfp_, false);
        EXPECT_EQ(d.left, plain.left);
        EXPECT_EQ(d.right, plain.right);
        CloseAudioInput();
    }
}

TEST_F(MpegInput, OnlyInputDeclaredLayerThreeFindsLayerThreeFrames) {
    settings.quietLevel = 0;
    for (InputKind kind : {InputKind::MpegLayer1, InputKind::MpegLayer2}) {
        settings.inputKind = kind;
        const std::string path = Write(Song().bytes, "song.mp1");
        EXPECT_EQ(OpenExpectingFailure(path, 1),
                  "Error reading headers in mp3 input file " + path + ".\n");
    }
    const std::string junk = Write(Bytes(5000, 0x00), "junk.mp3");
    settings.inputKind = InputKind::MpegLayer3;
    EXPECT_EQ(OpenExpectingFailure(junk, 1),
              "Error reading headers in mp3 input file " + junk + ".\n");
}

TEST_F(MpegInput, MonoFramesLeaveChannelOneAtZero) {
    testing_support::Mp3Options options;
    options.channels = 1;
    options.sampleRate = 22050;
    const testing_support::Mp3File song = testing_support::EncodeMp3(options);
    for (bool wide : {true, false}) {
        SCOPED_TRACE(wide);
        Decoded d = DecodeFile(song.bytes, wide);
        EXPECT_EQ(lame_get_num_channels(gfp_), 1);
        EXPECT_EQ(d.left.size(), static_cast<std::size_t>(song.audioFrames) * 576);
        EXPECT_EQ(d.right, std::vector<int>(d.left.size(), 0));
        CloseAudioInput();
    }
}

TEST_F(MpegInput, ThirtyTwoBitFramesAreTheSixteenBitSamplesShifted) {
    const Decoded narrow = DecodeFile(Song().bytes, false);
    CloseAudioInput();
    const Decoded wide = DecodeFile(Song().bytes, true);
    ASSERT_EQ(wide.left.size(), narrow.left.size());
    for (std::size_t i = 0; i < wide.left.size(); i += 101) {
        ASSERT_EQ(wide.left[i], narrow.left[i] * 65536);
        ASSERT_EQ(wide.right[i], narrow.right[i] * 65536);
    }
}

TEST_F(MpegInput, WithoutATagTheLengthIsEstimatedFromTheFileSize) {
    testing_support::Mp3Options options;
    options.infoTag = false;
    options.seconds = 1;
    Bytes file = testing_support::EncodeMp3(options).bytes;
    file.resize(1000000, 0);  // the size is all the estimate looks at
    Open(file, InputKind::MpegLayer3);
    EXPECT_EQ(settings.inputEncoderDelay, -1);
    EXPECT_EQ(NumSamples(), 2756250ul);
    EXPECT_EQ(mp3InputInfo.nsamp, 2756250ul);
}

TEST_F(MpegInput, AnotherOpenStartsFromACleanDecoder) {
    const Decoded whole = DecodeFile(Song().bytes);
    CloseAudioInput();
    EXPECT_EQ(CurrentAudioInput().decoder, nullptr) << "closing stops the decoder";

    Open(Song().bytes, InputKind::MpegLayer3);
    short buffer[2][kFrameSamples];
    ASSERT_GT(ReadAudioFrame16(gfp_, buffer), 0);
    ASSERT_GT(ReadAudioFrame16(gfp_, buffer), 0);
    // A run that ends without closing leaves a half-read stream; the next run must not
    // see any of it.
    const Decoded again = DecodeFile(Song().bytes);
    EXPECT_EQ(again.left, whole.left);

    mp3InputInfo.framenum = 77;
    Open(testing_support::SimpleWave(1, 8000, 16, Bytes(20, 0)));
    EXPECT_EQ(CurrentAudioInput().decoder, nullptr);
    EXPECT_EQ(mp3InputInfo.framenum, 0) << "no MPEG frame count carries over";
}

TEST_F(MpegInput, DamagedStreamsEndWithoutHanging) {
    const Bytes& song = Song().bytes;
    Bytes truncated(song.begin(), song.begin() + static_cast<long>(song.size() / 2) + 77);
    Bytes junkTail = song;
    for (int i = 0; i < 20000; ++i) {
        junkTail.push_back(static_cast<std::uint8_t>(i * 7919 % 251));
    }
    Bytes holes = song;
    for (std::size_t i = 3000; i + 300 < holes.size(); i += 2000) {
        std::memset(holes.data() + i, 0xFF, 300);
    }
    for (const Bytes& file : {truncated, junkTail, holes}) {
        Decoded d = DecodeFile(file);
        EXPECT_GT(d.left.size(), 0u);
        EXPECT_LE(d.left.size(), static_cast<std::size_t>(Song().audioFrames + 20) * 1152);
        CloseAudioInput();
    }
}

TEST_F(MpegInput, ALongRunOfZerosAfterTheFramesIsReadQuickly) {
    // The decoder rescans every byte it holds on each call; 2 MB of zeros once took
    // tens of seconds to reach the end.
    Bytes file = Song().bytes;
    file.resize(file.size() + 2000000, 0);
    const auto start = std::chrono::steady_clock::now();
    Decoded d = DecodeFile(file);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(d.left.size(), static_cast<std::size_t>(Song().audioFrames) * 1152)
        << "every frame before the zeros";
    EXPECT_LT(seconds, 5.0);
}

TEST_F(MpegInput, StandardInputDecodesTheWholeSong) {
    const Decoded fromFile = DecodeFile(Song().bytes);
    CloseAudioInput();
    ScopedStdinPipe input(Song().bytes);
    settings.inputKind = InputKind::MpegLayer3;
    OpenAudioInput(gfp_, "-");
    EXPECT_EQ(ReadAll(gfp_, false).left, fromFile.left);
}

TEST_F(MpegInput, BytesInMemoryReadAsTheSameFileWould) {
    testing_support::Mp3Options untagged;
    untagged.infoTag = false;  // the length is then estimated from the size
    untagged.seconds = 1;
    struct Case {
        const char* name;
        Bytes file;
        InputKind kind;
    } cases[] = {
        {"WAVE", testing_support::SimpleWave(2, 8000, 16, CountingStereo16(3000)),
         InputKind::Unknown},
        {"raw", CountingStereo16(2500), InputKind::RawPcm},
        {"MP3", Song().bytes, InputKind::MpegLayer3},
        {"MP3 without a tag", testing_support::EncodeMp3(untagged).bytes, InputKind::MpegLayer3},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.file, c.kind);
        const unsigned long fromFileCount = NumSamples();
        const Decoded fromFile = ReadAll(gfp_, false);
        CloseAudioInput();
        settings.inputKind = c.kind;
        OpenAudioInputStream(gfp_, fmemopen(c.file.data(), c.file.size(), "rb"), "memory");
        EXPECT_EQ(NumSamples(), fromFileCount);
        const Decoded fromMemory = ReadAll(gfp_, false);
        EXPECT_EQ(fromMemory.left, fromFile.left);
        EXPECT_EQ(fromMemory.right, fromFile.right);
        CloseAudioInput();
    }
}

TEST_F(AudioInput, ClosingWhatIsNotOpenDoesNothing) {
    EXPECT_NO_THROW(CloseAudioInput());
    EXPECT_NO_THROW(ReleaseAudioInput());
    int buffer[2][kFrameSamples];
    EXPECT_EQ(ReadAudioFrame(gfp_, buffer), 0);
}

}  // namespace
