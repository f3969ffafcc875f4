// The song's facts and overview, without Qt: every sample layout read at its true level,
// an envelope that stays within its bins whatever the song's length, and facts of an MP3
// song as the pipeline counts them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "chooser/Songoverview.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

// Sample frames of +level and -level in turn, in the layout of tag and bits.
Bytes Alternating(std::uint16_t tag, std::uint16_t bits, int channels, int frames, double level) {
    Bytes pcm;
    for (int i = 0; i < frames; ++i) {
        const double v = i % 2 ? -level : level;
        for (int c = 0; c < channels; ++c) {
            if (tag == 3 && bits == 32) {
                const float f = static_cast<float>(v);
                std::uint8_t b[4];
                std::memcpy(b, &f, 4);
                pcm.insert(pcm.end(), b, b + 4);
            } else if (tag == 3) {
                std::uint8_t b[8];
                std::memcpy(b, &v, 8);
                pcm.insert(pcm.end(), b, b + 8);
            } else if (bits == 8) {
                pcm.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(v * 128)));
            } else {
                const auto s =
                    static_cast<std::int64_t>(v * static_cast<double>(1LL << (bits - 1)));
                for (int k = 0; k < bits / 8; ++k) {
                    pcm.push_back(
                        static_cast<std::uint8_t>(static_cast<std::uint64_t>(s) >> (8 * k)));
                }
            }
        }
    }
    return pcm;
}

chooser::Envelope Overview(const std::string& path) {
    const chooser::SongFacts facts = chooser::ReadSongFacts(path);
    EXPECT_TRUE(facts.readable) << facts.problem;
    chooser::SongOverview overview;
    overview.Start(facts);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!overview.Snapshot().complete && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return overview.Snapshot();
}

}  // namespace

TEST(SongOverview, ReadsEverySampleLayoutAtItsLevel) {
    struct Case {
        const char* what;
        std::uint16_t tag, bits;
        int channels;
        bool extensible;  // the tag in the extensible header's sub-format, as ffmpeg writes it
    } cases[] = {
        {"8-bit unsigned", 1, 8, 1, false},    {"16-bit", 1, 16, 2, false},
        {"24-bit", 1, 24, 1, false},           {"32-bit", 1, 32, 2, false},
        {"32-bit float", 3, 32, 1, false},     {"64-bit float", 3, 64, 2, false},
        {"extensible 24-bit", 1, 24, 2, true}, {"extensible float", 3, 32, 2, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint32_t rate = 8000;
        const int frames = 3 * static_cast<int>(rate);
        Bytes fmt = FmtBody(c.extensible ? 0xFFFE : c.tag, static_cast<std::uint16_t>(c.channels),
                            rate, c.bits);
        if (c.extensible) {
            AppendLE16(fmt, 22);      // cbSize
            AppendLE16(fmt, c.bits);  // valid bits
            AppendLE32(fmt, 0);       // channel mask
            AppendLE16(fmt, c.tag);
            for (std::uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00,
                                   0x38, 0x9B, 0x71}) {
                fmt.push_back(b);
            }
        }
        const Bytes song = RiffBuilder()
                               .chunk("fmt ", fmt)
                               .data(Alternating(c.tag, c.bits, c.channels, frames, 0.5))
                               .build();
        ASSERT_TRUE(WriteFileBytes(dir / "song.wav", song));
        const chooser::Envelope envelope = Overview(dir / "song.wav");
        ASSERT_TRUE(envelope.complete);
        EXPECT_EQ(envelope.frames, frames);
        ASSERT_FALSE(envelope.high.empty());
        for (std::size_t i = 0; i < envelope.high.size(); ++i) {
            ASSERT_NEAR(envelope.high[i], 0.5, 0.01) << "bin " << i;
            ASSERT_NEAR(envelope.low[i], -0.5, 0.01) << "bin " << i;
        }
    }
}

TEST(SongOverview, AnHourLongSongKeepsWithinItsBinsAndCoversItAll) {
    TempDir dir;
    // An hour of 8-bit mono at 2000 frames a second: 7.2 million frames.
    const int frames = 3600 * 2000;
    Bytes pcm(static_cast<std::size_t>(frames), 128);
    pcm[pcm.size() - 1] = 255;  // a peak in the very last frame
    ASSERT_TRUE(WriteFileBytes(dir / "long.wav", SimpleWave(1, 2000, 8, pcm)));
    const chooser::Envelope envelope = Overview(dir / "long.wav");
    ASSERT_TRUE(envelope.complete);
    EXPECT_EQ(envelope.frames, frames);
    EXPECT_LE(envelope.high.size(), chooser::Envelope::kMaxBins);
    EXPECT_GT(envelope.high.size(), chooser::Envelope::kMaxBins / 2);
    EXPECT_GE(static_cast<std::int64_t>(envelope.high.size()) * envelope.framesPerBin, frames);
    EXPECT_GT(envelope.high.back(), 0.9f) << "the last bin holds the song's last frame";
    EXPECT_NEAR(envelope.high.front(), 0.0f, 0.01f);
}

TEST(SongOverview, StoppedMidwayItIsIncompleteAndReadsAgainFromTheStart) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "long.wav", SimpleWave(1, 2000, 8, Bytes(7200000, 128))));
    const chooser::SongFacts facts = chooser::ReadSongFacts(dir / "long.wav");
    chooser::SongOverview overview;
    overview.Start(facts);
    overview.Stop();
    EXPECT_FALSE(overview.Snapshot().complete);
    overview.Start(facts);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!overview.Snapshot().complete && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(overview.Snapshot().frames, 7200000);
}

TEST(SongFacts, AnMp3SongsLengthAndFormatAreThePipelines) {
    struct Case {
        int seconds, sampleRate, channels, kbps;
        const char* format;
    } cases[] = {
        {180, 44100, 2, 128, "MP3, 44.1 kHz stereo, 128 kbit/s"},
        {61, 22050, 1, 64, "MP3, 22.05 kHz mono, 64 kbit/s"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        Mp3Options options;
        options.seconds = c.seconds;
        options.sampleRate = c.sampleRate;
        options.channels = c.channels;
        options.kbps = c.kbps;
        ASSERT_TRUE(WriteFileBytes(dir / "song.mp3", EncodeMp3(options).bytes));
        const chooser::SongFacts facts = chooser::ReadSongFacts(dir / "song.mp3");
        EXPECT_TRUE(facts.readable);
        EXPECT_TRUE(facts.durationKnown);
        EXPECT_EQ(facts.durationSeconds, c.seconds);
        EXPECT_EQ(facts.format, c.format);
        EXPECT_EQ(facts.whyNoFades, "");
    }
}
