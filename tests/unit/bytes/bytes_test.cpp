#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
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
        Bytes little;  // the value's bytes, least significant first
    } cases[] = {
        {0x12345678u, {0x78, 0x56, 0x34, 0x12}},
        {0x80000001u, {0x01, 0x00, 0x00, 0x80}},
        {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x0000FF7Fu, {0x7F, 0xFF, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto half = static_cast<std::uint16_t>(c.value);
        // Guard bytes behind each field show a store that writes past its width.
        Bytes le(5, 0xAA), be(5, 0xAA), le16(3, 0xAA), be16(3, 0xAA);
        StoreLE32(le.data(), c.value);
        StoreBE32(be.data(), c.value);
        StoreLE16(le16.data(), half);
        StoreBE16(be16.data(), half);
        EXPECT_EQ(le, (Bytes{c.little[0], c.little[1], c.little[2], c.little[3], 0xAA}));
        EXPECT_EQ(be, (Bytes{c.little[3], c.little[2], c.little[1], c.little[0], 0xAA}));
        EXPECT_EQ(le16, (Bytes{c.little[0], c.little[1], 0xAA}));
        EXPECT_EQ(be16, (Bytes{c.little[1], c.little[0], 0xAA}));
        EXPECT_EQ(LoadLE32(le.data()), c.value);
        EXPECT_EQ(LoadBE32(be.data()), c.value);
        EXPECT_EQ(LoadLE16(le16.data()), half);
        EXPECT_EQ(LoadBE16(be16.data()), half);
    }
}

// A chunk list: each id, its size as given, then at most bodyCap bytes of body, no pad.
Bytes ChunkList(ByteOrder order, const std::vector<std::pair<const char*, std::uint32_t>>& chunks,
                std::size_t bodyCap) {
    Bytes out;
    for (const auto& [id, size] : chunks) {
        testing_support::AppendText(out, id);
        order == ByteOrder::LittleEndian ? testing_support::AppendLE32(out, size)
                                         : testing_support::AppendBE32(out, size);
        out.insert(out.end(), std::min<std::size_t>(size, bodyCap), 0x5A);
    }
    return out;
}

// The offsets of every header the walk finds; bounded, so a walk that never ends fails.
std::vector<std::uint64_t> WalkAll(ByteSource& source, ByteOrder order, std::uint64_t first = 0) {
    std::vector<std::uint64_t> offsets;
    ChunkWalker walk(source, order, first);
    Chunk chunk;
    while (offsets.size() < 10000 && walk.Next(chunk)) {
        offsets.push_back(chunk.offset);
    }
    EXPECT_FALSE(walk.Next(chunk)) << "an ended walk stays ended";
    return offsets;
}

TEST(ChunkWalker, StepsOverOddSizesInEitherOrderAndStopsAtTheEndOfTheData) {
    for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
        SCOPED_TRACE(order == ByteOrder::LittleEndian ? "RIFF" : "IFF");
        const Bytes list = ChunkList(order, {{"fmt ", 3}, {"LIST", 0}, {"data", 5}}, 1000);
        // A missing body still leaves its header; a header needs all 8 bytes.
        for (std::size_t cut : {list.size(), list.size() - 5, list.size() - 6}) {
            SCOPED_TRACE(cut);
            MemorySource source(list.data(), cut);
            const std::vector<std::uint64_t> all = {0, 11, 19};
            EXPECT_EQ(WalkAll(source, order),
                      std::vector<std::uint64_t>(all.begin(),
                                                 all.end() - (cut == list.size() - 6 ? 1 : 0)));
        }
    }
}

TEST(ChunkWalker, SizesNearTwoToTheThirtyTwoNeverWrapIntoAWalkBack) {
    // In 32 bits 8 + 0xFFFFFFF8 is 0: the walk would come back to its first chunk forever.
    for (std::uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF7u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
        for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
            SCOPED_TRACE(size);
            const Bytes list = ChunkList(order, {{"JUNK", size}, {"data", 4}}, 16);
            MemorySource source(list.data(), list.size());
            ChunkWalker walk(source, order, 0);
            Chunk chunk;
            ASSERT_TRUE(walk.Next(chunk));
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
            b = static_cast<std::uint8_t>((x >> 24) % (run % 2 ? 16 : 256));  // often small sizes
        }
        MemorySource source(junk.data(), junk.size());
        const auto offsets =
            WalkAll(source, run % 3 ? ByteOrder::LittleEndian : ByteOrder::BigEndian, run % 5);
        for (std::size_t i = 1; i < offsets.size(); ++i) {
            ASSERT_GE(offsets[i], offsets[i - 1] + 8) << "run " << run;
        }
    }
}

TEST(ByteSources, APipeWalksAsMemoryDoesButNeverGoesBackOrPastItsEnd) {
    const Bytes list =
        ChunkList(ByteOrder::LittleEndian, {{"fmt ", 16}, {"LIST", 5001}, {"data", 6}}, 6000);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], list.data(), list.size()), static_cast<ssize_t>(list.size()));
    close(fds[1]);
    std::FILE* stream = fdopen(fds[0], "rb");
    ASSERT_NE(stream, nullptr);
    MemorySource memory(list.data(), list.size());
    StreamSource pipe(stream);
    ChunkWalker walk(pipe, ByteOrder::LittleEndian, 0);
    Chunk chunk;
    for (std::uint64_t expected : WalkAll(memory, ByteOrder::LittleEndian)) {
        ASSERT_TRUE(walk.Next(chunk));
        EXPECT_EQ(chunk.offset, expected);
    }
    // The stream stands at the last body: its reader goes on from there.
    std::uint8_t body[8];
    EXPECT_EQ(pipe.ReadPadded(body, 8, 0xEE), 6u);
    EXPECT_EQ(Bytes(body, body + 8), (Bytes{0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0xEE, 0xEE}));
    EXPECT_FALSE(pipe.Seek(10));
    EXPECT_FALSE(pipe.Seek(list.size() + 1));
    EXPECT_EQ(pipe.Size(), -1);
    EXPECT_TRUE(memory.Seek(list.size() + 1)) << "memory, like a file, may stand past the end";
    EXPECT_EQ(memory.Read(body, 1), 0u);
    std::fclose(stream);
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
        std::uint16_t channels, bits, blockAlign;
        std::uint32_t riffSize;
    } cases[] = {
        {1764000, 44100, 2, 16, 4, 1764036},
        {7, 48000, 6, 24, 18, 43},
        {300, 22050, 2, 12, 4, 336},         // 12 bits take two whole bytes
        {0xFFFFFFFFu, 44100, 2, 16, 4, 35},  // the RIFF size wraps
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        const WaveHeaderBytes h = MakeWaveHeader(c.dataBytes, c.rate, c.channels, c.bits);
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
        EXPECT_EQ(Bytes(f, f + 16), testing_support::FmtBody(1, c.channels, c.rate, c.bits));
        EXPECT_EQ(LoadLE16(f + 12), c.blockAlign);
        EXPECT_EQ(data.id, FourCC("data"));
        EXPECT_EQ(data.size, c.dataBytes);
        EXPECT_EQ(data.BodyOffset(), kWaveHeaderBytes);
    }
}

}  // namespace
