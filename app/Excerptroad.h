#pragma once
// The pipeline's excerpt road for MP3 songs: the ringtone from a WAVE excerpt decoded
// straight from the song, without the whole-song temporary WAVE file. It writes the same
// ringtone, byte for byte, as the whole-song road, and declines every song it cannot
// prove that for.

#include <cstdint>
#include <string>

class MP3Handler;

enum class ExcerptRoadResult {
    Declined,      // nothing done and nothing left behind; take the whole-song road
    Made,          // the ringtone is written
    EncodeFailed,  // the encode failed; the excerpt and the ringtone are deleted
};

// Makes the ringtone of the MP3 song songFile from start (-1 automatic) for length
// seconds, choosing the range as the whole-song road does. The bar moves toward 40 while
// the excerpt is decoded and on toward 100 while it is encoded; Cancel passes through as
// the cancellation exception after the excerpt and the ringtone have been deleted.
ExcerptRoadResult MakeMp3RingtoneFromExcerpt(MP3Handler& handler, const std::string& songFile,
                                             std::int32_t start, std::int32_t length);
