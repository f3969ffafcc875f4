#include "frontend/status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/settings.h"

using namespace frontend;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

namespace {

template <typename Print>
std::string Printed(Print print) {
    CaptureStderr();
    print();
    return GetCapturedStderr();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Character classes of a shape: 'd' a digit, 'D' a digit or blank, anything else itself.
bool HasShape(const std::string& text, const std::string& shape) {
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        const bool ok = shape[i] == 'd'   ? digit
                        : shape[i] == 'D' ? digit || c == ' '
                                          : c == shape[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The three shapes of a time field, with its trailing character.
bool IsTimeField(const std::string& field, char trailing) {
    const std::string t(1, trailing);
    return HasShape(field, "   Dd:dd" + t) || HasShape(field, "Dd:dd:dd" + t) ||
           HasShape(field, "DDDDDd h" + t);
}

// kbps, "[count]", a bar of '%' then '*', blanks to the end.
bool IsBarLine(const std::string& line) {
    std::size_t at = line.find("] ");
    if (!HasShape(line.substr(0, 5), "DDd [") || at == std::string::npos) {
        return false;
    }
    for (at += 2; at < line.size() && line[at] == '%';) {
        ++at;
    }
    for (; at < line.size() && line[at] == '*';) {
        ++at;
    }
    return line.find_first_not_of(' ', at) == std::string::npos;
}

TEST(StatusFormats, TimeFieldsSpeedAndPercentMatchTheTable) {
    struct TimeCase {
        double seconds;
        char trailing;
        const char* text;
    } times[] = {
        {3725, '/', " 1:02:05/"}, {59, '|', "    0:59|"},     {360000, ' ', "   100 h "},
        {0, '|', "    0:00|"},    {59.99, '/', "    0:59/"},  {-3, '|', "    0:00|"},
        {3599, ' ', "   59:59 "}, {359999, '|', "99:59:59|"}, {1e12, '|', "1193046 h|"},
    };
    for (const auto& t : times) {
        SCOPED_TRACE(t.seconds);
        EXPECT_EQ(FormatTimeField(t.seconds, t.trailing), t.text);
    }
    EXPECT_EQ(Printed([] { PrintTimeField(3725, '|'); }), " 1:02:05|");

    struct SpeedCase {
        double speed;
        const char* text;
    } speeds[] = {
        {0.5, "   0.5000x|"}, {12.25, "   12.250x|"}, {1.0, "   1.0000x|"},
        {0.0, "   0.0000x|"}, {1.5, "   1.5000x|"},   {123456.0, "1.2346e+05x|"},
    };
    for (const auto& s : speeds) {
        SCOPED_TRACE(s.speed);
        EXPECT_EQ(FormatSpeedIndex(s.speed), s.text);
    }
}

TEST(StatusTable, FrameZeroPrintsTheHeaderOnceThenTheCountingLine) {
    Printed([] { ShowTimeStatus(44100, 1, 200, 1152); });  // clears the header flag
    const std::string header = Printed([] { ShowTimeStatus(44100, 0, 200, 1152); });
    EXPECT_EQ(header,
              "\r    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA \n"
              "     0/       ( 0%)|    0:00/     :  |    0:00/     :  |         x|     :  \r");
    struct Case {
        int frame;
        int total;
        const char* start;
    } cases[] = {
        {0, 200, "\r     0/200    ( 0%)|"},         {50, 200, "\r    50/200    (25%)|"},
        {198, 200, "\r   198/200    (99%)|"},       {199, 200, "\r   199/200   (100%)|"},
        {200, 200, "\r   200/200   (100%)|"},       {300, 200, "\r   300/300   (100%)|"},
        {123456, 999999, "\r123456/999999 (12%)|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        const std::string line = Printed([&] { ShowTimeStatus(44100, c.frame, c.total, 1152); });
        ASSERT_EQ(line.substr(0, std::strlen(c.start)), c.start);
        // The time fields follow the clocks; their shape does not.
        const std::string rest = line.substr(std::strlen(c.start));
        EXPECT_TRUE(IsTimeField(rest.substr(0, 9), '/')) << line;
        EXPECT_TRUE(IsTimeField(rest.substr(9, 9), '|')) << line;
        EXPECT_TRUE(IsTimeField(rest.substr(18, 9), '/')) << line;
        EXPECT_TRUE(IsTimeField(rest.substr(27, 9), '|')) << line;
        // The speed may outgrow its 9 columns when the clocks barely moved.
        const std::size_t speedEnd = rest.find("x|", 36);
        ASSERT_NE(speedEnd, std::string::npos) << line;
        EXPECT_EQ(rest.substr(36, speedEnd + 2 - 36),
                  FormatSpeedIndex(std::stod(rest.substr(36, speedEnd - 36))))
            << line;
        EXPECT_TRUE(IsTimeField(rest.substr(speedEnd + 2), ' ')) << line;
    }
    EXPECT_EQ(Printed([] { FinishTimeStatus(); }), "\n");
}

TEST(DecoderLine, ShowsFrameBitrateAndJointStereoModesAgainstThePreviousFrame) {
    mp3data_struct info{};
    info.framenum = 5;
    info.totalframes = 100;
    info.bitrate = 128;
    info.mode = 0;
    const std::string tail = "        \b\b\b\b\b\b\b\b";
    EXPECT_EQ(Printed([&] { ShowDecoderProgress(nullptr, info); }),
              "\rFrame#     5/100    128 kbps         " + tail);
    struct Case {
        int modeExt;
        const char* text;
    } cases[] = {
        {2, "  LMSR   "}, {3, "   MS   i"}, {3, "   MS   I"},
        {1, "  LMSR  I"}, {0, "  L  R  i"}, {0, "  L  R   "},
    };
    info.mode = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        info.mode_ext = c.modeExt;
        EXPECT_EQ(Printed([&] { ShowDecoderProgress(nullptr, info); }),
                  std::string("\rFrame#     5/100    128 kbps") + c.text + tail);
    }
    EXPECT_EQ(Printed([] { FinishDecoderProgress(); }), "\n");
}

class Histogram : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettingsToProcessStart();
        gfp_ = lame_init();
    }
    void TearDown() override {
        lame_close(gfp_);
        ResetSettingsToProcessStart();
    }
    // Encodes seconds of a tone whose loudness varies, so VBR uses several bitrates.
    void Encode(int seconds) {
        const int n = seconds * lame_get_in_samplerate(gfp_);
        std::vector<short> left(static_cast<std::size_t>(n));
        std::vector<short> right(left.size());
        for (int i = 0; i < n; ++i) {
            const double loud = (i / 4410) % 3 == 0 ? 14000 : 300;
            left[static_cast<std::size_t>(i)] = static_cast<short>(loud * std::sin(i * 0.07));
            right[static_cast<std::size_t>(i)] =
                static_cast<short>(loud * std::sin(i * 0.031 + (i % 7)));
        }
        std::vector<unsigned char> mp3(static_cast<std::size_t>(n) * 2 + 7200);
        ASSERT_GE(lame_encode_buffer(gfp_, left.data(), right.data(), n, mp3.data(),
                                     static_cast<int>(mp3.size())),
                  0);
    }
    lame_global_flags* gfp_ = nullptr;
};

TEST_F(Histogram, InitRefusesOnlyABoundMissingFromTheBitrateTable) {
    ASSERT_EQ(lame_init_params(gfp_), 0);
    EXPECT_EQ(Printed([&] { EXPECT_EQ(InitHistogramDisplay(gfp_, 128, 128), 0); }), "");
    EXPECT_EQ(Printed([&] { EXPECT_EQ(InitHistogramDisplay(gfp_, 0, 0), 0); }), "")
        << "a constant bitrate names no bounds";
    EXPECT_EQ(Printed([&] { EXPECT_EQ(InitHistogramDisplay(gfp_, 33, 320), -1); }),
              "lame internal error: VBR min 33 kbps or VBR max 320 kbps not allowed.\n");
    EXPECT_EQ(Printed([&] { EXPECT_EQ(InitHistogramDisplay(gfp_, 32, 330), -1); }),
              "lame internal error: VBR min 32 kbps or VBR max 330 kbps not allowed.\n");
}

TEST_F(Histogram, DrawsOneBarPerBitrateOfTheVbrRangeAndFullWidthLines) {
    lame_set_VBR(gfp_, vbr_default);
    lame_set_num_samples(gfp_, 44100 * 12);  // more to come than is encoded below
    ASSERT_EQ(lame_init_params(gfp_), 0);
    ASSERT_EQ(InitHistogramDisplay(gfp_, lame_get_VBR_min_bitrate_kbps(gfp_),
                                   lame_get_VBR_max_bitrate_kbps(gfp_)),
              0);
    Encode(6);
    const std::string drawing = Printed([&] { ShowBitrateHistogram(gfp_); });
    ASSERT_FALSE(drawing.empty());
    EXPECT_EQ(drawing.front(), '\n');
    EXPECT_EQ(drawing.back(), '\r');
    const std::vector<std::string> lines = Lines(drawing.substr(1, drawing.size() - 2));
    ASSERT_EQ(lines.size(), 14u + 3u) << drawing;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 79u) << '"' << line << '"';
    }
    EXPECT_EQ(lines[0].substr(0, 4), " 32 ");
    EXPECT_EQ(lines[13].substr(0, 4), "320 ");
    for (int i = 0; i < 14; ++i) {
        EXPECT_TRUE(IsBarLine(lines[i])) << lines[i];
    }
    // Frames remain: the time left sits inside the bar of '-'.
    const std::size_t time = lines[14].find_first_not_of('-');
    ASSERT_NE(time, std::string::npos) << lines[14];
    EXPECT_TRUE(HasShape(lines[14].substr(time, 5), "dd:dd")) << lines[14];
    EXPECT_EQ(lines[14].find_first_not_of('-', time + 5), std::string::npos) << lines[14];
    EXPECT_EQ(lines[15].substr(0, 12), "   kbps     ");
    // The average, then at least one stereo and one block share, each "%5.1f".
    EXPECT_TRUE(HasShape(lines[16].substr(0, 18), "  DDd.d      DDd.d")) << lines[16];
    // One value under every head, after the average.
    std::stringstream heads(lines[15].substr(12));
    std::stringstream values(lines[16]);
    int headCount = 0;
    int valueCount = 0;
    for (std::string word; heads >> word;) {
        headCount += word != "%";
    }
    for (std::string word; values >> word;) {
        ++valueCount;
    }
    EXPECT_EQ(valueCount, headCount + 1) << lines[15] << '\n' << lines[16];
}

TEST_F(Histogram, AFinishedConstantBitrateMonoEncodeShowsAFullBarAndTheMonoShare) {
    lame_set_num_channels(gfp_, 1);
    lame_set_mode(gfp_, MONO);
    lame_set_num_samples(gfp_, 2 * 44100);
    ASSERT_EQ(lame_init_params(gfp_), 0);
    ASSERT_EQ(InitHistogramDisplay(gfp_, 0, 0), 0);
    Encode(2);
    unsigned char rest[8192];
    ASSERT_GE(lame_encode_flush(gfp_, rest, sizeof rest), 0);
    const std::vector<std::string> lines =
        Lines(Printed([&] { ShowBitrateHistogram(gfp_); }).substr(1));
    ASSERT_EQ(lines.size(), 3u) << "one bitrate and no VBR range: no bars";
    EXPECT_EQ(lines[0], std::string(79, '-'));
    EXPECT_EQ(lines[1].substr(0, 18), "   kbps       mono");
    char values[64];
    std::snprintf(values, sizeof values, "  %5.1f      100.0",
                  static_cast<double>(lame_get_brate(gfp_)));
    EXPECT_EQ(lines[2].substr(0, std::strlen(values)), values);
}

TEST_F(Histogram, EncoderUpdatesAreQuietAboveZeroAndSpacedByTheInterval) {
    ASSERT_EQ(lame_init_params(gfp_), 0);
    settings.quietLevel = 1;
    EXPECT_EQ(Printed([&] { ShowEncoderProgress(gfp_); }), "");
    settings.quietLevel = 0;
    settings.statusInterval = 1000;
    settings.showBitrateHistogram = 0;
    Printed([] { ShowTimeStatus(44100, 1, 2, 1152); });
    EXPECT_NE(Printed([&] { ShowEncoderProgress(gfp_); }), "") << "frame 0 always shows";
    Encode(1);
    ASSERT_GT(lame_get_frameNum(gfp_), 9);
    EXPECT_EQ(Printed([&] { ShowEncoderProgress(gfp_); }), "") << "within the interval";
    settings.statusInterval = 0.0f;
    EXPECT_NE(Printed([&] { ShowEncoderProgress(gfp_); }), "");
}

TEST(CursorBack, PrintsNothingWhenStandardErrorIsNotATerminal) {
    EXPECT_EQ(Printed([] { HistogramCursorBack(); }), "");
    EXPECT_EQ(Printed([] { FlushStatus(); }), "");
}

}  // namespace
