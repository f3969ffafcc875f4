// Feeds arbitrary bytes to the WAVE header reader, from memory; a header it accepts is also
// read from a file, which must agree, and cut into snippets: no crash, no hang, no read or
// write outside the buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bytes/source.h"
#include "wave/Wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bytes::MemorySource memory(data, size);
    WaveHeaderFields fields;
    if (ParseWaveFileHeader(memory, fields) != WaveHeaderRejection::None) {
        return 0;
    }
    // Only an accepted header is worth a file: the snippet writer copies from one.
    static const std::string dir = [] {
        char name[] = "/tmp/fuzz-wave-XXXXXX";
        return std::string(mkdtemp(name)) + "/";
    }();
    static const std::string song = dir + "song.wav";
    static const std::string snippet = dir + "song_Chimewick_Ringtone.wav";
    // The folder and the song go when the fuzzer ends, as every input's snippet does.
    static const int removeAtExit = std::atexit([] {
        unlink(song.c_str());
        unlink(snippet.c_str());
        rmdir(dir.c_str());
    });
    std::FILE* f = std::fopen(song.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) {
        return 0;
    }
    WaveFile wave(song);
    if (!wave.ReadHeader() || wave.headerSize != fields.headerSize ||
        wave.dataSize != fields.dataSize) {
        __builtin_trap();  // memory and file must read alike
    }
    std::int32_t seconds = wave.GetDurationSeconds();
    wave.WriteSnippet(snippet, -1, seconds < 2 ? seconds : 2);
    wave.WriteSnippet(snippet, seconds / 2, 1);
    unlink(snippet.c_str());
    return removeAtExit;  // 0: the clean-up is registered
}
