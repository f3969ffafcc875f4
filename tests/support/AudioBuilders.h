#pragma once
// Builders for test input: RIFF/WAVE and AIFF byte images and synthesised PCM audio.
// Tests build every file they read; no binary test files are committed.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

void AppendLE16(Bytes& out, std::uint16_t v);
void AppendLE32(Bytes& out, std::uint32_t v);
void AppendBE16(Bytes& out, std::uint16_t v);
void AppendBE32(Bytes& out, std::uint32_t v);
void AppendText(Bytes& out, const std::string& text);
std::uint32_t ReadLE32(const Bytes& in, std::size_t at);
std::uint16_t ReadLE16(const Bytes& in, std::size_t at);

// The 16-byte body of a "fmt " chunk.
Bytes FmtBody(std::uint16_t formatTag, std::uint16_t channels, std::uint32_t sampleRate,
              std::uint16_t bitsPerSample);

// RiffBuilder().chunk("fmt ", FmtBody(1, 2, 44100, 16)).chunk("LIST", info).data(pcm)
// The RIFF size is computed from the chunks unless riffSize() overrides it. Chunks are
// written exactly as given: no pad byte after an odd size.
class RiffBuilder {
public:
    RiffBuilder& chunk(const std::string& id, const Bytes& body);
    // A chunk whose size field says declaredSize whatever the body holds.
    RiffBuilder& chunkWithSize(const std::string& id, std::uint32_t declaredSize,
                               const Bytes& body);
    RiffBuilder& data(const Bytes& pcm) { return chunk("data", pcm); }
    RiffBuilder& riffSize(std::uint32_t size);
    RiffBuilder& magic(const std::string& riff) {
        magic_ = riff;
        return *this;
    }
    RiffBuilder& form(const std::string& form) {
        form_ = form;
        return *this;
    }
    Bytes build() const;

private:
    std::string magic_ = "RIFF";
    std::string form_ = "WAVE";
    Bytes body_;
    bool riffSizeSet_ = false;
    std::uint32_t riffSize_ = 0;
};

// A plain 44-byte-header PCM WAVE file holding pcm.
Bytes SimpleWave(std::uint16_t channels, std::uint32_t sampleRate, std::uint16_t bits,
                 const Bytes& pcm);

// 16-bit interleaved PCM whose tone changes every second: second s plays
// ToneForSecond(s) Hz on every channel, so a position in the audio can be recognised
// from its frequency. Amplitude about half scale.
Bytes ToneSecondsPcm16(int seconds, std::uint32_t sampleRate, int channels);
double ToneForSecond(int second);
// Deterministic bytes where byte i encodes its own position (for byte-exact cut tests).
Bytes CountingBytes(std::size_t n, std::uint32_t seed = 0);

// Estimated dominant frequency of mono 16-bit samples by zero-crossing count.
double ZeroCrossingFrequency(const std::vector<std::int16_t>& samples, std::uint32_t rate);

bool WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

// Has ffmpeg write out as encode says (its codec options) from chords that change every
// second over a little noise, so every frame differs; true when ffmpeg succeeded.
bool WriteFfmpegChords(const std::string& out, const std::string& encode, int rate, int channels,
                       int seconds);

}  // namespace testing_support
