#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bytes/chunks.h"
#include "bytes/endian.h"
#include "bytes/source.h"
#include "bytes/wave_header.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace bytes;
using testing_support::Bytes;

namespace {

TEST(Endian, StoresInTheNamedOrderWithinTheWidthAndLoadsBackEveryBitPattern) {
    struct Case {
        std::uint32_t value;
        Bytes little32, big32;
    } cases[] = {
        {0x12345678u, {0x78, 0x56, 0x34, 0x12}, {0x12, 0x34, 0x56, 0x78}},
        {0x80000001u, {0x01, 0x00, 0x00, 0x80}, {0x80, 0x00, 0x00, 0x01}},
        {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x0000FF7Fu, {0x7F, 0xFF, 0x00, 0x00}, {0x00, 0x00, 0xFF, 0x7F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        // Guard bytes on both sides show a store that writes outside its field.
        Bytes le(6, 0xAA), be(6, 0xAA);
        StoreLE32(le.data() + 1, c.value);
        StoreBE32(be.data() + 1, c.value);
        EXPECT_EQ(Bytes(le.begin() + 1, le.end() - 1), c.little32);
        EXPECT_EQ(Bytes(be.begin() + 1, be.end() - 1), c.big32);
        EXPECT_EQ(le.front(), 0xAA);
        EXPECT_EQ(le.back(), 0xAA);
        EXPECT_EQ(LoadLE32(le.data() + 1), c.value);
        EXPECT_EQ(LoadBE32(be.data() + 1), c.value);

        const auto half = static_cast<std::uint16_t>(c.value);
        Bytes le16(4, 0xAA), be16(4, 0xAA);
        StoreLE16(le16.data() + 1, half);
        StoreBE16(be16.data() + 1, half);
        EXPECT_EQ(Bytes(le16.begin() + 1, le16.begin() + 3),
                  Bytes(c.little32.begin(), c.little32.begin() + 2));
        EXPECT_EQ(le16[3], 0xAA);
        EXPECT_EQ(be16[3], 0xAA);
        EXPECT_EQ(LoadLE16(le16.data() + 1), half);
        EXPECT_EQ(LoadBE16(be16.data() + 1), half);
    }
}

// A chunk list: id, size as given (little- or big-endian), body as given, no pad bytes.
Bytes ChunkList(ByteOrder order, const std::vector<std::pair<std::string, std::uint32_t>>& chunks,
                std::size_t bodyBytesEach) {
    Bytes out;
    for (const auto& [id, size] : chunks) {
        testing_support::AppendText(out, id);
        order == ByteOrder::LittleEndian ? testing_support::AppendLE32(out, size)
                                         : testing_support::AppendBE32(out, size);
        out.insert(out.end(), std::min<std::size_t>(size, bodyBytesEach), 0x5A);
    }
    return out;
}

struct Walked {
    std::vector<std::uint32_t> ids;
    std::vector<std::uint64_t> offsets;
};

// Walks to the end; bounded, so a walk that never ends fails instead of hanging.
Walked WalkAll(ByteSource& source, ByteOrder order, std::uint64_t first = 0) {
    Walked out;
    ChunkWalker walk(source, order, first);
    Chunk chunk;
    for (int guard = 0; guard < 10000 && walk.Next(chunk); ++guard) {
        out.ids.push_back(chunk.id);
        out.offsets.push_back(chunk.offset);
    }
    EXPECT_FALSE(walk.Next(chunk)) << "an ended walk stays ended";
    return out;
}

TEST(ChunkWalker, StepsOverOddSizesInEitherOrderAndStopsAtTheEndOfTheData) {
    for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
        SCOPED_TRACE(order == ByteOrder::LittleEndian ? "RIFF" : "IFF");
        Bytes list = ChunkList(order, {{"fmt ", 3}, {"LIST", 0}, {"data", 5}}, 1000);
        for (std::size_t cut : {list.size(), list.size() - 5, list.size() - 6}) {
            SCOPED_TRACE(cut);
            MemorySource source(list.data(), cut);
            Walked w = WalkAll(source, order);
            // A missing body still leaves its header; a header needs all 8 bytes.
            const std::size_t expected = cut == list.size() - 6 ? 2 : 3;
            ASSERT_EQ(w.ids.size(), expected);
            EXPECT_EQ(w.ids[0], FourCC("fmt "));
            EXPECT_EQ(w.offsets[1], 11u);
            EXPECT_EQ(w.ids[1], FourCC("LIST"));
            if (expected == 3) {
                EXPECT_EQ(w.offsets[2], 19u);
            }
        }
    }
}

TEST(ChunkWalker, SizesNearTwoToTheThirtyTwoNeverWrapIntoAWalkBack) {
    // In 32 bits 8 + 0xFFFFFFF8 is 0: the walk would come back to its first chunk forever.
    for (std::uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF7u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
        for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
            SCOPED_TRACE(size);
            Bytes list = ChunkList(order, {{"JUNK", size}, {"data", 4}}, 16);
            MemorySource source(list.data(), list.size());
            ChunkWalker walk(source, order, 0);
            Chunk chunk;
            ASSERT_TRUE(walk.Next(chunk));
            EXPECT_EQ(chunk.size, size);
            EXPECT_EQ(chunk.End(), 8 + std::uint64_t{size});
            EXPECT_FALSE(walk.Next(chunk));
        }
    }
}

TEST(ChunkWalker, NeverWalksBackOverArbitraryBytes) {
    std::uint32_t x = 1;
    for (int run = 0; run < 200; ++run) {
        Bytes junk(64 + run * 7);
        for (auto& b : junk) {
            x = x * 1664525u + 1013904223u;
            // Mostly small sizes, so that walks are long.
            b = static_cast<std::uint8_t>((x >> 24) % (run % 2 ? 16 : 256));
        }
        MemorySource source(junk.data(), junk.size());
        Walked w =
            WalkAll(source, run % 3 ? ByteOrder::LittleEndian : ByteOrder::BigEndian, run % 5);
        for (std::size_t i = 1; i < w.offsets.size(); ++i) {
            ASSERT_GE(w.offsets[i], w.offsets[i - 1] + 8) << "run " << run;
        }
        ASSERT_LE(w.offsets.size(), junk.size() / 8 + 1);
    }
}

// Writes bytes into a pipe whose reading end becomes a stream: a source that cannot seek.
std::FILE* PipeHolding(const Bytes& bytes) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fds[1]);
    return fdopen(fds[0], "rb");
}

// The same bytes three ways: in memory, in a file, and through a pipe.
class ThreeSources {
public:
    explicit ThreeSources(Bytes data)
        : data_(std::move(data)),
          fileStream_(OpenFile(dir_, data_)),
          pipeStream_(PipeHolding(data_)),
          memory(data_.data(), data_.size()),
          file(fileStream_),
          pipe(pipeStream_) {}
    ~ThreeSources() {
        std::fclose(fileStream_);
        std::fclose(pipeStream_);
    }

private:
    static std::FILE* OpenFile(const testing_support::TempDir& dir, const Bytes& data) {
        EXPECT_TRUE(testing_support::WriteFileBytes(dir / "d", data));
        return std::fopen((dir / "d").c_str(), "rb");
    }
    Bytes data_;
    testing_support::TempDir dir_;
    std::FILE* fileStream_;
    std::FILE* pipeStream_;

public:
    MemorySource memory;
    StreamSource file;
    StreamSource pipe;
};

TEST(ByteSources, MemoryFileAndPipeGiveTheSameWalkAndTheSameBytesAfterIt) {
    ThreeSources sources(ChunkList(ByteOrder::LittleEndian,
                                   {{"fmt ", 16}, {"LIST", 4001}, {"odd ", 1}, {"data", 6}}, 5000));
    const Walked expected = WalkAll(sources.memory, ByteOrder::LittleEndian);
    ASSERT_EQ(expected.ids.size(), 4u);
    for (ByteSource* source : {&sources.file, &sources.pipe}) {
        ChunkWalker walk(*source, ByteOrder::LittleEndian, 0);
        Chunk chunk;
        for (std::size_t i = 0; i < expected.ids.size(); ++i) {
            ASSERT_TRUE(walk.Next(chunk));
            EXPECT_EQ(chunk.offset, expected.offsets[i]);
        }
        // The stream stands at the last body: the caller reads on from there.
        std::uint8_t body[8];
        EXPECT_EQ(source->ReadPadded(body, 8, 0xEE), 6u);
        EXPECT_EQ(Bytes(body, body + 8), (Bytes{0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0xEE, 0xEE}));
    }
    EXPECT_EQ(sources.file.Size(), sources.memory.Size());
    EXPECT_EQ(sources.pipe.Size(), -1);
}

TEST(ByteSources, AMovePastTheEndSucceedsOnAFileAndFailsOnAPipeThatEndsFirst) {
    const Bytes data = testing_support::CountingBytes(100);
    ThreeSources sources(data);
    std::uint8_t b[4];
    for (ByteSource* source : std::initializer_list<ByteSource*>{&sources.memory, &sources.file}) {
        ASSERT_TRUE(source->Seek(98));
        EXPECT_EQ(source->Read(b, 4), 2u);
        EXPECT_TRUE(source->Seek(5000));
        EXPECT_EQ(source->Read(b, 4), 0u);
        ASSERT_TRUE(source->Seek(10)) << "a file goes back";
        EXPECT_EQ(source->Read(b, 1), 1u);
        EXPECT_EQ(b[0], data[10]);
    }
    ASSERT_TRUE(sources.pipe.Seek(98));
    EXPECT_FALSE(sources.pipe.Seek(10)) << "a pipe cannot go back";
    EXPECT_FALSE(sources.pipe.Seek(5000));
    EXPECT_EQ(sources.pipe.Position(), 100u) << "it got as far as the data went";
}

TEST(ByteSources, AStreamSourceCountsFromWhereTheStreamStood) {
    const Bytes data = testing_support::CountingBytes(300);
    testing_support::TempDir dir;
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "d", data));
    std::FILE* file = std::fopen((dir / "d").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, 100, SEEK_SET), 0);
    StreamSource source(file);
    ASSERT_TRUE(source.Seek(50));
    EXPECT_EQ(source.Size(), 200);
    std::uint8_t b = 0;
    EXPECT_EQ(source.Read(&b, 1), 1u);
    EXPECT_EQ(b, data[150]) << "Size() leaves the stream where it was";
    std::fclose(file);
}

TEST(WaveHeader, WalksBackToTheFieldsItWasMadeFrom) {
    struct Case {
        std::uint32_t dataBytes, rate;
        std::uint16_t channels, bits;
        std::uint16_t blockAlign;
        std::uint32_t riffSize;
    } cases[] = {
        {1764000, 44100, 2, 16, 4, 1764036},
        {0, 8000, 1, 8, 1, 36},
        {7, 48000, 6, 24, 18, 43},
        {300, 22050, 2, 12, 4, 336},                        // 12 bits take two whole bytes
        {0xFFFFFFFFu, 44100, 2, 16, 4, 35},                 // the RIFF size wraps
        {0x7FFFFFFFu, 0xFFFFFFFFu, 2, 16, 4, 0x80000023u},  // so does the byte rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        const WaveHeaderBytes h = MakeWaveHeader(c.dataBytes, c.rate, c.channels, c.bits);
        EXPECT_EQ(std::memcmp(h.data(), "RIFF", 4), 0);
        EXPECT_EQ(LoadLE32(h.data() + 4), c.riffSize);
        MemorySource source(h.data(), h.size());
        ChunkWalker walk(source, ByteOrder::LittleEndian, 12);
        Chunk fmt, data;
        ASSERT_TRUE(walk.Next(fmt));
        std::uint8_t f[16];
        ASSERT_EQ(source.Read(f, 16), 16u);
        ASSERT_TRUE(walk.Next(data));
        EXPECT_EQ(fmt.id, FourCC("fmt "));
        EXPECT_EQ(fmt.size, 16u);
        EXPECT_EQ(LoadLE16(f), 1);
        EXPECT_EQ(LoadLE16(f + 2), c.channels);
        EXPECT_EQ(LoadLE32(f + 4), c.rate);
        EXPECT_EQ(LoadLE32(f + 8), c.rate * c.blockAlign);
        EXPECT_EQ(LoadLE16(f + 12), c.blockAlign);
        EXPECT_EQ(LoadLE16(f + 14), c.bits);
        EXPECT_EQ(data.id, FourCC("data"));
        EXPECT_EQ(data.size, c.dataBytes);
        EXPECT_EQ(data.BodyOffset(), kWaveHeaderBytes);
    }
}

}  // namespace
