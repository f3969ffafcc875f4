#include "frontend/decodermain.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "frontend/FatalInputError.h"
#include "frontend/get_audio.h"
#include "frontend/options.h"
#include "frontend/settings.h"
#include "frontend/status.h"
#include "frontend/wave_output.h"
#include "platform/Exception.h"
#include "platform/Progress.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "platform/process.h"

namespace frontend {

namespace {

constexpr int kNogapCapacity = 200;
constexpr int kMp3BufferSize = 16384;
constexpr int kLayer12DecoderDelay = 241;

void CloseOutput(std::FILE*& out) {
    if (out) {
        CloseOutputStream(out);
        out = nullptr;
    }
}

// Closes the output and reports whether everything written reached the file.
bool CloseOutputChecked(std::FILE*& out) {
    if (!out) {
        return true;
    }
    bool ok = !std::ferror(out);
    ok = CloseOutputStream(out) == 0 && ok;
    out = nullptr;
    return ok;
}

// The user confirmed Cancel: both files are closed before the work stops.
[[noreturn]] void StopForCancel(std::FILE*& out) {
    CloseOutput(out);
    ReleaseAudioInput();
    throw platform::Exception(platform::kCancelledByUser);
}

// After every frame: the bar, the window system's pending messages, then the cancel test.
void AfterFrame(const platform::ProgressStage& stage, double done, double expected,
                std::FILE*& out) {
    if (stage.Step(done, expected)) {
        StopForCancel(out);
    }
}

// The user's skip comes from the command line: added to the decoder's own delay it must
// stay a count of samples to drop, never negative (which would read before the frame) and
// within 32 bits.
int BoundedSkip(long long samples) {
    return static_cast<int>(std::clamp<long long>(samples, 0, INT_MAX));
}

const char* ShownPath(const std::string& path, const char* standardStream) {
    return path == "-" ? standardStream : path.c_str();
}

const char* MpegVersionSuffix(lame_global_flags* gfp) {
    return lame_get_out_samplerate(gfp) < 16000 ? ".5" : "";
}

// Owns what one run opens, so every way out of FrontEndMain releases it.
struct RunResources {
    lame_global_flags* gfp = nullptr;
    std::FILE* out = nullptr;
    ~RunResources() {
        CloseOutput(out);
        ReleaseAudioInput();
        if (gfp) {
            lame_close(gfp);
        }
    }
};

void CopyLimited(std::string& into, const std::string& from, std::size_t limit) {
    into = from.substr(0, std::min(from.size(), limit));
}

}  // namespace

int DecodeToWave(lame_global_flags* gfp, std::FILE*& out, int skip, const std::string& inPath,
                 const std::string& outPath) {
    const int channels = lame_get_num_channels(gfp);
    const bool talk = settings.quietLevel < kQuietLevelSilent;
    if (talk) {
        std::fprintf(stderr, "\rinput:  %s%s(%g kHz, %i channel%s, ", ShownPath(inPath, "<stdin>"),
                     inPath.size() > 26 ? "\n\t" : "  ", lame_get_in_samplerate(gfp) * 0.001,
                     channels, channels != 1 ? "s" : "");
    }
    const char* layer = nullptr;
    switch (settings.inputKind) {
        case InputKind::MpegLayer3:
            layer = "III";
            if (skip == 0) {
                skip = BoundedSkip((settings.inputEncoderDelay > -1 ? settings.inputEncoderDelay
                                                                    : lame_get_encoder_delay(gfp)) +
                                   static_cast<long long>(kLayer3DecoderDelay));
            } else {
                skip = BoundedSkip(static_cast<long long>(skip) + kLayer3DecoderDelay);
            }
            break;
        case InputKind::MpegLayer2:
            layer = "II";
            skip = BoundedSkip(static_cast<long long>(skip) + kLayer12DecoderDelay);
            break;
        case InputKind::MpegLayer1:
            layer = "I";
            skip = BoundedSkip(static_cast<long long>(skip) + kLayer12DecoderDelay);
            break;
        default:
            skip = 0;
            mp3InputInfo.nsamp = lame_get_num_samples(gfp);
            mp3InputInfo.framesize = kFrameSamples;
            if (talk) {
                std::fprintf(stderr, "%s",
                             settings.inputKind == InputKind::Wave   ? "Microsoft WAVE"
                             : settings.inputKind == InputKind::Aiff ? "SGI/Apple AIFF"
                                                                     : "raw PCM data");
            }
            break;
    }
    if (talk && layer) {
        std::fprintf(stderr, "MPEG-%u%s Layer %s", 2 - lame_get_version(gfp),
                     MpegVersionSuffix(gfp), layer);
    }
    if (talk) {
        std::fprintf(stderr, ")\noutput: %s%s(16 bit, Microsoft WAVE)\n",
                     ShownPath(outPath, "<stdout>"), outPath.size() > 45 ? "\n\t" : "  ");
        if (skip > 0) {
            std::fprintf(stderr, "skipping initial %i samples (encoder+decoder delay)\n", skip);
        }
    }
    const int rate = lame_get_in_samplerate(gfp);
    if (!settings.noWaveHeader) {
        WriteWaveHeader(out, 0x7FFFFFFF, rate, channels, 16);
    }

    double written = -skip;
    int skipLeft = skip;
    mp3InputInfo.totalframes =
        mp3InputInfo.framesize > 0
            ? static_cast<int>(mp3InputInfo.nsamp / static_cast<unsigned>(mp3InputInfo.framesize))
            : 0;
    const platform::ProgressStage stage(kDecodeBarEnd);
    const SampleByteOrder order = !settings.noWaveHeader ? SampleByteOrder::LittleEndian
                                  : settings.swapBytes   ? SampleByteOrder::Reversed
                                                         : SampleByteOrder::InOrder;

    short samples[2][kFrameSamples];
    int n;
    do {
        n = ReadAudioFrame16(gfp, samples);
        if (mp3InputInfo.framesize > 0) {
            mp3InputInfo.framenum += n / mp3InputInfo.framesize;
        }
        written += n;
        if (settings.quietLevel <= 0) {
            ShowDecoderProgress(gfp, mp3InputInfo);
        }
        int k = std::min(skipLeft, n);
        skipLeft -= k;
        if (k < n) {
            WriteSampleFrames(out, samples[0], samples[1], k, n, channels, order);
        }
        AfterFrame(stage, mp3InputInfo.framenum, mp3InputInfo.totalframes, out);
    } while (n > 0);

    if (talk && written <= 0) {
        std::fprintf(stderr, "WAVE file contains 0 PCM samples\n");
    } else if (talk && written > kLargestWaveData / (2.0 * channels)) {
        std::fprintf(stderr, "Very huge WAVE file, can't set filesize accordingly\n");
    }
    if (!settings.noWaveHeader && std::fseek(out, 0, SEEK_SET) == 0) {
        WriteWaveHeader(
            out,
            static_cast<int>(DecodedWaveDataBytes(static_cast<std::int64_t>(written), channels)),
            rate, channels, 16);
    }
    bool complete = CloseOutputChecked(out);
    if (settings.quietLevel <= 0) {
        FinishDecoderProgress();
    }
    if (!complete) {
        std::fprintf(stderr, "Error writing WAVE output\n");
        return 1;
    }
    return 0;
}

int EncodeToMp3(lame_global_flags* gfp, std::FILE*& out, bool nogapFollows,
                const std::string& inPath, const std::string& outPath) {
    static const char* const kModeNames[2][4] = {
        {"stereo", "j-stereo", "dual-ch", "single-ch"},
        {"stereo", "force-ms", "dual-ch", "single-ch"},
    };
    if (settings.quietLevel < kQuietLevelSilent) {
        lame_print_config(gfp);
        std::fprintf(stderr, "Encoding %s%s to %s\n", ShownPath(inPath, "<stdin>"),
                     inPath.size() + outPath.size() < 66 ? "" : "\n     ",
                     ShownPath(outPath, "<stdout>"));
        std::fprintf(stderr, "Encoding as %g kHz ", lame_get_out_samplerate(gfp) * 0.001);
        const char* prefix = "";
        switch (lame_get_VBR(gfp)) {
            case vbr_rh:
            case vbr_mtrh:
            case vbr_mt:
                std::fprintf(stderr, "VBR(q=%i)", lame_get_VBR_q(gfp));
                prefix = "ca. ";
                break;
            case vbr_abr:
                std::fprintf(stderr, "average %d kbps", lame_get_VBR_mean_bitrate_kbps(gfp));
                break;
            default:
                std::fprintf(stderr, "%3d kbps", lame_get_brate(gfp));
                break;
        }
        int forceMs = lame_get_force_ms(gfp) ? 1 : 0;
        int mode = lame_get_mode(gfp);
        std::fprintf(stderr, " %s MPEG-%u%s Layer III (%s%gx) qval=%i\n",
                     mode >= 0 && mode < 4 ? kModeNames[forceMs][mode] : "",
                     2 - lame_get_version(gfp), MpegVersionSuffix(gfp), prefix,
                     0.1 * static_cast<int>(10.0 * lame_get_compression_ratio(gfp) + 0.5),
                     lame_get_quality(gfp));
        if (settings.quietLevel <= -10) {
            lame_print_internals(gfp);
        }
        std::fflush(stderr);
    }

    const platform::ProgressStage stage(platform::kBarDone);
    int samples[2][kFrameSamples];
    unsigned char mp3[kMp3BufferSize];
    auto reportEncoderError = [](int code) {
        if (code == -1) {
            std::fprintf(stderr, "mp3 buffer is not big enough... \n");
        } else {
            std::fprintf(stderr, "mp3 internal error:  error code=%i\n", code);
        }
    };
    int n;
    do {
        n = ReadAudioFrame(gfp, samples);
        int frames = lame_get_frameNum(gfp);
        if (settings.quietLevel <= 0) {
            if (settings.statusInterval > 0) {
                ShowEncoderProgress(gfp);
            } else if (frames % 50 == 0) {
                HistogramCursorBack();
                ShowTimeStatus(lame_get_out_samplerate(gfp), frames, lame_get_totalframes(gfp),
                               lame_get_framesize(gfp));
                if (settings.showBitrateHistogram) {
                    ShowBitrateHistogram(gfp);
                }
            }
        }
        int r = lame_encode_buffer_int(gfp, samples[0], samples[1], n, mp3, kMp3BufferSize);
        if (r < 0) {
            reportEncoderError(r);
            return 1;
        }
        if (std::fwrite(mp3, 1, static_cast<std::size_t>(r), out) != static_cast<std::size_t>(r)) {
            std::fprintf(stderr, "Error writing mp3 output \n");
            return 1;
        }
        AfterFrame(stage, frames, lame_get_totalframes(gfp), out);
    } while (n > 0);

    int r = nogapFollows ? lame_encode_flush_nogap(gfp, mp3, kMp3BufferSize)
                         : lame_encode_flush(gfp, mp3, kMp3BufferSize);
    if (r < 0) {
        reportEncoderError(r);
        return 1;
    }
    if (settings.quietLevel <= 0) {
        HistogramCursorBack();
        ShowTimeStatus(lame_get_out_samplerate(gfp), lame_get_frameNum(gfp),
                       lame_get_totalframes(gfp), lame_get_framesize(gfp));
        if (settings.showBitrateHistogram) {
            ShowBitrateHistogram(gfp);
        }
        FlushStatus();
        FinishTimeStatus();
    }
    // A full disk must not pass for a finished file.
    if (std::fwrite(mp3, 1, static_cast<std::size_t>(r), out) != static_cast<std::size_t>(r)) {
        std::fprintf(stderr, "Error writing mp3 output \n");
        return 1;
    }
    return 0;
}

void InitBitrateHistogram(lame_global_flags* gfp) {
    if (settings.showBitrateHistogram) {
        if (InitHistogramDisplay(gfp, lame_get_VBR_min_bitrate_kbps(gfp),
                                 lame_get_VBR_max_bitrate_kbps(gfp)) != 0) {
            settings.showBitrateHistogram = 0;
        }
    } else {
        InitHistogramDisplay(gfp, 128, 128);
    }
}

void PrintTagLeadIn(lame_global_flags* gfp, std::FILE* to) {
    if (lame_get_bWriteVbrTag(gfp)) {
        std::fprintf(to, "Writing LAME Tag...");
    }
}

void PrintTrailingInfo(lame_global_flags* gfp, std::FILE* to) {
    if (lame_get_bWriteVbrTag(gfp)) {
        std::fprintf(to, "done\n");
    }
    if (lame_get_findReplayGain(gfp)) {
        int gain = lame_get_RadioGain(gfp);
        std::fprintf(to, "ReplayGain: %s%.1fdB\n", gain > 0 ? "+" : "", gain * 0.1);
        if (gain > 510 || gain < -510) {
            std::fprintf(
                to,
                "WARNING: ReplayGain exceeds the -51dB to +51dB range. Such a result is too\n"
                "         high to be stored in the header.\n");
        }
    }
    if (settings.reportClipping && lame_get_decode_on_the_fly(gfp)) {
        float change = static_cast<float>(lame_get_noclipGainChange(gfp) * 0.1);
        float scale = lame_get_noclipScale(gfp);
        if (change > 0) {
            std::fprintf(
                to,
                "WARNING: clipping occurs at the current gain. Set your decoder to decrease\n"
                "         the  gain  by  at least %.1fdB or encode again ",
                change);
            if (scale > 0) {
                std::fprintf(to, "using  --scale %.2f\n", scale);
                std::fprintf(to, "         or less (the value under --scale is approximate).\n");
            } else {
                std::fprintf(
                    to,
                    "using --scale <arg>\n"
                    "         (For   a   suggestion  on  the  optimal  value  of  <arg>  encode\n"
                    "         with  --scale 1  first)\n");
            }
        } else if (change > -0.1) {
            std::fprintf(
                to, "\nThe waveform does not clip and is less than 0.1dB away from full scale.\n");
        } else {
            std::fprintf(
                to, "\nThe waveform does not clip and is at least %.1fdB away from full scale.\n",
                -change);
        }
    }
}

std::FILE* OpenFrontEndFiles(lame_global_flags* gfp, const std::string& inPath,
                             const std::string& outPath) {
    // Byte-equal names, and also two names of one existing file ("./a.wav" and "a.wav"):
    // opening the output first would empty the input. "-" is a standard stream, never the
    // file of that name.
    if (outPath != "-" && inPath != "-" &&
        (inPath == outPath || platform::SameFile(inPath, outPath))) {
        std::fprintf(stderr, "Input file and Output file are the same. Abort.\n");
        return nullptr;
    }
    OpenAudioInput(gfp, inPath);
    std::FILE* out = OpenOutputStream(outPath);
    if (!out) {
        std::fprintf(stderr, "Can't init outfile '%s'\n", outPath.c_str());
        ReleaseAudioInput();
    }
    return out;
}

void DeriveNogapOutputPath(bool hasOutputDirectory, const std::string& inPath, std::string& outPath,
                           const std::string& outputDirectory) {
    constexpr char kSeparator = '/';
    outPath = outputDirectory;
    if (!hasOutputDirectory) {
        CopyLimited(outPath, inPath, kDerivedStemLength);
    } else {
        // The platform's own separator: here a backslash or colon is part of a name, and
        // joining with one would put the file beside the folder instead of inside it.
        const std::size_t folder = platform::ExtractFilePath(inPath).size();
        bool found = folder > 0;
        bool endsInSeparator = !outPath.empty() && platform::IsPathSeparator(outPath.back());
        std::string taken;
        if (found && endsInSeparator) {
            taken = inPath.substr(folder);
        } else if (!found && !endsInSeparator) {
            outPath += kSeparator;
            taken = inPath;
        } else {
            taken = found ? inPath.substr(folder - 1) : inPath;
        }
        outPath += taken.substr(0, std::min(taken.size(), kDerivedStemLength));
    }
    if (outPath.size() >= 4 && outPath.compare(outPath.size() - 4, 4, ".wav") == 0) {
        outPath.replace(outPath.size() - 3, 3, "mp3");
    } else {
        outPath += ".mp3";
    }
}

int FrontEndMain(int argc, const char* const* argv) {
    platform::UseAllProcessors();
    std::vector<std::string> nogapPaths(kNogapCapacity);
    int nogapCount = kNogapCapacity;
    bool hasNogapDirectory = false;
    std::string nogapDirectory;
    std::string inPath;
    std::string outPath;
    settings.inputKind = InputKind::Unknown;

    RunResources run;
    run.gfp = lame_init();
    if (!run.gfp) {
        std::fprintf(stderr, "fatal error during initialization\n");
        return 1;
    }
    lame_global_flags* gfp = run.gfp;
    if (argc <= 1) {
        PrintUsage(stderr, argc > 0 && argv[0] ? argv[0] : "");
        return 1;
    }
    // LAMEOPT is read afresh on every run; a text without a file name prints the usage
    // text and fails, which does not stop the run.
    ParseEnvironmentOptions(gfp, std::getenv("LAMEOPT"), inPath, outPath);
    int parsed = ParseArguments(gfp, argc, argv, inPath, outPath, &nogapPaths, &nogapCount);
    if (parsed < 0) {
        return parsed == -2 ? 0 : 1;
    }
    if (settings.statusInterval < 0) {
        settings.statusInterval = 2;
    }
    if (!outPath.empty() && nogapCount > 0) {
        nogapDirectory = outPath.substr(0, std::min(outPath.size(), kPathBufferSize));
        hasNogapDirectory = true;
    }

    try {
        if (nogapCount > 0) {
            DeriveNogapOutputPath(hasNogapDirectory, nogapPaths[0], outPath, nogapDirectory);
            run.out = OpenFrontEndFiles(gfp, nogapPaths[0], outPath);
        } else {
            run.out = OpenFrontEndFiles(gfp, inPath, outPath);
        }
        if (!run.out) {
            return -1;
        }
        int initialised = lame_init_params(gfp);
        if (initialised < 0) {
            if (initialised == -1) {
                PrintBitrateTables(stderr);
            }
            std::fprintf(stderr, "fatal error during initialization\n");
            return initialised;
        }
        if (settings.quietLevel > 0) {
            settings.showBitrateHistogram = 0;
        }

        if (lame_get_decode_only(gfp)) {
            int skip = settings.userDecoderDelaySet ? settings.userDecoderDelay : 0;
            int result = DecodeToWave(gfp, run.out, skip, inPath, outPath);
            CloseAudioInput();
            return result;
        }

        const bool batch = nogapCount > 0;
        const int files = batch ? nogapCount : 1;
        int result = 0;
        for (int i = 0; i < files; ++i) {
            const bool follows = i < files - 1;
            const std::string& input = batch ? nogapPaths[static_cast<std::size_t>(i)] : inPath;
            if (i > 0) {
                DeriveNogapOutputPath(hasNogapDirectory, input, outPath, nogapDirectory);
                run.out = OpenFrontEndFiles(gfp, input, outPath);
                if (!run.out) {
                    return -1;
                }
            }
            InitBitrateHistogram(gfp);
            if (batch) {
                lame_set_nogap_total(gfp, files);
                lame_set_nogap_currentindex(gfp, i);
            }
            result = EncodeToMp3(gfp, run.out, follows, input, outPath);
            // Standard output may be carrying the MP3 itself.
            std::FILE* summaries = outPath == "-" ? stderr : stdout;
            if (settings.quietLevel <= 0) {
                PrintTagLeadIn(gfp, summaries);
            }
            lame_mp3_tags_fid(gfp, run.out);
            if (settings.quietLevel <= 0) {
                PrintTrailingInfo(gfp, summaries);
            }
            if (!CloseOutputChecked(run.out) && result == 0) {
                std::fprintf(stderr, "Error writing mp3 output \n");
                result = 1;
            }
            CloseAudioInput();
            if (follows) {
                lame_init_bitstream(gfp);
            }
        }
        return result;
    } catch (const FatalInputError& fatal) {
        return fatal.status;
    }
}

}  // namespace frontend
