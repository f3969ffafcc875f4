#pragma once
// MP3 files for tests, made with the library's own encoder from synthesised tones.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Mp3Options {
    int seconds = 2;
    int extraSamples = 0;  // added to seconds * sampleRate
    int sampleRate = 44100;
    int channels = 2;
    bool infoTag = true;       // the Xing/Info/LAME tag frame at the start
    int quality = 9;           // fastest; the tests check counts, not sound
    int kbps = 0;              // constant bitrate; 0: the library's choice
    int vbrQuality = -1;       // 0..9 for VBR; -1: constant bitrate
    bool plainStereo = false;  // left/right stereo instead of joint stereo
    bool crc = false;          // a CRC in every frame
    bool freeFormat = false;   // bitrate index 0: kbps need not be a standard rate
    // A tone whose pitch changes every second, with some noise: decoding faults show in
    // every frame instead of hiding in a steady tone.
    bool varied = false;
};

struct Mp3File {
    std::vector<std::uint8_t> bytes;
    int audioFrames = 0;   // frames the encoder produced, the tag frame not counted
    int frameSamples = 0;  // samples per channel in one frame
    int encoderDelay = 0;
    bool hasTag = false;  // small frames (low rates, mono) get no tag even when asked
};

Mp3File EncodeMp3(const Mp3Options& options);

// An ID3v2 tag header (10 bytes) whose size bytes are given, followed by body.
std::vector<std::uint8_t> Id3v2Tag(const std::uint8_t sizeBytes[4],
                                   const std::vector<std::uint8_t>& body);

}  // namespace testing_support
