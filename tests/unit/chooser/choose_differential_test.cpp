// Without fades, chimewick-choose writes the very ringtone the main window's pipeline
// writes for the same song, start and length: one table of songs from several writers
// (our own front end, ffmpeg, sox; MP3 and 8/16/24-bit WAVE) times one of parts, auto,
// typed as seconds and as m:ss, falling back to auto and clipped at the song's end.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/Ringtonepipeline.h"
#include "platform/UserInterface.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

constexpr int kSongSeconds = 45;

bool Ffmpeg(const std::string& out, const std::string& encode, int rate, int channels) {
    return WriteFfmpegChords(out, encode, rate, channels, kSongSeconds);
}

// A sweep tone; sox writes the extensible header beyond 16 bits.
bool Sox(const std::string& out, const std::string& format) {
    return RunShell("sox -n " + format + " '" + out + "' synth " + std::to_string(kSongSeconds) +
                    " sine 300-900");
}

bool OurMp3(const std::string& out, Mp3Options options) {
    options.seconds = kSongSeconds;
    options.varied = true;
    return WriteFileBytes(out, EncodeMp3(options).bytes);
}

struct Song {
    const char* writer;
    const char* name;
    std::function<bool(const std::string&)> write;
};

struct Part {
    const char* start;  // as typed for chimewick-choose
    const char* length;
    std::int32_t startSeconds;  // as the main window hands them to the pipeline
    std::int32_t lengthSeconds;
};

std::string MainWindowRingtone(const std::string& song, const Part& part) {
    RecordingUserInterface ui;
    platform::ScopedUi installed(&ui);
    RingtonePipeline pipeline;
    pipeline.songFile = song;
    pipeline.startSeconds = part.startSeconds;
    pipeline.lengthSeconds = part.lengthSeconds;
    pipeline.MakeRingtone();
    return ui.Texts().empty() ? "" : ui.Texts().back();
}

}  // namespace

TEST(ChooseWithoutFades, WritesTheMainWindowsRingtoneByteForByte) {
    const Song songs[] = {
        {"our front end, stereo 44.1 kHz", "ours.mp3",
         [](const std::string& out) { return OurMp3(out, {}); }},
        {"our front end, mono 22.05 kHz VBR", "ours-vbr.mp3",
         [](const std::string& out) {
             Mp3Options o;
             o.sampleRate = 22050;
             o.channels = 1;
             o.vbrQuality = 4;
             return OurMp3(out, o);
         }},
        {"ffmpeg, 128 kbit/s stereo", "ffmpeg.mp3",
         [](const std::string& out) { return Ffmpeg(out, "-c:a libmp3lame -b:a 128k", 44100, 2); }},
        {"ffmpeg, VBR mono 32 kHz", "ffmpeg-vbr.mp3",
         [](const std::string& out) { return Ffmpeg(out, "-c:a libmp3lame -q:a 5", 32000, 1); }},
        {"ffmpeg, 16-bit stereo WAVE with its LIST chunk", "ffmpeg16.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_s16le", 44100, 2); }},
        {"ffmpeg, 24-bit mono WAVE", "ffmpeg24.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_s24le", 48000, 1); }},
        {"ffmpeg, 8-bit stereo WAVE", "ffmpeg8.wav",
         [](const std::string& out) { return Ffmpeg(out, "-c:a pcm_u8", 22050, 2); }},
        {"sox, 8-bit mono WAVE", "sox8.wav",
         [](const std::string& out) { return Sox(out, "-r 8000 -c 1 -b 8 -e unsigned-integer"); }},
        {"sox, 16-bit stereo WAVE", "sox16.wav",
         [](const std::string& out) { return Sox(out, "-r 44100 -c 2 -b 16"); }},
        {"sox, 24-bit stereo WAVE", "sox24.wav",
         [](const std::string& out) { return Sox(out, "-r 48000 -c 2 -b 24"); }},
    };
    const Part parts[] = {
        {"auto", "30", -1, 30}, {"AUTO", "0:30", -1, 30}, {"0", "10", 0, 10},
        {"0:20", "8", 20, 8},   {"43", "5", 43, 5},       {"30", "40", 30, 40},
        {"1:00", "3", 60, 3},   {"42", "1:00", 42, 60},   {"7", "1", 7, 1},
    };
    const bool haveFfmpeg = HaveTool("ffmpeg");
    const bool haveSox = HaveTool("sox");
    int compared = 0;
    for (const Song& song : songs) {
        const std::string writer = song.writer;
        if ((writer.rfind("ffmpeg", 0) == 0 && !haveFfmpeg) ||
            (writer.rfind("sox", 0) == 0 && !haveSox)) {
            std::printf("skipped (no %s): %s\n", writer.substr(0, writer.find(',')).c_str(),
                        song.writer);
            continue;
        }
        TempDir source;
        ASSERT_TRUE(song.write(source / song.name)) << song.writer;
        const Bytes songBytes = ReadFileBytes(source / song.name);
        for (const Part& part : parts) {
            SCOPED_TRACE(std::string(song.writer) + ", start " + part.start + ", length " +
                         part.length);
            TempDir ours, theirs;
            std::filesystem::copy_file(source / song.name, ours / song.name);
            std::filesystem::copy_file(source / song.name, theirs / song.name);
            const std::string message = MainWindowRingtone(theirs / song.name, part);
            ASSERT_EQ(message, "The ringtone was successfully created!");

            ProcessResult r = RunProcess(ChimewickChoosePath(), {"--start", part.start, "--length",
                                                                 part.length, ours / song.name});
            EXPECT_EQ(r.exitStatus, 0) << r.err;
            EXPECT_EQ(r.out, "Information: " + message + "\n");
            ASSERT_EQ(ours.List(), theirs.List());
            ASSERT_EQ(ours.List().size(), 2u);
            const std::string ringtone =
                ours.List()[0] == song.name ? ours.List()[1] : ours.List()[0];
            EXPECT_TRUE(ReadFileBytes(ours / ringtone) == ReadFileBytes(theirs / ringtone))
                << ringtone << " differs";
            EXPECT_EQ(ReadFileBytes(ours / song.name), songBytes) << "the song is never changed";
            ++compared;
        }
    }
    std::printf("compared %d ringtones\n", compared);
}
