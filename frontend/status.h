#pragma once
// The front end's progress text on standard error: the encoder's status table and bitrate
// histogram, and the decoder's frame line. The loops call these only at quietLevel 0 or
// below; at the product's quietLevel 10 only InitHistogramDisplay runs, and prints nothing.
// All state is process-wide; clocks come from the platform layer.

#include <lame/lame.h>

#include <string>

namespace frontend {

// One update of the encoder's status table: frame counter, CPU and real time with their
// estimates, speed and time left. Frame 0 restarts the clocks and prints the table's
// header the first time; a negative clock step counts as no time.
void ShowTimeStatus(int sampleRate, int frameNum, int totalFrames, int frameSize);
// Ends the status table: a line break, then a flush.
void FinishTimeStatus();
// The encode loop's timed update (with --disptime): table and histogram at most once per
// statusInterval, and always at frames 0 and 9. Nothing when quietLevel is above 0.
void ShowEncoderProgress(const lame_global_flags* gfp);

// The decoder's one-line frame counter for info (the MPEG input's description), with the
// joint-stereo mode of the frame against the previous one.
void ShowDecoderProgress(const lame_global_flags* gfp, const mp3data_struct& info);
// Ends the decoder's line.
void FinishDecoderProgress();

// Prepares the histogram for gfp's bitrate table. A non-zero VBR bound that is not in the
// table prints "lame internal error: ..." and returns -1 (the caller then draws no
// histogram); 0 means no bound. Returns 0 otherwise.
int InitHistogramDisplay(const lame_global_flags* gfp, int vbrMinKbps, int vbrMaxKbps);
// Draws the bitrate histogram, the progress bar and the statistics below the status table.
void ShowBitrateHistogram(const lame_global_flags* gfp);
// Moves the cursor back to the top of the last drawing when standard error is a terminal;
// nothing when it is a pipe or a file.
void HistogramCursorBack();
// Flushes the status output; prints nothing.
void FlushStatus();

// A time field of the table: whole seconds (negative counts as 0) as "   m:ss", "hh:mm:ss"
// or "     h h", followed by trailing.
std::string FormatTimeField(double seconds, char trailing);
void PrintTimeField(double seconds, char trailing);
// The table's speed column: "%9.4fx|" up to 1, "%#9.5gx|" above.
std::string FormatSpeedIndex(double speed);

}  // namespace frontend
