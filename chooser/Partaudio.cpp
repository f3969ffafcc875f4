#include "chooser/Partaudio.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "chooser/Collectingui.h"
#include "chooser/PartRules.h"
#include "excerpt/Mp3excerpt.h"
#include "excerpt/Quietdecoder.h"
#include "platform/Exception.h"
#include "platform/files.h"

namespace chooser {

class PartAudio::Source {
public:
    virtual ~Source() = default;
    // Up to frames sample frames of the part's channels; 0 at the end.
    virtual std::size_t Fill(std::int16_t* out, std::size_t frames) = 0;
};

namespace {

// The excerpt road decodes this much per call: a few frames of warm-up on each piece
// cost little, and a piece is all the memory a part of any length needs.
constexpr std::int32_t kPieceSeconds = 4;
constexpr std::size_t kWaveBlockFrames = 4096;

std::int16_t ToInt16(float sample) {
    const long v = std::lround(sample * 32768.0f);
    return static_cast<std::int16_t>(std::clamp<long>(v, -32768, 32767));
}

// The samples of a WAVE song where its cut reads them: second s begins s byte rates in.
class WaveSource : public PartAudio::Source {
public:
    WaveSource(const SongFacts& facts, std::int64_t fromSecond, int channels)
        : facts_(facts), channels_(channels), in_(platform::OpenRegularFileForReading(facts.path)) {
        const std::int64_t skipped = fromSecond * facts.byteRate;
        left_ = std::max<std::int64_t>(facts.audioBytes - skipped, 0);
        if (!in_ || fseeko(in_.get(), static_cast<off_t>(facts.audioOffset + skipped), SEEK_SET)) {
            left_ = 0;
        }
        buffer_.resize(kWaveBlockFrames * facts.blockAlign);
    }
    std::size_t Fill(std::int16_t* out, std::size_t frames) override {
        const std::size_t block = facts_.blockAlign;
        const std::size_t width = facts_.bitsPerSample / 8u;
        frames = std::min({frames, kWaveBlockFrames, static_cast<std::size_t>(left_) / block});
        const std::size_t got = frames ? std::fread(buffer_.data(), block, frames, in_.get()) : 0;
        for (std::size_t f = 0; f < got; ++f) {
            for (int c = 0; c < channels_; ++c) {
                *out++ =
                    ToInt16(WaveSample(&buffer_[f * block + static_cast<std::size_t>(c) * width],
                                       facts_.formatTag, facts_.bitsPerSample));
            }
        }
        left_ = got < frames ? 0 : left_ - static_cast<std::int64_t>(got * block);
        return got;
    }

private:
    SongFacts facts_;
    int channels_;
    platform::ScopedFile in_;
    std::int64_t left_ = 0;
    std::vector<unsigned char> buffer_;
};

// An MP3 song the excerpt road takes, decoded by it a piece at a time: each piece holds
// exactly the samples a ringtone of those seconds would, so their sequence is the part's.
class ExcerptSource : public PartAudio::Source {
public:
    ExcerptSource(std::unique_ptr<frontend::Mp3Excerpt> plan, std::int64_t fromSecond,
                  std::int64_t untilSecond, std::uint32_t sampleRate, int channels)
        : plan_(std::move(plan)),
          next_(fromSecond),
          until_(untilSecond),
          sampleRate_(sampleRate),
          channels_(channels) {}
    std::size_t Fill(std::int16_t* out, std::size_t frames) override {
        if (at_ == piece_.size() && !NextPiece()) {
            return 0;
        }
        const std::size_t n =
            std::min(frames, (piece_.size() - at_) / static_cast<std::size_t>(channels_));
        std::copy_n(piece_.begin() + static_cast<std::ptrdiff_t>(at_),
                    n * static_cast<std::size_t>(channels_), out);
        at_ += n * static_cast<std::size_t>(channels_);
        return n;
    }

private:
    bool NextPiece() {
        piece_.clear();
        at_ = 0;
        if (next_ >= until_) {
            return false;
        }
        const auto length =
            static_cast<std::int32_t>(std::min<std::int64_t>(kPieceSeconds, until_ - next_));
        char* bytes = nullptr;
        std::size_t size = 0;
        std::FILE* memory = open_memstream(&bytes, &size);
        if (!memory) {
            return false;
        }
        bool written = false;
        {
            // The road shows progress and asks about Cancel; the preview has neither.
            CollectingUi quiet;
            platform::ScopedUi installed(&quiet);
            try {
                written = plan_->WriteExcerpt(memory, static_cast<std::int32_t>(next_), length);
            } catch (const platform::Exception&) {
                written = false;
            }
        }
        written = std::fclose(memory) == 0 && written;
        const std::size_t data = static_cast<std::size_t>(length) * sampleRate_ *
                                 static_cast<std::size_t>(channels_) * 2;
        if (written && size >= data) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes) + (size - data);
            piece_.resize(data / 2);
            for (std::size_t i = 0; i < piece_.size(); ++i) {
                piece_[i] = static_cast<std::int16_t>(p[2 * i] | p[2 * i + 1] << 8);
            }
        }
        std::free(bytes);
        next_ += length;
        return !piece_.empty();
    }

    std::unique_ptr<frontend::Mp3Excerpt> plan_;
    std::int64_t next_;
    std::int64_t until_;
    std::uint32_t sampleRate_;
    int channels_;
    std::vector<std::int16_t> piece_;
    std::size_t at_ = 0;
};

// An MP3 song the excerpt road declines: decoded from its first frame, what the whole-song
// road skips at the start dropped and the seconds before the start decoded and passed over.
class DecodeSource : public PartAudio::Source {
public:
    explicit DecodeSource(const std::string& path)
        : in_(platform::OpenRegularFileForReading(path)) {
        // The first frame tells the rate, the channels and what the whole-song road skips.
        while (info_.samplerate <= 0 && Decode()) {
        }
    }
    DecodeSource(const DecodeSource&) = delete;
    DecodeSource& operator=(const DecodeSource&) = delete;

    std::uint32_t SampleRate() const { return static_cast<std::uint32_t>(info_.samplerate); }
    int Channels() const { return info_.stereo == 2 ? 2 : 1; }
    void SkipSeconds(std::int64_t seconds) {
        const auto channels = static_cast<std::size_t>(Channels());
        const std::int64_t frames = seconds * info_.samplerate;
        const std::int64_t held = static_cast<std::int64_t>((pending_.size() - at_) / channels);
        at_ += static_cast<std::size_t>(std::min(frames, held)) * channels;
        skip_ += frames - std::min(frames, held);
    }

    std::size_t Fill(std::int16_t* out, std::size_t frames) override {
        const auto channels = static_cast<std::size_t>(Channels());
        while (at_ == pending_.size() && Decode()) {
        }
        const std::size_t n = std::min(frames, (pending_.size() - at_) / channels);
        std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(at_), n * channels, out);
        at_ += n * channels;
        return n;
    }

private:
    // Adds what the next block of the file completes to pending_, after the skip; false at
    // the end of the song.
    bool Decode() {
        if (!hip_ || !in_ || ended_) {
            return false;
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at_));
        at_ = 0;
        unsigned char bytes[4096];
        const std::size_t n = std::fread(bytes, 1, sizeof bytes, in_.get());
        int r = hip_decode1_headersB(hip_.get(), bytes, n, left_, right_, &info_, &encoderDelay_,
                                     &padding_);
        int asks = 0;
        while (r > 0 || (n == 0 && r == 0 && ++asks < 16)) {
            if (!skipKnown_) {
                // The first samples: any LAME tag has been read by now.
                skipKnown_ = true;
                skip_ += std::max<std::int64_t>(
                    frontend::WholeSongSkip(encoderDelay_, Channels(), info_.samplerate), 0);
            }
            for (int i = 0; i < r; ++i) {
                if (skip_ > 0) {
                    --skip_;
                    continue;
                }
                pending_.push_back(left_[i]);
                if (info_.stereo == 2) {
                    pending_.push_back(right_[i]);
                }
            }
            r = hip_decode1_headersB(hip_.get(), bytes, 0, left_, right_, &info_, &encoderDelay_,
                                     &padding_);
        }
        ended_ = n == 0;
        return !pending_.empty() || !ended_;
    }

    platform::ScopedFile in_;
    frontend::QuietDecoder hip_;
    mp3data_struct info_{};
    std::int64_t skip_ = 0;
    bool skipKnown_ = false;
    int encoderDelay_ = -1;
    int padding_ = -1;
    bool ended_ = false;
    std::vector<std::int16_t> pending_;
    std::size_t at_ = 0;
    short left_[4 * 1152];
    short right_[4 * 1152];
};

}  // namespace

std::string WhyNoPreview(const SongFacts& facts) {
    if (!facts.readable) {
        return "The song could not be read, so there is nothing to play.";
    }
    if (!facts.mp3 && !WaveSamplesReadable(facts)) {
        return "This song's audio is compressed or laid out in a way that cannot be played "
               "here; the ringtone can still be made.";
    }
    return {};
}

PartAudio::PartAudio() = default;
PartAudio::~PartAudio() = default;

void PartAudio::Close() {
    source_.reset();
    frames_ = 0;
    read_ = 0;
}

bool PartAudio::Open(const SongFacts& facts, std::int64_t fromSecond, std::int64_t untilSecond,
                     RingtoneRange part, const Fades& fades, std::string& why) {
    Close();
    why = WhyNoPreview(facts);
    if (!why.empty()) {
        return false;
    }
    fromSecond = std::max<std::int64_t>(fromSecond, 0);
    std::int64_t partFrames = 0;
    if (!facts.mp3) {
        sampleRate_ = facts.sampleRate;
        channels_ = std::min<int>(facts.channels, 2);
        const std::int64_t perSecond = facts.byteRate;
        const std::int64_t block = facts.blockAlign;
        auto framesWithin = [&](std::int64_t from, std::int64_t seconds) {
            const std::int64_t bytes =
                std::min(seconds * perSecond, facts.audioBytes - from * perSecond);
            return std::max<std::int64_t>(bytes, 0) / block;
        };
        frames_ = framesWithin(fromSecond, std::max<std::int64_t>(untilSecond - fromSecond, 0));
        partFrames = framesWithin(PartBegin(part), part.length);
        source_ = std::make_unique<WaveSource>(facts, fromSecond, channels_);
    } else {
        std::unique_ptr<frontend::Mp3Excerpt> plan = frontend::Mp3Excerpt::Plan(facts.path);
        if (plan) {
            sampleRate_ = facts.sampleRate;
            channels_ = facts.channels;
            untilSecond = std::min<std::int64_t>(untilSecond, plan->DurationSeconds());
            source_ = std::make_unique<ExcerptSource>(std::move(plan), fromSecond, untilSecond,
                                                      sampleRate_, channels_);
        } else {
            auto decode = std::make_unique<DecodeSource>(facts.path);
            sampleRate_ = decode->SampleRate();
            channels_ = decode->Channels();
            decode->SkipSeconds(fromSecond);
            source_ = std::move(decode);
        }
        frames_ = std::max<std::int64_t>(untilSecond - fromSecond, 0) * sampleRate_;
        partFrames = static_cast<std::int64_t>(part.length) * sampleRate_;
    }
    if (sampleRate_ == 0 || channels_ <= 0 || frames_ <= 0) {
        Close();
        why = "There is nothing to play from there.";
        return false;
    }
    fromSecond_ = fromSecond;
    partFrom_ = (PartBegin(part) - fromSecond) * static_cast<std::int64_t>(sampleRate_);
    partFrames_ = partFrames;
    fades_ = fades;
    return true;
}

std::size_t PartAudio::Read(std::int16_t* out, std::size_t frames) {
    if (!source_) {
        return 0;
    }
    frames = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(frames), frames_ - read_));
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t n =
            source_->Fill(out + done * static_cast<std::size_t>(channels_), frames - done);
        if (n == 0) {
            break;
        }
        done += n;
    }
    if (fades_.Any()) {
        for (std::size_t f = 0; f < done; ++f) {
            const std::int64_t i = read_ + static_cast<std::int64_t>(f) - partFrom_;
            if (i < 0 || i >= partFrames_) {
                continue;
            }
            const double gain = FadeGainAt(i, partFrames_, sampleRate_, fades_);
            for (int c = 0; c < channels_; ++c) {
                std::int16_t& s =
                    out[f * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(c)];
                s = static_cast<std::int16_t>(std::llround(s * gain));
            }
        }
    }
    read_ += static_cast<std::int64_t>(done);
    return done;
}

}  // namespace chooser
