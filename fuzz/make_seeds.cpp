// Writes seeds of realistic size for the audio-input target into the (existing) folder given:
// a few seconds of MP3 (stereo CBR, mono VBR, an MPEG-2 rate) each behind an ID3v2 tag and
// with an Info tag, encoded by the front end itself, and a short WAVE song. Deterministic,
// so running it again rewrites the same files.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bytes/endian.h"
#include "bytes/wave_header.h"
#include "frontend/decodermain.h"

namespace {

// 16-bit PCM WAVE whose tone changes every second, with a little noise so the encoder's
// frames differ in size.
bool WriteToneWave(const std::string& path, int seconds, int rate, int channels) {
    const std::uint32_t data = static_cast<std::uint32_t>(seconds * rate * channels * 2);
    const bytes::WaveHeaderBytes header = bytes::MakeWaveHeader(
        data, static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels), 16);
    std::vector<std::uint8_t> wave(header.begin(), header.end());
    std::uint32_t noise = 12345;
    for (int i = 0; i < seconds * rate; ++i) {
        double hz = 220.0 * (1 + i / rate % 5);
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            double v = 9000 * std::sin(2 * M_PI * hz * (c + 1) * i / rate) + (noise >> 20) % 600;
            std::uint8_t sample[2];
            bytes::StoreLE16(sample, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
            wave.insert(wave.end(), sample, sample + 2);
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(wave.data(), 1, wave.size(), f) == wave.size();
    return f && std::fclose(f) == 0 && ok;
}

bool Encode(std::vector<std::string> words) {
    std::vector<const char*> argv{"make_seeds", "--silent", "--add-id3v2", "--tt",
                                  "Seed",       "--ta",     "Chimewick"};
    for (const auto& word : words) {
        argv.push_back(word.c_str());
    }
    argv.push_back(nullptr);
    return frontend::FrontEndMain(static_cast<int>(argv.size() - 1), argv.data()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const std::string stereo = dir + "tone-stereo.wav", mono = dir + "tone-mono.wav";
    bool ok = WriteToneWave(stereo, 3, 44100, 2) && WriteToneWave(mono, 4, 16000, 1) &&
              Encode({"-b", "128", stereo, dir + "stereo-cbr.mp3"}) &&
              Encode({"-V", "4", "-m", "m", "--resample", "22.05", stereo, dir + "mono-vbr.mp3"}) &&
              Encode({"-b", "64", mono, dir + "mpeg2.mp3"}) &&
              WriteToneWave(dir + "short.wav", 1, 8000, 1);
    // The sources are too large to be seeds themselves.
    std::remove(stereo.c_str());
    std::remove(mono.c_str());
    return ok ? 0 : 1;
}
