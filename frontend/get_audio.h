#pragma once
// The front end's audio input: WAVE, AIFF/AIFC, raw PCM and MPEG Layer III, from a file or
// standard input. Its WAVE output is in frontend/wave_output.h.
//
// One input is open at a time and its state is process-wide, because the front end runs
// many times in one process: OpenAudioInput starts every run from a clean state, and
// ReleaseAudioInput leaves nothing behind whichever way a run ends.

#include <lame/lame.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace frontend {

// Samples per channel in one sample frame buffer of the loops.
inline constexpr int kFrameSamples = 1152;

// The sample count the library and this module use for "not known".
inline constexpr std::uint32_t kUnknownSampleCount = 0xFFFFFFFFu;

// Description of the MPEG input, filled by the library's header reader. Cleared whenever an
// MPEG input is opened; the decode loop reads framesize, nsamp and totalframes and counts
// framenum. Meaningless while the input is not MPEG.
extern mp3data_struct mp3InputInfo;

// Why the WAVE or AIFF header parser refused a header. A WAVE whose samples are in an
// encoding the encoder cannot take (NotPcm, UnknownSubFormat, FloatWidth) ends the run;
// after any other reason the input is read as raw PCM.
enum class HeaderRejection {
    None,                // accepted, or no WAVE or AIFF header looked at
    NoWaveForm,          // "RIFF" not followed by "WAVE"
    EndsBeforeData,      // the input ends before a "data" chunk
    FmtTooShort,         // a "fmt " chunk of fewer than 16 bytes
    TooManyChunks,       // no "data" among the first 20 chunks
    NoFmt,               // "data" comes before any "fmt "
    NotPcm,              // a format tag other than integer PCM (1), float (3), extensible
    UnknownSubFormat,    // extensible, without a sub-format of integer PCM or float
    FloatWidth,          // floating-point samples neither 32 nor 64 bits wide
    NoAiffForm,          // "FORM" not followed by "AIFF" or "AIFC"
    EndsBeforeSound,     // the input ends before the "SSND" chunk's audio
    NoSoundChunk,        // the FORM size ends before an "SSND" chunk
    CommTooShort,        // a "COMM" chunk shorter than its own fields
    UnknownCompression,  // AIFC compression other than NONE, twos or sowt
    NotSixteenBits,      // a sample size other than 16
    NotMonoOrStereo,     // neither 1 nor 2 channels
    BlockSizeNotZero,    // an "SSND" block size other than 0
    UnusableRate,        // a sample rate that is no usable integer (infinite, negative, huge)
};

// The input module's state. Every field is put back to the value shown by OpenAudioInput
// and by ReleaseAudioInput; nothing carries over from one run to the next.
struct AudioInputState {
    // The open input, or null. Standard input for the path "-", which is never closed here
    // (a later run may read it again).
    std::FILE* stream = nullptr;
    bool streamIsStdin = false;
    // The MPEG decoder of the current input, or null once the input has ended.
    hip_t decoder = nullptr;
    // Bytes given to the decoder since it last produced samples: bounds how long the end of
    // the input keeps asking it for frames it may still hold.
    std::uint64_t decoderBytesPending = 0;
    // True when the header gave the exact sample count (WAVE, AIFF): reading stops there, so
    // chunks or tags after the audio are never delivered as samples.
    bool countSamplesExactly = false;
    // Sample frames (per channel) delivered so far; counted only while the total is known.
    std::uint32_t samplesDelivered = 0;
    // Bits per PCM sample: the --bitwidth setting, replaced by a WAVE or AIFF header.
    int pcmBitWidth = 16;
    // The WAVE header announced floating-point samples (then 32 or 64 bits wide).
    bool pcmFloat = false;
    // Byte-swap of PCM samples: the -x setting, recomputed by an AIFC header.
    bool pcmSwapBytes = false;
    // Why the input's WAVE or AIFF header was refused.
    HeaderRejection headerRejection = HeaderRejection::None;
};

// Read-only view of the module state (for tests and diagnostics).
const AudioInputState& CurrentAudioInput();

// Resets the module state, opens path ("-" is standard input; with settings.safeFiles only
// a regular file) and identifies it by settings.inputKind and, for non-MPEG kinds, by
// sniffing its first bytes; sets the input sample rate, channel count and sample count on
// gfp (raw PCM keeps gfp's rate and channels). May change settings.inputKind (never leaves
// it Unknown) and fills settings.inputEncoderDelay/Padding from an MPEG LAME tag. WAVE
// input is integer PCM or 32/64-bit floating point, plain or extensible (0xFFFE).
// Fails: prints the reason (while settings.quietLevel < kQuietLevelSilent), releases
// everything this module opened and throws FatalInputError{1}; a WAVE of another sample
// encoding or of more than two channels fails so.
void OpenAudioInput(lame_global_flags* gfp, const std::string& path);

// OpenAudioInput for an input that is already open, such as bytes in memory (fmemopen):
// the module takes stream and closes it; name stands for the path in messages. The bytes
// from the stream's position to its end count as the file's size.
void OpenAudioInputStream(lame_global_flags* gfp, std::FILE* stream, const std::string& name);

// Delivers the next frame of at most 1152 samples per channel, full 32-bit scale (a 16-bit
// sample occupies bits 31..16, a floating-point 1.0 is INT32_MAX, louder ones clip). Returns the
// count, 0 at the end of the input. A mono input delivers zeros in channel 1. Fails: message and
// FatalInputError{1} (unsupported bit width, read error).
int ReadAudioFrame(lame_global_flags* gfp, int buffer[2][kFrameSamples]);
// The same with 16-bit samples (the top 16 bits of each).
int ReadAudioFrame16(lame_global_flags* gfp, short buffer[2][kFrameSamples]);

// Closes the input and stops the decoder. A no-op when nothing is open. Fails: when closing
// the file reports an error, prints "Could not close audio input file" and throws
// FatalInputError{2}; the state is released either way.
void CloseAudioInput();
// For clean-up paths: closes the input and frees the decoder without a word. Idempotent.
void ReleaseAudioInput() noexcept;

// Byte readers. A byte read past the end counts as 0xFF. The 16-bit readers sign-extend;
// the 32-bit ones combine two 16-bit reads.
int Read16LE(std::FILE* f);
int Read16BE(std::FILE* f);
std::int32_t Read32LE(std::FILE* f);
std::int32_t Read32BE(std::FILE* f);
// An 80-bit big-endian IEEE 754 extended value (AIFF sample rates): all-zero gives 0, the
// largest exponent gives +infinity.
double ReadExtended80BE(std::FILE* f);
// Reads up to n bytes, stopping at the end of the stream; returns the number read.
std::size_t ReadRawBytes(std::FILE* f, unsigned char* buffer, std::size_t n);

// Seeks; returns 0 on success. When the stream cannot seek (standard input), a forward skip
// from the current position reads and discards instead, and fails (-1) when the input ends
// first. Any other failed seek prints "fskip problem: ..." and returns -1.
int SkipForward(std::FILE* f, long offset, int origin);

}  // namespace frontend
