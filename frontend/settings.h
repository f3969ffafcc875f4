#pragma once
// The front end's process-wide settings. The front end runs many times in one process
// (twice for every MP3 ringtone), so each field says what it starts as, which parse
// resets it, and who else writes it. A value that silently carries over is a bug.

#include <cstdint>

namespace frontend {

// The kind of audio the input holds. The order is fixed; the input module picks its
// reader from it.
enum class InputKind : std::uint8_t {
    Unknown = 0,
    RawPcm = 1,
    Wave = 2,
    Aiff = 3,
    MpegLayer1 = 4,
    MpegLayer2 = 5,
    MpegLayer3 = 6,
};

inline bool IsMpegKind(InputKind kind) {
    return kind == InputKind::MpegLayer1 || kind == InputKind::MpegLayer2 ||
           kind == InputKind::MpegLayer3;
}

// The quietLevel --silent, --quiet and -S set; the front end's notes and warnings are
// printed only below it.
inline constexpr int kQuietLevelSilent = 10;

struct FrontEndSettings {
    // Not reset by a parse: FrontEndMain sets Unknown once per run before parsing. Set by
    // -r, --mp1input, --mp2input, --mp3input, else from the input name at the end of a
    // successful parse; the input module may change it while sniffing the header.
    InputKind inputKind = InputKind::Unknown;
    // -x. Not reset: survives from run to run.
    int swapBytes = 0;
    // 0 normally; 10 for --silent/--quiet/-S, -5 --brief, -10 --verbose; raised to at
    // least 1 when the input is standard input. Reset to 0 by every parse.
    int quietLevel = 0;
    // --ignore-tag-errors. Reset to false by every parse.
    int ignoreTagErrors = 0;
    // Starts false; every parse resets it to true; --nohist clears it and FrontEndMain
    // clears it when quietLevel is above 0.
    int showBitrateHistogram = 0;
    // --disptime, seconds between timed status updates. Not reset; FrontEndMain only
    // raises a negative value to 2.
    float statusInterval = 0.0f;
    // --decode-mp3delay. Both reset to 0/false by every parse.
    int userDecoderDelay = 0;
    int userDecoderDelaySet = 0;
    // --clipdetect. Reset to false by every parse.
    int reportClipping = 0;
    // -t sets, -T clears. Reset to false by every parse.
    int noWaveHeader = 0;
    // Encoder delay and padding found in an MPEG input's LAME tag, filled by the input
    // module. Start at 0; every parse resets them to -1 (none found).
    int inputEncoderDelay = 0;
    int inputEncoderPadding = 0;
    // --bitwidth, bits per raw PCM sample. Starts at 16; not reset.
    int inputBitWidth = 16;
    // False: the files are whatever the user names (chimewick-mp3, as command-line
    // encoders do). True for songsifter's own requests: the input is opened only when it is
    // a regular file (a named pipe would block the program), and the output is created as
    // a new file, whatever sits at its name (a link, a hard link to the song) being
    // replaced as a name, never written through. No option sets it and no parse resets it:
    // MP3Handler sets it for the length of one request and puts false back however the
    // request ends.
    bool safeFiles = false;
};

extern FrontEndSettings settings;

// Puts back the fields every argument parse resets (and only those).
void ResetSettingsForParse();

// Puts every field back to its value at process start (tests only need this).
void ResetSettingsToProcessStart();

}  // namespace frontend
