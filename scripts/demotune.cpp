// Writes the demo song: by default three minutes of a well-known public-domain melody (the
// "Ode to Joy" theme) as a 44.1 kHz stereo 16-bit WAVE file, each verse in another voice
// over a soft bass, so a ringtone cut from it is easy to recognise by ear.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bytes/endian.h"
#include "bytes/wave_header.h"

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 0.42;  // seconds per quarter note

struct Note {
    int semitone;  // from middle C; -100 is a rest
    double beats;
};

// The theme, sixteen bars.
const Note kTheme[] = {
    {4, 1},   {4, 1},   {5, 1}, {7, 1},   {7, 1},   {5, 1},   {4, 1},   {2, 1}, {0, 1},
    {0, 1},   {2, 1},   {4, 1}, {4, 1.5}, {2, 0.5}, {2, 2},   {4, 1},   {4, 1}, {5, 1},
    {7, 1},   {7, 1},   {5, 1}, {4, 1},   {2, 1},   {0, 1},   {0, 1},   {2, 1}, {4, 1},
    {2, 1.5}, {0, 0.5}, {0, 2}, {2, 1},   {2, 1},   {4, 1},   {0, 1},   {2, 1}, {4, 0.5},
    {5, 0.5}, {4, 1},   {0, 1}, {2, 1},   {4, 0.5}, {5, 0.5}, {4, 1},   {2, 1}, {0, 1},
    {2, 1},   {-5, 2},  {4, 1}, {4, 1},   {5, 1},   {7, 1},   {7, 1},   {5, 1}, {4, 1},
    {2, 1},   {0, 1},   {0, 1}, {2, 1},   {4, 1},   {2, 1.5}, {0, 0.5}, {0, 2},
};

// Bass roots, one per bar of four beats.
const int kBass[] = {0, -5, 0, -5, 0, -5, 0, -5, -5, 0, -5, -5, 0, -5, 0, -5};

double Frequency(int semitone) { return 261.63 * std::pow(2.0, semitone / 12.0); }

struct Voice {
    double harmonics[4];
    double decay;  // per second
    int octave;
};

const Voice kVoices[] = {
    {{1.0, 0.5, 0.25, 0.12}, 2.5, 0},  // soft organ
    {{1.0, 0.0, 0.35, 0.0}, 4.0, 1},   // glockenspiel-like, an octave up
    {{1.0, 0.7, 0.5, 0.3}, 1.5, 0},    // brassy
    {{1.0, 0.2, 0.1, 0.05}, 3.0, 0},   // flute-like
};

void AddTone(std::vector<double>& left, std::vector<double>& right, double at, double seconds,
             double frequency, const Voice& voice, double gain, double pan) {
    std::size_t first = static_cast<std::size_t>(at * kRate);
    std::size_t count = static_cast<std::size_t>(seconds * kRate);
    for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        double attack = std::min(1.0, t / 0.012);
        double release = std::min(1.0, (seconds - t) / 0.03);
        double envelope = attack * release * std::exp(-voice.decay * t);
        double v = 0;
        for (int h = 0; h < 4; ++h) {
            v += voice.harmonics[h] * std::sin(2 * M_PI * frequency * (h + 1) * t);
        }
        v *= envelope * gain;
        left[first + i] += v * (1.0 - pan);
        right[first + i] += v * (1.0 + pan);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // An option is never an output name: "demotune --help" once wrote a song called --help.
    if (argc < 2 || argc > 3 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTPUT.wav [SECONDS]\n", argv[0]);
        return 2;
    }
    const double total = argc == 3 ? std::atof(argv[2]) : 180.0;
    if (!(total >= 1.0 && total <= 6 * 3600.0)) {
        std::fprintf(stderr, "%s: SECONDS must be between 1 and 21600\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    auto put16 = [&](std::uint16_t v) {
        std::uint8_t b[2];
        bytes::StoreLE16(b, v);
        std::fwrite(b, 1, sizeof b, out);
    };
    const std::size_t frames = static_cast<std::size_t>(total * kRate);
    bytes::WriteWaveHeader(out, static_cast<std::uint32_t>(frames * 4), kRate, 2, 16);

    // Rendered one verse at a time, so an hour-long song needs no more memory than a verse.
    double verseSeconds = 2 * kBeat;
    for (const Note& n : kTheme) {
        verseSeconds += n.beats * kBeat;
    }
    std::size_t done = 0;
    for (int verse = 0; done < frames; ++verse) {
        std::size_t count = std::min(frames - done, static_cast<std::size_t>(verseSeconds * kRate));
        std::vector<double> left(count), right(count);
        const Voice& voice = kVoices[verse % 4];
        double at = 0.0;
        for (const Note& n : kTheme) {
            double length = n.beats * kBeat;
            AddTone(left, right, at, length * 0.95, Frequency(n.semitone + 12 * voice.octave),
                    voice, 0.22, verse % 2 ? 0.25 : -0.25);
            at += length;
        }
        for (int bar = 0; bar < 16; ++bar) {
            AddTone(left, right, bar * 4 * kBeat, 4 * kBeat * 0.98, Frequency(kBass[bar] - 24),
                    kVoices[0], 0.16, 0.0);
        }
        for (std::size_t i = 0; i < count; ++i) {
            for (double v : {left[i], right[i]}) {
                double clipped = std::max(-1.0, std::min(1.0, v));
                put16(static_cast<std::uint16_t>(
                    static_cast<std::int16_t>(std::lround(clipped * 32000))));
            }
        }
        done += count;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
