#pragma once
// The audio the preview plays: interleaved 16-bit PCM at the song's own sample rate, mono
// or stereo (a WAVE song of more channels gives its first two), read a little at a time
// so that a part of any length needs no more memory than a few seconds of it.
//
// What is heard is what the ringtone holds. An MP3 song the excerpt road takes is decoded
// by that road, a few seconds per call, each the very samples its ringtone would get; a
// WAVE song's samples are read where the cut reads them; the fades are the ringtone's
// curve over the part. Only an MP3 song the excerpt road declines is decoded from its
// first frame on, by the whole-song road's skip but not its resync: heard the same, but
// for a stream with junk inside, where that road may decode otherwise.
//
// THREAD RULE: an open PartAudio may hold a decoder, so it is one of the decoders of
// Songoverview.h's rule: open it only with the overview's worker stopped, and close it
// before a ringtone is made.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Ringtonenames.h"
#include "chooser/Fades.h"
#include "chooser/Songoverview.h"

namespace chooser {

// Why the song cannot be heard here ("" when it can), as a sentence for a tooltip.
std::string WhyNoPreview(const SongFacts& facts);

class PartAudio {
public:
    PartAudio();
    ~PartAudio();
    PartAudio(const PartAudio&) = delete;
    PartAudio& operator=(const PartAudio&) = delete;

    // Prepares the song's audio from second fromSecond up to second untilSecond (clipped to
    // the song), with fades over part as its ringtone would have them. False, with why
    // set, when the song cannot be heard (WhyNoPreview) or read.
    bool Open(const SongFacts& facts, std::int64_t fromSecond, std::int64_t untilSecond,
              RingtoneRange part, const Fades& fades, std::string& why);
    void Close();
    bool IsOpen() const { return source_ != nullptr; }

    std::uint32_t SampleRate() const { return sampleRate_; }
    int Channels() const { return channels_; }
    // Sample frames from the first second to the last, and those read so far.
    std::int64_t Frames() const { return frames_; }
    std::int64_t FramesRead() const { return read_; }
    // The second of the song the first frame plays.
    std::int64_t FromSecond() const { return fromSecond_; }

    // Fills out with up to frames sample frames (Channels() samples each). Fewer at the
    // end, 0 there or when the song stops reading.
    std::size_t Read(std::int16_t* out, std::size_t frames);

    class Source;

private:
    std::unique_ptr<Source> source_;
    std::uint32_t sampleRate_ = 0;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    std::int64_t read_ = 0;
    std::int64_t fromSecond_ = 0;
    // The part's frames relative to the first frame played, for the fades.
    std::int64_t partFrom_ = 0;
    std::int64_t partFrames_ = 0;
    Fades fades_;
};

}  // namespace chooser
