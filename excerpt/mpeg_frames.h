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
    bool tagMarker = false;           // "Xing", "Info" or "VBRI" where a tag frame keeps it
};

struct MpegFrameWalk {
    int sampleRate = 0;
    int channels = 0;
    int samplesPerFrame = 0;  // per channel: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
    bool mpeg1 = false;
    std::vector<MpegFrame> frames;
    // The first frame holds a tag marker and a channel mode of its own: it may only be a
    // tag frame, never audio, for the stream to be one.
    bool firstFrameModeDiffers = false;
    // Where the bytes behind the last frame begin (a tag, junk or a cut-off frame), and
    // where the file ends.
    std::uint64_t trailerOffset = 0;
    std::uint64_t fileSize = 0;
};

// Walks the file at path. Accepts only one unbroken chain of Layer III frames that share
// version, sample rate and channel mode (a tag frame in front may have a mode of its own),
// have no CRC, no free-format or reserved fields and side information the decoder
// accepts. The chain starts at the first byte the whole-song road's sync search stops at,
// behind an optional ID3v2 tag and any bytes that cannot pass for a frame header. Behind
// it may follow up to kMaxTrailerBytes of anything (tags, junk, a cut-off frame) in which
// no two frames of the stream follow each other: the song does not go on there.
// Fails: false for anything else (unreadable file included); walk is then unspecified.
inline constexpr std::uint64_t kMaxTrailerBytes = 1 << 20;

bool WalkMpegFrames(const std::string& path, MpegFrameWalk& walk);

}  // namespace frontend
