// The least work the excerpt road can do, in bare library calls: walk the frame headers,
// decode only the frames the ringtone needs (from a few frames before it), and encode 30
// seconds from the automatic start (a third of the way in, less 10 seconds).
//   bench_excerpt_floor SONG.mp3 OUT_DIR
#include <lame/lame.h>

#include <cstdio>
#include <string>
#include <vector>

#include "excerpt/mpeg_frames.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SONG.mp3 OUT_DIR\n", argv[0]);
        return 2;
    }
    frontend::MpegFrameWalk walk;
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in || !frontend::WalkMpegFrames(argv[1], walk)) {
        return 1;
    }
    const long spf = walk.samplesPerFrame;
    const long rate = walk.sampleRate;
    const long seconds = static_cast<long>(walk.frames.size()) * spf / rate;
    const long from = (seconds / 3 - 10) * rate;
    const long want = 30 * rate;
    const std::size_t first = static_cast<std::size_t>(from / spf);
    const std::size_t warmUp = first > 6 ? first - 6 : 0;

    lame_global_flags* gfp = lame_init();
    lame_set_num_channels(gfp, walk.channels);
    lame_set_in_samplerate(gfp, walk.sampleRate);
    lame_set_num_samples(gfp, static_cast<unsigned long>(want));
    lame_set_findReplayGain(gfp, 1);
    lame_init_params(gfp);
    std::FILE* mp3 = std::fopen((std::string(argv[2]) + "/excerpt_floor.mp3").c_str(), "wb+");
    hip_t hip = hip_decode_init();
    mp3data_struct info{};
    short left[1152], right[1152];
    std::vector<unsigned char> frame(4096), out(16384);
    long position = static_cast<long>(warmUp) * spf;
    long encoded = 0;
    for (std::size_t i = warmUp; i < walk.frames.size() && encoded < want; ++i) {
        std::fseek(in, static_cast<long>(walk.frames[i].offset), SEEK_SET);
        std::size_t got = std::fread(frame.data(), 1, walk.frames[i].size, in);
        for (int n = hip_decode1_headers(hip, frame.data(), got, left, right, &info); n > 0;
             n = hip_decode1_headers(hip, frame.data(), 0, left, right, &info)) {
            long skip = position < from ? std::min<long>(from - position, n) : 0;
            long take = std::min<long>(n - skip, want - encoded);
            position += n;
            if (take <= 0) {
                continue;
            }
            int r = lame_encode_buffer(gfp, left + skip, (walk.channels == 2 ? right : left) + skip,
                                       static_cast<int>(take), out.data(),
                                       static_cast<int>(out.size()));
            std::fwrite(out.data(), 1, static_cast<std::size_t>(r), mp3);
            encoded += take;
        }
    }
    int r = lame_encode_flush(gfp, out.data(), static_cast<int>(out.size()));
    std::fwrite(out.data(), 1, static_cast<std::size_t>(r), mp3);
    lame_mp3_tags_fid(gfp, mp3);
    hip_decode_exit(hip);
    lame_close(gfp);
    std::fclose(mp3);
    std::fclose(in);
    return 0;
}
