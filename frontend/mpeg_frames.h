#pragma once
// A header-only walk over the frames of an MPEG Layer III file: where each frame lies, how
// much main data it carries and how far back into earlier frames its bit reservoir
// reaches. Nothing is decoded, so the walk costs one read of the file.

#include <cstdint>
#include <string>
#include <vector>

namespace frontend {

struct MpegFrame {
    std::uint64_t offset = 0;         // of the frame's header in the file
    std::uint16_t size = 0;           // the whole frame, header included
    std::uint16_t mainDataBegin = 0;  // bytes of earlier frames' main data it starts in
    std::uint16_t mainDataBytes = 0;  // main data behind its header and side information
    bool tagMarker = false;           // "Xing" or "Info" where a tag frame keeps it
};

struct MpegFrameWalk {
    int sampleRate = 0;
    int channels = 0;
    int samplesPerFrame = 0;  // per channel: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
    bool mpeg1 = false;
    std::vector<MpegFrame> frames;
};

// Walks the file at path. Accepts only one unbroken chain of Layer III frames that share
// version, sample rate and channel mode, have no CRC, no free-format or reserved fields,
// start right behind an optional ID3v2 tag (or at the first byte) and any zero bytes of
// padding, whose side information the decoder accepts, and that end exactly at the
// end of the file or at a trailing 128-byte ID3v1 tag that holds no 0xFF byte (so nothing
// in it can pass for a frame header).
// Fails: false for anything else (unreadable file included); walk is then unspecified.
bool WalkMpegFrames(const std::string& path, MpegFrameWalk& walk);

}  // namespace frontend
