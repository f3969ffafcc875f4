#pragma once
// The ringtone pipeline and command-line mode: from a chosen song to the finished ringtone
// beside it. No Qt here, so command-line mode also runs where there is no display at all.

#include <cstdint>
#include <memory>
#include <string>

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
    void MakeRingtone();

    // Command-line mode: makes the ringtone of songPath beside it with the automatic start
    // and 30 seconds, reports the outcome and ends the process with status 1.
    [[noreturn]] void RunCommandLine(std::string songPath);

    // Deletes a temporary WAVE file left by an interrupted run. Runs when the pipeline
    // (the main window) is destroyed and when the process ends through
    // platform::ExitProcess.
    void FormDestroy();

    std::string songFile;
    bool tempWavePending = false;
    std::string tempWaveFile;
    std::int32_t startSeconds = 0;
    std::int32_t lengthSeconds = 0;
    std::unique_ptr<MP3Handler> mp3Handler;
    // False sends MP3 songs down the whole-song road only (the tests compare the roads).
    bool excerptRoad = true;

private:
    void MarkTempWavePending(const std::string& name);
    void DeletePendingTempWave();

    // The pending file's absolute path: the name above is relative to the song's folder in
    // command-line mode, and the clean-up may run after the folder was left.
    std::string tempWavePath_;
    int exitHook_ = 0;
};

// The text shown for anything that is not one of our own errors.
extern const char* const kUnknownErrorText;
