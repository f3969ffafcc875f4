#include "frontend/get_audio.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "bytes/chunks.h"
#include "bytes/endian.h"
#include "bytes/source.h"
#include "frontend/FatalInputError.h"
#include "frontend/decode_rules.h"
#include "frontend/settings.h"
#include "platform/files.h"

namespace frontend {

mp3data_struct mp3InputInfo;

namespace {

AudioInputState state;

using bytes::FourCC;

constexpr std::uint32_t kRiff = FourCC("RIFF");
constexpr std::uint32_t kWave = FourCC("WAVE");
constexpr std::uint32_t kFmt = FourCC("fmt ");
constexpr std::uint32_t kData = FourCC("data");
constexpr std::uint32_t kForm = FourCC("FORM");
constexpr std::uint32_t kAiff = FourCC("AIFF");
constexpr std::uint32_t kAifc = FourCC("AIFC");
constexpr std::uint32_t kComm = FourCC("COMM");
constexpr std::uint32_t kSsnd = FourCC("SSND");
constexpr std::uint32_t kNone = FourCC("NONE");
constexpr std::uint32_t kTwos = FourCC("twos");
constexpr std::uint32_t kSowt = FourCC("sowt");

constexpr int kMaxWaveChunks = 20;

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// An extensible "fmt " chunk: the 16 common bytes, cbSize, then valid bits, the channel
// mask and the sub-format GUID, whose first four bytes are the format tag it stands for.
constexpr std::uint32_t kExtensibleFmtBytes = 40;
constexpr std::uint16_t kExtensionBytes = 22;
constexpr std::uint8_t kSubFormatGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool Talking() { return settings.quietLevel < kQuietLevelSilent; }

__attribute__((format(printf, 1, 2))) void Say(const char* format, ...) {
    if (!Talking()) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

[[noreturn]] __attribute__((format(printf, 2, 3))) void Fail(int status, const char* format, ...) {
    if (Talking()) {
        va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        va_end(args);
    }
    ReleaseAudioInput();
    throw FatalInputError{status};
}

void DecoderMessage(const char* format, va_list args) {
    if (Talking()) {
        std::vfprintf(stderr, format, args);
    }
}

void DecoderDebug(const char*, va_list) {}

void StopDecoder() noexcept {
    if (state.decoder != nullptr) {
        hip_decode_exit(state.decoder);
        state.decoder = nullptr;
    }
    state.decoderBytesPending = 0;
}

bool StartDecoder() {
    StopDecoder();
    state.decoder = hip_decode_init();
    if (state.decoder == nullptr) {
        return false;
    }
    hip_set_errorf(state.decoder, DecoderMessage);
    hip_set_msgf(state.decoder, DecoderMessage);
    hip_set_debugf(state.decoder, DecoderDebug);
    return true;
}

// Sizes in the file are unsigned; a count too large for 32 bits means "not known".
std::uint32_t SampleCountFrom(double samples) {
    if (!(samples >= 0.0)) {
        return 0;
    }
    if (samples >= static_cast<double>(kUnknownSampleCount)) {
        return kUnknownSampleCount;
    }
    return static_cast<std::uint32_t>(samples);
}

std::uint32_t TotalSamples(const lame_global_flags* gfp) {
    return static_cast<std::uint32_t>(lame_get_num_samples(gfp));
}

int CheckedChannels(lame_global_flags* gfp, int channels) {
    if (channels < 1 || channels > 2 || lame_set_num_channels(gfp, channels) < 0) {
        Fail(1, "Unsupported number of channels: %ud\n", static_cast<unsigned>(channels));
    }
    return channels;
}

// A 16- or 32-bit field of a header. Bytes past the end of the data read as 0xFF, and
// 16-bit values are sign-extended, as the stream readers below do.
int Field16(bytes::ByteSource& source, bytes::ByteOrder order) {
    std::uint8_t b[2];
    source.ReadPadded(b, sizeof b, 0xFF);
    const std::uint16_t v =
        order == bytes::ByteOrder::LittleEndian ? bytes::LoadLE16(b) : bytes::LoadBE16(b);
    return static_cast<std::int16_t>(v);
}

std::int32_t Field32(bytes::ByteSource& source, bytes::ByteOrder order) {
    std::uint8_t b[4];
    source.ReadPadded(b, sizeof b, 0xFF);
    return static_cast<std::int32_t>(order == bytes::ByteOrder::LittleEndian ? bytes::LoadLE32(b)
                                                                             : bytes::LoadBE32(b));
}

double FieldExtended80(bytes::ByteSource& source) {
    std::uint8_t b[10];
    source.ReadPadded(b, sizeof b, 0xFF);
    return bytes::LoadExtendedBE80(b);
}

constexpr auto kLE = bytes::ByteOrder::LittleEndian;
constexpr auto kBE = bytes::ByteOrder::BigEndian;

// Moves forward over n bytes of a chunk's body. One that runs past the end leaves the next
// read at the end of the data; only a pipe that ends first fails.
bool SkipBytes(bytes::ByteSource& source, std::uint32_t n) {
    return source.Seek(source.Position() + n);
}

// The bytes from the source's position to its end, or -1 when it cannot tell (a pipe).
long long BytesToEnd(bytes::ByteSource& source) {
    const std::int64_t size = source.Size();
    const auto here = static_cast<std::int64_t>(source.Position());
    return size < here ? -1 : size - here;
}

// What a WAVE header tells the reader, the fields as the file gives them (sign-extended).
struct WaveFormat {
    int formatTag = 0;
    int channels = 0;
    int bits = 0;  // of the container, which an extensible header's valid bits may not fill
    std::int32_t rate = 0;
    std::uint32_t dataLength = 0;
    // The tag an extensible header's sub-format stands for; 0 when it names none.
    std::uint32_t subFormat = 0;
    bool floatSamples = false;
};

void ReadExtension(bytes::ByteSource& source, std::uint32_t fmtSize, WaveFormat& format) {
    format.subFormat = 0;
    if (fmtSize < kExtensibleFmtBytes ||
        static_cast<std::uint16_t>(Field16(source, kLE)) < kExtensionBytes) {
        return;
    }
    Field16(source, kLE);  // valid bits: the samples are read at the container's width
    Field32(source, kLE);  // channel mask
    std::uint8_t guid[16];
    source.ReadPadded(guid, sizeof guid, 0xFF);
    if (std::memcmp(guid + 4, kSubFormatGuidTail, sizeof kSubFormatGuidTail) == 0) {
        format.subFormat = bytes::LoadLE32(guid);
    }
}

// Integer PCM and 32- or 64-bit floating point, plain or extensible, are what the encoder
// takes; every other encoding would be noise if read as samples.
HeaderRejection CheckWaveEncoding(WaveFormat& format) {
    std::uint32_t tag = static_cast<std::uint16_t>(format.formatTag);
    if (tag == kTagExtensible) {
        tag = format.subFormat;
        if (tag != kTagPcm && tag != kTagFloat) {
            return HeaderRejection::UnknownSubFormat;
        }
    } else if (tag != kTagPcm && tag != kTagFloat) {
        return HeaderRejection::NotPcm;
    }
    format.floatSamples = tag == kTagFloat;
    if (format.floatSamples && format.bits != 32 && format.bits != 64) {
        return HeaderRejection::FloatWidth;
    }
    return HeaderRejection::None;
}

// The source stands just behind "RIFF"; on success it stands at the first audio byte.
HeaderRejection ParseWaveHeader(bytes::ByteSource& source, WaveFormat& format) {
    Field32(source, kLE);  // the RIFF size: the chunks themselves say where everything is
    if (static_cast<std::uint32_t>(Field32(source, kBE)) != kWave) {
        return HeaderRejection::NoWaveForm;
    }
    bool haveFmt = false;
    bytes::ChunkWalker walk(source, kLE, source.Position());
    bytes::Chunk chunk;
    for (int count = 0; count < kMaxWaveChunks; ++count) {
        if (!walk.Next(chunk)) {
            return HeaderRejection::EndsBeforeData;
        }
        if (chunk.id == kData) {
            format.dataLength = chunk.size;
            if (!haveFmt) {
                return HeaderRejection::NoFmt;
            }
            return CheckWaveEncoding(format);
        }
        if (chunk.id == kFmt) {
            if (chunk.size < 16) {
                return HeaderRejection::FmtTooShort;
            }
            haveFmt = true;
            format.formatTag = Field16(source, kLE);
            format.channels = Field16(source, kLE);
            format.rate = Field32(source, kLE);
            Field32(source, kLE);  // bytes per second and block alignment follow from the rest
            Field16(source, kLE);
            format.bits = Field16(source, kLE);
            ReadExtension(source, chunk.size, format);
        }
    }
    // Past the last chunk looked at, as its reader left it: standard input goes on from there.
    source.Seek(chunk.End());
    return HeaderRejection::TooManyChunks;
}

void ApplyWaveFormat(lame_global_flags* gfp, const WaveFormat& format, long long available) {
    CheckedChannels(gfp, format.channels);
    // A width of 0 or below would leave the sample count without a divisor; the reader
    // refuses every such width anyway, so refuse it here with the reader's words.
    int bytesPerSample = (format.bits + 7) / 8;
    if (bytesPerSample <= 0) {
        Fail(1, "Only 8, 16, 24 and 32 bit input files supported \n");
    }
    lame_set_in_samplerate(gfp, format.rate);
    state.pcmBitWidth = format.bits;
    state.pcmFloat = format.floatSamples;
    const auto frameBytes = static_cast<std::uint32_t>(format.channels * bytesPerSample);
    // Streaming writers put 0xFFFFFFFF for "length unknown", and a cut-off file announces
    // more than it holds: both mean the audio runs to the end of the file, whose true
    // length is the count when the stream can tell it.
    const std::uint32_t dataLength = format.dataLength;
    if (dataLength == kUnknownSampleCount || (available >= 0 && dataLength > available)) {
        const long long frames = available >= 0 ? available / frameBytes : -1;
        lame_set_num_samples(gfp, frames >= 0 && frames < kUnknownSampleCount
                                      ? static_cast<std::uint32_t>(frames)
                                      : kUnknownSampleCount);
    } else {
        lame_set_num_samples(gfp, dataLength / frameBytes);
    }
}

// What an AIFF or AIFC header tells the reader.
struct AiffFormat {
    bool compressedForm = false;  // AIFC
    int channels = 0;
    int sampleSize = 0;
    std::uint32_t frames = 0;
    double rate = 0.0;
    std::uint32_t compression = kNone;
    std::int32_t blockSize = 0;
};

HeaderRejection CheckAiffFormat(const AiffFormat& format) {
    if (format.sampleSize != 16) {
        return HeaderRejection::NotSixteenBits;
    }
    if (format.channels != 1 && format.channels != 2) {
        return HeaderRejection::NotMonoOrStereo;
    }
    if (format.blockSize != 0) {
        return HeaderRejection::BlockSizeNotZero;
    }
    // An infinite or absurd rate cannot be an integer rate; such a header is unusable.
    if (!(format.rate >= 0.0 && format.rate <= static_cast<double>(INT_MAX))) {
        return HeaderRejection::UnusableRate;
    }
    return HeaderRejection::None;
}

// The source stands just behind "FORM"; on success it stands at the first audio byte.
HeaderRejection ParseAiffHeader(bytes::ByteSource& source, AiffFormat& format) {
    // Read signed, as the header's own count: a size from 2^31 up leaves nothing to walk.
    std::int64_t remaining = Field32(source, kBE);
    auto form = static_cast<std::uint32_t>(Field32(source, kBE));
    if (form != kAiff && form != kAifc) {
        return HeaderRejection::NoAiffForm;
    }
    format.compressedForm = form == kAifc;
    bytes::ChunkWalker walk(source, kBE, source.Position());
    bytes::Chunk chunk;
    chunk.offset = source.Position() - 8;  // no chunk yet: ends where the walk starts
    while (remaining > 0) {
        if (!walk.Next(chunk)) {
            return HeaderRejection::EndsBeforeSound;
        }
        remaining -= 4;
        if (chunk.id == kSsnd) {
            const auto offset = static_cast<std::uint32_t>(Field32(source, kBE));
            format.blockSize = Field32(source, kBE);
            if (!SkipBytes(source, offset)) {
                return HeaderRejection::EndsBeforeSound;
            }
            return CheckAiffFormat(format);
        }
        remaining -= chunk.size;
        if (chunk.id == kComm) {
            const std::uint32_t fixedPart = format.compressedForm ? 22 : 18;
            if (chunk.size < fixedPart) {
                return HeaderRejection::CommTooShort;
            }
            format.channels = Field16(source, kBE);
            format.frames = static_cast<std::uint32_t>(Field32(source, kBE));
            format.sampleSize = Field16(source, kBE);
            format.rate = FieldExtended80(source);
            if (format.compressedForm) {
                format.compression = static_cast<std::uint32_t>(Field32(source, kBE));
                if (format.compression != kNone && format.compression != kTwos &&
                    format.compression != kSowt) {
                    return HeaderRejection::UnknownCompression;
                }
            }
        }
    }
    // Past the last chunk looked at, as its reader left it: standard input goes on from there.
    source.Seek(chunk.End());
    return HeaderRejection::NoSoundChunk;
}

void ApplyAiffFormat(lame_global_flags* gfp, const AiffFormat& format) {
    if (format.compressedForm) {
        state.pcmSwapBytes = (format.compression == kSowt) != (settings.swapBytes != 0);
    }
    CheckedChannels(gfp, format.channels);
    lame_set_in_samplerate(gfp, static_cast<int>(format.rate));
    state.pcmBitWidth = format.sampleSize;
    lame_set_num_samples(gfp, format.frames);
}

// The reasons the user is told about; the others only show as a raw PCM input.
void ReportAiffRejection(HeaderRejection reason) {
    // The messages always name "name": the header reader never knew the file's name.
    switch (reason) {
        case HeaderRejection::NotSixteenBits:
            Say("Sound data is not %i bits in '%s'\n", 16, "name");
            break;
        case HeaderRejection::NotMonoOrStereo:
            Say("Sound data is not mono or stereo in '%s'\n", "name");
            break;
        case HeaderRejection::BlockSizeNotZero:
            Say("Block size is not 0 bytes in '%s'\n", "name");
            break;
        default:
            break;
    }
}

// A WAVE whose samples the encoder cannot take ends the run: read as raw bytes it would
// come out as noise.
void RefuseWaveEncoding(const WaveFormat& format, const std::string& name) {
    const char* const lead = "Unsupported WAVE format in";
    switch (state.headerRejection) {
        case HeaderRejection::NotPcm:
            Fail(1, "%s %s: format tag 0x%04X is neither integer PCM nor floating point\n", lead,
                 name.c_str(), static_cast<unsigned>(static_cast<std::uint16_t>(format.formatTag)));
        case HeaderRejection::UnknownSubFormat:
            Fail(1,
                 "%s %s: an extensible header whose sub-format is neither integer PCM nor "
                 "floating point\n",
                 lead, name.c_str());
        case HeaderRejection::FloatWidth:
            Fail(1, "%s %s: %d-bit floating point (only 32 and 64 bits are supported)\n", lead,
                 name.c_str(), format.bits);
        default:
            break;
    }
}

void SniffFileHeader(lame_global_flags* gfp, const std::string& name) {
    bytes::StreamSource source(state.stream);
    auto magic = static_cast<std::uint32_t>(Field32(source, kBE));
    state.countSamplesExactly = false;
    settings.inputKind = InputKind::RawPcm;
    if (magic == kRiff) {
        WaveFormat format;
        state.headerRejection = ParseWaveHeader(source, format);
        RefuseWaveEncoding(format, name);
        if (state.headerRejection == HeaderRejection::None) {
            ApplyWaveFormat(gfp, format, BytesToEnd(source));
            settings.inputKind = InputKind::Wave;
            // A length that nothing could tell is no count to stop at.
            state.countSamplesExactly = TotalSamples(gfp) != kUnknownSampleCount;
        } else {
            Say("Warning: corrupt or unsupported WAVE format\n");
        }
    } else if (magic == kForm) {
        AiffFormat format;
        state.headerRejection = ParseAiffHeader(source, format);
        if (state.headerRejection == HeaderRejection::None) {
            ApplyAiffFormat(gfp, format);
            settings.inputKind = InputKind::Aiff;
            state.countSamplesExactly = true;
        } else {
            ReportAiffRejection(state.headerRejection);
        }
    }
    if (settings.inputKind == InputKind::RawPcm) {
        // Standard input cannot go back: its header bytes are then simply gone.
        std::fseek(state.stream, 0, SEEK_SET);
    }
}

bool IsMpegSyncHeader(const unsigned char* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int version = b[1] & 0x18;
    const int layer = b[1] & 0x06;
    if (version == 0x08 || layer == 0x00 || layer == 0x06 || layer == 0x04) {
        return false;
    }
    if (layer == 0x02 && settings.inputKind != InputKind::MpegLayer3) {
        return false;
    }
    return (b[2] & 0xF0) != 0xF0 && (b[2] & 0x0C) != 0x0C && (b[3] & 0x03) != 0x02;
}

bool IsAlbumIdHeader(const unsigned char* b) {
    return b[0] == 'A' && b[1] == 'i' && b[2] == 'D' && b[3] == 1;
}

int ReadHeaderFrame(unsigned char* bytes, std::size_t n) {
    short left[kFrameSamples];
    short right[kFrameSamples];
    return hip_decode1_headersB(state.decoder, bytes, n, left, right, &mp3InputInfo,
                                &settings.inputEncoderDelay, &settings.inputEncoderPadding);
}

// Finds the first Layer III frame and lets the library read its header and any
// Xing/Info/LAME tag. Returns 0, or -1 when the input ends first.
int InitMpegInput() {
    std::FILE* f = state.stream;
    // Each pass consumes input, so a stream that keeps failing to sync reaches its end.
    for (;;) {
        std::memset(&mp3InputInfo, 0, sizeof mp3InputInfo);
        if (!StartDecoder()) {
            return -1;
        }
        unsigned char window[4];
        if (ReadRawBytes(f, window, 4) != 4) {
            return -1;
        }
        if (window[0] == 'I' && window[1] == 'D' && window[2] == '3') {
            Say("ID3v2 found. Be aware that the ID3 tag is currently lost when transcoding.\n");
            unsigned char header[6];  // tag header bytes 4 to 9; 6 to 9 hold the size
            if (ReadRawBytes(f, header, 6) != 6) {
                return -1;
            }
            long size = 0;
            for (int i = 2; i < 6; ++i) {
                size = size * 128 + (header[i] & 0x7F);
            }
            // A tag running past the end leaves nothing to read below, which fails there.
            SkipForward(f, size, SEEK_CUR);
            if (ReadRawBytes(f, window, 4) != 4) {
                return -1;
            }
        }
        if (IsAlbumIdHeader(window)) {
            unsigned char length[2];
            if (ReadRawBytes(f, length, 2) != 2) {
                return -1;
            }
            const int blockLength = length[0] + 256 * length[1];
            Say("Album ID found.  length=%i \n", blockLength);
            // The length counts the 6 bytes already read; a shorter one skips nothing
            // rather than stepping back over them.
            if (blockLength > 6) {
                SkipForward(f, blockLength - 6, SEEK_CUR);
            }
            if (ReadRawBytes(f, window, 4) != 4) {
                return -1;
            }
        }
        while (!IsMpegSyncHeader(window)) {
            int c = std::getc(f);
            if (c == EOF) {
                return -1;
            }
            std::memmove(window, window + 1, 3);
            window[3] = static_cast<unsigned char>(c);
        }
        const bool freeFormat = (window[2] & 0xF0) == 0;
        if (freeFormat) {
            Say("Input file is freeformat.\n");
        }
        if (ReadHeaderFrame(window, 4) == -1) {
            return -1;
        }
        while (mp3InputInfo.header_parsed == 0) {
            unsigned char block[kMpegHeaderBlockBytes];
            if (std::fread(block, 1, sizeof block, f) != sizeof block ||
                ReadHeaderFrame(block, sizeof block) == -1) {
                return -1;
            }
        }
        if (mp3InputInfo.bitrate == 0 && !freeFormat) {
            Say("fail to sync...\n");
            continue;
        }
        if (mp3InputInfo.totalframes <= 0) {
            mp3InputInfo.nsamp = kUnknownSampleCount;
        }
        state.decoderBytesPending = 0;
        return 0;
    }
}

int FrameDecoded(int samples) {
    state.decoderBytesPending = 0;
    return samples;
}

int DecodeHeld(short* left, short* right) {
    unsigned char none[1] = {0};
    return hip_decode1_headers(state.decoder, none, 0, left, right, &mp3InputInfo);
}

// The input has ended. A frame that decodes to nothing (a tag frame, a frame whose bit
// reservoir is missing) answers 0 just like an empty decoder, so one empty answer does not
// prove that nothing is left: keep asking while a held frame is still possible.
int DrainDecoder(short* left, short* right) {
    const std::uint64_t asks = EndOfInputAsks(state.decoderBytesPending);
    for (std::uint64_t i = 0; i < asks; ++i) {
        int result = DecodeHeld(left, right);
        if (result > 0) {
            return FrameDecoded(result);
        }
        if (result < 0) {
            break;
        }
    }
    StopDecoder();
    return -1;
}

// Returns the samples per channel of the next frame, or -1 at the end of the input or on a
// decoder error (the decoder is then stopped, and every later call returns -1).
int DecodeNextMpegFrame(short* left, short* right) {
    if (state.decoder == nullptr) {
        return -1;
    }
    int result = DecodeHeld(left, right);
    if (result > 0) {
        return FrameDecoded(result);
    }
    if (result < 0) {
        StopDecoder();
        return -1;
    }
    for (;;) {
        unsigned char block[kMpegBlockBytes];
        std::size_t got = std::fread(block, 1, sizeof block, state.stream);
        if (got == 0) {
            return DrainDecoder(left, right);
        }
        state.decoderBytesPending += got;
        result = hip_decode1_headers(state.decoder, block, got, left, right, &mp3InputInfo);
        if (result < 0) {
            StopDecoder();
            return -1;
        }
        if (result > 0) {
            return FrameDecoded(result);
        }
        if (state.decoderBytesPending > kMaxBytesWithoutFrame && !StartDecoder()) {
            return -1;
        }
    }
}

int ReadMpegSamples(lame_global_flags* gfp, short* left, short* right) {
    int count = DecodeNextMpegFrame(left, right);
    if (count < 0) {
        std::memset(left, 0, sizeof(short) * kFrameSamples);
        std::memset(right, 0, sizeof(short) * kFrameSamples);
        return 0;
    }
    if (lame_get_num_channels(gfp) != mp3InputInfo.stereo) {
        Say("Error: number of channels has changed in %s - not supported\n", "MP3 file");
    }
    if (lame_get_in_samplerate(gfp) != mp3InputInfo.samplerate) {
        Say("Error: sample frequency has changed in %s - not supported\n", "MP3 file");
    }
    return count;
}

// Each PCM sample becomes a 32-bit value whose top byte is the sample's most significant
// byte. 8-bit samples are unsigned and gain 0x7F in the byte below.
std::uint32_t Unpack8(const unsigned char* p) { return ((p[0] ^ 0x80u) << 24) | 0x007F0000u; }
std::uint32_t Unpack16LE(const unsigned char* p) { return std::uint32_t{bytes::LoadLE16(p)} << 16; }
std::uint32_t Unpack16BE(const unsigned char* p) { return std::uint32_t{bytes::LoadBE16(p)} << 16; }
std::uint32_t Unpack24LE(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 8) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 24);
}
std::uint32_t Unpack24BE(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8);
}

// Floating-point samples are full scale at +-1.0. Louder ones clip and NaN is silence, so
// the conversion to an integer is always defined; it is exact to 2^-31 of full scale.
std::uint32_t FullScale(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    const double scaled = std::clamp(v, -1.0, 1.0) * 2147483648.0;
    return static_cast<std::uint32_t>(scaled >= 2147483647.0 ? INT32_MAX
                                                             : static_cast<std::int32_t>(scaled));
}
template <bool kLittle>
std::uint32_t UnpackFloat32(const unsigned char* p) {
    const std::uint32_t bits = kLittle ? bytes::LoadLE32(p) : bytes::LoadBE32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return FullScale(v);
}
template <bool kLittle>
std::uint32_t UnpackFloat64(const unsigned char* p) {
    const std::uint64_t low = kLittle ? bytes::LoadLE32(p) : bytes::LoadBE32(p + 4);
    const std::uint64_t high = kLittle ? bytes::LoadLE32(p + 4) : bytes::LoadBE32(p);
    const std::uint64_t bits = high << 32 | low;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return FullScale(v);
}

struct SampleOutput {
    int (*wide)[kFrameSamples];      // 32-bit destination, or null
    short (*narrow)[kFrameSamples];  // 16-bit destination, or null
};

template <std::uint32_t (*Unpack)(const unsigned char*), int kBytes>
void Deinterleave(const unsigned char* in, int count, int channels, SampleOutput out) {
    if (out.wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < channels; ++c, in += kBytes) {
                out.wide[c][i] = static_cast<std::int32_t>(Unpack(in));
            }
        }
    } else {
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < channels; ++c, in += kBytes) {
                out.narrow[c][i] = static_cast<std::int16_t>(Unpack(in) >> 16);
            }
        }
    }
}

void UnpackFloatSamples(const unsigned char* in, int count, int channels, int width,
                        bool littleEndian, SampleOutput out) {
    if (width == 32) {
        littleEndian ? Deinterleave<UnpackFloat32<true>, 4>(in, count, channels, out)
                     : Deinterleave<UnpackFloat32<false>, 4>(in, count, channels, out);
    } else {
        littleEndian ? Deinterleave<UnpackFloat64<true>, 8>(in, count, channels, out)
                     : Deinterleave<UnpackFloat64<false>, 8>(in, count, channels, out);
    }
}

void UnpackPcmSamples(const unsigned char* in, int count, int channels, int width,
                      bool littleEndian, SampleOutput out) {
    switch (width) {
        case 8:
            Deinterleave<Unpack8, 1>(in, count, channels, out);
            break;
        case 16:
            littleEndian ? Deinterleave<Unpack16LE, 2>(in, count, channels, out)
                         : Deinterleave<Unpack16BE, 2>(in, count, channels, out);
            break;
        case 24:
            littleEndian ? Deinterleave<Unpack24LE, 3>(in, count, channels, out)
                         : Deinterleave<Unpack24BE, 3>(in, count, channels, out);
            break;
        default:
            littleEndian ? Deinterleave<bytes::LoadLE32, 4>(in, count, channels, out)
                         : Deinterleave<bytes::LoadBE32, 4>(in, count, channels, out);
            break;
    }
}

int ReadPcmSamples(lame_global_flags* gfp, int samples, SampleOutput out) {
    const int width = state.pcmBitWidth;
    // The WAVE header has already refused floating-point widths other than 32 and 64.
    if (!state.pcmFloat && width != 8 && width != 16 && width != 24 && width != 32) {
        Fail(1, "Only 8, 16, 24 and 32 bit input files supported \n");
    }
    const int channels = lame_get_num_channels(gfp);
    if (channels < 1 || channels > 2) {
        Fail(1, "Unsupported number of channels: %ud\n", static_cast<unsigned>(channels));
    }
    unsigned char bytes[2 * kFrameSamples * 8];
    const std::size_t bytesPerSample = static_cast<std::size_t>(width / 8);
    // fread counts whole samples only, so a partial last sample is dropped.
    const std::size_t values = std::fread(
        bytes, bytesPerSample, static_cast<std::size_t>(samples * channels), state.stream);
    if (std::ferror(state.stream)) {
        Fail(1, "Error reading input file\n");
    }
    const int count = static_cast<int>(values) / channels;
    const bool littleEndian = (settings.inputKind == InputKind::Wave) != state.pcmSwapBytes;
    if (state.pcmFloat) {
        UnpackFloatSamples(bytes, count, channels, width, littleEndian, out);
    } else {
        UnpackPcmSamples(bytes, count, channels, width, littleEndian, out);
    }
    return count;
}

void ZeroSecondChannel(SampleOutput out, int count) {
    if (out.wide != nullptr) {
        std::fill(out.wide[1], out.wide[1] + count, 0);
    } else {
        std::fill(out.narrow[1], out.narrow[1] + count, static_cast<short>(0));
    }
}

int ReadSamplesCommon(lame_global_flags* gfp, SampleOutput out) {
    if (state.stream == nullptr) {
        return 0;
    }
    // The library reports no frame size before its parameters are set, nor in decode-only
    // mode; a whole MPEG-1 frame is then the sensible unit.
    int framesize = lame_get_framesize(gfp);
    if (framesize <= 0 || framesize > kFrameSamples) {
        framesize = kFrameSamples;
    }
    int samples = framesize;
    const std::uint32_t total = TotalSamples(gfp);
    if (state.countSamplesExactly) {
        const std::uint32_t remaining = total - std::min(total, state.samplesDelivered);
        // A header that announced 0 samples is read to the end of the file.
        if (remaining < static_cast<std::uint32_t>(framesize) && total != 0) {
            samples = static_cast<int>(remaining);
        }
    }
    int count = 0;
    int channels = lame_get_num_channels(gfp);
    if (IsMpegKind(settings.inputKind)) {
        short local[2][kFrameSamples];
        short(*pcm)[kFrameSamples] = out.narrow != nullptr ? out.narrow : local;
        count = ReadMpegSamples(gfp, pcm[0], pcm[1]);
        // The decoder writes only channel 0 of a mono frame.
        channels = mp3InputInfo.stereo == 1 ? 1 : 2;
        if (out.wide != nullptr) {
            for (int c = 0; c < channels; ++c) {
                for (int i = 0; i < count; ++i) {
                    out.wide[c][i] = pcm[c][i] * 65536;
                }
            }
        }
    } else {
        count = ReadPcmSamples(gfp, samples, out);
    }
    if (channels == 1) {
        ZeroSecondChannel(out, count);
    }
    if (total != kUnknownSampleCount) {
        state.samplesDelivered += static_cast<std::uint32_t>(count);
    }
    return count;
}

// fileSize: the bytes the input holds, -1 when unknown.
void EstimateSampleCount(lame_global_flags* gfp, std::int64_t fileSize) {
    if (TotalSamples(gfp) != kUnknownSampleCount || state.streamIsStdin || fileSize < 0) {
        return;
    }
    const double size = static_cast<double>(fileSize);
    if (IsMpegKind(settings.inputKind)) {
        if (mp3InputInfo.bitrate > 0) {
            // Not rounded to whole seconds first: the product is what the file holds.
            const double seconds = size * 8 / (mp3InputInfo.bitrate * 1000.0);
            const std::uint32_t samples = SampleCountFrom(seconds * lame_get_in_samplerate(gfp));
            lame_set_num_samples(gfp, samples);
            mp3InputInfo.nsamp = samples;
        }
    } else {
        // Two bytes per sample whatever the width: raw input only, and only a progress guess.
        const int channels = std::max(1, lame_get_num_channels(gfp));
        lame_set_num_samples(gfp, SampleCountFrom(std::floor(size / (2.0 * channels))));
    }
}

// Tells the kind of the open input (by settings.inputKind and its first bytes) and reads
// its header; name is the input's name in messages.
void IdentifyInput(lame_global_flags* gfp, const std::string& name) {
    if (IsMpegKind(settings.inputKind)) {
        if (InitMpegInput() != 0) {
            Fail(1, "Error reading headers in mp3 input file %s.\n", name.c_str());
        }
        CheckedChannels(gfp, mp3InputInfo.stereo);
        lame_set_in_samplerate(gfp, mp3InputInfo.samplerate);
        lame_set_num_samples(gfp, mp3InputInfo.nsamp);
    } else {
        if (settings.inputKind != InputKind::RawPcm) {
            SniffFileHeader(gfp, name);
        }
        if (settings.inputKind == InputKind::RawPcm) {
            Say("Assuming raw pcm input file%s",
                settings.swapBytes ? " : Forcing byte-swapping\n" : "\n");
            state.pcmSwapBytes = settings.swapBytes != 0;
        }
    }
}

void OpenInputFile(lame_global_flags* gfp, const std::string& path) {
    lame_set_num_samples(gfp, kUnknownSampleCount);
    if (path == "-") {
        // POSIX streams have no text mode; an earlier run may have left the end flag set.
        state.stream = stdin;
        state.streamIsStdin = true;
        std::clearerr(stdin);
    } else {
        state.stream = settings.safeFiles ? platform::OpenRegularFileForReading(path)
                                          : platform::OpenFileForReading(path);
        if (state.stream == nullptr) {
            Fail(1, "Could not find \"%s\".\n", path.c_str());
        }
    }
    IdentifyInput(gfp, path);
    EstimateSampleCount(gfp, state.streamIsStdin ? -1 : platform::FileSize(path));
}

void StartInput() {
    ReleaseAudioInput();
    // Cleared for every kind, so no frame count of an earlier MPEG run carries over.
    std::memset(&mp3InputInfo, 0, sizeof mp3InputInfo);
    state.pcmBitWidth = settings.inputBitWidth;
    state.pcmSwapBytes = settings.swapBytes != 0;
}

}  // namespace

const AudioInputState& CurrentAudioInput() { return state; }

void OpenAudioInput(lame_global_flags* gfp, const std::string& path) {
    StartInput();
    OpenInputFile(gfp, path);
}

void OpenAudioInputStream(lame_global_flags* gfp, std::FILE* stream, const std::string& name) {
    StartInput();
    lame_set_num_samples(gfp, kUnknownSampleCount);
    state.stream = stream;
    const std::int64_t size = bytes::StreamSource(stream).Size();
    IdentifyInput(gfp, name);
    EstimateSampleCount(gfp, size);
}

int ReadAudioFrame(lame_global_flags* gfp, int buffer[2][kFrameSamples]) {
    return ReadSamplesCommon(gfp, SampleOutput{buffer, nullptr});
}

int ReadAudioFrame16(lame_global_flags* gfp, short buffer[2][kFrameSamples]) {
    return ReadSamplesCommon(gfp, SampleOutput{nullptr, buffer});
}

void CloseAudioInput() {
    std::FILE* f = state.stream;
    const bool closeIt = f != nullptr && !state.streamIsStdin;
    state.stream = nullptr;
    ReleaseAudioInput();
    if (closeIt && std::fclose(f) != 0) {
        Fail(2, "Could not close audio input file\n");
    }
}

void ReleaseAudioInput() noexcept {
    if (state.stream != nullptr && !state.streamIsStdin) {
        std::fclose(state.stream);
    }
    StopDecoder();
    state = AudioInputState();
}

int Read16LE(std::FILE* f) {
    bytes::StreamSource source(f);
    return Field16(source, kLE);
}

int Read16BE(std::FILE* f) {
    bytes::StreamSource source(f);
    return Field16(source, kBE);
}

std::int32_t Read32LE(std::FILE* f) {
    bytes::StreamSource source(f);
    return Field32(source, kLE);
}

std::int32_t Read32BE(std::FILE* f) {
    bytes::StreamSource source(f);
    return Field32(source, kBE);
}

double ReadExtended80BE(std::FILE* f) {
    bytes::StreamSource source(f);
    return FieldExtended80(source);
}

std::size_t ReadRawBytes(std::FILE* f, unsigned char* buffer, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const int c = std::getc(f);
        if (c == EOF) {
            break;
        }
        buffer[got++] = static_cast<unsigned char>(c);
    }
    return got;
}

int SkipForward(std::FILE* f, long offset, int origin) {
    if (std::fseek(f, offset, origin) == 0) {
        return 0;
    }
    if (origin == SEEK_CUR && offset >= 0) {
        const auto n = static_cast<std::uint64_t>(offset);
        return bytes::DiscardBytes(f, n) == n ? 0 : -1;
    }
    Say("fskip problem: Mostly the return status of functions is not evaluate so it is more "
        "secure to polute <stderr>.\n");
    return -1;
}

}  // namespace frontend
