// The physical floor of an MP3 ringtone: only the library's own work, with no front end,
// no progress and no checks beyond what keeps it correct. Decodes the whole song to a
// 16-bit WAVE file, then encodes 30 seconds of it (from second 50) to MP3.
//   bench_floor SONG.mp3 OUT_DIR [decode]
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void PutWaveHeader(std::FILE* f, unsigned bytes, int rate, int channels) {
    unsigned char h[44];
    auto put32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    auto put16 = [&](int at, unsigned v) {
        h[at] = static_cast<unsigned char>(v);
        h[at + 1] = static_cast<unsigned char>(v >> 8);
    };
    std::memcpy(h, "RIFF", 4);
    put32(4, bytes + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, static_cast<unsigned>(channels));
    put32(24, static_cast<unsigned>(rate));
    put32(28, static_cast<unsigned>(rate * channels * 2));
    put16(32, static_cast<unsigned>(channels * 2));
    put16(34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(40, bytes);
    std::fwrite(h, 1, 44, f);
}

}  // namespace

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
    hip_t hip = hip_decode_init();
    mp3data_struct info{};
    short left[1152], right[1152];
    unsigned char chunk[1024];
    std::vector<unsigned char> frame(4 * 1152);
    PutWaveHeader(wav, 0, 44100, 2);
    unsigned bytes = 0;
    int channels = 2, rate = 44100;
    auto emit = [&](int n) {
        channels = info.stereo;
        rate = info.samplerate;
        std::size_t used = 0;
        for (int i = 0; i < n; ++i) {
            for (short v : {left[i], right[i]}) {
                frame[used++] = static_cast<unsigned char>(v & 0xFF);
                frame[used++] = static_cast<unsigned char>((v >> 8) & 0xFF);
                if (channels == 1)
                    break;
            }
        }
        std::fwrite(frame.data(), 1, used, wav);
        bytes += static_cast<unsigned>(used);
    };
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
        int n = hip_decode1_headers(hip, chunk, got, left, right, &info);
        while (n > 0) {
            emit(n);
            n = hip_decode1_headers(hip, chunk, 0, left, right, &info);
        }
    }
    for (int n; (n = hip_decode1_headers(hip, chunk, 0, left, right, &info)) > 0;) {
        emit(n);
    }
    hip_decode_exit(hip);
    std::fclose(in);
    std::fseek(wav, 0, SEEK_SET);
    PutWaveHeader(wav, bytes, rate, channels);
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
