#pragma once
// The bridge between the ringtone pipeline and the MP3 conversion front end: each request
// runs the front end once, in this thread, the way a command-line run would.

#include <string>

// Both requests pass each path as one word that can never be taken for an option, read
// only a regular file, and create the output as a new file, replacing whatever was at its
// name instead of writing through it.
class MP3Handler {
public:
    // Decodes the MP3 song inPath into the 16-bit WAVE file outPath. True on success.
    // The user's cancellation passes through as platform::Exception.
    bool Decode(std::string inPath, std::string outPath);
    // Encodes the WAVE file inPath into the MP3 file outPath. True on success.
    bool Encode(std::string inPath, std::string outPath);
};
