#pragma once
// The library's MPEG decoder alone, nothing skipped and nothing checked: the reference that
// the front end's decoding is compared with (its tests) and measured against (bench/floor).

#include <lame/lame.h>

#include <cstddef>

namespace testing_support {

// Gives the decoder the input in 1024-byte pieces from read(buffer, capacity), which
// returns the bytes it put there (0 at the end), and hands every frame decoded, including
// those still held at the end, to emit(left, right, samplesPerChannel, info). Mono frames
// fill left only.
template <typename Read, typename Emit>
void DecodeWithLibraryAlone(Read read, Emit emit) {
    hip_t hip = hip_decode_init();
    mp3data_struct info{};
    short left[2 * 1152];
    short right[2 * 1152];
    unsigned char piece[1024];
    for (std::size_t got; (got = read(piece, sizeof piece)) > 0;) {
        for (int n = hip_decode1_headers(hip, piece, got, left, right, &info); n > 0;
             n = hip_decode1_headers(hip, piece, 0, left, right, &info)) {
            emit(left, right, n, info);
        }
    }
    for (int n; (n = hip_decode1_headers(hip, piece, 0, left, right, &info)) > 0;) {
        emit(left, right, n, info);
    }
    hip_decode_exit(hip);
}

}  // namespace testing_support
