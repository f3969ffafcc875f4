// What the preview plays is what the ringtone holds: for songs from several writers, MP3
// and WAVE of every sample layout, the preview's 16-bit samples of a part are compared with
// the snippet the pipeline cuts for that part's ringtone (its first two channels, in 16
// bits), with and without fades.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/Ringtonepipeline.h"
#include "bytes/source.h"
#include "chooser/Fades.h"
#include "chooser/Partaudio.h"
#include "chooser/PartRules.h"
#include "platform/UserInterface.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "wave/Wavefile.h"

using namespace testing_support;

namespace {

constexpr int kSongSeconds = 20;

bool Ffmpeg(const std::string& out, const std::string& encode, int rate, int channels) {
    return WriteFfmpegChords(out, encode, rate, channels, kSongSeconds);
}

// Samples of the snippet as the preview gives them: 16 bits, at most two channels.
std::vector<std::int16_t> SnippetAs16Bit(const Bytes& wave, int* channels) {
    bytes::MemorySource source(wave.data(), wave.size());
    WaveHeaderFields h;
    EXPECT_EQ(ParseWaveFileHeader(source, h), WaveHeaderRejection::None);
    std::uint16_t tag = h.formatTag;
    if (tag == 0xFFFE) {
        tag = ReadLE16(wave, 20 + 24);  // the sub-format's first two bytes
    }
    const unsigned width = h.bitsPerSample / 8u;
    *channels = std::min<int>(h.channels, 2);
    std::vector<std::int16_t> out;
    for (std::size_t at = static_cast<std::size_t>(h.headerSize);
         at + h.blockAlign <= wave.size() &&
         at < static_cast<std::size_t>(h.headerSize) + h.dataSize;
         at += h.blockAlign) {
        for (int c = 0; c < *channels; ++c) {
            const std::uint8_t* p = &wave[at + static_cast<std::size_t>(c) * width];
            double v = 0;
            if (tag == 3) {
                float f;
                std::memcpy(&f, p, 4);
                v = f * 32768.0;
            } else if (width == 1) {
                v = (p[0] - 128) * 256.0;
            } else {
                std::int32_t i = 0;
                for (unsigned b = 0; b < width; ++b) {
                    i |= static_cast<std::int32_t>(static_cast<std::uint32_t>(p[b])
                                                   << (8 * (4 - width + b)));
                }
                v = i / 65536.0;
            }
            out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L)));
        }
    }
    return out;
}

// The snippet the pipeline cuts for a ringtone of part, faded as chimewick-choose fades it.
Bytes RingtoneSnippet(const std::string& song, RingtoneRange part, const chooser::Fades& fades) {
    RecordingUserInterface ui;
    platform::ScopedUi installed(&ui);
    RingtonePipeline pipeline;
    pipeline.startSeconds = part.start;
    pipeline.lengthSeconds = part.length;
    chooser::UseFades(pipeline, fades);
    Bytes snippet;
    auto fade = pipeline.snippetStep;
    pipeline.snippetStep = [&](const std::string& file) {
        if (fade) {
            fade(file);
        }
        snippet = ReadFileBytes(file);
    };
    EXPECT_TRUE(pipeline.MakeRingtoneBeside(song));
    return snippet;
}

std::vector<std::int16_t> Preview(const chooser::SongFacts& facts, RingtoneRange part,
                                  const chooser::Fades& fades, std::int64_t from,
                                  std::int64_t until) {
    chooser::PartAudio audio;
    std::string why;
    EXPECT_TRUE(audio.Open(facts, from, until, part, fades, why)) << why;
    std::vector<std::int16_t> samples;
    std::int16_t block[1000 * 2];
    // An odd request size, so that pieces and blocks end in the middle of one.
    while (std::size_t n = audio.Read(block, 997)) {
        samples.insert(samples.end(), block,
                       block + n * static_cast<std::size_t>(audio.Channels()));
    }
    EXPECT_EQ(static_cast<std::int64_t>(samples.size()), audio.Frames() * audio.Channels());
    return samples;
}

std::string OurMp3Song(const TempDir& dir, bool crc) {
    Mp3Options o;
    o.seconds = kSongSeconds;
    o.varied = true;
    o.crc = crc;
    const std::string path = dir / (crc ? "crc.mp3" : "song.mp3");
    EXPECT_TRUE(WriteFileBytes(path, EncodeMp3(o).bytes));
    return path;
}

struct Song {
    const char* name;
    std::function<bool(const std::string&)> write;
    // How far a 16-bit sample may be off: 0 where the song is 16-bit throughout; 1 for
    // rounding its own samples to 16 bits; faded 8-bit samples round in the song's own
    // steps in the ringtone, in 16-bit ones in the preview: half a step.
    int tolerance;
    int fadedTolerance;
};

}  // namespace

TEST(PreviewAudio, IsTheRingtonesSnippetForEverySongAndPart) {
    if (!HaveTool("ffmpeg") || !HaveTool("sox")) {
        GTEST_SKIP() << "ffmpeg and sox write these songs (scripts/setup installs them)";
    }
    const Song songs[] = {
        {"ours.mp3",
         [](const std::string& out) {
             Mp3Options o;
             o.seconds = kSongSeconds;
             o.varied = true;
             return WriteFileBytes(out, EncodeMp3(o).bytes);
         },
         0, 0},
        {"ffmpeg-joint.mp3",
         [](const std::string& out) { return Ffmpeg(out, "-c:a libmp3lame -b:a 128k", 44100, 2); },
         0, 0},
        {"ffmpeg-vbr-mono.mp3",
         [](const std::string& out) { return Ffmpeg(out, "-c:a libmp3lame -q:a 6", 22050, 1); }, 0,
         0},
        {"ffmpeg16.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_s16le", 44100, 2); }, 0, 0},
        {"ffmpeg24.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_s24le", 48000, 1); }, 1, 1},
        // ffmpeg writes float in the extensible header.
        {"ffmpeg-float.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_f32le", 32000, 2); }, 1, 1},
        {"sox8.wav",
         [](const std::string& out) {
             return RunShell("sox -n -r 8000 -c 1 -b 8 -e unsigned-integer '" + out +
                             "' synth 20 sine 300-900");
         },
         0, 129},
        {"sox-6ch.wav",
         [](const std::string& out) {
             return RunShell(
                 "sox -n -r 16000 -c 6 -b 16 '" + out +
                 "' synth 20 sine 300-900 sine 500 sine 700 sine 900 sine 1100 sine 1300");
         },
         0, 0},
    };
    struct Case {
        RingtoneRange asked;
        chooser::Fades fades;
    };
    const Case cases[] = {
        {{-1, 30}, {}},        // automatic, clipped at the song's end
        {{3, 9}, {}},          // across several of the excerpt road's pieces
        {{0, 1}, {}},          // the song's first second
        {{5, 6}, {1.0, 2.5}},  // faded in and out
    };
    for (const Song& song : songs) {
        TempDir dir;
        const std::string path = dir / song.name;
        ASSERT_TRUE(song.write(path)) << song.name;
        const chooser::SongFacts facts = chooser::ReadSongFacts(path);
        ASSERT_TRUE(facts.readable && facts.durationKnown) << song.name;
        for (const Case& c : cases) {
            const RingtoneRange part =
                ChooseRingtoneRange(facts.durationSeconds, c.asked.start, c.asked.length);
            SCOPED_TRACE(std::string(song.name) + " from " + std::to_string(part.start) + " for " +
                         std::to_string(part.length) + (c.fades.Any() ? " faded" : ""));
            int channels = 0;
            const std::vector<std::int16_t> expected =
                SnippetAs16Bit(RingtoneSnippet(path, part, c.fades), &channels);
            const std::vector<std::int16_t> heard =
                Preview(facts, part, c.fades, chooser::PartBegin(part), chooser::PartEnd(part));
            ASSERT_EQ(heard.size(), expected.size());
            std::size_t differing = 0;
            int worst = 0;
            for (std::size_t i = 0; i < heard.size(); ++i) {
                const int d = std::abs(heard[i] - expected[i]);
                differing += d != 0;
                worst = std::max(worst, d);
            }
            EXPECT_LE(worst, c.fades.Any() ? song.fadedTolerance : song.tolerance)
                << differing << " samples differ";
            std::filesystem::remove(dir / (std::filesystem::path(song.name).stem().string() +
                                           "_Chimewick_Ringtone" +
                                           std::filesystem::path(song.name).extension().string()));
        }
    }
}

// Played from a point inside the part, the preview is the rest of the part, faded where
// the part is; from a point behind it, the song runs on to its end unfaded.
TEST(PreviewAudio, FromAClickedPointIsTheSameSamplesAsFromTheStart) {
    TempDir dir;
    const std::string path = OurMp3Song(dir, false);
    const chooser::SongFacts facts = chooser::ReadSongFacts(path);
    const RingtoneRange part{4, 8};
    const chooser::Fades fades{1.0, 1.0};
    const std::vector<std::int16_t> whole = Preview(facts, part, fades, 4, 12);
    const std::vector<std::int16_t> fromSeven = Preview(facts, part, fades, 7, 12);
    const std::size_t offset = 3u * facts.sampleRate * facts.channels;
    ASSERT_EQ(fromSeven.size() + offset, whole.size());
    EXPECT_TRUE(std::equal(fromSeven.begin(), fromSeven.end(),
                           whole.begin() + static_cast<std::ptrdiff_t>(offset)));

    const std::vector<std::int16_t> behind = Preview(facts, part, fades, 12, 20);
    const std::vector<std::int16_t> plain = Preview(facts, part, {}, 12, 20);
    EXPECT_EQ(behind.size(), 8u * facts.sampleRate * facts.channels);
    EXPECT_TRUE(behind == plain) << "no fade reaches behind the part";
}

// A song the excerpt road declines is decoded from its start, by the whole-song road's skip:
// heard as its ringtone holds it, and its overview counts that road's length.
TEST(PreviewAudio, ADeclinedMp3IsHeardAsItsRingtoneHoldsIt) {
    TempDir dir;
    const std::string path = OurMp3Song(dir, true);
    chooser::SongFacts facts = chooser::ReadSongFacts(path);
    ASSERT_FALSE(facts.durationKnown) << "the excerpt road is expected to decline CRC frames";
    facts.durationSeconds = kSongSeconds;
    facts.durationKnown = true;
    for (const RingtoneRange part : {RingtoneRange{0, 2}, RingtoneRange{6, 3}}) {
        int channels = 0;
        const std::vector<std::int16_t> expected =
            SnippetAs16Bit(RingtoneSnippet(path, part, {}), &channels);
        const std::vector<std::int16_t> heard =
            Preview(facts, part, {}, part.start, chooser::PartEnd(part));
        EXPECT_TRUE(heard == expected) << "from " << part.start;
    }
}
