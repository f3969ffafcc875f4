#pragma once
// The front end's main routine and its two conversion loops. One FrontEndMain call is one
// conversion, driven by an argument vector shaped like a command-line encoder's: decode
// an MPEG file to a 16-bit WAVE file ("--decode"), or encode PCM audio to MP3.

#include <lame/lame.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "frontend/decode_rules.h"

namespace frontend {

// Runs one conversion. Returns 0 on success (also after help or version text), 1 when
// the context cannot be made, the vector holds no arguments, the parse fails, the input is
// unusable or the conversion hit an encoder or write error, -1 when the files cannot be
// opened (or input and output are the same file), or the library's negative code when it
// rejects the parameters. The user's cancellation passes through as platform::Exception
// ("Ringtone creation cancelled by user."). Every path releases the library context and
// closes both files. Not re-entrant: the front-end settings are process-wide.
int FrontEndMain(int argc, const char* const* argv);

// Decodes the open input into out as 16-bit PCM (a WAVE file unless -t), dropping skip
// plus the decoder's delay. Moves the bar toward 40, processes pending window messages
// after every frame and honours Cancel. Closes out and sets it to nullptr on every path.
// Returns 0, or 1 when the output could not be written completely.
int DecodeToWave(lame_global_flags* gfp, std::FILE*& out, int skip, const std::string& inPath,
                 const std::string& outPath);

// Encodes the open input into out frame by frame and flushes the encoder (the no-gap
// flush when another file of a gapless batch follows). Moves the bar toward 100,
// processes pending window messages after every frame and honours Cancel, which closes
// out (nullptr afterwards) and the input. Returns 0, or 1 on an encoder or write error;
// out stays open then.
int EncodeToMp3(lame_global_flags* gfp, std::FILE*& out, bool nogapFollows,
                const std::string& inPath, const std::string& outPath);

// Sets up the bitrate histogram display before an encode (or a quiet stand-in for it).
void InitBitrateHistogram(lame_global_flags* gfp);
// "Writing LAME Tag..." on to when the tag is enabled.
void PrintTagLeadIn(lame_global_flags* gfp, std::FILE* to);
// ReplayGain and clipping summary on to, after the tag has been written. FrontEndMain
// passes standard output, or standard error when the MP3 itself goes to standard output.
void PrintTrailingInfo(lame_global_flags* gfp, std::FILE* to);

// Opens the input and then the output. nullptr when they name the same file (nothing is
// opened then) or when the output cannot be opened (the input is released again).
// Unusable input throws FatalInputError after the input module printed why.
std::FILE* OpenFrontEndFiles(lame_global_flags* gfp, const std::string& inPath,
                             const std::string& outPath);

// The output path of one file of a gapless batch: inside outputDirectory when there is
// one, otherwise beside the input, with ".wav" turned into ".mp3" or ".mp3" appended.
void DeriveNogapOutputPath(bool hasOutputDirectory, const std::string& inPath, std::string& outPath,
                           const std::string& outputDirectory);

}  // namespace frontend
