#pragma once
// Internal to the option parser: the state of one walk over an argument vector and the
// helpers the option handlers share. Nothing outside frontend/options*.cpp includes this.

#include <lame/lame.h>

#include <string>
#include <vector>

namespace frontend {
namespace options_detail {

// What an option asks of the walk once it has been applied.
enum class Outcome {
    Continue,
    Fail,    // end the parse now with -1 (the option wrote its message)
    Inform,  // end the parse now with -2 (an information text was printed)
};

// One call of ParseArguments. Per-call flags start false and die with the call.
struct Walk {
    lame_global_flags* gfp;
    const char* programName;
    int argc;
    const char* const* argv;
    std::string& inPath;
    std::string& outPath;
    std::vector<std::string>* nogapPaths;
    int* nogapCount;
    int nogapCapacity;

    int index = 0;  // the word being handled
    bool error = false;
    bool inputSeen = false;
    bool autoconvert = false;
    bool nogap = false;
    bool nogapTags = false;
    bool replayGainDisabled = false;
    int nogapCollected = 0;

    // Word i, or "" past the end (and for a null entry, which a caller should not pass).
    const char* Word(int i) const;
    // The word after the current one, "" when there is none.
    const char* NextWord() const { return Word(index + 1); }
    // Marks the next word used: the walk goes on after it.
    void TakeNextWord();
};

// Applies the long option name (the word after "--"). False when no option has that
// name; outcome is then untouched.
bool HandleLongOption(Walk& walk, const char* name, Outcome& outcome);

// Applies one short option letter with its candidate value (rest of the word or the next
// word). Sets valueUsed when the letter took the value. False for an unknown letter.
bool HandleShortOption(Walk& walk, char letter, const char* value, bool& valueUsed,
                       Outcome& outcome);

// Stores word into dest unless it is longer than kMaxPathLength; then writes one line
// naming the word on stderr and returns false.
bool StorePath(const Walk& walk, std::string& dest, const char* word);

// Numbers read as the options expect them. Unlike atol/atof they never overflow: integers
// saturate, and conversions to int saturate with NaN giving 0.
long ReadInteger(const char* text);
int ClampToInt(long value);
int ReadInt(const char* text);
double ReadFloat(const char* text);
int TruncateToInt(double value);
float ToFloat(double value);

}  // namespace options_detail
}  // namespace frontend
