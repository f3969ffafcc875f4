#include "frontend/wave_output.h"

#include <algorithm>
#include <cstring>

#include "bytes/endian.h"
#include "bytes/wave_header.h"
#include "frontend/get_audio.h"
#include "frontend/settings.h"
#include "platform/files.h"

namespace frontend {

std::FILE* OpenOutputStream(const std::string& path) {
    // POSIX streams have no text mode, so standard output is already binary.
    if (path == "-") {
        return stdout;
    }
    if (settings.safeFiles) {
        return platform::CreateNewFile(path);
    }
    // Readable too: the library reads the file back when it writes the LAME tag.
    return platform::OpenFileForWriting(path);
}

int CloseOutputStream(std::FILE* f) {
    if (f == stdout) {
        return std::fflush(f);
    }
    return std::fclose(f);
}

int WriteWaveHeader(std::FILE* f, int bytes, int rate, int channels, int bits) {
    // Every size field is 32 or 16 bits in the file and wraps there, so a huge placeholder
    // length is well defined.
    bytes::WriteWaveHeader(f, static_cast<std::uint32_t>(bytes), static_cast<std::uint32_t>(rate),
                           static_cast<std::uint16_t>(channels), static_cast<std::uint16_t>(bits));
    return std::ferror(f) ? -1 : 0;
}

void Write16LE(std::FILE* f, int value) {
    std::uint8_t b[2];
    bytes::StoreLE16(b, static_cast<std::uint16_t>(value));
    std::fwrite(b, 1, sizeof b, f);
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
