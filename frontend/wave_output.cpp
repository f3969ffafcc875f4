// The WAVE output side of the input module: opening the output, the 44-byte header and the
// byte writers of 16-bit samples.

#include <algorithm>
#include <cstring>

#include "frontend/get_audio.h"
#include "frontend/settings.h"
#include "platform/files.h"

namespace frontend {

namespace {

void PutLE16(unsigned char*& at, std::uint32_t value) {
    *at++ = static_cast<unsigned char>(value & 0xFF);
    *at++ = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void PutLE32(unsigned char*& at, std::uint32_t value) {
    PutLE16(at, value & 0xFFFF);
    PutLE16(at, value >> 16);
}

void PutText(unsigned char*& at, const char* text) {
    const std::size_t n = std::strlen(text);
    std::memcpy(at, text, n);
    at += n;
}

}  // namespace

std::FILE* OpenOutputStream(const std::string& path) {
    // POSIX streams have no text mode, so standard output is already binary.
    if (path == "-") {
        return stdout;
    }
    if (settings.safeFiles) {
        return platform::CreateNewFile(path);
    }
    // Readable too: the library reads the file back when it writes the LAME tag.
    return std::fopen(path.c_str(), "wb+");
}

int CloseOutputStream(std::FILE* f) {
    if (f == stdout) {
        return std::fflush(f);
    }
    return std::fclose(f);
}

int WriteWaveHeader(std::FILE* f, int bytes, int rate, int channels, int bits) {
    // Every size field is 32 or 16 bits in the file and wraps there; computing in unsigned
    // arithmetic keeps a huge placeholder length well defined.
    const auto bytesPerSample = static_cast<std::uint32_t>((static_cast<long long>(bits) + 7) / 8);
    const auto dataBytes = static_cast<std::uint32_t>(bytes);
    const auto frameBytes = static_cast<std::uint32_t>(channels) * bytesPerSample;
    unsigned char header[44];
    unsigned char* at = header;
    PutText(at, "RIFF");
    PutLE32(at, dataBytes + 36);
    PutText(at, "WAVEfmt ");
    PutLE32(at, 16);
    PutLE16(at, 1);
    PutLE16(at, static_cast<std::uint32_t>(channels));
    PutLE32(at, static_cast<std::uint32_t>(rate));
    PutLE32(at, static_cast<std::uint32_t>(rate) * frameBytes);
    PutLE16(at, frameBytes);
    PutLE16(at, static_cast<std::uint32_t>(bits));
    PutText(at, "data");
    PutLE32(at, dataBytes);
    std::fwrite(header, 1, sizeof header, f);
    return std::ferror(f) ? -1 : 0;
}

void Write16LE(std::FILE* f, int value) {
    const auto v = static_cast<unsigned>(value);
    std::putc(static_cast<int>(v & 0xFF), f);
    std::putc(static_cast<int>((v >> 8) & 0xFF), f);
}

void Write32LE(std::FILE* f, int value) {
    const auto v = static_cast<unsigned>(value);
    Write16LE(f, static_cast<int>(v & 0xFFFF));
    Write16LE(f, static_cast<int>(v >> 16));
}

void WriteBytesInOrder(std::FILE* f, const void* data, int n) {
    if (n > 0) {
        std::fwrite(data, 1, static_cast<std::size_t>(n), f);
    }
}

void WriteBytesReversed(std::FILE* f, const void* data, int n) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int i = n - 1; i >= 0; --i) {
        std::putc(bytes[i], f);
    }
}

void WriteSampleFrames(std::FILE* f, const short* left, const short* right, int first, int last,
                       int channels, SampleByteOrder order) {
    // The order decides per call, not per sample: this runs for every frame of a song, and
    // a branch-free inner loop lets the compiler interleave whole blocks at once.
    const bool hostLittleEndian = [] {
        const std::uint16_t probe = 1;
        unsigned char b;
        std::memcpy(&b, &probe, 1);
        return b == 1;
    }();
    const bool inMemoryOrder = order == SampleByteOrder::InOrder ||
                               (order == SampleByteOrder::LittleEndian && hostLittleEndian);
    const bool stereo = channels == 2;
    std::uint16_t buffer[2 * kFrameSamples];
    while (first < last) {
        const int chunk = std::min(last - first, kFrameSamples);
        std::size_t used = 0;
        if (stereo) {
            for (int i = first; i < first + chunk; ++i) {
                buffer[used++] = static_cast<std::uint16_t>(left[i]);
                buffer[used++] = static_cast<std::uint16_t>(right[i]);
            }
        } else {
            for (int i = first; i < first + chunk; ++i) {
                buffer[used++] = static_cast<std::uint16_t>(left[i]);
            }
        }
        if (!inMemoryOrder) {
            for (std::size_t k = 0; k < used; ++k) {
                buffer[k] = static_cast<std::uint16_t>((buffer[k] >> 8) | (buffer[k] << 8));
            }
        }
        std::fwrite(buffer, sizeof buffer[0], used, f);
        first += chunk;
    }
}

}  // namespace frontend
