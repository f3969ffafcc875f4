#include "bytes/wave_header.h"

#include <cstring>

#include "bytes/endian.h"

namespace bytes {

WaveHeaderBytes MakeWaveHeader(std::uint32_t dataBytes, std::uint32_t sampleRate,
                               std::uint16_t channels, std::uint16_t bitsPerSample) {
    const std::uint32_t frameBytes = std::uint32_t{channels} * ((bitsPerSample + 7u) / 8u);
    WaveHeaderBytes h{};
    std::memcpy(h.data(), "RIFF", 4);
    StoreLE32(h.data() + 4, dataBytes + 36);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    StoreLE32(h.data() + 16, 16);
    StoreLE16(h.data() + 20, 1);
    StoreLE16(h.data() + 22, channels);
    StoreLE32(h.data() + 24, sampleRate);
    StoreLE32(h.data() + 28, sampleRate * frameBytes);
    StoreLE16(h.data() + 32, static_cast<std::uint16_t>(frameBytes));
    StoreLE16(h.data() + 34, bitsPerSample);
    std::memcpy(h.data() + 36, "data", 4);
    StoreLE32(h.data() + 40, dataBytes);
    return h;
}

bool WriteWaveHeader(std::FILE* stream, std::uint32_t dataBytes, std::uint32_t sampleRate,
                     std::uint16_t channels, std::uint16_t bitsPerSample) {
    const WaveHeaderBytes h = MakeWaveHeader(dataBytes, sampleRate, channels, bitsPerSample);
    return std::fwrite(h.data(), 1, h.size(), stream) == h.size();
}

}  // namespace bytes
