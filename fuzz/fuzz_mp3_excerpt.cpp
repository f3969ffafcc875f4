// Mutates a small generated MP3 as the input says and holds the excerpt road against the
// whole-song road: the road must decline the song or the request, or write the very WAVE
// the whole-song road cuts. One difference is tolerated, the road's stated limit: damaged
// main data can make the decoder drop a frame, which no header walk foresees, and the road
// sees a drop only in the frames it checks (the last of its warm-up and the excerpt's).
// The harness proves that case by decoding the song whole only up to those frames, and up
// to their end: the samples lacking must lie outside them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "excerpt/Mp3excerpt.h"
#include "frontend/Mp3handler.h"
#include "tests/support/Mp3Builder.h"
#include "wave/Wavefile.h"

using Bytes = std::vector<std::uint8_t>;
static const std::string dir = "/tmp/fuzz_mp3_excerpt." + std::to_string(getpid()) + "_";

static Bytes Read(const std::string& name) {
    Bytes bytes(1 << 20);
    std::FILE* f = std::fopen((dir + name).c_str(), "rb");
    bytes.resize(f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0);
    if (f)
        std::fclose(f);
    return bytes;
}

static void Write(const std::string& name, const Bytes& bytes, std::size_t size) {
    std::FILE* f = std::fopen((dir + name).c_str(), "wb");
    std::fwrite(bytes.data(), 1, size, f);
    std::fclose(f);
}

// Sample frames in the WAVE file the whole-song road decodes from song; -1 when it fails.
static std::int64_t WholeSongFrames(const Bytes& song, std::size_t size, const char* wave) {
    Write("whole.mp3", song, size);
    WaveFile w(dir + wave);
    if (!MP3Handler().Decode(dir + "whole.mp3", dir + wave) || !w.ReadHeader())
        return -1;
    return w.dataSize / w.blockAlign;
}

struct Base {
    Bytes bytes;
    frontend::MpegFrameWalk walk;
    std::vector<std::size_t> structure;  // offsets of header and side information bytes
};

static Base Walked(Bytes bytes) {
    Base base{std::move(bytes), {}, {}};
    Write("song.mp3", base.bytes, base.bytes.size());
    frontend::WalkMpegFrames(dir + "song.mp3", base.walk);
    for (const auto& frame : base.walk.frames)
        for (std::size_t i = 0; i < frame.size - frame.mainDataBytes; ++i)
            base.structure.push_back(frame.offset + i);
    if (base.structure.empty())
        base.structure.push_back(0);
    return base;
}

static Base Song(int seconds, int rate, int channels) {
    testing_support::Mp3Options o;
    o.seconds = seconds, o.sampleRate = rate, o.channels = channels, o.varied = true;
    return Walked(testing_support::EncodeMp3(o).bytes);
}

// Our own songs, and those of other writers that scripts/fuzz leaves in the folder named
// by CHIMEWICK_FUZZ_SONGS (ffmpeg, sox, GStreamer, with their tags).
static std::vector<Base> Songs() {
    std::vector<Base> songs = {Song(5, 44100, 2), Song(6, 22050, 1), Song(8, 8000, 1)};
    const char* folder = std::getenv("CHIMEWICK_FUZZ_SONGS");
    for (int i = 0; folder && i < 64; ++i) {
        std::FILE* f =
            std::fopen((std::string(folder) + "/" + std::to_string(i) + ".mp3").c_str(), "rb");
        if (!f)
            break;
        Bytes bytes(1 << 20);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
        songs.push_back(Walked(std::move(bytes)));
    }
    return songs;
}

static void RemoveFiles() {
    for (const char* name :
         {"song.mp3", "whole.mp3", "whole.wav", "ahead.wav", "cut.wav", "excerpt.wav"})
        unlink((dir + name).c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int removeAtExit = std::atexit(RemoveFiles);
    static const std::vector<Base> songs = Songs();
    if (size < 3)
        return 0;
    const Base& base = songs[data[0] % songs.size()];
    Bytes song = base.bytes;
    // Pokes of four bytes: a kind and where in its two low bits, the new byte last. Kinds:
    // set any byte, set a header or side information byte, flip bits anywhere, cut there.
    for (std::size_t i = 3; i + 4 <= size && !song.empty(); i += 4) {
        const std::size_t at = data[i + 1] | data[i + 2] << 8 | (data[i] >> 2) << 16;
        const std::size_t anywhere = at % song.size();
        const std::size_t structural = base.structure[at % base.structure.size()];
        switch (data[i] & 3) {
            case 0:
                song[anywhere] = data[i + 3];
                break;
            case 1:
                if (structural < song.size())
                    song[structural] = data[i + 3];
                break;
            case 2:
                song[anywhere] ^= data[i + 3];
                break;
            case 3:
                song.resize(std::min(structural, song.size()));
                break;
        }
    }
    Write("song.mp3", song, song.size());
    auto plan = frontend::Mp3Excerpt::Plan(dir + "song.mp3");
    if (!plan)
        return 0;
    const std::int64_t whole = WholeSongFrames(song, song.size(), "whole.wav");
    if (whole < 0)
        std::abort();  // the plan foresaw a decode the whole-song road does not deliver
    const int start = data[1] % 5 - 1, length = 1 + data[2] % 3;
    WaveFile wave(dir + "whole.wav");
    bool cut = wave.ReadHeader() && wave.WriteSnippet(dir + "cut.wav", start, length);
    std::FILE* out = std::fopen((dir + "excerpt.wav").c_str(), "wb");
    bool written = plan->WriteExcerpt(out, start, length);
    std::fclose(out);
    if (!written || (cut && Read("excerpt.wav") == Read("cut.wav")))
        return removeAtExit;  // 0: the clean-up is registered
    // The tolerated difference: the whole song lacks samples, none of them in the frames
    // the road checked; with none lacking ahead of those either, the excerpt must still
    // match wherever the shorter song allows a cut.
    frontend::MpegFrameWalk walk;
    if (!frontend::WalkMpegFrames(dir + "song.mp3", walk))
        std::abort();
    const std::size_t frames = walk.frames.size();
    auto lostAhead = [&](std::size_t end) {  // samples the whole-song WAVE lacks ahead of end
        if (end == 0 || end >= frames)
            return end == 0 ? 0 : plan->WaveSampleFrames() - whole;
        const std::int64_t ahead = WholeSongFrames(song, walk.frames[end].offset, "ahead.wav");
        return plan->WaveSampleFrames() -
               static_cast<std::int64_t>(frames - end) * walk.samplesPerFrame - ahead;
    };
    const std::int64_t lost = lostAhead(plan->FirstCheckedFrame());
    if (plan->WaveSampleFrames() == whole || lostAhead(plan->EndCheckedFrame()) != lost ||
        (lost == 0 && cut))
        std::abort();
    return 0;
}
