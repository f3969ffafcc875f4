#pragma once
// The library's MP3 decoder, owned, with its messages silenced: the songs read this way may
// be damaged or odd by design, and each reader says what matters in its own words.

#include <lame/lame.h>

#include <cstdarg>

namespace frontend {

class QuietDecoder {
public:
    QuietDecoder() : hip_(hip_decode_init()) {
        if (hip_) {
            hip_set_errorf(hip_, Quiet);
            hip_set_msgf(hip_, Quiet);
            hip_set_debugf(hip_, Quiet);
        }
    }
    ~QuietDecoder() {
        if (hip_) {
            hip_decode_exit(hip_);
        }
    }
    QuietDecoder(const QuietDecoder&) = delete;
    QuietDecoder& operator=(const QuietDecoder&) = delete;

    explicit operator bool() const { return hip_ != nullptr; }
    hip_t get() const { return hip_; }

private:
    static void Quiet(const char*, va_list) {}

    hip_t hip_;
};

}  // namespace frontend
