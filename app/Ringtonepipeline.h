#pragma once
// The ringtone pipeline and command-line mode: from a chosen song to the finished ringtone
// beside it. No Qt here, so command-line mode also runs where there is no display at all.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

class MP3Handler;

class RingtonePipeline {
public:
    RingtonePipeline();
    virtual ~RingtonePipeline();
    RingtonePipeline(const RingtonePipeline&) = delete;
    RingtonePipeline& operator=(const RingtonePipeline&) = delete;

    // Makes the ringtone of songFile from startSeconds (-1 automatic) for lengthSeconds.
    // Returns after success (the success message has been shown). Fails by raising
    // platform::Exception with the message for the user; the user's cancellation inside
    // the MP3 conversion passes through unchanged. Must not be re-entered.
    // Every file a run makes has a name of its own (song.mp3_TEMP<six letters>...), created
    // exclusively, so runs on one song never share one; the ringtone is written under
    // such a name and moved into place only when complete. A run that fails or is
    // cancelled removes what it made and leaves an earlier ringtone as it was; a
    // write-protected earlier ringtone is refused, not replaced. An MP3 song is decoded
    // only from shortly before its excerpt when that gives the same ringtone, byte for byte
    // (excerpt/Mp3excerpt.h), and else whole into a temporary WAVE file. A run holds the
    // files it makes (platform::HeldFile) until it deletes or moves them; before it makes
    // any, it deletes the song's temporaries that no run holds, which a killed run left.
    void MakeRingtone();

    // Command-line mode: makes the ringtone of songPath beside it with the automatic start
    // and 30 seconds, reports the outcome and ends the process with status 1.
    [[noreturn]] void RunCommandLine(std::string songPath);

    // Makes the ringtone of songPath beside it with startSeconds and lengthSeconds as they
    // are, working in the song's folder (entered for the run and left again); reports the
    // outcome as command-line mode does. True when the ringtone was made.
    bool MakeRingtoneBeside(const std::string& songPath);

    // Deletes the files of a run that did not end (the temporary WAVE file and the rest).
    // Runs when the pipeline (the main window) is destroyed and when the process ends
    // through platform::ExitProcess, a termination signal in a window system included.
    void FormDestroy();

    std::string songFile;
    bool tempWavePending = false;
    std::string tempWaveFile;
    std::int32_t startSeconds = 0;
    std::int32_t lengthSeconds = 0;
    std::unique_ptr<MP3Handler> mp3Handler;
    // False sends MP3 songs down the whole-song road only (the tests compare the roads).
    bool excerptRoad = true;
    // When set, runs on the snippet of every run, after it is cut and before it is encoded
    // (MP3 songs) or moved into place (WAVE songs); it may change the file in place and
    // fails the run by raising platform::Exception. Empty: the snippet stays as cut.
    std::function<void(const std::string& snippetFile)> snippetStep;

private:
    void MakeRingtoneFiles();
    // The snippet of an MP3 song decoded straight from its excerpt, as a file of this run;
    // empty when the excerpt road declines the song (nothing of it is left then).
    std::string WriteExcerptSnippet(const std::string& stem);
    // The snippet cut from the song's WAVE (for an MP3 song, from the whole song decoded
    // into a temporary WAVE file), as a file of this run; raises the failure.
    std::string WriteWholeSongSnippet(const std::string& stem, bool mp3);
    void MarkTempWavePending(platform::HeldFile file);
    void DeletePendingTempWave();
    // A new file of this run, named stem + unique letters + suffix and held until it is
    // deleted or moved; empty when none could be made.
    std::string CreateRunFile(const std::string& stem, const std::string& suffix);
    // Deletes every file this run made, the temporary WAVE file included.
    void DeleteRunFiles();
    // Moves the finished ringtone from partial to ringtoneFile, or raises the refusal.
    void MoveIntoPlace(const std::string& partial, const std::string& ringtoneFile);

    // Absolute paths: the names above are relative to the song's folder in command-line
    // mode, and the clean-up may run after the folder was left.
    std::string tempWavePath_;
    platform::HeldFile tempWaveHold_;
    struct RunFile {
        std::string path;
        platform::HeldFile hold;
    };
    std::vector<RunFile> runFiles_;
    int exitHook_ = 0;
};

// The text shown for anything that is not one of our own errors.
extern const char* const kUnknownErrorText;
