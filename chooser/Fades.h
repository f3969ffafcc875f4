#pragma once
// Fade in and fade out on a ringtone's samples: the snippet WAVE is changed in place before
// it is encoded or becomes the ringtone. WAVE songs keep their own sample format in the
// ringtone, so every plain layout is faded as it stands: 8-bit unsigned, 16/24/32-bit
// signed integer, 32/64-bit float, any channel count, also inside the extensible header.
//
// The gain is a raised cosine, 0.5 - 0.5 cos(pi t) over the fade: exactly 0 at the first
// sample of a fade in (and the last of a fade out), and flat where it meets the untouched
// audio, so neither end of a fade adds a corner that would click.

#include <cstdint>
#include <string>

class RingtonePipeline;

namespace chooser {

inline constexpr double kShortestFadeSeconds = 0.5;
inline constexpr double kLongestFadeSeconds = 5.0;

// Fade lengths in seconds; 0 is off.
struct Fades {
    double inSeconds = 0;
    double outSeconds = 0;
    bool Any() const { return inSeconds > 0 || outSeconds > 0; }
};

// The gain ApplyFades gives frame i of audio frames long at sampleRate: the preview
// multiplies by the same curve, so what is heard is what the ringtone holds.
double FadeGainAt(std::int64_t i, std::int64_t frames, std::uint32_t sampleRate,
                  const Fades& fades);

// True for 0 (off) and for kShortestFadeSeconds to kLongestFadeSeconds.
bool IsFadeLength(double seconds);

// Empty when the samples of the WAVE file can be faded; otherwise why not, as a sentence
// for the user (a compressed format such as ADPCM, a layout whose samples cannot be told
// apart, a file whose header cannot be read). Reads the header by the cut's own rules.
// Only WAVE songs need asking: an MP3 song's snippet is always our decoder's 16-bit PCM.
// When it can, sampleFormat (unless null) gets 1 for integer PCM or 3 for float, the
// sub-format of an extensible header resolved.
std::string WhyFadesCannotApply(const std::string& waveFile, std::uint16_t* sampleFormat = nullptr);

// Fades the start and the end of the WAVE file's audio in place; a fade longer than the
// audio covers all of it, and a fade in and out that meet both apply. Samples outside the
// fades are left byte for byte. Never follows a link at the name.
// Fails: false with why set (WhyFadesCannotApply's reasons, a failed read or write); the
// file may then be partly faded and is the caller's to discard.
bool ApplyFades(const std::string& waveFile, const Fades& fades, std::string& why);

// Makes pipeline fade every snippet it cuts before encoding it or moving it into place;
// no fades (Fades::Any false) leaves the pipeline as it was. A snippet that cannot be
// faded fails the run with the reason and "Could not make ringtone.".
void UseFades(RingtonePipeline& pipeline, const Fades& fades);

}  // namespace chooser
