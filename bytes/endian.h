#pragma once
// Loads and stores of the fixed-width fields file formats are made of (RIFF, WAVE and AIFF
// headers, MPEG frame headers), little- and big-endian, on plain byte arrays. They never
// read or write more than the width named, and they compute in unsigned arithmetic, so
// every bit pattern round-trips.

#include <cstdint>

namespace bytes {

inline std::uint16_t LoadLE16(const std::uint8_t* b) {
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t LoadLE32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
           (std::uint32_t{b[3]} << 24);
}
inline std::uint16_t LoadBE16(const std::uint8_t* b) {
    return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}
inline std::uint32_t LoadBE32(const std::uint8_t* b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           std::uint32_t{b[3]};
}

inline void StoreLE16(std::uint8_t* b, std::uint16_t v) {
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreLE32(std::uint8_t* b, std::uint32_t v) {
    StoreLE16(b, static_cast<std::uint16_t>(v));
    StoreLE16(b + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void StoreBE16(std::uint8_t* b, std::uint16_t v) {
    b[0] = static_cast<std::uint8_t>(v >> 8);
    b[1] = static_cast<std::uint8_t>(v);
}
inline void StoreBE32(std::uint8_t* b, std::uint32_t v) {
    StoreBE16(b, static_cast<std::uint16_t>(v >> 16));
    StoreBE16(b + 2, static_cast<std::uint16_t>(v));
}

// A four-character chunk id as the number its bytes make read big-endian, so that ids
// compare as integers whichever byte order the format's sizes use.
constexpr std::uint32_t FourCC(const char (&id)[5]) {
    return (std::uint32_t{static_cast<unsigned char>(id[0])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(id[1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(id[2])} << 8) |
           std::uint32_t{static_cast<unsigned char>(id[3])};
}

// The 80-bit big-endian IEEE 754 extended value at b (AIFF keeps its sample rate so):
// all-zero bits give 0, the largest exponent gives +infinity whatever the sign.
double LoadExtendedBE80(const std::uint8_t* b);

}  // namespace bytes
