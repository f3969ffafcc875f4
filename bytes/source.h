#pragma once
// Where a format parser reads its bytes: an open stream or bytes already in memory. Both
// behave the way a file does, so a parser gives the same answer for either: a read stops
// at the end of the data, and a move past the end succeeds and leaves nothing to read.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace bytes {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Reads up to n bytes at the position and moves behind them. Returns the count, fewer
    // than n only at the end of the data (or on a read error).
    virtual std::size_t Read(std::uint8_t* into, std::size_t n) = 0;
    // Moves to offset, counted from where the source started. A source that cannot seek (a
    // pipe) moves forward by reading and discarding: it fails when its data ends first,
    // and when asked to go back. A failed move leaves the position wherever it got to.
    virtual bool Seek(std::uint64_t offset) = 0;
    // The bytes from where the source started to the end of its data, or -1 when the
    // source cannot tell (a pipe).
    virtual std::int64_t Size() = 0;

    // Where the next Read starts, counted from where the source started.
    std::uint64_t Position() const { return position_; }
    // Reads n bytes like Read; those the data does not hold read as fill. Returns the
    // count of bytes really read.
    std::size_t ReadPadded(std::uint8_t* into, std::size_t n, std::uint8_t fill);

protected:
    std::uint64_t position_ = 0;
};

// Bytes in memory; the caller keeps them alive and unchanged while the source is used.
class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(std::uint8_t* into, std::size_t n) override;
    bool Seek(std::uint64_t offset) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// An open C stream, from its position when the source is made; the stream stays the
// caller's, and stands exactly behind the last byte read or skipped (nothing is read
// ahead), so the caller can go on reading it directly.
class StreamSource : public ByteSource {
public:
    explicit StreamSource(std::FILE* stream) : stream_(stream) {}
    std::size_t Read(std::uint8_t* into, std::size_t n) override;
    bool Seek(std::uint64_t offset) override;
    std::int64_t Size() override;

private:
    std::FILE* stream_;
};

// Reads and discards up to n bytes of stream; returns how many it discarded, fewer than n
// only when the stream ended first (or failed).
std::uint64_t DiscardBytes(std::FILE* stream, std::uint64_t n);

}  // namespace bytes
