#include "tests/support/Mp3Builder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace testing_support {

Mp3File EncodeMp3(const Mp3Options& options) {
    lame_global_flags* gfp = lame_init();
    lame_set_in_samplerate(gfp, options.sampleRate);
    lame_set_num_channels(gfp, options.channels);
    lame_set_mode(gfp, options.channels == 1 ? MONO : options.plainStereo ? STEREO : JOINT_STEREO);
    if (options.kbps > 0) {
        lame_set_brate(gfp, options.kbps);
    }
    if (options.vbrQuality >= 0) {
        lame_set_VBR(gfp, vbr_default);
        lame_set_VBR_q(gfp, options.vbrQuality);
    }
    lame_set_error_protection(gfp, options.crc ? 1 : 0);
    lame_set_free_format(gfp, options.freeFormat ? 1 : 0);
    lame_set_bWriteVbrTag(gfp, options.infoTag ? 1 : 0);
    lame_set_quality(gfp, options.quality);
    if (lame_init_params(gfp) < 0) {
        lame_close(gfp);
        throw std::runtime_error("lame_init_params refused the test parameters");
    }
    const int samples = options.seconds * options.sampleRate + options.extraSamples;
    std::vector<short> left(static_cast<std::size_t>(samples));
    std::vector<short> right(left.size());
    std::uint32_t noise = 12345;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / options.sampleRate;
        double pitch = 440;
        double hiss = 0;
        if (options.varied) {
            pitch = 220 + 37 * (i / options.sampleRate % 13);
            noise = noise * 1664525u + 1013904223u;
            hiss = static_cast<double>(noise >> 20) - 2048;
        }
        left[static_cast<std::size_t>(i)] =
            static_cast<short>(9000 * std::sin(2 * M_PI * pitch * t) + hiss);
        right[static_cast<std::size_t>(i)] =
            static_cast<short>(7000 * std::sin(2 * M_PI * pitch * 1.5 * t) - hiss);
    }
    Mp3File file;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(samples) * 5 / 4 + 7200);
    int n = lame_encode_buffer(gfp, left.data(), right.data(), samples, buffer.data(),
                               static_cast<int>(buffer.size()));
    if (n < 0) {
        lame_close(gfp);
        throw std::runtime_error("lame_encode_buffer failed");
    }
    file.bytes.assign(buffer.begin(), buffer.begin() + n);
    n = lame_encode_flush(gfp, buffer.data(), static_cast<int>(buffer.size()));
    file.bytes.insert(file.bytes.end(), buffer.begin(), buffer.begin() + n);
    if (options.infoTag) {
        // The encoder left a placeholder frame at the start for the tag.
        unsigned char tag[2880];
        const std::size_t size = lame_get_lametag_frame(gfp, tag, sizeof tag);
        // 0: the library found its frames too small to carry a tag and wrote none.
        if (size > sizeof tag || size > file.bytes.size()) {
            lame_close(gfp);
            throw std::runtime_error("the LAME tag frame does not fit");
        }
        std::memcpy(file.bytes.data(), tag, size);
        file.hasTag = size > 0;
    }
    file.audioFrames = lame_get_frameNum(gfp);
    file.frameSamples = lame_get_framesize(gfp);
    file.encoderDelay = lame_get_encoder_delay(gfp);
    lame_close(gfp);
    return file;
}

std::vector<std::uint8_t> Id3v2Tag(const std::uint8_t sizeBytes[4],
                                   const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> tag(10 + body.size());
    const std::uint8_t header[6] = {'I', 'D', '3', 4, 0, 0};
    std::memcpy(tag.data(), header, sizeof header);
    std::memcpy(tag.data() + 6, sizeBytes, 4);
    std::copy(body.begin(), body.end(), tag.begin() + 10);
    return tag;
}

}  // namespace testing_support
