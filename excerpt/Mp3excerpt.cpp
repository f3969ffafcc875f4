#include "excerpt/Mp3excerpt.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdlib>

#include "bytes/wave_header.h"
#include "excerpt/Quietdecoder.h"
#include "frontend/decode_rules.h"
#include "frontend/get_audio.h"
#include "frontend/wave_output.h"
#include "platform/Exception.h"
#include "platform/Progress.h"
#include "platform/UserInterface.h"
#include "platform/files.h"

namespace frontend {

namespace {

// The decoder's synthesis filter turns its window once per 32 samples through 16 slots:
// a decode started late gives the same samples only when it has produced as many samples
// as the whole-song decode, modulo 512, before the excerpt's first frame.
constexpr std::int64_t kSynthesisPeriod = 512;
// Frames before the excerpt whose whole bit reservoir the warm-up must have fed. Measured:
// 2 suffice for MPEG-1 (two granules each) and 3 for MPEG-2 and 2.5 (one granule); twice
// that leaves room for what the measurements did not cover.
constexpr std::size_t kWarmUpFramesMpeg1 = 4;
constexpr std::size_t kWarmUpFramesMpeg2 = 6;
// Starts tried, one frame earlier each, before a phase mismatch declines the song; each
// extra frame usually moves the phase by 128 (MPEG-1) or 64 (MPEG-2) samples.
constexpr int kPhaseTries = 24;
// Frames decoded from the start to see whether the decoder takes the first for a tag: it
// may wait a few small frames before its first output.
constexpr std::size_t kOpeningFrames = 16;
constexpr int kDrainAsks = 16;

// One library decoder fed whole frames (or, for the tag, the whole-song road's pieces).
class FrameDecoder {
public:
    explicit operator bool() const { return static_cast<bool>(hip_); }
    hip_t get() const { return hip_.get(); }
    mp3data_struct& info() { return info_; }

    // Feeds n bytes and hands every frame of samples they complete to sink(left, right,
    // count). Returns the samples per channel produced, or -1 on a decoder error.
    template <typename Sink>
    std::int64_t Feed(unsigned char* bytes, std::size_t n, Sink&& sink) {
        unsigned char none[1] = {0};
        int r = hip_decode1_headers(hip_.get(), n ? bytes : none, n, left_, right_, &info_);
        std::int64_t total = 0;
        while (r > 0) {
            sink(left_, right_, r);
            total += r;
            r = hip_decode1_headers(hip_.get(), none, 0, left_, right_, &info_);
        }
        return r < 0 ? -1 : total;
    }
    std::int64_t Feed(unsigned char* bytes, std::size_t n) {
        return Feed(bytes, n, [](const short*, const short*, int) {});
    }

private:
    QuietDecoder hip_;
    mp3data_struct info_{};
    short left_[kFrameSamples];
    short right_[kFrameSamples];
};

// The song, read frame by frame; sequential reads need no seek.
class FrameReader {
public:
    FrameReader(const std::string& path, const MpegFrameWalk& walk)
        : f_(platform::OpenRegularFileForReading(path)), walk_(walk) {}
    explicit operator bool() const { return static_cast<bool>(f_); }
    // The file, standing at offset for reads of the caller's own; null when it cannot get
    // there. The next Frame seeks afresh.
    std::FILE* FileAt(std::uint64_t offset) {
        position_ = UINT64_MAX;
        return fseeko(f_.get(), static_cast<off_t>(offset), SEEK_SET) == 0 ? f_.get() : nullptr;
    }

    // The bytes of frame i, or null when the file no longer holds them.
    unsigned char* Frame(std::size_t i) {
        const MpegFrame& frame = walk_.frames[i];
        if (frame.offset != position_ &&
            fseeko(f_.get(), static_cast<off_t>(frame.offset), SEEK_SET) != 0) {
            return nullptr;
        }
        position_ = frame.offset + frame.size;
        if (std::fread(bytes_, 1, frame.size, f_.get()) != frame.size) {
            position_ = UINT64_MAX;
            return nullptr;
        }
        return bytes_;
    }

private:
    platform::ScopedFile f_;
    const MpegFrameWalk& walk_;
    std::uint64_t position_ = UINT64_MAX;
    unsigned char bytes_[4096];
};

// The encoder delay the whole-song road skips: the LAME tag's, read by the very calls that
// road makes (the first header, then 100-byte pieces until the library has parsed it), or
// the library's own when the song has none. -1 when the library does not read the first
// frame as the walk does.
std::int64_t WholeSongSkip(FrameReader& reader, const MpegFrameWalk& walk,
                           std::uint64_t& blocksFrom) {
    FrameDecoder decoder;
    std::FILE* f = decoder ? reader.FileAt(walk.frames[0].offset) : nullptr;
    if (!f) {
        return -1;
    }
    blocksFrom = walk.frames[0].offset;
    short left[kFrameSamples];
    short right[kFrameSamples];
    int encoderDelay = -1;
    int encoderPadding = -1;
    unsigned char piece[100];
    std::size_t n = 4;
    mp3data_struct& info = decoder.info();
    do {
        if (std::fread(piece, 1, n, f) != n ||
            hip_decode1_headersB(decoder.get(), piece, n, left, right, &info, &encoderDelay,
                                 &encoderPadding) == -1) {
            return -1;
        }
        blocksFrom += n;
        n = sizeof piece;
    } while (info.header_parsed == 0);
    if (info.bitrate == 0 || info.stereo != walk.channels || info.samplerate != walk.sampleRate) {
        return -1;
    }
    return frontend::WholeSongSkip(encoderDelay, walk.channels, walk.sampleRate);
}

// 1 when the decoder takes the first frame for a tag frame (it then produces nothing for
// it), 0 when it decodes it as audio, -1 when its opening output fits neither.
int TagFrames(FrameReader& reader, const MpegFrameWalk& walk) {
    FrameDecoder decoder;
    if (!decoder) {
        return -1;
    }
    const std::size_t fed = std::min(walk.frames.size(), kOpeningFrames);
    std::int64_t produced = 0;
    for (std::size_t i = 0; i < fed; ++i) {
        unsigned char* frame = reader.Frame(i);
        std::int64_t r = frame ? decoder.Feed(frame, walk.frames[i].size) : -1;
        if (r < 0) {
            return -1;
        }
        produced += r;
    }
    for (int ask = 0; fed == walk.frames.size() && ask < kDrainAsks; ++ask) {
        std::int64_t r = decoder.Feed(nullptr, 0);
        if (r <= 0) {
            break;
        }
        produced += r;
    }
    if (produced % walk.samplesPerFrame != 0) {
        return -1;
    }
    const std::int64_t tags = static_cast<std::int64_t>(fed) - produced / walk.samplesPerFrame;
    if (tags != (walk.frames[0].tagMarker ? 1 : 0) || (tags == 0 && walk.firstFrameModeDiffers)) {
        return -1;
    }
    return static_cast<int>(tags);
}

// True when every audio frame finds its whole bit reservoir in the frames before it, so
// the whole-song decode produces one full frame of samples for each.
bool ReservoirsComplete(const MpegFrameWalk& walk, std::size_t firstAudio) {
    std::uint64_t fed = 0;
    for (std::size_t i = firstAudio; i < walk.frames.size(); ++i) {
        if (walk.frames[i].mainDataBegin > fed) {
            return false;
        }
        fed += walk.frames[i].mainDataBytes;
    }
    return true;
}

std::size_t WarmUpFrames(const MpegFrameWalk& walk) {
    return walk.mpeg1 ? kWarmUpFramesMpeg1 : kWarmUpFramesMpeg2;
}

// The latest frame to start decoding at so that the warm-up frames in front of first all
// find their bit reservoir in what was fed; 0 when that reaches the song's start.
std::size_t WarmUpStart(const MpegFrameWalk& walk, std::size_t first, std::size_t firstAudio) {
    const std::size_t warmUp = WarmUpFrames(walk);
    if (first < firstAudio + warmUp + 1) {
        return 0;
    }
    std::size_t start = first - warmUp;
    // Bytes the warm-up frames need from frames before start.
    std::int64_t needed = 0;
    std::int64_t inside = 0;
    for (std::size_t i = start; i < first; ++i) {
        needed = std::max(needed, walk.frames[i].mainDataBegin - inside);
        inside += walk.frames[i].mainDataBytes;
    }
    while (needed > 0) {
        if (start <= firstAudio + 1) {
            return 0;
        }
        --start;
        needed -= walk.frames[start].mainDataBytes;
    }
    return start;
}

// The samples the whole-song road's decoder makes of the bytes behind the last frame. A
// decoder warmed up on the last frames, as the excerpt's is, takes them in the same pieces
// that road reads (1024-byte blocks from blocksFrom on), restarts where it does and is
// drained as it is at the end. -1 when the last frames do not each give a full frame (one
// was dropped) or the decoder cannot be had.
std::int64_t TrailerSamples(FrameReader& reader, const MpegFrameWalk& walk, std::size_t firstAudio,
                            std::uint64_t blocksFrom) {
    const std::size_t end = walk.frames.size();
    std::size_t start = WarmUpStart(walk, end, firstAudio);
    // Room for a false frame in the trailer to reach back as far as a bit reservoir can.
    for (std::uint64_t fed = 0; start > firstAudio + 1 && fed < 2 * kMpegBlockBytes; --start) {
        fed += walk.frames[start - 1].mainDataBytes;
    }
    if (start <= firstAudio + 1) {
        start = 0;
    }
    auto decoder = std::make_unique<FrameDecoder>();
    const std::size_t checked = std::min(WarmUpFrames(walk), end - firstAudio);
    for (std::size_t i = start; i < end; ++i) {
        unsigned char* frame = reader.Frame(i);
        const std::int64_t r = frame && *decoder ? decoder->Feed(frame, walk.frames[i].size) : -1;
        if (r < 0 || (i + checked >= end && r != walk.samplesPerFrame)) {
            return -1;
        }
    }
    std::FILE* f = reader.FileAt(walk.trailerOffset);
    if (!f) {
        return -1;
    }
    // The rest of the block the last frame ends in came with it; the frame decoded from it
    // reset the road's count of bytes without a frame.
    std::uint64_t at = walk.trailerOffset;
    std::uint64_t pending = 0;
    std::int64_t samples = 0;
    auto count = [&samples](const short*, const short*, int n) { samples += n; };
    unsigned char block[kMpegBlockBytes];
    bool restOfBlock = at > blocksFrom && (at - blocksFrom) % kMpegBlockBytes != 0;
    while (decoder && at < walk.fileSize) {
        const std::uint64_t blockEnd =
            at < blocksFrom
                ? blocksFrom
                : blocksFrom + ((at - blocksFrom) / kMpegBlockBytes + 1) * kMpegBlockBytes;
        const auto n = static_cast<std::size_t>(std::min(blockEnd, walk.fileSize) - at);
        if (std::fread(block, 1, n, f) != n) {
            return -1;
        }
        at += n;
        pending += restOfBlock ? 0 : n;
        restOfBlock = false;
        const std::int64_t before = samples;
        if (decoder->Feed(block, n, count) < 0) {
            decoder.reset();  // the road stops at a decoder error: its input ends there
        } else if (samples > before) {
            pending = 0;
        } else if (pending > kMaxBytesWithoutFrame) {
            decoder = std::make_unique<FrameDecoder>();
            pending = 0;
            if (!*decoder) {
                return -1;
            }
        }
    }
    // After each frame the drain gives, the road asks once more, then drains afresh.
    for (std::uint64_t asks = EndOfInputAsks(pending); decoder && asks > 0;) {
        --asks;
        const std::int64_t before = samples;
        if (decoder->Feed(nullptr, 0, count) < 0) {
            break;
        }
        if (samples > before) {
            asks = 1 + EndOfInputAsks(0);
        }
    }
    return samples;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t m) { return ((a % m) + m) % m; }

}  // namespace

std::int64_t WholeSongSkip(int encoderDelay, int channels, int sampleRate) {
    if (encoderDelay > -1) {
        return encoderDelay + kLayer3DecoderDelay;
    }
    lame_global_flags* gfp = lame_init();
    if (!gfp) {
        return -1;
    }
    lame_set_decode_only(gfp, 1);
    lame_set_findReplayGain(gfp, 1);
    lame_set_num_channels(gfp, channels);
    lame_set_in_samplerate(gfp, sampleRate);
    std::int64_t delay = lame_init_params(gfp) < 0 ? -1 : lame_get_encoder_delay(gfp);
    lame_close(gfp);
    return delay < 0 ? -1 : delay + kLayer3DecoderDelay;
}

std::int32_t DecodedWaveDurationSeconds(std::int64_t decodedSamples, std::int64_t skip,
                                        int sampleRate, int channels) {
    const std::int64_t size = DecodedWaveDataBytes(decodedSamples - skip, channels);
    return static_cast<std::int32_t>(size / (2 * static_cast<std::int64_t>(sampleRate) * channels));
}

std::unique_ptr<Mp3Excerpt> Mp3Excerpt::Plan(const std::string& songPath) {
    // The whole-song road reads LAMEOPT on every run, and its options can change decoding.
    if (std::getenv("LAMEOPT") != nullptr) {
        return nullptr;
    }
    std::unique_ptr<Mp3Excerpt> plan(new Mp3Excerpt);
    plan->path_ = songPath;
    MpegFrameWalk& walk = plan->walk_;
    if (!WalkMpegFrames(songPath, walk)) {
        return nullptr;
    }
    FrameReader reader(songPath, walk);
    if (!reader) {
        return nullptr;
    }
    std::uint64_t blocksFrom = 0;
    plan->skip_ = WholeSongSkip(reader, walk, blocksFrom);
    plan->tagFrames_ = TagFrames(reader, walk);
    const auto firstAudio = static_cast<std::size_t>(std::max(plan->tagFrames_, 0));
    if (plan->skip_ < 0 || plan->tagFrames_ < 0 || !ReservoirsComplete(walk, firstAudio)) {
        return nullptr;
    }
    const std::int64_t trailer = walk.trailerOffset < walk.fileSize
                                     ? TrailerSamples(reader, walk, firstAudio, blocksFrom)
                                     : 0;
    if (trailer < 0) {
        return nullptr;
    }
    const std::int64_t decoded =
        static_cast<std::int64_t>(walk.frames.size() - firstAudio) * walk.samplesPerFrame + trailer;
    plan->waveSampleFrames_ = decoded - plan->skip_;
    plan->durationSeconds_ =
        DecodedWaveDurationSeconds(decoded, plan->skip_, walk.sampleRate, walk.channels);
    return plan;
}

bool Mp3Excerpt::WriteExcerpt(std::FILE* out, std::int32_t startSeconds,
                              std::int32_t lengthSeconds) {
    if (lengthSeconds <= 0 ||
        static_cast<std::int64_t>(startSeconds) + lengthSeconds > durationSeconds_) {
        return false;
    }
    const MpegFrameWalk& walk = walk_;
    const int channels = walk.channels;
    const std::int64_t spf = walk.samplesPerFrame;
    const std::size_t firstAudio = static_cast<std::size_t>(tagFrames_);
    const std::int64_t length = static_cast<std::int64_t>(lengthSeconds) * walk.sampleRate;
    // Decoder output positions (samples per channel since the decode began at the start).
    const std::int64_t from =
        static_cast<std::int64_t>(std::max(startSeconds, 0)) * walk.sampleRate + skip_;
    const std::int64_t to = from + length;
    const auto dataBytes = static_cast<std::uint32_t>(length * 2 * channels);
    if (!bytes::WriteWaveHeader(out, dataBytes, static_cast<std::uint32_t>(walk.sampleRate),
                                static_cast<std::uint16_t>(channels), 16)) {
        return false;
    }

    FrameReader reader(path_, walk);
    if (!reader) {
        return false;
    }
    const std::size_t first = firstAudio + static_cast<std::size_t>(from / spf);
    const std::size_t last = firstAudio + static_cast<std::size_t>((to - 1) / spf);
    std::size_t start = WarmUpStart(walk, first, firstAudio);

    // Decode and cut are one step here: it ends where the other road's cut ends.
    const platform::ProgressStage stage(platform::kBarAfterSnippet);
    double framesDone = 0;
    const double framesExpected = static_cast<double>(last + 1 - start);
    auto afterFrame = [&] {
        if (stage.Step(++framesDone, framesExpected, true)) {
            throw platform::Exception(platform::kCancelledByUser);
        }
    };

    // A late start: decode the warm-up frames and keep the first start whose sample count
    // puts the synthesis filter where the whole-song decode has it, and whose last warm-up
    // frames, which find their whole bit reservoir, each gave a full frame: one the decoder
    // dropped (damaged main data) would shift the whole-song road's samples by a frame,
    // and a shift by four frames keeps the phase. The song's own start needs no such proof:
    // it is the whole-song decode.
    const std::size_t checked = WarmUpFrames(walk);
    std::unique_ptr<FrameDecoder> decoder;
    std::int64_t position = 0;
    for (int attempt = 0; start > 0 && !decoder && attempt < kPhaseTries; ++attempt) {
        if (start <= firstAudio) {
            start = 0;
            break;
        }
        // A frame that looks like a tag frame might be taken for one by a fresh decoder.
        if (walk.frames[start].tagMarker) {
            --start;
            continue;
        }
        auto candidate = std::make_unique<FrameDecoder>();
        std::int64_t produced = *candidate ? 0 : -1;
        std::int64_t producedByChecked = 0;
        for (std::size_t i = start; i < first && produced >= 0; ++i) {
            unsigned char* frame = reader.Frame(i);
            std::int64_t r = frame ? candidate->Feed(frame, walk.frames[i].size) : -1;
            produced = r < 0 ? -1 : produced + r;
            producedByChecked += i + checked >= first ? r : 0;
            afterFrame();
        }
        position = static_cast<std::int64_t>(first - firstAudio) * spf;
        if (produced >= 0 && producedByChecked == static_cast<std::int64_t>(checked) * spf &&
            FloorMod(produced - position, kSynthesisPeriod) == 0) {
            decoder = std::move(candidate);
        } else {
            --start;
        }
    }
    if (!decoder) {
        if (start > 0) {
            return false;
        }
        decoder = std::make_unique<FrameDecoder>();
        position = 0;
    }
    if (!*decoder) {
        return false;
    }
    const bool late = start > 0;
    checkedFrom_ = late ? first - checked : 0;

    auto keep = [&](const short* left, const short* right, int count) {
        const std::int64_t lo = std::max(position, from);
        const std::int64_t hi = std::min(position + count, to);
        if (lo < hi) {
            WriteSampleFrames(out, left, right, static_cast<int>(lo - position),
                              static_cast<int>(hi - position), channels,
                              SampleByteOrder::LittleEndian);
        }
        position += count;
    };
    for (std::size_t i = late ? first : 0; position < to && i < walk.frames.size(); ++i) {
        checkedEnd_ = i + 1;
        unsigned char* frame = reader.Frame(i);
        const std::int64_t r = frame ? decoder->Feed(frame, walk.frames[i].size, keep) : -1;
        // After a late start every frame must give exactly its own samples, at once.
        if (r < 0 || (late && r != spf)) {
            return false;
        }
        afterFrame();
    }
    for (int ask = 0; !late && position < to && ask < kDrainAsks; ++ask) {
        if (decoder->Feed(nullptr, 0, keep) <= 0) {
            break;
        }
    }
    return position >= to && !std::ferror(out);
}

}  // namespace frontend
