#pragma once
// WaveFile knows one RIFF/WAVE file on disk: it reads the header, tells the audio's length
// in whole seconds and cuts a whole-second excerpt into a stand-alone WAVE file that keeps
// the source's own header layout with corrected sizes. It never interprets samples: any
// format tag, channel count or sample width is cut by byte counts from the byte rate.

#include <cstdint>
#include <memory>
#include <string>

namespace bytes {
class ByteSource;
}

// Shown when an existing file at the snippet's name may not be replaced, and when the
// snippet cannot be created.
extern const char* const kSnippetExistsText;
extern const char* const kSnippetNotWritableText;

// Why the header reader refused a file. The user sees one of four texts; the reason says
// which check it was.
enum class WaveHeaderRejection {
    None,                    // accepted
    CannotOpen,              // no regular file to read at the name
    NoRiff,                  // the file does not start with "RIFF"
    NoWaveFmt,               // "WAVE" is not followed directly by "fmt "
    FmtTruncated,            // the file ends inside the fmt chunk's fields
    EndsBeforeData,          // no "data" chunk before the end of the file
    SizeUnknown,             // a streamed length, and the file's size cannot be told
    NoChannels,              // the fmt chunk says 0 channels
    NoBlockAlign,            // ... a block alignment of 0
    ZeroByteRate,            // ... a byte rate of 0
    ByteRateNotWholeBlocks,  // a second would end inside a block
    BlockTooSmall,           // a block holds less than one sample of every channel
    PcmByteRateMismatch,     // plain PCM whose byte rate is not what its samples make
};

// The fields of a WAVE header as read (little-endian in the file): sizes as the file says
// them, except a streamed length (0xFFFFFFFF), which is replaced by what the file holds.
// Sizes are unsigned 32-bit in the file; offsets are kept in 64 bits so a 4 GiB song cuts.
struct WaveHeaderFields {
    std::uint32_t riffSize = 0;
    std::uint32_t fmtSize = 0;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::int64_t headerSize = 0;  // offset of the first audio byte
    std::uint32_t dataSize = 0;
};

// WaveFile's rules for a header, on the bytes of a whole file from its first byte (a file's
// stream or memory): fills fields and returns None, or returns the reason it refuses them
// (fields are then partly filled). Never shows anything.
WaveHeaderRejection ParseWaveFileHeader(bytes::ByteSource& file, WaveHeaderFields& fields);

// The header fields (WaveHeaderFields) are public members, as read by ReadHeader.
class WaveFile : public WaveHeaderFields {
public:
    // Stores the path; touches no file.
    explicit WaveFile(std::string fileName);
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Reads the header of fileName and remembers where the audio starts.
    // Tolerates: any chunks between "fmt " and "data", a longer fmt chunk, odd chunk sizes
    // (no pad byte), any format tag, a data length of 0xFFFFFFFF (written while streaming:
    // the audio runs to the end of the file).
    // Fails: shows the reason in an information box and returns false; the file is always
    // closed. A file that ends before its "data" chunk is refused, and so is a fmt chunk no
    // cut by byte counts could honour (no channels, a byte rate that is not whole blocks).
    bool ReadHeader();

    // Whole seconds of audio (data size / byte rate); meaningful after ReadHeader.
    std::int32_t GetDurationSeconds() const { return durationSeconds; }

    // Writes target: the header of the source with its two size fields corrected, then
    // length seconds of audio from second start (a negative start means the first audio
    // byte). Whatever is at target is replaced as a name, never written through (a file a
    // run holds there is emptied in place, platform::CreateNewFile); a write-protected file
    // there is refused. Moves the progress bar from where it stands
    // toward 75 while copying.
    // Fails: shows the reason in an information box and returns false; a target it had
    // created is removed again. Every byte is checked: a short read or write is a failure.
    bool WriteSnippet(std::string target, std::int32_t start, std::int32_t length);

    std::string fileName;
    bool headerRead = false;
    // Why the last ReadHeader refused the file; None after it accepted one.
    WaveHeaderRejection rejection = WaveHeaderRejection::None;
    std::int32_t durationSeconds = 0;
    // Reserved for loaded sample data; nothing fills it.
    std::unique_ptr<std::uint8_t[]> sampleData;
};
