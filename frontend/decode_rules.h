#pragma once
// The rules of the whole-song decode that the excerpt road must reproduce exactly: what it
// skips, how it feeds the library's decoder and when it gives up on the input. Both roads
// include this one header, so a change to either rule reaches both.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/Progress.h"

namespace frontend {

// The decoder's own delay for Layer III, dropped with the encoder's: 528 samples plus the
// one the synthesis filter adds.
inline constexpr int kLayer3DecoderDelay = 529;
// The largest data length a decoded WAVE file states; longer songs state this.
inline constexpr std::uint32_t kLargestWaveData = 0xFFFFFFD0u;
// Where a decode leaves the progress bar.
inline constexpr int kDecodeBarEnd = platform::kBarAfterDecode;

// The first header is read in pieces of this size until the library has parsed it (and
// any tag the first frame holds); the frames behind it in blocks of the other.
inline constexpr std::size_t kMpegHeaderBlockBytes = 100;
inline constexpr std::size_t kMpegBlockBytes = 1024;
// The decoder keeps every byte it cannot sync on and scans all of them again on each call,
// so a long run of junk (zeros, a large trailing tag) would cost quadratic time. The
// largest Layer III frame is 2880 bytes (free format); a decoder that has taken 16 KiB
// without producing a frame is only scanning junk, and a fresh one forgets it.
inline constexpr std::uint64_t kMaxBytesWithoutFrame = 16384;

// At the end of the input a frame that decodes to nothing (a tag frame, a frame whose bit
// reservoir is missing) answers 0 just like an empty decoder, so the decoder is asked
// again while a held frame is still possible: the smallest Layer III frame (MPEG-2,
// 8 kbit/s at 24 kHz) is 24 bytes, so it cannot hold more frames than the bytes given to
// it since its last output allow.
inline std::uint64_t EndOfInputAsks(std::uint64_t bytesSinceLastFrame) {
    constexpr std::uint64_t kSmallestMpegFrameBytes = 24;
    constexpr std::uint64_t kMinEndOfInputAsks = 16;
    constexpr std::uint64_t kMaxEndOfInputAsks = 4096;
    return std::min(kMinEndOfInputAsks + bytesSinceLastFrame / kSmallestMpegFrameBytes,
                    kMaxEndOfInputAsks);
}

// The data length the header of a decoded WAVE file states for sampleFrames 16-bit
// sample frames of channels channels: 0 for none, kLargestWaveData for more than fits.
inline std::uint32_t DecodedWaveDataBytes(std::int64_t sampleFrames, int channels) {
    const std::int64_t bytesPerFrame = 2 * static_cast<std::int64_t>(channels);
    if (sampleFrames <= 0) {
        return 0;
    }
    return sampleFrames > kLargestWaveData / bytesPerFrame
               ? kLargestWaveData
               : static_cast<std::uint32_t>(sampleFrames * bytesPerFrame);
}

}  // namespace frontend
