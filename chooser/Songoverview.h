#pragma once
// What the part chooser's window knows of a song before any ringtone is made: its length by
// the pipeline's own rules, its format as a line for a person, and the peak envelope of
// its audio, read in a worker thread.
//
// THREAD RULE: the MP3 front end is not re-entrant, and hip_decode_init fills tables of
// libmp3lame that every decoder shares. So at most one decoder exists at a time: the
// overview's worker must be stopped (SongOverview::Stop cancels and joins it) before
// ReadSongFacts runs and before a ringtone is made, and started again only after. The
// window keeps that order; nothing here locks against it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace chooser {

struct SongFacts {
    std::string path;
    bool mp3 = false;
    // False when the pipeline could not read the song; problem then holds what it would
    // say, one message a line.
    bool readable = false;
    std::string problem;
    // Whole seconds, as the pipeline counts them. An MP3 song the excerpt road declines
    // has none until its overview has counted the decoded samples (durationKnown false).
    std::int32_t durationSeconds = 0;
    bool durationKnown = false;
    // "MP3, 44.1 kHz stereo, 128 kbit/s" or "WAVE, 48 kHz mono, 24-bit".
    std::string format;
    // Empty when fades can apply (always for MP3), else why not.
    std::string whyNoFades;
    // Where the audio lies in a WAVE song, for the overview.
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t blockAlign = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;  // the cut's bytes per second
    std::int64_t audioOffset = 0;
    std::int64_t audioBytes = 0;
};

// Reads what the window shows of the song at path. Shows nothing: the pipeline's messages
// for an unreadable song are collected into problem. Never throws for a bad file.
SongFacts ReadSongFacts(const std::string& path);

// The sample of a WAVE song's layout (tag 3: float; else integer of bits) at p, -1 to 1.
float WaveSample(const unsigned char* p, std::uint16_t tag, std::uint16_t bits);
// True when the facts' WAVE audio is laid out as WaveSample reads it.
bool WaveSamplesReadable(const SongFacts& facts);

// The peak envelope: bin i holds the lowest and highest sample (-1 to 1) of any channel in
// sample frames [i * framesPerBin, (i + 1) * framesPerBin). Bins merge pairwise as the
// song goes on, so there are never more than kMaxBins whatever its length.
struct Envelope {
    static constexpr std::size_t kMaxBins = 4096;
    std::vector<float> low;
    std::vector<float> high;
    std::int64_t framesPerBin = 1;
    std::int64_t frames = 0;  // sample frames read so far
    std::uint32_t sampleRate = 0;
    int channels = 0;
    // An MP3 song's encoder delay as its LAME tag states it, -1 without one.
    int encoderDelay = -1;
    bool complete = false;
};

class SongOverview {
public:
    SongOverview() = default;
    ~SongOverview() { Stop(); }
    SongOverview(const SongOverview&) = delete;
    SongOverview& operator=(const SongOverview&) = delete;

    // Stops any earlier worker, then reads facts' audio in a new one.
    void Start(const SongFacts& facts);
    // Cancels the worker and waits for it; the envelope read so far stays.
    void Stop();
    // A copy of the envelope as it stands.
    Envelope Snapshot() const;
    bool Running() const { return worker_.joinable() && !finished_; }

private:
    void Publish(const Envelope& envelope);

    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    mutable std::mutex mutex_;
    Envelope shared_;
};

}  // namespace chooser
