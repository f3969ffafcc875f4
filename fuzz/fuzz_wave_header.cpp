// Feeds arbitrary bytes to the WAVE header reader and, when it accepts them, cuts a
// snippet: no crash, no hang, no read or write outside the buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "wave/Wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
    if (!f) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    WaveFile wave(song);
    if (wave.ReadHeader()) {
        std::int32_t seconds = wave.GetDurationSeconds();
        wave.WriteSnippet(snippet, -1, seconds < 2 ? seconds : 2);
        wave.WriteSnippet(snippet, seconds / 2, 1);
    }
    unlink(snippet.c_str());
    return removeAtExit;  // 0: the clean-up is registered
}
