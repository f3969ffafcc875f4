#include "bytes/source.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

namespace bytes {

std::size_t ByteSource::ReadPadded(std::uint8_t* into, std::size_t n, std::uint8_t fill) {
    const std::size_t got = Read(into, n);
    std::fill(into + got, into + n, fill);
    return got;
}

std::size_t MemorySource::Read(std::uint8_t* into, std::size_t n) {
    if (position_ >= size_) {
        return 0;
    }
    const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - position_));
    std::memcpy(into, data_ + position_, got);
    position_ += got;
    return got;
}

bool MemorySource::Seek(std::uint64_t offset) {
    position_ = offset;
    return true;
}

std::size_t StreamSource::Read(std::uint8_t* into, std::size_t n) {
    const std::size_t got = std::fread(into, 1, n, stream_);
    position_ += got;
    return got;
}

bool StreamSource::Seek(std::uint64_t offset) {
    if (offset == position_) {
        return true;
    }
    // Relative, so a stream whose own offset is unknown still moves when it can seek.
    const auto delta = static_cast<std::int64_t>(offset - position_);
    if (fseeko(stream_, static_cast<off_t>(delta), SEEK_CUR) == 0) {
        position_ = offset;
        return true;
    }
    if (offset < position_) {
        return false;
    }
    position_ += DiscardBytes(stream_, offset - position_);
    return position_ == offset;
}

std::int64_t StreamSource::Size() {
    const off_t here = ftello(stream_);
    if (here < 0 || fseeko(stream_, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t end = ftello(stream_);
    if (fseeko(stream_, here, SEEK_SET) != 0) {
        return -1;
    }
    const std::int64_t origin =
        static_cast<std::int64_t>(here) - static_cast<std::int64_t>(position_);
    return end < origin ? -1 : static_cast<std::int64_t>(end) - origin;
}

std::uint64_t DiscardBytes(std::FILE* stream, std::uint64_t n) {
    unsigned char discard[4096];
    std::uint64_t done = 0;
    while (done < n) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(n - done, sizeof discard));
        const std::size_t got = std::fread(discard, 1, want, stream);
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace bytes
