#pragma once
// The pure rules of the ringtone pipeline: which songs are MP3 songs, how the files made
// from a song are named, and which range of the song becomes the ringtone.

#include <cstdint>
#include <string>

// True when the song's file name (after the last separator) ends in ".mp3", any case.
bool IsMp3Song(const std::string& songFile);

// Inserts "_Chimewick_Ringtone" in front of the last four characters of the file name,
// which for a three-letter extension is just before the dot. Only the name after the last
// separator is changed, so the result always lies in the song's own folder.
std::string InsertRingtoneSuffix(const std::string& path);

// The ringtone's path for songFile: InsertRingtoneSuffix, unless that name would be longer
// than nameLimit bytes; then the song's part in front of the last four characters is cut
// short (never inside a UTF-8 character, and never back to the song's own name) so the
// ringtone can exist at all.
std::string RingtoneFileName(const std::string& songFile, std::size_t nameLimit);

// Where every temporary name of a run on songFile begins: the song's name and "_TEMP",
// beside the song. The song's part is cut short (never inside a UTF-8 character) when
// reserve more bytes would not fit in nameLimit, so the names stay recognisable and
// creatable for songs whose names fill the limit.
std::string TemporaryNameStem(const std::string& songFile, std::size_t reserve,
                              std::size_t nameLimit);

// The endings of a run's temporary names behind the unique letters: the whole song decoded
// into a WAVE file, the snippet, and the unfinished MP3 ringtone.
extern const std::string kTempWaveSuffix;
extern const std::string kSnippetSuffix;
extern const std::string kPartialMp3Suffix;

// Where every temporary name of a run on songFile begins in a folder whose names may be
// nameLimit bytes long: TemporaryNameStem with room for the unique letters and the longest
// ending.
std::string RunTemporaryStem(const std::string& songFile, std::size_t nameLimit);

// True when name (a file name alone, in songFile's folder) is one a run on songFile gives a
// temporary file: RunTemporaryStem's name part, exactly platform::kUniqueNameChars ASCII
// letters and digits, then one of the endings above. Never the song's own name or its
// ringtone's, which can look like one when names are long; never for a song without a name.
bool IsRunTemporaryName(const std::string& songFile, const std::string& name,
                        std::size_t nameLimit);

struct RingtoneRange {
    std::int32_t start;
    std::int32_t length;
};

// Turns the requested start (-1 automatic) and length into the range to cut from a song of
// durationSeconds whole seconds: a start in the last two seconds falls back to automatic,
// automatic is a third of the way in less 10 seconds (never below -1), and the length is
// cut so the range ends at least one second before the end.
RingtoneRange ChooseRingtoneRange(std::int32_t durationSeconds, std::int32_t start,
                                  std::int32_t length);
