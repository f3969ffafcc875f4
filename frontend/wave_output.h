#pragma once
// The front end's WAVE output: opening the output stream, the 44-byte header and the byte
// writers of 16-bit samples. The decode loop is its user.

#include <cstdio>
#include <string>

namespace frontend {

// Opens the output for reading and writing: "-" is standard output; anything else is
// created or truncated ("wb+"), or with settings.safeFiles created as a new file that
// replaces whatever was at the name. Returns null when it cannot be opened; the caller reports.
std::FILE* OpenOutputStream(const std::string& path);
// Closes what OpenOutputStream gave: standard output is only flushed, never closed, since
// the process goes on using it. Returns 0, or EOF when closing or flushing failed.
int CloseOutputStream(std::FILE* f);

// Writes the 44-byte RIFF/WAVE header at the stream's position: bytes is the data length
// (the RIFF size wraps modulo 2^32). Returns -1 when the stream's error flag is set, else 0.
int WriteWaveHeader(std::FILE* f, int bytes, int rate, int channels, int bits);
// Little-endian 16 and 32 bits of value.
void Write16LE(std::FILE* f, int value);
void Write32LE(std::FILE* f, int value);
// The n bytes at data, in memory order or from the last to the first.
void WriteBytesInOrder(std::FILE* f, const void* data, int n);
void WriteBytesReversed(std::FILE* f, const void* data, int n);

// How WriteSampleFrames stores each 16-bit sample.
enum class SampleByteOrder {
    LittleEndian,  // Write16LE: the WAVE data
    InOrder,       // WriteBytesInOrder: headerless output
    Reversed,      // WriteBytesReversed: headerless output with -x
};
// Writes samples first..last-1 of left (and of right when channels is 2), interleaved,
// each exactly as the per-sample writer of order would, in one buffered write: the decode
// loop's per-frame fast path.
void WriteSampleFrames(std::FILE* f, const short* left, const short* right, int first, int last,
                       int channels, SampleByteOrder order);

}  // namespace frontend
