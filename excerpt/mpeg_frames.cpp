#include "excerpt/mpeg_frames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "bytes/endian.h"
#include "platform/files.h"

namespace frontend {

namespace {

constexpr int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
};
constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000},  // MPEG-1
    {22050, 24000, 16000},  // MPEG-2
    {11025, 12000, 8000},   // MPEG-2.5
};
constexpr std::size_t kReadBlock = 1 << 16;
// Header, the largest side information (MPEG-1 stereo) and a tag frame's marker behind it.
constexpr std::size_t kFrameLookBytes = 4 + 32 + 4;

// The fields every frame of the chain must share: version, layer, protection, sample rate
// and channel mode.
constexpr std::uint32_t kSharedBits = 0xFFFE0CC0u;

struct Layer3Header {
    std::uint32_t bits = 0;
    bool mpeg1 = false;
    int sampleRate = 0;
    int channels = 0;
    int size = 0;
    int sideInfoBytes = 0;
};

bool ParseLayer3Header(const unsigned char* b, Layer3Header& h) {
    h.bits = bytes::LoadBE32(b);
    const int version = (b[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (b[1] >> 1) & 3;    // 1: Layer III
    const bool noCrc = (b[1] & 1) != 0;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    const int mode = b[3] >> 6;
    const int emphasis = b[3] & 3;
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || !noCrc ||
        bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 || emphasis == 2) {
        return false;
    }
    h.mpeg1 = version == 3;
    h.sampleRate = kSampleRates[h.mpeg1 ? 0 : version == 2 ? 1 : 2][rateIndex];
    h.channels = mode == 3 ? 1 : 2;
    const int bitrate = kBitrates[h.mpeg1 ? 0 : 1][bitrateIndex] * 1000;
    h.size = (h.mpeg1 ? 144 : 72) * bitrate / h.sampleRate + ((b[2] >> 1) & 1);
    h.sideInfoBytes = h.mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    return true;
}

// Reads the side information's bit fields, most significant bit first, a field of at most
// 24 bits at a time. It may look up to three bytes past the last field it reads.
class BitReader {
public:
    explicit BitReader(const unsigned char* b) : b_(b) {}
    unsigned Take(int n) {
        const std::uint32_t word = bytes::LoadBE32(b_ + at_ / 8);
        const unsigned v = (word << (at_ % 8)) >> (32 - n);
        at_ += n;
        return v;
    }

private:
    const unsigned char* b_;
    int at_ = 0;
};

// The decoder drops (or mangles) a frame whose side information it refuses, which the
// header count cannot foresee: such a song is not for this walk. Checks each granule's
// Huffman region size and block type, and returns the frame's main data bits, or -1.
long SideInfoBits(const unsigned char* side, const Layer3Header& h) {
    BitReader bits(side);
    bits.Take(h.mpeg1 ? 9 : 8);  // main_data_begin
    bits.Take(h.mpeg1 ? (h.channels == 1 ? 5 : 3) : h.channels);
    if (h.mpeg1) {
        bits.Take(4 * h.channels);  // scfsi
    }
    long totalBits = 0;
    for (int granule = 0; granule < (h.mpeg1 ? 2 : 1); ++granule) {
        for (int channel = 0; channel < h.channels; ++channel) {
            totalBits += bits.Take(12);
            const unsigned bigValues = bits.Take(9);
            bits.Take(8 + (h.mpeg1 ? 4 : 9));  // global gain, scale factor compression
            if (bigValues > 288) {
                return -1;
            }
            if (bits.Take(1) != 0) {  // window switching
                if (bits.Take(2) == 0) {
                    return -1;
                }
                bits.Take(1 + 2 * 5 + 3 * 3);
            } else {
                bits.Take(3 * 5 + 4 + 3);
            }
            bits.Take(h.mpeg1 ? 3 : 2);
        }
    }
    return totalBits;
}

// Sequential reads through one buffer; the walk only ever moves forward.
class ForwardReader {
public:
    explicit ForwardReader(std::FILE* f) : f_(f), buffer_(new unsigned char[kReadBlock]) {}
    // Points at n bytes from offset, or null when the file ends first.
    const unsigned char* At(std::uint64_t offset, std::size_t n) {
        if (offset < start_ || offset + n > start_ + length_) {
            if (fseeko(f_, static_cast<off_t>(offset), SEEK_SET) != 0) {
                return nullptr;
            }
            start_ = offset;
            length_ = std::fread(buffer_.get(), 1, kReadBlock, f_);
            if (n > length_) {
                return nullptr;
            }
        }
        return buffer_.get() + (offset - start_);
    }

private:
    std::FILE* f_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

// The whole-song road's sync search stops at the first four bytes that pass this test.
bool PassesSyncSearch(const unsigned char* b) {
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && (b[1] & 0x18) != 0x08 &&
           (b[1] & 0x06) == 0x02 && (b[2] & 0xF0) != 0xF0 && (b[2] & 0x0C) != 0x0C &&
           (b[3] & 0x03) != 0x02;
}

bool HasTagMarker(const unsigned char* b, const Layer3Header& h) {
    const unsigned char* marker = b + 4 + h.sideInfoBytes;
    // Fraunhofer's VBRI sits at a fixed place, behind the largest side information.
    return std::memcmp(marker, "Xing", 4) == 0 || std::memcmp(marker, "Info", 4) == 0 ||
           std::memcmp(b + 4 + 32, "VBRI", 4) == 0;
}

// True when two Layer III frames that agree with each other follow each other somewhere in
// [from, fileSize): the song, or another one, goes on behind junk there, which is no
// trailer.
bool StreamResumes(ForwardReader& reader, std::uint64_t from, std::uint64_t fileSize) {
    for (std::uint64_t q = from; q + 4 <= fileSize; ++q) {
        const unsigned char* b = reader.At(q, 4);
        Layer3Header h;
        if (!b || b[0] != 0xFF || !ParseLayer3Header(b, h) ||
            q + static_cast<std::uint64_t>(h.size) + 4 > fileSize) {
            continue;
        }
        const unsigned char* next = reader.At(q + static_cast<std::uint64_t>(h.size), 4);
        Layer3Header n;
        if (next && ParseLayer3Header(next, n) &&
            (n.bits & kSharedBits) == (h.bits & kSharedBits)) {
            return true;
        }
    }
    return false;
}

bool Walk(std::FILE* f, std::uint64_t fileSize, MpegFrameWalk& walk) {
    ForwardReader reader(f);
    std::uint64_t at = 0;
    // The size bytes are read as the whole-song road reads them (seven bits each, no
    // footer); whatever follows up to its sync search's stop is never fed to the decoder.
    if (const unsigned char* id3 = reader.At(0, 10); id3 && std::memcmp(id3, "ID3", 3) == 0) {
        at = 10 + ((std::uint64_t{id3[6] & 0x7Fu} << 21) | ((id3[7] & 0x7Fu) << 14) |
                   ((id3[8] & 0x7Fu) << 7) | (id3[9] & 0x7Fu));
    }
    if (const unsigned char* b = reader.At(at, 4); b && std::memcmp(b, "AiD\1", 4) == 0) {
        return false;  // the road skips an album ID block by its own length
    }
    for (const unsigned char* b; (b = reader.At(at, 4)) && !PassesSyncSearch(b);) {
        ++at;
    }
    Layer3Header first;
    Layer3Header audio;
    // The fields every audio frame shares; a tag frame in front may differ in its mode.
    std::uint32_t shared = 0;
    long previousBits = 0;
    while (fileSize - at >= 4) {
        const unsigned char* b =
            reader.At(at, std::min<std::uint64_t>(kFrameLookBytes, fileSize - at));
        Layer3Header h;
        if (!b || !ParseLayer3Header(b, h)) {
            break;  // the trailer begins
        }
        if (walk.frames.size() == 1 && walk.frames[0].tagMarker) {
            shared = h.bits & kSharedBits;
            audio = h;
            walk.firstFrameModeDiffers = (first.bits & kSharedBits) != shared;
            constexpr std::uint32_t kModeBits = 0xC0u;
            if ((first.bits & kSharedBits & ~kModeBits) != (shared & ~kModeBits)) {
                return false;
            }
        } else if (walk.frames.empty()) {
            first = h;
            audio = h;
            shared = h.bits & kSharedBits;
            walk.frames.reserve(static_cast<std::size_t>(fileSize / static_cast<unsigned>(h.size)) +
                                1);
        } else if ((h.bits & kSharedBits) != shared) {
            return false;
        }
        if (static_cast<std::uint64_t>(h.size) > fileSize - at) {
            break;  // a cut-off last frame: part of the trailer
        }
        if (h.size < 4 + h.sideInfoBytes + 4) {
            return false;
        }
        MpegFrame frame;
        frame.offset = at;
        frame.size = static_cast<std::uint16_t>(h.size);
        frame.mainDataBegin =
            static_cast<std::uint16_t>(h.mpeg1 ? (b[4] << 1) | (b[5] >> 7) : b[4]);
        frame.mainDataBytes = static_cast<std::uint16_t>(h.size - 4 - h.sideInfoBytes);
        // Each frame's main data must end where the next frame's begins at the latest: the
        // decoder drops a frame that would have to step back into its predecessor's bits.
        const long bits = SideInfoBits(b + 4, h);
        if (bits < 0 || bits > 8L * (frame.mainDataBegin + frame.mainDataBytes) ||
            (!walk.frames.empty() &&
             previousBits > 8L * (walk.frames.back().mainDataBegin +
                                  walk.frames.back().mainDataBytes - frame.mainDataBegin))) {
            return false;
        }
        previousBits = bits;
        frame.tagMarker = HasTagMarker(b, h);
        walk.frames.push_back(frame);
        at += static_cast<std::uint64_t>(h.size);
    }
    if (walk.frames.size() < (walk.frames.empty() || !walk.frames[0].tagMarker ? 1u : 2u) ||
        fileSize - at > kMaxTrailerBytes || StreamResumes(reader, at, fileSize)) {
        return false;
    }
    walk.trailerOffset = at;
    walk.fileSize = fileSize;
    walk.mpeg1 = audio.mpeg1;
    walk.sampleRate = audio.sampleRate;
    walk.channels = audio.channels;
    walk.samplesPerFrame = audio.mpeg1 ? 1152 : 576;
    return true;
}

}  // namespace

bool WalkMpegFrames(const std::string& path, MpegFrameWalk& walk) {
    walk = MpegFrameWalk{};
    platform::ScopedFile f(platform::OpenRegularFileForReading(path));
    if (!f || fseeko(f.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const off_t size = ftello(f.get());
    return size > 0 && Walk(f.get(), static_cast<std::uint64_t>(size), walk);
}

}  // namespace frontend
