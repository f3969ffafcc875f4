#include "chooser/Fades.h"

#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/Ringtonepipeline.h"
#include "bytes/endian.h"
#include "bytes/source.h"
#include "platform/Exception.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "wave/Wavefile.h"

namespace chooser {
namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// The 14 bytes every standard sub-format GUID ends in; its first two bytes are the tag.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The fmt body starts behind "RIFF", its size, "WAVE", "fmt " and the body's size: the cut
// accepts no other place for it.
constexpr long kFmtBodyOffset = 20;
constexpr std::size_t kBlockBytes = 1 << 20;

enum class SampleKind { Unsigned, Signed, Float };

struct Layout {
    SampleKind kind = SampleKind::Signed;
    unsigned sampleBytes = 0;
    // Integer samples hold their value in the top validBits; the bits below stay 0.
    unsigned validBits = 0;
    std::uint16_t blockAlign = 0;
    std::uint32_t sampleRate = 0;
    std::int64_t audioStart = 0;
    std::int64_t frames = 0;
};

std::string CannotFade(const std::string& reason) {
    return "This song's audio cannot be faded: " + reason + ".";
}

std::string Compressed(std::uint16_t tag) {
    return CannotFade("it is compressed (WAVE format " + std::to_string(tag) +
                      "); fades need plain PCM or float samples");
}

// Reads the header of the WAVE file open in f and how its samples lie.
std::string ReadLayout(std::FILE* f, Layout& layout) {
    bytes::StreamSource source(f);
    WaveHeaderFields h;
    if (ParseWaveFileHeader(source, h) != WaveHeaderRejection::None) {
        return CannotFade("its WAVE header could not be read");
    }
    const std::int64_t fileSize = source.Size();
    std::uint16_t tag = h.formatTag;
    unsigned validBits = h.bitsPerSample;
    if (tag == kTagExtensible) {
        // cbSize, valid bits, channel mask, then the sub-format GUID.
        std::uint8_t extension[24];
        if (h.fmtSize < 40 || std::fseek(f, kFmtBodyOffset + 16, SEEK_SET) != 0 ||
            std::fread(extension, 1, sizeof extension, f) != sizeof extension) {
            return CannotFade("its extensible WAVE header is incomplete");
        }
        if (std::memcmp(extension + 10, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            return CannotFade("its WAVE sub-format is not a standard one");
        }
        tag = bytes::LoadLE16(extension + 8);
        const unsigned declaredValid = bytes::LoadLE16(extension + 2);
        if (declaredValid != 0) {
            validBits = declaredValid;
        }
    }
    if (tag != kTagPcm && tag != kTagFloat) {
        return Compressed(tag);
    }
    if (h.channels == 0 || h.blockAlign % h.channels != 0 || h.sampleRate == 0) {
        return CannotFade("its samples do not fill its blocks evenly");
    }
    layout.sampleBytes = h.blockAlign / h.channels;
    const unsigned containerBits = layout.sampleBytes * 8;
    if (tag == kTagFloat) {
        if (layout.sampleBytes != 4 && layout.sampleBytes != 8) {
            return CannotFade("its float samples are neither 32 nor 64 bits");
        }
        layout.kind = SampleKind::Float;
    } else {
        if (layout.sampleBytes > 4 || validBits == 0 || validBits > containerBits) {
            return CannotFade(std::to_string(h.bitsPerSample) + "-bit samples in " +
                              std::to_string(containerBits) + "-bit blocks are not plain PCM");
        }
        layout.kind = layout.sampleBytes == 1 ? SampleKind::Unsigned : SampleKind::Signed;
    }
    layout.validBits = validBits;
    layout.blockAlign = h.blockAlign;
    layout.sampleRate = h.sampleRate;
    layout.audioStart = h.headerSize;
    std::int64_t audioBytes = h.dataSize;
    if (fileSize >= 0) {
        audioBytes = std::min(audioBytes, std::max<std::int64_t>(fileSize - h.headerSize, 0));
    }
    layout.frames = audioBytes / h.blockAlign;
    return {};
}

// The gain of frame i of frames: the fade in over its first fadeIn frames times the fade
// out over its last fadeOut.
double Gain(std::int64_t i, std::int64_t frames, std::int64_t fadeIn, std::int64_t fadeOut) {
    const double pi = 3.14159265358979323846;
    double gain = 1.0;
    if (i < fadeIn) {
        gain *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / static_cast<double>(fadeIn));
    }
    const std::int64_t fromEnd = frames - 1 - i;
    if (fromEnd < fadeOut) {
        gain *=
            0.5 - 0.5 * std::cos(pi * static_cast<double>(fromEnd) / static_cast<double>(fadeOut));
    }
    return gain;
}

void ScaleSample(const Layout& layout, std::uint8_t* s, double gain) {
    const unsigned n = layout.sampleBytes;
    if (layout.kind == SampleKind::Float) {
        if (n == 4) {
            std::uint32_t bits = bytes::LoadLE32(s);
            float v;
            std::memcpy(&v, &bits, sizeof v);
            v = static_cast<float>(v * gain);
            std::memcpy(&bits, &v, sizeof v);
            bytes::StoreLE32(s, bits);
        } else {
            std::uint64_t bits = bytes::LoadLE32(s) | std::uint64_t{bytes::LoadLE32(s + 4)} << 32;
            double v;
            std::memcpy(&v, &bits, sizeof v);
            v *= gain;
            std::memcpy(&bits, &v, sizeof v);
            bytes::StoreLE32(s, static_cast<std::uint32_t>(bits));
            bytes::StoreLE32(s + 4, static_cast<std::uint32_t>(bits >> 32));
        }
        return;
    }
    std::uint32_t raw = 0;
    for (unsigned b = 0; b < n; ++b) {
        raw |= std::uint32_t{s[b]} << (8 * b);
    }
    const unsigned bits = 8 * n;
    std::int64_t value;
    if (layout.kind == SampleKind::Unsigned) {
        value = static_cast<std::int64_t>(raw) - 128;  // 8-bit WAVE is offset by half scale
    } else {
        value = static_cast<std::int64_t>(raw);
        if (raw & (std::uint32_t{1} << (bits - 1))) {
            value -= std::int64_t{1} << bits;
        }
    }
    const double step = static_cast<double>(std::int64_t{1} << (bits - layout.validBits));
    const std::int64_t lowest = -(std::int64_t{1} << (bits - 1));
    const std::int64_t highest = (std::int64_t{1} << (bits - 1)) - static_cast<std::int64_t>(step);
    std::int64_t scaled =
        std::llround(static_cast<double>(value) * gain / step) * static_cast<std::int64_t>(step);
    scaled = std::clamp(scaled, lowest, highest);
    if (layout.kind == SampleKind::Unsigned) {
        scaled += 128;
    }
    for (unsigned b = 0; b < n; ++b) {
        s[b] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(scaled) >> (8 * b));
    }
}

// Fades frames [from, to) of the audio in f.
bool FadeRange(std::FILE* f, const Layout& layout, std::int64_t from, std::int64_t to,
               std::int64_t fadeIn, std::int64_t fadeOut) {
    const std::int64_t perBlock =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(kBlockBytes / layout.blockAlign));
    std::vector<std::uint8_t> block;
    for (std::int64_t first = from; first < to; first += perBlock) {
        const std::int64_t count = std::min(perBlock, to - first);
        const std::size_t size = static_cast<std::size_t>(count) * layout.blockAlign;
        const off_t at = static_cast<off_t>(layout.audioStart + first * layout.blockAlign);
        block.resize(size);
        if (fseeko(f, at, SEEK_SET) != 0 || std::fread(block.data(), 1, size, f) != size) {
            return false;
        }
        for (std::int64_t i = 0; i < count; ++i) {
            const double gain = Gain(first + i, layout.frames, fadeIn, fadeOut);
            std::uint8_t* frame = block.data() + static_cast<std::size_t>(i) * layout.blockAlign;
            for (std::size_t s = 0; s + layout.sampleBytes <= layout.blockAlign;
                 s += layout.sampleBytes) {
                ScaleSample(layout, frame + s, gain);
            }
        }
        if (fseeko(f, at, SEEK_SET) != 0 || std::fwrite(block.data(), 1, size, f) != size) {
            return false;
        }
    }
    return true;
}

std::int64_t FadeFrames(double seconds, const Layout& layout) {
    const auto frames = static_cast<std::int64_t>(std::llround(seconds * layout.sampleRate));
    return std::min(frames, layout.frames);
}

}  // namespace

double FadeGainAt(std::int64_t i, std::int64_t frames, std::uint32_t sampleRate,
                  const Fades& fades) {
    Layout layout;
    layout.sampleRate = sampleRate;
    layout.frames = frames;
    return Gain(i, frames, FadeFrames(fades.inSeconds, layout),
                FadeFrames(fades.outSeconds, layout));
}

bool IsFadeLength(double seconds) {
    return seconds == 0 || (seconds >= kShortestFadeSeconds && seconds <= kLongestFadeSeconds);
}

std::string WhyFadesCannotApply(const std::string& waveFile, std::uint16_t* sampleFormat) {
    platform::ScopedFile file(platform::OpenRegularFileForReading(waveFile));
    if (!file) {
        return CannotFade("the file could not be opened");
    }
    Layout layout;
    std::string why = ReadLayout(file.get(), layout);
    if (why.empty() && sampleFormat) {
        *sampleFormat = layout.kind == SampleKind::Float ? kTagFloat : kTagPcm;
    }
    return why;
}

bool ApplyFades(const std::string& waveFile, const Fades& fades, std::string& why) {
    platform::ScopedFile file(platform::OpenOwnFileForUpdate(waveFile));
    if (!file) {
        why = CannotFade("the file could not be opened");
        return false;
    }
    Layout layout;
    why = ReadLayout(file.get(), layout);
    if (!why.empty()) {
        return false;
    }
    const std::int64_t fadeIn = FadeFrames(fades.inSeconds, layout);
    const std::int64_t fadeOut = FadeFrames(fades.outSeconds, layout);
    const std::int64_t outFrom = layout.frames - fadeOut;
    bool done = true;
    if (fadeIn >= outFrom) {
        done = FadeRange(file.get(), layout, 0, layout.frames, fadeIn, fadeOut);
    } else {
        done = FadeRange(file.get(), layout, 0, fadeIn, fadeIn, fadeOut) &&
               FadeRange(file.get(), layout, outFrom, layout.frames, fadeIn, fadeOut);
    }
    done = file.Close() && done;
    if (!done) {
        why = "The fades could not be written into the ringtone.";
    }
    return done;
}

void UseFades(RingtonePipeline& pipeline, const Fades& fades) {
    if (!fades.Any()) {
        pipeline.snippetStep = nullptr;
        return;
    }
    pipeline.snippetStep = [fades](const std::string& snippetFile) {
        std::string why;
        if (!ApplyFades(snippetFile, fades, why)) {
            platform::Ui().HideProgress();
            throw platform::Exception(why + " Could not make ringtone.");
        }
    };
}

}  // namespace chooser
