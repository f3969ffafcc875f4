// The physical floor of an MP3 ringtone: only the library's own work, with no front end,
// no progress and no checks beyond what keeps it correct. Decodes the whole song to a
// 16-bit WAVE file, then encodes 30 seconds of it (from second 50) to MP3.
//   bench_floor SONG.mp3 OUT_DIR [decode]
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bytes/endian.h"
#include "bytes/wave_header.h"
#include "tests/support/ReferenceDecode.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SONG.mp3 OUT_DIR [decode]\n", argv[0]);
        return 2;
    }
    std::string dir = argv[2];
    bool decodeOnly = argc > 3 && std::strcmp(argv[3], "decode") == 0;
    std::FILE* in = std::fopen(argv[1], "rb");
    std::FILE* wav = std::fopen((dir + "/floor.wav").c_str(), "wb+");
    if (!in || !wav) {
        return 1;
    }
    std::vector<unsigned char> frame(4 * 1152);
    bytes::WriteWaveHeader(wav, 0, 44100, 2, 16);
    unsigned dataBytes = 0;
    int channels = 2, rate = 44100;
    testing_support::DecodeWithLibraryAlone(
        [&](unsigned char* into, std::size_t capacity) {
            return std::fread(into, 1, capacity, in);
        },
        [&](const short* left, const short* right, int n, const mp3data_struct& info) {
            channels = info.stereo;
            rate = info.samplerate;
            std::size_t used = 0;
            for (int i = 0; i < n; ++i) {
                for (short v : {left[i], right[i]}) {
                    bytes::StoreLE16(frame.data() + used, static_cast<std::uint16_t>(v));
                    used += 2;
                    if (channels == 1)
                        break;
                }
            }
            std::fwrite(frame.data(), 1, used, wav);
            dataBytes += static_cast<unsigned>(used);
        });
    std::fclose(in);
    std::fseek(wav, 0, SEEK_SET);
    bytes::WriteWaveHeader(wav, dataBytes, static_cast<std::uint32_t>(rate),
                           static_cast<std::uint16_t>(channels), 16);
    if (decodeOnly) {
        return std::fclose(wav) == 0 ? 0 : 1;
    }

    // Encode 30 seconds from second 50.
    const long blockAlign = 2L * channels;
    std::fseek(wav, 44 + 50L * rate * blockAlign, SEEK_SET);
    lame_global_flags* gfp = lame_init();
    lame_set_num_channels(gfp, channels);
    lame_set_in_samplerate(gfp, rate);
    lame_set_num_samples(gfp, 30UL * static_cast<unsigned long>(rate));
    // The product analyses ReplayGain for the tag; the floor does the same work.
    lame_set_findReplayGain(gfp, 1);
    lame_init_params(gfp);
    std::FILE* mp3 = std::fopen((dir + "/floor.mp3").c_str(), "wb+");
    std::vector<short> pcm(1152 * 2);
    std::vector<unsigned char> out(16384);
    long left_ = 30L * rate;
    while (left_ > 0) {
        long want = left_ < 1152 ? left_ : 1152;
        std::size_t got = std::fread(pcm.data(), static_cast<std::size_t>(blockAlign),
                                     static_cast<std::size_t>(want), wav);
        if (got == 0)
            break;
        int r = channels == 2
                    ? lame_encode_buffer_interleaved(gfp, pcm.data(), static_cast<int>(got),
                                                     out.data(), static_cast<int>(out.size()))
                    : lame_encode_buffer(gfp, pcm.data(), pcm.data(), static_cast<int>(got),
                                         out.data(), static_cast<int>(out.size()));
        std::fwrite(out.data(), 1, static_cast<std::size_t>(r), mp3);
        left_ -= static_cast<long>(got);
    }
    int r = lame_encode_flush(gfp, out.data(), static_cast<int>(out.size()));
    std::fwrite(out.data(), 1, static_cast<std::size_t>(r), mp3);
    lame_mp3_tags_fid(gfp, mp3);
    lame_close(gfp);
    std::fclose(mp3);
    std::fclose(wav);
    return 0;
}
