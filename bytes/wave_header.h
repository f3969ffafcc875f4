#pragma once
// The canonical header of a PCM WAVE file: 44 bytes, "RIFF" and "WAVE", a 16-byte "fmt "
// chunk with format tag 1, then the "data" chunk's header, nothing between.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace bytes {

inline constexpr std::size_t kWaveHeaderBytes = 44;
using WaveHeaderBytes = std::array<std::uint8_t, kWaveHeaderBytes>;

// The header for dataBytes of audio. The block alignment is channels times the whole
// bytes a sample takes, the byte rate sampleRate times that. Every field wraps at the
// width the file gives it (the RIFF size is dataBytes + 36 modulo 2^32), so a placeholder
// length near 2^32 is well defined.
WaveHeaderBytes MakeWaveHeader(std::uint32_t dataBytes, std::uint32_t sampleRate,
                               std::uint16_t channels, std::uint16_t bitsPerSample);

// Writes MakeWaveHeader's bytes at the stream's position. False when not all were written.
bool WriteWaveHeader(std::FILE* stream, std::uint32_t dataBytes, std::uint32_t sampleRate,
                     std::uint16_t channels, std::uint16_t bitsPerSample);

}  // namespace bytes
