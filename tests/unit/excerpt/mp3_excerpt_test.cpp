// The excerpt road against the whole-song road: for generated songs of every MPEG version,
// channel mode and bitrate mode, the excerpt WAVE (and, through the pipeline, the ringtone)
// must be the same bytes; songs the road cannot prove that for must be declined; a cancel
// or a failure leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Ringtonenames.h"
#include "app/Ringtonepipeline.h"
#include "excerpt/Mp3excerpt.h"
#include "frontend/Mp3handler.h"
#include "excerpt/mpeg_frames.h"
#include "platform/Exception.h"
#include "platform/Progress.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"
#include "wave/Wavefile.h"

using namespace testing_support;

namespace {

struct Song {
    const char* name;
    Mp3Options options;
    bool id3v2 = false;
    bool id3v1 = false;
    int padding = 0;  // zero bytes in front of the first frame
};

Mp3Options Options(int rate, int channels, int seconds, int kbps, int vbr = -1, bool tag = true) {
    Mp3Options o;
    o.sampleRate = rate;
    o.channels = channels;
    o.seconds = seconds;
    o.kbps = kbps;
    o.vbrQuality = vbr;
    o.infoTag = tag;
    o.varied = true;
    return o;
}

Bytes SongBytes(const Song& song) {
    Bytes bytes = EncodeMp3(song.options).bytes;
    bytes.insert(bytes.begin(), static_cast<std::size_t>(song.padding), 0);
    if (song.id3v2) {
        const std::uint8_t size[4] = {0, 0, 2, 0};  // 256 bytes
        Bytes tag = Id3v2Tag(size, Bytes(256, 'x'));
        bytes.insert(bytes.begin(), tag.begin(), tag.end());
    }
    if (song.id3v1) {
        Bytes tag(128, ' ');
        tag[0] = 'T', tag[1] = 'A', tag[2] = 'G';
        bytes.insert(bytes.end(), tag.begin(), tag.end());
    }
    return bytes;
}

// The excerpt road's WAVE for one request, or nothing when it declines the song or the
// request.
Bytes ExcerptRoad(const std::string& song, RingtoneRange range, std::int32_t* duration) {
    auto plan = frontend::Mp3Excerpt::Plan(song);
    if (!plan) {
        return {};
    }
    *duration = plan->DurationSeconds();
    std::FILE* out = std::tmpfile();
    if (!plan->WriteExcerpt(out, range.start, range.length)) {
        std::fclose(out);
        return {};
    }
    Bytes bytes(static_cast<std::size_t>(std::ftell(out)));
    std::rewind(out);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), out), bytes.size());
    std::fclose(out);
    return bytes;
}

Mp3Options PlainStereo(Mp3Options o) {
    o.plainStereo = true;
    return o;
}

class ExcerptRoadMatchesTheWholeSongRoad : public ::testing::TestWithParam<Song> {};

TEST_P(ExcerptRoadMatchesTheWholeSongRoad, ForEveryStart) {
    TempDir dir;
    const std::string song = dir / "song.mp3";
    WriteFileBytes(song, SongBytes(GetParam()));
    MP3Handler handler;
    ASSERT_TRUE(handler.Decode(song, dir / "whole.wav"));
    WaveFile whole(dir / "whole.wav");
    ASSERT_TRUE(whole.ReadHeader());
    const std::int32_t d = whole.GetDurationSeconds();

    // Automatic, the first second, the middle, near the end and past the end.
    const std::int32_t requests[][2] = {{-1, 30}, {0, 4}, {d / 2, 5}, {d - 3, 30}, {d + 5, 30}};
    for (const auto& request : requests) {
        SCOPED_TRACE(::testing::Message()
                     << "start " << request[0] << " length " << request[1] << " of " << d << " s");
        RingtoneRange range = ChooseRingtoneRange(d, request[0], request[1]);
        if (range.length <= 0) {
            continue;  // the whole-song road refuses it; so does the pipeline's excerpt road
        }
        const bool cut = whole.WriteSnippet(dir / "cut.wav", range.start, range.length);
        std::int32_t duration = -1;
        Bytes excerpt = ExcerptRoad(song, range, &duration);
        EXPECT_EQ(duration, d);
        if (!cut) {
            // A start before the first second can ask for more than the song holds.
            EXPECT_TRUE(excerpt.empty())
                << "the excerpt road wrote what the snippet writer refused";
            continue;
        }
        ASSERT_FALSE(excerpt.empty()) << "declined";
        EXPECT_TRUE(excerpt == ReadFileBytes(dir / "cut.wav")) << "the excerpt differs";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Songs, ExcerptRoadMatchesTheWholeSongRoad,
    ::testing::Values(Song{"Mpeg1JointCbr128Id3", Options(44100, 2, 60, 128), true},
                      Song{"Mpeg1Stereo320", PlainStereo(Options(44100, 2, 12, 320))},
                      Song{"Mpeg1Mono32kHzNoTagPadded", Options(32000, 1, 15, 48, -1, false), false,
                           false, 3},
                      Song{"Mpeg1Vbr48kHzId3v1", Options(48000, 2, 20, 0, 4), false, true},
                      Song{"Mpeg1VbrBothTags", Options(44100, 2, 40, 0, 2), true, true},
                      Song{"Mpeg2Joint22kHzPadded", Options(22050, 2, 30, 32), true, false, 700},
                      Song{"Mpeg2MonoVbr24kHzNoTag", Options(24000, 1, 20, 0, 5, false)},
                      Song{"Mpeg2Stereo16kHz", PlainStereo(Options(16000, 2, 20, 24))},
                      Song{"Mpeg25Mono8kHz", Options(8000, 1, 40, 8)},
                      Song{"Mpeg25Joint11kHz", Options(11025, 2, 20, 16)},
                      Song{"Mpeg25MonoVbr12kHz", Options(12000, 1, 20, 0, 6)},
                      Song{"OneSecond", Options(44100, 2, 1, 128)},
                      Song{"TwoSecondsMpeg2", Options(22050, 1, 2, 32), true},
                      Song{"OneSecond8kHz", Options(8000, 1, 1, 8)},
                      Song{"ThreeMinutes", Options(44100, 2, 180, 128), true, true}),
    [](const ::testing::TestParamInfo<Song>& row) { return std::string(row.param.name); });

// Whether the excerpt road's WAVE for range is the whole-song road's cut; where mayDecline,
// the road may also decline it.
::testing::AssertionResult MatchesTheWholeSongRoad(const TempDir& dir, const std::string& song,
                                                   RingtoneRange range, bool mayDecline = false) {
    WaveFile whole(dir / "whole.wav");
    if (!MP3Handler().Decode(song, dir / "whole.wav") || !whole.ReadHeader() ||
        !whole.WriteSnippet(dir / "cut.wav", range.start, range.length)) {
        return ::testing::AssertionFailure() << "the whole-song road gives no cut";
    }
    std::int32_t duration = -1;
    const Bytes excerpt = ExcerptRoad(song, range, &duration);
    if (excerpt.empty()) {
        return mayDecline ? ::testing::AssertionSuccess()
                          : ::testing::AssertionFailure() << "declined";
    }
    return excerpt == ReadFileBytes(dir / "cut.wav")
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << "the excerpt differs";
}

// Writes bytes as the song and walks its frames (none when the walk fails).
frontend::MpegFrameWalk WrittenAndWalked(const std::string& song, const Bytes& bytes) {
    WriteFileBytes(song, bytes);
    frontend::MpegFrameWalk walk;
    EXPECT_TRUE(frontend::WalkMpegFrames(song, walk));
    return walk;
}

// Every whole second as a start: each asks the warm-up for another phase and reservoir.
TEST(ExcerptRoadStarts, MatchAtEverySecond) {
    const Song songs[] = {Song{"vbr", Options(44100, 2, 24, 0, 3)},
                          Song{"mpeg25", Options(8000, 1, 24, 8)}};
    for (const Song& s : songs) {
        TempDir dir;
        const std::string song = dir / "song.mp3";
        WriteFileBytes(song, SongBytes(s));
        ASSERT_TRUE(MP3Handler().Decode(song, dir / "whole.wav"));
        WaveFile whole(dir / "whole.wav");
        ASSERT_TRUE(whole.ReadHeader());
        for (std::int32_t start = 0; start + 1 <= whole.GetDurationSeconds(); ++start) {
            SCOPED_TRACE(::testing::Message() << s.name << " from " << start << " s");
            ASSERT_TRUE(whole.WriteSnippet(dir / "cut.wav", start, 1));
            std::int32_t duration = -1;
            EXPECT_TRUE(ExcerptRoad(song, {start, 1}, &duration) == ReadFileBytes(dir / "cut.wav"));
        }
    }
}

// Damaged fields the header walk cannot judge can make the decoder drop a frame; one
// dropped in the last warm-up frames shifts the whole-song road's samples by a frame,
// which the phase check alone misses when the start it settles on moves by four frames.
// Each of those frames and the excerpt's first damaged in turn: the road declines or
// still matches. (A drop further ahead is the road's stated limit.)
TEST(ExcerptRoadStarts, AFrameDroppedInTheWarmUpIsSeen) {
    const Bytes clean = SongBytes(Song{"song", Options(44100, 2, 5, 0)});
    TempDir dir;
    const std::string song = dir / "song.mp3";
    const frontend::MpegFrameWalk walk = WrittenAndWalked(song, clean);
    ASSERT_FALSE(walk.frames.empty());
    // The excerpt from second 2 begins in frame 78 (the tag frame, then 1105 samples of
    // delay); the last four warm-up frames are checked.
    for (std::size_t damaged = 74; damaged < 82; ++damaged) {
        SCOPED_TRACE(::testing::Message() << "frame " << damaged);
        Bytes bytes = clean;
        bytes[walk.frames[damaged].offset + 20] = 0xFF;  // in the second granule's fields
        WriteFileBytes(song, bytes);
        EXPECT_TRUE(MatchesTheWholeSongRoad(dir, song, {2, 1}, true));
    }
}

// Sorts the bar's positions into those set before the encode's unfinished ringtone first
// appears and those set from then on.
struct StageRecordingUi : RecordingUserInterface {
    explicit StageRecordingUi(const TempDir& d) : dir(d) {}
    void SetProgressPosition(int position) override {
        RecordingUserInterface::SetProgressPosition(position);
        const std::vector<std::string> files = dir.List();
        encoding = encoding || std::any_of(files.begin(), files.end(), [](const std::string& f) {
                       return f.size() > 4 && f.compare(f.size() - 4, 4, ".mp3") == 0 &&
                              f != "song.mp3" && f != "song_Chimewick_Ringtone.mp3";
                   });
        (encoding ? whileEncoding : beforeEncoding).push_back(position);
    }
    const TempDir& dir;
    bool encoding = false;
    std::vector<int> beforeEncoding;
    std::vector<int> whileEncoding;
};

// The pipeline's ringtone from the automatic start, 30 seconds long.
void MakeAutomaticRingtone(const std::string& song, bool excerptRoad = true) {
    RingtonePipeline pipeline;
    pipeline.songFile = song;
    pipeline.startSeconds = -1;
    pipeline.lengthSeconds = 30;
    pipeline.excerptRoad = excerptRoad;
    pipeline.MakeRingtone();
}

// The ringtone itself, through the pipeline, on each road.
TEST(ExcerptRoadPipeline, WritesTheSameRingtoneBytes) {
    const Song songs[] = {Song{"joint", Options(44100, 2, 75, 128), true},
                          Song{"mpeg2", Options(22050, 1, 50, 0, 4)}};
    for (const Song& s : songs) {
        SCOPED_TRACE(s.name);
        TempDir dir;
        const std::string song = dir / "song.mp3";
        WriteFileBytes(song, SongBytes(s));
        Bytes ringtones[2];
        for (bool excerptRoad : {false, true}) {
            StageRecordingUi ui(dir);
            platform::ScopedUi installed(&ui);
            MakeAutomaticRingtone(song, excerptRoad);
            EXPECT_EQ(ui.Texts(),
                      std::vector<std::string>{"The ringtone was successfully created!"});
            EXPECT_EQ(dir.List(),
                      (std::vector<std::string>{"song.mp3", "song_Chimewick_Ringtone.mp3"}));
            ringtones[excerptRoad] = ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3");
            // The decode and the cut bring the bar to 75 (the cut's last block is copied
            // after its last step) before the encode's file exists; the encode takes it
            // from there to 100.
            ASSERT_FALSE(ui.whileEncoding.empty());
            EXPECT_GE(ui.beforeEncoding.back(), excerptRoad ? 75 : 74);
            EXPECT_GE(ui.whileEncoding.front(), ui.beforeEncoding.back());
            EXPECT_EQ(ui.whileEncoding.back(), 100);
            EXPECT_TRUE(std::is_sorted(ui.positions.begin(), ui.positions.end()));
        }
        EXPECT_FALSE(ringtones[1].empty());
        EXPECT_TRUE(ringtones[0] == ringtones[1]) << "the ringtones differ";
    }
}

// Cancel in the excerpt's decode or in its encode: only the song and the earlier ringtone
// are left, both as they were.
TEST(ExcerptRoadPipeline, LeavesNothingBehindOnCancel) {
    const Bytes songBytes = SongBytes(Song{"song", Options(44100, 2, 60, 128)});
    const Bytes earlier(3000, 'e');
    for (int cancelAtBar : {1, 60}) {
        SCOPED_TRACE(::testing::Message() << "cancel at " << cancelAtBar);
        TempDir dir;
        const std::string song = dir / "song.mp3";
        WriteFileBytes(song, songBytes);
        WriteFileBytes(dir / "song_Chimewick_Ringtone.mp3", earlier);
        RecordingUserInterface ui;
        bool cancelled = false;
        ui.onProcessMessages = [&](int) {
            cancelled = cancelled || ui.ProgressPosition() >= cancelAtBar;
            ui.cancelFlag = cancelled;
        };
        platform::ScopedUi installed(&ui);
        try {
            MakeAutomaticRingtone(song);
            ADD_FAILURE() << "the run succeeded";
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), platform::kCancelledByUser);
        }
        EXPECT_EQ(dir.List(),
                  (std::vector<std::string>{"song.mp3", "song_Chimewick_Ringtone.mp3"}));
        EXPECT_TRUE(ReadFileBytes(dir / "song_Chimewick_Ringtone.mp3") == earlier);
        EXPECT_TRUE(ReadFileBytes(song) == songBytes);
    }
}

// Cancel confirmed during the excerpt's decode ends it at that frame: the bar stops short
// of the decode's end and no encode begins (the encoder would honour it later, too late).
TEST(ExcerptRoadPipeline, CancelStopsTheDecodeAtOnce) {
    TempDir dir;
    const std::string song = dir / "song.mp3";
    WriteFileBytes(song, SongBytes(Song{"song", Options(44100, 2, 60, 128)}));
    StageRecordingUi ui(dir);
    int cancelledAt = 0;
    ui.onProcessMessages = [&](int calls) {
        cancelledAt = cancelledAt ? cancelledAt : calls;
        ui.cancelFlag = true;
    };
    platform::ScopedUi installed(&ui);
    EXPECT_THROW(MakeAutomaticRingtone(song), platform::Exception);
    EXPECT_EQ(ui.processCount, cancelledAt) << "the decode went on after Cancel";
    EXPECT_TRUE(ui.whileEncoding.empty()) << "an encode began";
    EXPECT_LT(*std::max_element(ui.positions.begin(), ui.positions.end()),
              platform::kBarAfterDecode);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"song.mp3"});
}

// Songs whose whole-song decode the road cannot foresee from headers alone.
TEST(ExcerptRoadPlan, DeclinesWhatItCannotProve) {
    const Bytes clean = SongBytes(Song{"clean", Options(44100, 2, 4, 128)});
    const Bytes other = SongBytes(Song{"other", Options(48000, 2, 2, 128)});
    Mp3Options crc = Options(44100, 2, 4, 128);
    crc.crc = true;
    auto with = [&](std::size_t at, Bytes insert) {
        Bytes b = clean;
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(), insert.end());
        return b;
    };
    Bytes rateChange = clean;
    rateChange.insert(rateChange.end(), other.begin(), other.end());
    struct Case {
        const char* what;
        Bytes song;
    } cases[] = {
        {"junk between frames", with(clean.size() / 2, Bytes(3, 0))},
        {"a sample rate change", rateChange},
        {"CRC", SongBytes(Song{"crc", crc})},
        {"not MPEG at all", Bytes(4000, 0)},
        {"empty", Bytes()},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(dir / "song.mp3", c.song);
        EXPECT_EQ(frontend::Mp3Excerpt::Plan(dir / "song.mp3"), nullptr);
    }
    WriteFileBytes(dir / "song.mp3", clean);
    EXPECT_NE(frontend::Mp3Excerpt::Plan(dir / "song.mp3"), nullptr);
    setenv("LAMEOPT", "-b 64", 1);
    EXPECT_EQ(frontend::Mp3Excerpt::Plan(dir / "song.mp3"), nullptr) << "LAMEOPT set";
    unsetenv("LAMEOPT");
}

// Very long songs cannot be generated in a test; the clamp of the WAVE data size can.
TEST(ExcerptRoadPlan, DurationFollowsTheWaveFileRules) {
    struct Case {
        std::int64_t decoded, skip;
        int rate, channels;
        std::int32_t seconds;
    } cases[] = {
        {221184, 1105, 44100, 2, 4},
        {1105, 1105, 44100, 2, 0},
        {100, 1105, 44100, 2, 0},
        {44100 + 1104, 1105, 44100, 1, 0},
        {44100 + 1105, 1105, 44100, 1, 1},
        {3000000000LL, 1105, 44100, 2, 24347},
        {3000000000LL, 1105, 8000, 1, 268435},
        {1073741812 + 1105, 1105, 8000, 2, 134217},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decoded);
        EXPECT_EQ(frontend::DecodedWaveDurationSeconds(c.decoded, c.skip, c.rate, c.channels),
                  c.seconds);
    }
}

// Which header fields may change from frame to frame: those the decoder reads afresh for
// each frame may, the channel mode (which the stream is held to) may not. Each row changes
// the field in every frame from the song's middle on.
TEST(ExcerptRoadPlan, HoldsTheStreamToItsFirstAudioFramesMode) {
    const Bytes clean = SongBytes(Song{"song", Options(44100, 2, 8, 128)});
    TempDir dir;
    const std::string song = dir / "song.mp3";
    const frontend::MpegFrameWalk walk = WrittenAndWalked(song, clean);
    ASSERT_FALSE(walk.frames.empty());
    ASSERT_EQ(clean[walk.frames[1].offset + 3] & 0xC0, 0x40) << "the song is not joint stereo";
    struct Case {
        const char* what;
        int byte;           // of the header
        std::uint8_t flip;  // the bits turned over
        bool taken;
    } cases[] = {
        {"mid/side on or off", 3, 0x20, true},
        {"copyright and original", 3, 0x0C, true},
        {"emphasis", 3, 0x01, true},
        {"private bit", 2, 0x01, true},
        {"stereo in a joint stereo song", 3, 0x40, false},
        {"dual channel in a joint stereo song", 3, 0xC0, false},
        {"mono in a joint stereo song", 3, 0x80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = clean;
        for (std::size_t i = walk.frames.size() / 2; i < walk.frames.size(); ++i) {
            bytes[walk.frames[i].offset + static_cast<std::size_t>(c.byte)] ^= c.flip;
        }
        WriteFileBytes(song, bytes);
        auto plan = frontend::Mp3Excerpt::Plan(song);
        ASSERT_EQ(plan != nullptr, c.taken);
        if (!plan) {
            continue;
        }
        for (std::int32_t start : {2, 4, 6}) {  // before, across and after the change
            EXPECT_TRUE(MatchesTheWholeSongRoad(dir, song, {start, 1})) << "from " << start << " s";
        }
    }
}

}  // namespace
