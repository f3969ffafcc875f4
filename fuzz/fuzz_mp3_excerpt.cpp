// Mutates a small generated MP3 as the input says and holds the excerpt road against the
// whole-song road: it must decline the song or the request, or write the very same WAVE.
// The pokes hit what the header walk reads (frame headers and the reservoir pointer) and
// cut the song short; they leave the Huffman data and the side information that steers it
// alone: damage there can make the decoder drop a frame, which no header walk can foresee,
// so the road's promise covers songs whose every frame decodes.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/Mp3excerpt.h"
#include "frontend/Mp3handler.h"
#include "tests/support/Mp3Builder.h"
#include "wave/Wavefile.h"

static const std::string dir = "/tmp/fuzz_mp3_excerpt." + std::to_string(getpid()) + "_";

static std::vector<std::uint8_t> Read(const std::string& path) {
    std::vector<std::uint8_t> bytes(1 << 20);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    bytes.resize(f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0);
    if (f)
        std::fclose(f);
    return bytes;
}

static void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

struct Base {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> structure;  // offsets of header and reservoir pointer bytes
};

static Base Song(int seconds, int rate, int channels) {
    testing_support::Mp3Options o;
    o.seconds = seconds, o.sampleRate = rate, o.channels = channels, o.varied = true;
    Base base{testing_support::EncodeMp3(o).bytes, {}};
    Write(dir + "song.mp3", base.bytes);
    frontend::MpegFrameWalk walk;
    frontend::WalkMpegFrames(dir + "song.mp3", walk);
    for (const auto& frame : walk.frames)
        for (std::size_t i = 0; i < 5; ++i)
            base.structure.push_back(frame.offset + i);
    return base;
}

static void RemoveFiles() {
    for (const char* name : {"song.mp3", "whole.wav", "cut.wav", "excerpt.wav"})
        unlink((dir + name).c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int removeAtExit = std::atexit(RemoveFiles);
    static const Base songs[3] = {Song(5, 44100, 2), Song(6, 22050, 1), Song(8, 8000, 1)};
    if (size < 3)
        return 0;
    const Base& base = songs[data[0] % 3];
    std::vector<std::uint8_t> song = base.bytes;
    for (std::size_t i = 3; i + 3 <= size; i += 3) {  // pokes: 16-bit index, new byte
        std::size_t at = base.structure[(data[i] | data[i + 1] << 8) % base.structure.size()];
        if (data[i + 2] == 0xA5)
            song.resize(std::min(at, song.size()));  // a cut
        else if (at < song.size())
            song[at] = data[i + 2];
    }
    Write(dir + "song.mp3", song);
    auto plan = frontend::Mp3Excerpt::Plan(dir + "song.mp3");
    if (!plan)
        return 0;
    WaveFile whole(dir + "whole.wav");
    if (!MP3Handler().Decode(dir + "song.mp3", dir + "whole.wav") || !whole.ReadHeader() ||
        whole.GetDurationSeconds() != plan->DurationSeconds())
        std::abort();  // the plan foresaw a decode the whole-song road does not deliver
    const int start = data[1] % 5 - 1, length = 1 + data[2] % 3;
    bool cut = whole.WriteSnippet(dir + "cut.wav", start, length);
    std::FILE* out = std::fopen((dir + "excerpt.wav").c_str(), "wb");
    bool written = plan->WriteExcerpt(out, start, length);
    std::fclose(out);
    if (written && (!cut || Read(dir + "excerpt.wav") != Read(dir + "cut.wav")))
        std::abort();
    return removeAtExit;  // 0: the clean-up is registered
}
