#include "bytes/chunks.h"

#include "bytes/endian.h"

namespace bytes {

bool ChunkWalker::Next(Chunk& chunk) {
    std::uint8_t header[8];
    if (ended_ || !source_.Seek(next_) || source_.Read(header, sizeof header) != sizeof header) {
        ended_ = true;
        return false;
    }
    chunk.id = LoadBE32(header);
    chunk.size = order_ == ByteOrder::LittleEndian ? LoadLE32(header + 4) : LoadBE32(header + 4);
    chunk.offset = next_;
    next_ = chunk.End();
    return true;
}

}  // namespace bytes
