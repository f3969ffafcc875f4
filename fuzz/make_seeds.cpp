// Writes small valid inputs for every fuzz target into SEEDS/<target>/ (folders made as
// needed), so short runs start from files the parsers accept: for the audio input a few
// seconds of MP3 (stereo CBR, mono VBR, an MPEG-2 rate) each behind an ID3v2 tag and with
// an Info tag, encoded by the front end itself, and short WAVE and AIFF songs; for the
// WAVE header reader plain, annotated and streamed WAVE songs; for the option parser a
// few command lines; for the MP3 excerpt road a few pokes. Deterministic, so running it again
// rewrites the same files.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bytes/endian.h"
#include "bytes/wave_header.h"
#include "frontend/decodermain.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 16-bit samples whose tone changes every second, with a little noise so the encoder's
// frames differ in size; little-endian unless bigEndian.
Bytes TonePcm(int seconds, int rate, int channels, bool bigEndian = false) {
    Bytes pcm;
    std::uint32_t noise = 12345;
    for (int i = 0; i < seconds * rate; ++i) {
        double hz = 220.0 * (1 + i / rate % 5);
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            double v = 9000 * std::sin(2 * M_PI * hz * (c + 1) * i / rate) + (noise >> 20) % 600;
            std::uint8_t sample[2];
            const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            bigEndian ? bytes::StoreBE16(sample, s) : bytes::StoreLE16(sample, s);
            pcm.insert(pcm.end(), sample, sample + 2);
        }
    }
    return pcm;
}

Bytes ToneWave(int seconds, int rate, int channels) {
    const Bytes pcm = TonePcm(seconds, rate, channels);
    const bytes::WaveHeaderBytes header = bytes::MakeWaveHeader(
        static_cast<std::uint32_t>(pcm.size()), static_cast<std::uint32_t>(rate),
        static_cast<std::uint16_t>(channels), 16);
    Bytes wave(header.begin(), header.end());
    wave.insert(wave.end(), pcm.begin(), pcm.end());
    return wave;
}

void Append32(Bytes& out, std::uint32_t v, bool bigEndian) {
    std::uint8_t b[4];
    bigEndian ? bytes::StoreBE32(b, v) : bytes::StoreLE32(b, v);
    out.insert(out.end(), b, b + 4);
}

void AppendText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The same audio with an 18-byte fmt chunk and an odd-sized LIST chunk before the data.
Bytes AnnotatedWave(const Bytes& plain) {
    Bytes wave(plain.begin(), plain.begin() + 16);
    Append32(wave, 18, false);
    wave.insert(wave.end(), plain.begin() + 20, plain.begin() + 36);
    wave.insert(wave.end(), {0, 0});
    AppendText(wave, "LIST");
    Append32(wave, 5, false);
    AppendText(wave, "INFOx");
    wave.insert(wave.end(), plain.begin() + 36, plain.end());
    bytes::StoreLE32(wave.data() + 4, static_cast<std::uint32_t>(wave.size() - 8));
    return wave;
}

// A mono 16-bit AIFF song at 8000 Hz (80-bit extended 0x400BFA...).
Bytes ToneAiff(int seconds) {
    const Bytes pcm = TonePcm(seconds, 8000, 1, true);
    Bytes body;
    AppendText(body, "AIFFCOMM");
    Append32(body, 18, true);
    body.insert(body.end(), {0, 1});
    Append32(body, static_cast<std::uint32_t>(seconds * 8000), true);
    body.insert(body.end(), {0, 16, 0x40, 0x0B, 0xFA, 0, 0, 0, 0, 0, 0, 0});
    AppendText(body, "SSND");
    Append32(body, static_cast<std::uint32_t>(pcm.size() + 8), true);
    Append32(body, 0, true);
    Append32(body, 0, true);
    body.insert(body.end(), pcm.begin(), pcm.end());
    Bytes aiff;
    AppendText(aiff, "FORM");
    Append32(aiff, static_cast<std::uint32_t>(body.size()), true);
    aiff.insert(aiff.end(), body.begin(), body.end());
    return aiff;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
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

bool AudioInputSeeds(const std::string& dir) {
    const std::string stereo = dir + "tone-stereo.wav", mono = dir + "tone-mono.wav";
    bool ok = WriteFile(stereo, ToneWave(3, 44100, 2)) && WriteFile(mono, ToneWave(4, 16000, 1)) &&
              Encode({"-b", "128", stereo, dir + "stereo-cbr.mp3"}) &&
              Encode({"-V", "4", "-m", "m", "--resample", "22.05", stereo, dir + "mono-vbr.mp3"}) &&
              Encode({"-b", "64", mono, dir + "mpeg2.mp3"}) &&
              WriteFile(dir + "short.wav", ToneWave(1, 8000, 1)) &&
              WriteFile(dir + "short.aiff", ToneAiff(1));
    // The sources are too large to be seeds themselves.
    std::remove(stereo.c_str());
    std::remove(mono.c_str());
    return ok;
}

bool WaveHeaderSeeds(const std::string& dir) {
    const Bytes plain = ToneWave(2, 1000, 1);
    Bytes streamed = plain;
    for (std::size_t at : {std::size_t{4}, std::size_t{40}}) {
        bytes::StoreLE32(streamed.data() + at, 0xFFFFFFFFu);
    }
    return WriteFile(dir + "plain.wav", plain) &&
           WriteFile(dir + "annotated.wav", AnnotatedWave(plain)) &&
           WriteFile(dir + "streamed.wav", streamed);
}

// LAMEOPT text, a line end, then the argument words separated by NUL bytes.
bool OptionSeeds(const std::string& dir) {
    using namespace std::string_literals;  // keeps the NUL bytes in the texts
    const std::string lines[] = {
        "\n--preset\0phone\0in.wav\0out.mp3"s,
        "-b 64 --resample 22.05\n-m\0m\0--tt\0Title\0--tn\0"
        "2\0in.wav\0out.mp3"s,
        "--decode\n--nogap\0a.mp3\0b.mp3\0--nogapout\0folder"s,
    };
    bool ok = true;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        ok = WriteFile(dir + "line" + std::to_string(i), Bytes(lines[i].begin(), lines[i].end())) &&
             ok;
    }
    return ok;
}

// The excerpt target builds its songs itself; a seed picks one and a request, and pokes a
// frame header, a side information byte and a byte of main data.
bool Mp3ExcerptSeeds(const std::string& dir) {
    bool ok = true;
    // The first three are our own; up to 16 more come from other writers (scripts/fuzz).
    for (std::uint8_t song = 0; song < 19; ++song) {
        const Bytes plain = {song, 3, 1};
        Bytes poked = {song, 1, 2, 1, 40, 0, 0x80, 1, 9, 0, 0x40, 0, 0, 3, 0x55};
        ok = WriteFile(dir + "song" + std::to_string(song), plain) &&
             WriteFile(dir + "poked" + std::to_string(song), poked) && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEEDS\n", argv[0]);
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    bool ok = true;
    const struct {
        const char* target;
        bool (*write)(const std::string& dir);
    } kinds[] = {{"fuzz_audio_input", AudioInputSeeds},
                 {"fuzz_wave_header", WaveHeaderSeeds},
                 {"fuzz_options", OptionSeeds},
                 {"fuzz_mp3_excerpt", Mp3ExcerptSeeds}};
    for (const auto& [target, write] : kinds) {
        const std::string dir = root + target + "/";
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        ok = !error && write(dir) && ok;
    }
    return ok ? 0 : 1;
}
