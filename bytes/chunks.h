#pragma once
// Walks a RIFF or IFF chunk list. Each chunk is a four-character id, a 32-bit size
// (little-endian in RIFF, big-endian in IFF and AIFF) and that many bytes of body; no pad
// byte is assumed after an odd size. What the ids mean is the caller's business.

#include <cstdint>

#include "bytes/source.h"

namespace bytes {

enum class ByteOrder { LittleEndian, BigEndian };

struct Chunk {
    std::uint32_t id = 0;      // as FourCC makes it
    std::uint32_t size = 0;    // as the data says, unchecked
    std::uint64_t offset = 0;  // of the chunk's 8-byte header in the source
    std::uint64_t BodyOffset() const { return offset + 8; }
    std::uint64_t End() const { return offset + 8 + size; }
};

class ChunkWalker {
public:
    // The first header is read at firstHeader (an offset in source).
    ChunkWalker(ByteSource& source, ByteOrder sizeOrder, std::uint64_t firstHeader)
        : source_(source), order_(sizeOrder), next_(firstHeader) {}

    // Moves to the next header (the first, then the one behind the previous chunk's whole
    // body, however much of it the caller read) and reads it; the source then stands at
    // the chunk's body. Sizes are unsigned, so every step moves at least 8 bytes forward:
    // the walk never comes back to a chunk it passed and ends at the end of the data at
    // the latest.
    // Returns false at the end: fewer than 8 bytes left at the header, or a source that
    // cannot get there (a pipe that ends first). Every later call is false too.
    bool Next(Chunk& chunk);

private:
    ByteSource& source_;
    ByteOrder order_;
    std::uint64_t next_;
    bool ended_ = false;
};

}  // namespace bytes
