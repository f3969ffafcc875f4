#include "frontend/status.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "frontend/settings.h"
#include "platform/console.h"

namespace frontend {

namespace {

struct TimeRecord {
    double lastReading = 0.0;
    double elapsed = 0.0;
    double estimated = 0.0;
    double speed = 0.0;
};

TimeRecord cpuTime;
TimeRecord realTime;
bool tableHeaderPrinted = false;
int previousModeExt = 0;
double lastEncoderUpdate = 0.0;

constexpr int kBitrates = 14;

struct HistogramDisplay {
    int width = 80;
    int kbps[kBitrates] = {};
    int vbrMinIndex = -1;
    int vbrMaxIndex = -1;
    int linesPrinted = 0;
};

HistogramDisplay display;

__attribute__((format(printf, 2, 3))) void Appendf(std::string& out, const char* format, ...) {
    char piece[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    if (n > 0) {
        out.append(piece, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof piece - 1));
    }
}

void Emit(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Pads the current line of out (the text after its last '\n') with blanks to width.
void PadLine(std::string& out, std::size_t width) {
    const std::size_t start = out.rfind('\n');
    const std::size_t length = start == std::string::npos ? out.size() : out.size() - start - 1;
    if (length < width) {
        out.append(width - length, ' ');
    }
}

int DecimalDigits(long long value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// ceil(part * width / whole), 0 when whole is not positive.
int BarLength(long long part, int width, long long whole) {
    if (whole <= 0 || part <= 0 || width <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<long long>((part * width + whole - 1) / whole, width));
}

double Share(double part, double whole) { return whole > 0 ? 100.0 * part / whole : 0.0; }

void UpdateTimeRecord(TimeRecord& record, double now, bool restart) {
    if (restart) {
        record.lastReading = now;
        record.elapsed = 0.0;
    }
    const double delta = now - record.lastReading;
    record.elapsed += delta > 0 ? delta : 0.0;
    record.lastReading = now;
}

void EstimateTimeRecord(TimeRecord& record, int frameNum, int totalFrames, int frameSize,
                        int sampleRate) {
    if (frameNum > 0 && record.elapsed > 0 && sampleRate > 0) {
        record.estimated = record.elapsed * totalFrames / frameNum;
        record.speed = static_cast<double>(frameNum) * frameSize / (record.elapsed * sampleRate);
    } else {
        record.estimated = 0.0;
        record.speed = 0.0;
    }
}

void AppendProgressBar(std::string& out, const lame_global_flags* gfp, long long frames) {
    const long long total = std::max<long long>(lame_get_totalframes(gfp), frames);
    out += '\n';
    if (total <= 0) {
        PadLine(out, static_cast<std::size_t>(display.width - 1));
        return;
    }
    const int rate = lame_get_out_samplerate(gfp);
    const long long secondsLeft =
        rate < 1 ? 0 : (total - frames) * static_cast<long long>(lame_get_framesize(gfp)) / rate;
    std::string timeText;
    if (secondsLeft < 3600) {
        Appendf(timeText, "%02d:%02d", static_cast<int>(secondsLeft / 60),
                static_cast<int>(secondsLeft % 60));
    } else {
        const long long hours = secondsLeft / 3600;
        Appendf(timeText, "%*lld:%02d:%02d", DecimalDigits(hours), hours,
                static_cast<int>(secondsLeft / 60 % 60), static_cast<int>(secondsLeft % 60));
    }
    if (total == frames) {
        timeText.assign(timeText.size(), '-');
    }
    const int barWidth = display.width - static_cast<int>(timeText.size() + 1);
    const int coded = BarLength(frames, barWidth, total);
    out.append(static_cast<std::size_t>(coded), '-');
    out += timeText;
    out.append(static_cast<std::size_t>(std::max(barWidth - coded, 0)), '-');
    PadLine(out, static_cast<std::size_t>(display.width - 1));
}

}  // namespace

std::string FormatTimeField(double seconds, char trailing) {
    unsigned long t = 0;
    if (seconds >= 4294967295.0) {
        t = 4294967295ul;
    } else if (seconds > 0) {
        t = static_cast<unsigned long>(seconds);
    }
    const unsigned long hours = t / 3600;
    const auto minutes = static_cast<unsigned>(t / 60 % 60);
    const auto secs = static_cast<unsigned>(t % 60);
    std::string out;
    if (hours == 0) {
        Appendf(out, "   %2u:%02u%c", minutes, secs, trailing);
    } else if (hours < 100) {
        Appendf(out, "%2lu:%02u:%02u%c", hours, minutes, secs, trailing);
    } else {
        Appendf(out, "%6lu h%c", hours, trailing);
    }
    return out;
}

void PrintTimeField(double seconds, char trailing) {
    const std::string text = FormatTimeField(seconds, trailing);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string FormatSpeedIndex(double speed) {
    std::string out;
    if (speed <= 1) {
        Appendf(out, "%9.4fx|", speed);
    } else {
        Appendf(out, "%#9.5gx|", speed);
    }
    return out;
}

void ShowTimeStatus(int sampleRate, int frameNum, int totalFrames, int frameSize) {
    if (totalFrames < frameNum) {
        totalFrames = frameNum;
    }
    const bool restart = frameNum == 0;
    UpdateTimeRecord(cpuTime, platform::CpuTimeSeconds(), restart);
    UpdateTimeRecord(realTime, platform::RealTimeSeconds(), restart);
    if (frameNum == 0 && !tableHeaderPrinted) {
        std::fprintf(stderr,
                     "\r    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA "
                     "\n     0/       ( 0%%)|    0:00/     :  |    0:00/     :  |         x|     "
                     ":  \r");
        std::fflush(stderr);
        tableHeaderPrinted = true;
        return;
    }
    if (frameNum > 0) {
        tableHeaderPrinted = false;
    }
    EstimateTimeRecord(cpuTime, frameNum, totalFrames, frameSize, sampleRate);
    EstimateTimeRecord(realTime, frameNum, totalFrames, frameSize, sampleRate);
    const int percent =
        frameNum >= totalFrames ? 100 : static_cast<int>(100.0 * frameNum / totalFrames + 0.5);
    std::string line;
    Appendf(line, "\r%6i/%-6i", frameNum, totalFrames);
    if (percent < 100) {
        Appendf(line, " (%2d%%)|", percent);
    } else {
        Appendf(line, "(%3.3d%%)|", percent);
    }
    line += FormatTimeField(cpuTime.elapsed, '/');
    line += FormatTimeField(cpuTime.estimated, '|');
    line += FormatTimeField(realTime.elapsed, '/');
    line += FormatTimeField(realTime.estimated, '|');
    line += FormatSpeedIndex(cpuTime.speed);
    line += FormatTimeField(realTime.estimated - realTime.elapsed, ' ');
    Emit(line);
}

void FinishTimeStatus() {
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void ShowEncoderProgress(const lame_global_flags* gfp) {
    if (settings.quietLevel > 0) {
        return;
    }
    const int frameNum = lame_get_frameNum(gfp);
    if (frameNum != 0 && frameNum != 9) {
        const double sinceLast = platform::RealTimeSeconds() - lastEncoderUpdate;
        if (sinceLast >= 0 && sinceLast < settings.statusInterval) {
            return;
        }
    }
    HistogramCursorBack();
    ShowTimeStatus(lame_get_out_samplerate(gfp), frameNum, lame_get_totalframes(gfp),
                   lame_get_framesize(gfp));
    if (settings.showBitrateHistogram) {
        ShowBitrateHistogram(gfp);
    }
    lastEncoderUpdate = platform::RealTimeSeconds();
}

void ShowDecoderProgress(const lame_global_flags*, const mp3data_struct& info) {
    std::string line;
    Appendf(line, "\rFrame#%6i/%-6i %3i kbps", info.framenum, info.totalframes, info.bitrate);
    if (info.mode == JOINT_STEREO) {
        const int current = info.mode_ext;
        const int previous = previousModeExt;
        const int midSide = ((current & 2) != 0) + ((previous & 2) != 0);
        const int intensity = ((current & 1) != 0) + ((previous & 1) != 0);
        Appendf(line, "  %s  %c",
                midSide == 2   ? " MS "
                : midSide == 1 ? "LMSR"
                               : "L  R",
                intensity == 2   ? 'I'
                : intensity == 1 ? 'i'
                                 : ' ');
        previousModeExt = current;
    } else {
        line.append(9, ' ');
        previousModeExt = 0;
    }
    line += "        \b\b\b\b\b\b\b\b";
    Emit(line);
}

void FinishDecoderProgress() {
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int InitHistogramDisplay(const lame_global_flags* gfp, int vbrMinKbps, int vbrMaxKbps) {
    display = HistogramDisplay();
    lame_bitrate_kbps(gfp, display.kbps);
    for (int i = 0; i < kBitrates; ++i) {
        if (display.kbps[i] == vbrMinKbps) {
            display.vbrMinIndex = i;
        }
        if (display.kbps[i] == vbrMaxKbps) {
            display.vbrMaxIndex = i;
        }
    }
    // A constant-bitrate encoder reports no bounds (0); only a bound it names must exist.
    if ((vbrMinKbps != 0 && display.vbrMinIndex < 0) ||
        (vbrMaxKbps != 0 && display.vbrMaxIndex < 0)) {
        std::fprintf(stderr,
                     "lame internal error: VBR min %d kbps or VBR max %d kbps not allowed.\n",
                     vbrMinKbps, vbrMaxKbps);
        return -1;
    }
    return 0;
}

void ShowBitrateHistogram(const lame_global_flags* gfp) {
    int counts[kBitrates] = {};
    int stereoByBitrate[kBitrates][4] = {};
    int stereoModes[4] = {};
    int blockTypes[6] = {};
    lame_bitrate_hist(gfp, counts);
    lame_bitrate_stereo_mode_hist(gfp, stereoByBitrate);
    lame_stereo_mode_hist(gfp, stereoModes);
    lame_block_type_hist(gfp, blockTypes);
    display.linesPrinted = 0;

    long long frames = 0;
    long long bitrateSum = 0;
    long long full = 0;
    int bitratesUsed = 0;
    for (int i = 0; i < kBitrates; ++i) {
        frames += counts[i];
        bitrateSum += static_cast<long long>(counts[i]) * display.kbps[i];
        full = std::max<long long>(full, counts[i]);
        bitratesUsed += counts[i] != 0;
    }
    const std::size_t lineWidth = static_cast<std::size_t>(display.width - 1);
    const int digits = DecimalDigits(frames);
    const int barWidth = display.width - (digits + 8);

    std::string out;
    for (int i = 0; i < kBitrates; ++i) {
        const bool inVbrRange = i >= display.vbrMinIndex && i <= display.vbrMaxIndex;
        if (!((counts[i] != 0 && bitratesUsed > 1) || inVbrRange)) {
            continue;
        }
        const int total = BarLength(counts[i], barWidth, full);
        const int leftRight = std::min(BarLength(stereoByBitrate[i][0], barWidth, full), total);
        Appendf(out, "\n%3d [%*i] ", display.kbps[i], digits, counts[i]);
        out.append(static_cast<std::size_t>(leftRight), '%');
        out.append(static_cast<std::size_t>(total - leftRight), '*');
        PadLine(out, lineWidth);
        ++display.linesPrinted;
    }

    const double stereoTotal =
        static_cast<double>(stereoModes[0]) + stereoModes[1] + stereoModes[2] + stereoModes[3];
    const double blockTotal = blockTypes[5];
    const double average = frames > 0 ? static_cast<double>(bitrateSum) / frames : 0.0;
    const double stereoShares[4] = {
        Share(static_cast<double>(frames) - stereoTotal, static_cast<double>(frames)),
        0.0,  // intensity stereo: the encoder has none
        Share(stereoModes[0], stereoTotal),
        Share(stereoModes[2], stereoTotal),
    };
    const double blockShares[4] = {
        Share(blockTypes[0], blockTotal),
        Share(static_cast<double>(blockTypes[1]) + blockTypes[3], blockTotal),
        Share(blockTypes[2], blockTotal),
        Share(blockTypes[4], blockTotal),
    };

    AppendProgressBar(out, gfp, frames);
    ++display.linesPrinted;

    static const char* const kStereoHeads[4] = {"  mono", "   IS ", "   LR ", "   MS "};
    static const char* const kBlockHeads[4] = {" long ", "switch", " short", " mixed"};
    out += "\n   kbps     ";
    for (int i = 0; i < 4; ++i) {
        if (stereoShares[i] > 0) {
            out += kStereoHeads[i];
        }
    }
    out += " %    ";
    for (int i = 0; i < 4; ++i) {
        if (blockShares[i] > 0) {
            out += kBlockHeads[i];
        }
    }
    out += " %";
    PadLine(out, lineWidth);
    Appendf(out, "\n  %5.1f     ", average);
    for (double share : stereoShares) {
        if (share > 0) {
            Appendf(out, " %5.1f", share);
        }
    }
    out += "      ";
    for (double share : blockShares) {
        if (share > 0) {
            Appendf(out, " %5.1f", share);
        }
    }
    PadLine(out, lineWidth);
    display.linesPrinted += 2;
    out += '\r';
    Emit(out);
}

void HistogramCursorBack() {
    if (platform::IsStderrPipe()) {
        return;
    }
    std::fflush(stderr);
    platform::CursorUpLines(display.linesPrinted);
}

void FlushStatus() { std::fflush(stderr); }

}  // namespace frontend
