#include "chooser/Songoverview.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/Ringtonenames.h"
#include "chooser/Collectingui.h"
#include "chooser/Fades.h"
#include "excerpt/Mp3excerpt.h"
#include "excerpt/Quietdecoder.h"
#include "excerpt/mpeg_frames.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "wave/Wavefile.h"

namespace chooser {

namespace {

// The pipeline's closing words when a song gives no ringtone at all.
const char* const kUnreadableWave =
    "There was a problem reading the song file. Could not make ringtone.";
const char* const kUnreadableMp3 = "No ringtone was created.";

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kExtensible = 0xFFFE;

std::string Kilohertz(std::uint32_t rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g kHz", rate / 1000.0);
    return text;
}

std::string ChannelWord(unsigned channels) {
    if (channels == 1) {
        return "mono";
    }
    if (channels == 2) {
        return "stereo";
    }
    return std::to_string(channels) + " channels";
}

void ReadMp3Facts(SongFacts& facts) {
    // The plan walks the frames; only a song it declines is walked again for its format.
    std::unique_ptr<frontend::Mp3Excerpt> plan = frontend::Mp3Excerpt::Plan(facts.path);
    frontend::MpegFrameWalk declined;
    const bool walked = plan || frontend::WalkMpegFrames(facts.path, declined);
    const frontend::MpegFrameWalk& walk = plan ? plan->Walk() : declined;
    if (walked && !walk.frames.empty()) {
        std::uint64_t bytes = 0;
        for (const frontend::MpegFrame& frame : walk.frames) {
            bytes += frame.size;
        }
        const double seconds =
            static_cast<double>(walk.frames.size()) * walk.samplesPerFrame / walk.sampleRate;
        const long kbits = std::lround(static_cast<double>(bytes) * 8 / seconds / 1000);
        facts.format = "MP3, " + Kilohertz(static_cast<std::uint32_t>(walk.sampleRate)) + " " +
                       ChannelWord(static_cast<unsigned>(walk.channels)) + ", " +
                       std::to_string(kbits) + " kbit/s";
        facts.sampleRate = static_cast<std::uint32_t>(walk.sampleRate);
        facts.channels = static_cast<std::uint16_t>(walk.channels);
    } else {
        facts.format = "MP3";
    }
    if (plan) {
        facts.durationSeconds = plan->DurationSeconds();
        facts.durationKnown = true;
    }
    // Whether an unplanned song decodes at all only its decode can tell: the overview.
    platform::ScopedFile probe(platform::OpenRegularFileForReading(facts.path));
    facts.readable = static_cast<bool>(probe);
    if (!facts.readable) {
        facts.problem = kUnreadableMp3;
    }
}

void ReadWaveFacts(SongFacts& facts) {
    CollectingUi collecting;
    platform::ScopedUi installed(&collecting);
    WaveFile wave(facts.path);
    if (!wave.ReadHeader()) {
        facts.problem =
            collecting.messages + (collecting.messages.empty() ? "" : "\n") + kUnreadableWave;
        return;
    }
    facts.readable = true;
    facts.durationSeconds = wave.GetDurationSeconds();
    facts.durationKnown = true;
    facts.formatTag = wave.formatTag;
    facts.channels = wave.channels;
    facts.bitsPerSample = wave.bitsPerSample;
    facts.blockAlign = wave.blockAlign;
    facts.sampleRate = wave.sampleRate;
    facts.byteRate = wave.byteRate;
    facts.audioOffset = wave.headerSize;
    facts.audioBytes = wave.dataSize;
    // An extensible header names its samples in its sub-format.
    std::uint16_t plain = 0;
    facts.whyNoFades = WhyFadesCannotApply(facts.path, &plain);
    if (plain != 0) {
        facts.formatTag = plain;
    }
    std::string sample;
    if (facts.formatTag == kFloat) {
        sample = std::to_string(wave.bitsPerSample) + "-bit float";
    } else if (facts.formatTag == kPcm || facts.formatTag == kExtensible) {
        sample = std::to_string(wave.bitsPerSample) + "-bit";
    } else {
        char tag[32];
        std::snprintf(tag, sizeof tag, "format 0x%04X", wave.formatTag);
        sample = tag;
    }
    facts.format =
        "WAVE, " + Kilohertz(wave.sampleRate) + " " + ChannelWord(wave.channels) + ", " + sample;
}

// Gathers sample frames into the envelope's bins, merging pairs when they run out.
class EnvelopeBuilder {
public:
    explicit EnvelopeBuilder(std::uint32_t sampleRate) { envelope_.sampleRate = sampleRate; }
    void Describe(int channels, int encoderDelay) {
        envelope_.channels = channels;
        envelope_.encoderDelay = encoderDelay;
    }
    void Add(float low, float high) {
        binLow_ = std::min(binLow_, low);
        binHigh_ = std::max(binHigh_, high);
        ++envelope_.frames;
        if (++inBin_ == envelope_.framesPerBin) {
            Close();
        }
    }
    // The envelope with the bin being filled shown as it stands.
    Envelope Current() const {
        Envelope copy = envelope_;
        if (inBin_ > 0) {
            copy.low.push_back(binLow_);
            copy.high.push_back(binHigh_);
        }
        return copy;
    }

private:
    void Close() {
        envelope_.low.push_back(binLow_);
        envelope_.high.push_back(binHigh_);
        binLow_ = 1;
        binHigh_ = -1;
        inBin_ = 0;
        if (envelope_.low.size() == Envelope::kMaxBins) {
            const std::size_t half = Envelope::kMaxBins / 2;
            for (std::size_t i = 0; i < half; ++i) {
                envelope_.low[i] = std::min(envelope_.low[2 * i], envelope_.low[2 * i + 1]);
                envelope_.high[i] = std::max(envelope_.high[2 * i], envelope_.high[2 * i + 1]);
            }
            envelope_.low.resize(half);
            envelope_.high.resize(half);
            envelope_.framesPerBin *= 2;
        }
    }

    Envelope envelope_;
    float binLow_ = 1;
    float binHigh_ = -1;
    std::int64_t inBin_ = 0;
};

}  // namespace

float WaveSample(const unsigned char* p, std::uint16_t tag, std::uint16_t bits) {
    if (tag == kFloat) {
        if (bits == 64) {
            double d;
            std::memcpy(&d, p, 8);
            return static_cast<float>(d);
        }
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    switch (bits) {
        case 8:
            return (p[0] - 128) / 128.0f;
        case 16:
            return static_cast<std::int16_t>(p[0] | p[1] << 8) / 32768.0f;
        case 24:
            return static_cast<float>(
                       static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                                 static_cast<std::uint32_t>(p[1]) << 16 |
                                                 static_cast<std::uint32_t>(p[2]) << 24)) /
                   2147483648.0f;
        default:
            return static_cast<float>(static_cast<std::int32_t>(
                       static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                       static_cast<std::uint32_t>(p[2]) << 16 |
                       static_cast<std::uint32_t>(p[3]) << 24)) /
                   2147483648.0f;
    }
}

bool WaveSamplesReadable(const SongFacts& facts) {
    return !facts.mp3 && facts.readable && facts.blockAlign > 0 && facts.channels > 0 &&
           facts.sampleRate > 0 && (facts.formatTag == kPcm || facts.formatTag == kFloat) &&
           facts.bitsPerSample >= 8 && facts.bitsPerSample % 8 == 0 &&
           facts.bitsPerSample / 8 * facts.channels <= facts.blockAlign;
}

SongFacts ReadSongFacts(const std::string& path) {
    SongFacts facts;
    facts.path = path;
    facts.mp3 = IsMp3Song(path);
    if (facts.mp3) {
        ReadMp3Facts(facts);
    } else {
        ReadWaveFacts(facts);
    }
    return facts;
}

void SongOverview::Publish(const Envelope& envelope) {
    std::lock_guard<std::mutex> lock(mutex_);
    shared_ = envelope;
}

Envelope SongOverview::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shared_;
}

void SongOverview::Stop() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
    cancel_ = false;
}

void SongOverview::Start(const SongFacts& facts) {
    Stop();
    Publish(Envelope{});
    finished_ = false;
    worker_ = std::thread([this, facts] {
        EnvelopeBuilder builder(facts.sampleRate);
        // A copy now and then: the window draws what has arrived, the lock stays short.
        constexpr std::int64_t kPublishEvery = 1 << 16;
        std::int64_t sincePublished = 0;
        auto frameDone = [&] {
            if (++sincePublished == kPublishEvery) {
                sincePublished = 0;
                Publish(builder.Current());
            }
        };
        platform::ScopedFile in(platform::OpenRegularFileForReading(facts.path));
        if (in && facts.mp3) {
            frontend::QuietDecoder decoder;
            if (decoder) {
                hip_t hip = decoder.get();
                unsigned char bytes[4096];
                short left[4 * 1152];
                short right[4 * 1152];
                mp3data_struct info{};
                std::size_t n = 0;
                bool rateKnown = false;
                int encoderDelay = -1;
                int padding = -1;
                int delay = -1;  // the LAME tag's, if one was read
                while (!cancel_ && (n = std::fread(bytes, 1, sizeof bytes, in.get())) > 0) {
                    int r = hip_decode1_headersB(hip, bytes, n, left, right, &info, &encoderDelay,
                                                 &padding);
                    delay = encoderDelay > -1 ? encoderDelay : delay;
                    while (r > 0 && !cancel_) {
                        if (!rateKnown) {
                            builder = EnvelopeBuilder(static_cast<std::uint32_t>(info.samplerate));
                            builder.Describe(info.stereo, delay);
                            rateKnown = true;
                        }
                        for (int i = 0; i < r; ++i) {
                            const float l = left[i] / 32768.0f;
                            const float rr = info.stereo == 2 ? right[i] / 32768.0f : l;
                            builder.Add(std::min(l, rr), std::max(l, rr));
                            frameDone();
                        }
                        r = hip_decode1_headersB(hip, bytes, 0, left, right, &info, &encoderDelay,
                                                 &padding);
                    }
                }
            }
        } else if (in && WaveSamplesReadable(facts) &&
                   fseeko(in.get(), static_cast<off_t>(facts.audioOffset), SEEK_SET) == 0) {
            const std::size_t width = facts.bitsPerSample / 8u;
            const std::size_t block = facts.blockAlign;
            std::vector<unsigned char> buffer(block * 4096);
            std::int64_t left = facts.audioBytes;
            while (!cancel_ && left >= static_cast<std::int64_t>(block)) {
                const std::size_t want = static_cast<std::size_t>(
                    std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())) /
                    static_cast<std::int64_t>(block) * static_cast<std::int64_t>(block));
                const std::size_t got = std::fread(buffer.data(), 1, want, in.get());
                for (std::size_t at = 0; at + block <= got; at += block) {
                    float low = 1;
                    float high = -1;
                    for (std::size_t c = 0; c < facts.channels; ++c) {
                        const float s = WaveSample(&buffer[at + c * width], facts.formatTag,
                                                   facts.bitsPerSample);
                        low = std::min(low, s);
                        high = std::max(high, s);
                    }
                    builder.Add(low, high);
                    frameDone();
                }
                if (got < want) {
                    break;
                }
                left -= static_cast<std::int64_t>(got);
            }
        }
        Envelope last = builder.Current();
        last.complete = !cancel_;
        Publish(last);
        finished_ = true;
    });
}

}  // namespace chooser
