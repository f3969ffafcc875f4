#pragma once
// The excerpt road for MP3 songs: the WAVE excerpt the whole-song road would cut from its
// temporary WAVE file, made by decoding only a few frames before the excerpt and the
// excerpt itself. The song's duration comes from a header-only walk over its frames.
//
// The road is taken only for songs it can prove it reproduces byte for byte, whichever
// tool wrote them: a tag frame (Xing, Info or VBRI) with a channel mode of its own, an
// ID3v2 tag with padding or junk behind it, and up to a mebibyte of tags or junk behind
// the last frame (APEv2, Lyrics3, ID3v1, an appended ID3v2 tag, a cut-off frame) are
// decoded exactly as the whole-song road decodes them. Declined, and decoded whole instead:
//  - frames with a CRC: the decoder may drop a frame whose checksum fails, which the walk
//    would have to verify frame by frame;
//  - free format: frame lengths are not in the headers, so only a decode finds them;
//  - a change of version, sample rate or channel mode midway (songs of different rates
//    concatenated): the decoder goes on in a format the WAVE header does not state;
//  - anything between two frames that is not a frame: whether the decoder's resync makes
//    samples of it depends on its bytes, and no cheap check settles that midway;
//  - Layer I and II: the warm-up rules here are Layer III's;
//  - more than a mebibyte behind the last frame, or frames of the stream resuming there;
//  - a bit reservoir reaching back before the first audio frame, a first frame the
//    decoder does not read as the walk does, and a tag frame it decodes as audio;
//  - every song while LAMEOPT is set, whose options can change decoding.
// Its limit: damaged Huffman data that makes the decoder drop a frame ahead of the last
// warm-up frames is invisible to a header walk, and so is one behind the excerpt, which
// makes the song shorter than the walk counts (in the last warm-up frames and the excerpt
// a dropped frame is seen, and the song declined). On such songs the ringtone can differ
// from the whole-song road's: a given start comes out shifted by half a frame to a frame
// (seen in 6 of 48 damaged songs), and the automatic start can move one whole second
// earlier when the dropped frame takes the duration below a whole second (5 of 48).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "excerpt/mpeg_frames.h"

namespace frontend {

class Mp3Excerpt {
public:
    // Walks the song's frames and decodes its first few to learn what the whole-song road
    // delivers. Returns null when the song is declined (see mpeg_frames.h for the shapes of
    // stream accepted; also declined: a first frame the decoder does not read as the walk
    // does, a bit reservoir reaching back before the first audio frame, LAMEOPT set).
    static std::unique_ptr<Mp3Excerpt> Plan(const std::string& songPath);

    // Whole seconds of audio, exactly as the whole-song road's WAVE file gives them.
    std::int32_t DurationSeconds() const { return durationSeconds_; }
    // The walk over the song's frames the plan rests on.
    const MpegFrameWalk& Walk() const { return walk_; }

    // Writes to out the WAVE excerpt of lengthSeconds from second startSeconds (negative:
    // the first sample), byte for byte what WaveFile::WriteSnippet writes from the whole
    // song's WAVE file. Moves the bar from where it stands toward 75 (the decode and the
    // cut of the other road in one step), processes pending
    // window messages after every frame and honours Cancel by raising the cancellation
    // exception. Returns false when the request is outside the song or the decoder did not
    // behave as planned (out then holds a partial excerpt for the caller to discard).
    // out stays open and owned by the caller.
    bool WriteExcerpt(std::FILE* out, std::int32_t startSeconds, std::int32_t lengthSeconds);

    // Sample frames the whole-song road's WAVE file holds when every frame decodes.
    std::int64_t WaveSampleFrames() const { return waveSampleFrames_; }
    // The first frame of the walk whose samples the last WriteExcerpt checked (0: it
    // decoded from the song's start, as the whole-song road does). A frame the decoder
    // drops ahead of it (damaged main data) shifts the whole-song road's samples, and the
    // road cannot see it: its stated limit.
    std::size_t FirstCheckedFrame() const { return checkedFrom_; }
    // One past the last frame the last WriteExcerpt fed the decoder.
    std::size_t EndCheckedFrame() const { return checkedEnd_; }

private:
    Mp3Excerpt() = default;

    std::string path_;
    MpegFrameWalk walk_;
    int tagFrames_ = 0;      // 1 when the decoder reads the first frame as a tag frame
    std::int64_t skip_ = 0;  // samples the whole-song road drops at the start
    std::int64_t waveSampleFrames_ = 0;
    std::int32_t durationSeconds_ = 0;
    std::size_t checkedFrom_ = 0;
    std::size_t checkedEnd_ = 0;
};

// The samples per channel the whole-song road drops at the start of an MP3 song: the
// encoder delay its LAME tag states (encoderDelay, -1 for none) or else the library's own,
// and the decoder's. -1 when the library cannot be set up for channels and sampleRate.
// Creates an encoder for a moment: the library's rule of one decoder or encoder at a time
// applies to it.
std::int64_t WholeSongSkip(int encoderDelay, int channels, int sampleRate);

// The duration in whole seconds of the WAVE file the whole-song road writes for an MPEG
// song whose decoder delivers decodedSamples per channel, of which it skips skip: the same
// integer rules, including the clamp of the data size for very long songs.
std::int32_t DecodedWaveDurationSeconds(std::int64_t decodedSamples, std::int64_t skip,
                                        int sampleRate, int channels);

}  // namespace frontend
