#include "wave/Wavefile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "bytes/chunks.h"
#include "bytes/endian.h"
#include "bytes/source.h"
#include "platform/Exception.h"
#include "platform/Progress.h"
#include "platform/UserInterface.h"
#include "platform/files.h"

namespace {

using platform::Exception;
using platform::ScopedFile;

constexpr std::size_t kCopyBlock = 1024;

const char* const kUnreadableHeader = "Error: Could not read wave file header!";
const char* const kReadFailure = "Error: could not read properly from wave file!";
const char* const kWriteFailure = "Error: could not write properly to snippet file!";

bool ReadExactly(std::FILE* f, void* into, std::size_t n) { return std::fread(into, 1, n, f) == n; }

void Show(const std::string& text) { platform::Ui().ShowInformation(text); }

// The data length streaming writers put in the header when they cannot go back to fix it.
constexpr std::uint32_t kLengthUnknown = 0xFFFFFFFFu;

// The cut is made by byte counts, so whole seconds must be whole blocks: at least one
// channel, a byte rate above 0, a block alignment that holds one sample of every channel, and a
// byte rate that is a whole number of blocks. Plain PCM (tag 1), whose layout is known, must also
// have the byte rate its samples make. Any other format tag, channel count or sample width passes:
// the samples themselves are never interpreted.
WaveHeaderRejection CheckWholeBlocks(const WaveHeaderFields& h) {
    if (h.channels == 0) {
        return WaveHeaderRejection::NoChannels;
    }
    if (h.blockAlign == 0) {
        return WaveHeaderRejection::NoBlockAlign;
    }
    if (h.byteRate == 0) {
        return WaveHeaderRejection::ZeroByteRate;
    }
    if (h.byteRate % h.blockAlign != 0) {
        return WaveHeaderRejection::ByteRateNotWholeBlocks;
    }
    if (8u * h.blockAlign < static_cast<std::uint32_t>(h.channels) * h.bitsPerSample) {
        return WaveHeaderRejection::BlockTooSmall;
    }
    if (h.formatTag == 1 && static_cast<std::uint64_t>(h.sampleRate) * h.blockAlign != h.byteRate) {
        return WaveHeaderRejection::PcmByteRateMismatch;
    }
    return WaveHeaderRejection::None;
}

// What the user is told for each refusal.
const char* RejectionText(WaveHeaderRejection reason) {
    switch (reason) {
        case WaveHeaderRejection::CannotOpen:
            return "Error: This file could not be opened!";
        case WaveHeaderRejection::NoRiff:
            return "Error: The input file is not a valid Sound File!";
        case WaveHeaderRejection::NoWaveFmt:
            return "Error: The input file is not a valid Wave File!";
        default:
            return kUnreadableHeader;
    }
}

}  // namespace

const char* const kSnippetExistsText =
    "Error: The snippet file already exists and could not be deleted!";
const char* const kSnippetNotWritableText = "Error: Snippet File could be opened for writing!";

WaveFile::WaveFile(std::string name) : fileName(std::move(name)) {}

WaveFile::~WaveFile() = default;

WaveHeaderRejection ParseWaveFileHeader(bytes::ByteSource& file, WaveHeaderFields& h) {
    std::uint8_t b[20];
    if (file.Read(b, 4) != 4 || std::memcmp(b, "RIFF", 4) != 0) {
        return WaveHeaderRejection::NoRiff;
    }
    // A short read here shows in the next comparison.
    file.ReadPadded(b, 4, 0);
    std::uint32_t riff = bytes::LoadLE32(b);
    // The fmt chunk must come first: "WAVE" is followed directly by "fmt ".
    if (file.Read(b, 8) != 8 || std::memcmp(b, "WAVEfmt ", 8) != 0) {
        return WaveHeaderRejection::NoWaveFmt;
    }
    if (file.Read(b, 20) != 20) {
        return WaveHeaderRejection::FmtTruncated;
    }
    h.fmtSize = bytes::LoadLE32(b);
    h.formatTag = bytes::LoadLE16(b + 4);
    h.channels = bytes::LoadLE16(b + 6);
    h.sampleRate = bytes::LoadLE32(b + 8);
    h.byteRate = bytes::LoadLE32(b + 12);
    h.blockAlign = bytes::LoadLE16(b + 16);
    h.bitsPerSample = bytes::LoadLE16(b + 18);
    // The next chunk starts behind the whole fmt body, whatever its declared size; a size
    // below 16 just means the walk goes on from inside the fields read above.
    bytes::ChunkWalker walk(file, bytes::ByteOrder::LittleEndian, 20 + std::uint64_t{h.fmtSize});
    bytes::Chunk chunk;
    do {
        if (!walk.Next(chunk)) {
            return WaveHeaderRejection::EndsBeforeData;
        }
    } while (chunk.id != bytes::FourCC("data"));
    h.headerSize = static_cast<std::int64_t>(chunk.BodyOffset());
    h.dataSize = chunk.size;
    if (h.dataSize == kLengthUnknown) {
        // Written while streaming, before the length was known: the audio is whatever
        // the file holds, and a snippet's RIFF size counts only what it copies.
        const std::int64_t size = file.Size();
        if (size < 0) {
            return WaveHeaderRejection::SizeUnknown;
        }
        std::int64_t held = std::max<std::int64_t>(size - h.headerSize, 0);
        h.dataSize = static_cast<std::uint32_t>(std::min<std::int64_t>(held, kLengthUnknown - 1));
        riff = static_cast<std::uint32_t>(h.headerSize - 8) + h.dataSize;
    }
    h.riffSize = riff;
    return CheckWholeBlocks(h);
}

bool WaveFile::ReadHeader() {
    headerRead = false;
    ScopedFile file(platform::OpenRegularFileForReading(fileName));
    WaveHeaderFields fields;
    if (!file) {
        rejection = WaveHeaderRejection::CannotOpen;
    } else {
        bytes::StreamSource source(file.get());
        rejection = ParseWaveFileHeader(source, fields);
    }
    file.Close();
    if (rejection != WaveHeaderRejection::None) {
        Show(RejectionText(rejection));
        return false;
    }
    static_cast<WaveHeaderFields&>(*this) = fields;
    durationSeconds =
        static_cast<std::int32_t>(std::min<std::uint32_t>(dataSize / byteRate, INT32_MAX));
    headerRead = true;
    return true;
}

bool WaveFile::WriteSnippet(std::string target, std::int32_t start, std::int32_t length) {
    ScopedFile source;
    ScopedFile snippet;
    bool created = false;
    // Whatever went wrong, a partial snippet is no snippet: the file made here goes again.
    auto fail = [&](const std::string& text) {
        snippet.Close();
        source.Close();
        if (created) {
            platform::DeleteFile(target);
        }
        Show(text);
        return false;
    };
    try {
        if (!headerRead) {
            throw Exception("Error: Must read wave file header first!");
        }
        if (static_cast<std::int64_t>(start) + length > durationSeconds) {
            throw Exception("Error: The snippet requested is past the end of the file!");
        }
        if (length <= 0) {
            throw Exception("Error: The snippet must have positive length!");
        }
        // length <= duration = dataSize / byteRate, so n fits in the 32-bit size field.
        std::uint32_t n = static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) * byteRate);
        std::uint32_t riff = riffSize - dataSize + n;

        source.reset(platform::OpenRegularFileForReading(fileName));
        if (!source) {
            throw Exception("Error: Wave File could be opened for reading!");
        }
        if (!platform::MayReplaceFile(target)) {
            throw Exception(kSnippetExistsText);
        }
        // Replacing the name is left to the creation, which keeps a file a run holds there
        // held while it is written.
        snippet.reset(platform::CreateNewFile(target));
        if (!snippet) {
            throw Exception(platform::FileExists(target) ? kSnippetExistsText
                                                         : kSnippetNotWritableText);
        }
        created = true;

        std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlock]);
        if (!buffer) {
            throw Exception("Error: Out of memory while writing snippet!");
        }
        auto copy = [&](std::size_t count) {
            if (!ReadExactly(source.get(), buffer.get(), count)) {
                throw Exception(kReadFailure);
            }
            if (std::fwrite(buffer.get(), 1, count, snippet.get()) != count) {
                throw Exception(kWriteFailure);
            }
        };
        auto put = [&](const void* bytes, std::size_t count) {
            if (std::fwrite(bytes, 1, count, snippet.get()) != count) {
                throw Exception(kWriteFailure);
            }
        };

        // The header: "RIFF", the new RIFF size, everything from "WAVE" up to and including
        // the id "data" unchanged, then the new data size.
        std::uint8_t field[4];
        put("RIFF", 4);
        bytes::StoreLE32(field, riff);
        put(field, 4);
        if (fseeko(source.get(), 8, SEEK_SET) != 0) {
            throw Exception(kReadFailure);
        }
        for (std::int64_t left = headerSize - 12; left > 0;) {
            std::size_t piece = static_cast<std::size_t>(std::min<std::int64_t>(left, kCopyBlock));
            copy(piece);
            left -= static_cast<std::int64_t>(piece);
        }
        bytes::StoreLE32(field, n);
        put(field, 4);

        // A negative start (songs shorter than the automatic offset) means the first byte.
        std::int64_t first = headerSize + static_cast<std::int64_t>(std::max(start, 0)) * byteRate;
        if (fseeko(source.get(), static_cast<off_t>(first), SEEK_SET) != 0) {
            throw Exception(kReadFailure);
        }

        // The copy moves the bar but lets no messages through: Cancel cannot act here.
        const platform::ProgressStage stage(platform::kBarAfterSnippet);
        std::uint32_t copied = 0;
        while (static_cast<std::uint64_t>(copied) + kCopyBlock < n) {
            copy(kCopyBlock);
            copied += kCopyBlock;
            stage.Set(copied, n);
        }
        if (copied < n) {
            copy(n - copied);
        }
        buffer.reset();
        if (!snippet.Close()) {
            throw Exception(kWriteFailure);
        }
        source.Close();
        return true;
    } catch (const Exception& e) {
        return fail(e.Message());
    } catch (...) {
        return fail("Error: Could not write snippet!");
    }
}
