#include "tests/support/AudioBuilders.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "bytes/endian.h"
#include "tests/support/RunProcess.h"

namespace testing_support {

namespace {

template <std::size_t kWidth, typename Value>
void AppendStored(Bytes& out, Value v, void (*store)(std::uint8_t*, Value)) {
    std::uint8_t b[kWidth];
    store(b, v);
    out.insert(out.end(), b, b + kWidth);
}

}  // namespace

void AppendLE16(Bytes& out, std::uint16_t v) { AppendStored<2>(out, v, bytes::StoreLE16); }
void AppendLE32(Bytes& out, std::uint32_t v) { AppendStored<4>(out, v, bytes::StoreLE32); }
void AppendBE16(Bytes& out, std::uint16_t v) { AppendStored<2>(out, v, bytes::StoreBE16); }
void AppendBE32(Bytes& out, std::uint32_t v) { AppendStored<4>(out, v, bytes::StoreBE32); }

void AppendText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

std::uint16_t ReadLE16(const Bytes& in, std::size_t at) {
    (void)in.at(at + 1);  // out of range throws, as a test's wrong offset should
    return bytes::LoadLE16(in.data() + at);
}

std::uint32_t ReadLE32(const Bytes& in, std::size_t at) {
    (void)in.at(at + 3);
    return bytes::LoadLE32(in.data() + at);
}

Bytes FmtBody(std::uint16_t formatTag, std::uint16_t channels, std::uint32_t sampleRate,
              std::uint16_t bitsPerSample) {
    Bytes b;
    std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bitsPerSample + 7) / 8));
    AppendLE16(b, formatTag);
    AppendLE16(b, channels);
    AppendLE32(b, sampleRate);
    AppendLE32(b, sampleRate * blockAlign);
    AppendLE16(b, blockAlign);
    AppendLE16(b, bitsPerSample);
    return b;
}

RiffBuilder& RiffBuilder::chunk(const std::string& id, const Bytes& body) {
    return chunkWithSize(id, static_cast<std::uint32_t>(body.size()), body);
}

RiffBuilder& RiffBuilder::chunkWithSize(const std::string& id, std::uint32_t declaredSize,
                                        const Bytes& body) {
    AppendText(body_, id.substr(0, 4));
    AppendLE32(body_, declaredSize);
    body_.insert(body_.end(), body.begin(), body.end());
    return *this;
}

RiffBuilder& RiffBuilder::riffSize(std::uint32_t size) {
    riffSizeSet_ = true;
    riffSize_ = size;
    return *this;
}

Bytes RiffBuilder::build() const {
    Bytes out;
    AppendText(out, magic_);
    AppendLE32(out, riffSizeSet_ ? riffSize_ : static_cast<std::uint32_t>(4 + body_.size()));
    AppendText(out, form_);
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
}

Bytes SimpleWave(std::uint16_t channels, std::uint32_t sampleRate, std::uint16_t bits,
                 const Bytes& pcm) {
    return RiffBuilder().chunk("fmt ", FmtBody(1, channels, sampleRate, bits)).data(pcm).build();
}

double ToneForSecond(int second) {
    // Distinct, well-separated frequencies that a zero-crossing count tells apart.
    return 300.0 + 40.0 * (second % 40);
}

Bytes ToneSecondsPcm16(int seconds, std::uint32_t sampleRate, int channels) {
    Bytes pcm;
    pcm.reserve(static_cast<std::size_t>(seconds) * sampleRate * channels * 2);
    double phase = 0.0;
    for (int s = 0; s < seconds; ++s) {
        double step = 2.0 * M_PI * ToneForSecond(s) / sampleRate;
        for (std::uint32_t i = 0; i < sampleRate; ++i) {
            auto v = static_cast<std::int16_t>(std::lround(16000.0 * std::sin(phase)));
            phase += step;
            for (int c = 0; c < channels; ++c) {
                AppendLE16(pcm, static_cast<std::uint16_t>(v));
            }
        }
        phase = std::fmod(phase, 2.0 * M_PI);
    }
    return pcm;
}

Bytes CountingBytes(std::size_t n, std::uint32_t seed) {
    Bytes out(n);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u + static_cast<std::uint32_t>(i);
        out[i] = static_cast<std::uint8_t>((x >> 24) ^ i);
    }
    return out;
}

double ZeroCrossingFrequency(const std::vector<std::int16_t>& samples, std::uint32_t rate) {
    if (samples.size() < 2) {
        return 0.0;
    }
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) {
            ++crossings;
        }
    }
    return crossings * static_cast<double>(rate) / (2.0 * static_cast<double>(samples.size()));
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFfmpegChords(const std::string& out, const std::string& encode, int rate, int channels,
                       int seconds) {
    return RunShell(
        "ffmpeg -v error -y -f lavfi -i \"aevalsrc='0.3*sin(2*PI*(220+55*mod(floor(t),"
        "5))*t)+0.05*(random(0)-0.5)':s=" +
        std::to_string(rate) + ":d=" + std::to_string(seconds) + "\" -ac " +
        std::to_string(channels) + " " + encode + " '" + out + "'");
}

}  // namespace testing_support
