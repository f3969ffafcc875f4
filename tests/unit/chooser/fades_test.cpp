// Fades on the snippet's own samples, for every layout a WAVE song can bring into its
// ringtone: a tone faded in and out is silent where it starts and ends, more than 40 dB
// quieter in its first and last 10 ms, and byte for byte the same in between.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "chooser/Fades.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

constexpr std::uint32_t kRate = 8000;

struct Layout {
    const char* name;
    std::uint16_t tag;  // 1 PCM, 3 float, 0xFFFE extensible
    std::uint16_t subFormat;
    unsigned bytes;      // per sample
    unsigned validBits;  // significant bits of an integer sample
    std::uint16_t channels;
};

bool IsFloat(const Layout& l) { return l.tag == 3 || (l.tag == 0xFFFE && l.subFormat == 3); }

// The fmt body of the layout: 16 bytes, or 40 with the extensible header's tail.
Bytes FmtFor(const Layout& l) {
    Bytes fmt = FmtBody(l.tag, l.channels, kRate, static_cast<std::uint16_t>(8 * l.bytes));
    // FmtBody derives block and byte rate from the bits; containers are what count here.
    const std::uint16_t block = static_cast<std::uint16_t>(l.bytes * l.channels);
    fmt[8] = fmt[9] = fmt[10] = fmt[11] = 0;
    const std::uint32_t byteRate = kRate * block;
    for (int i = 0; i < 4; ++i)
        fmt[8 + i] = static_cast<std::uint8_t>(byteRate >> (8 * i));
    fmt[12] = static_cast<std::uint8_t>(block);
    fmt[13] = static_cast<std::uint8_t>(block >> 8);
    if (l.tag == 1) {
        fmt[14] = static_cast<std::uint8_t>(l.validBits);
    }
    if (l.tag == 0xFFFE) {
        AppendLE16(fmt, 22);
        AppendLE16(fmt, static_cast<std::uint16_t>(l.validBits));
        AppendLE32(fmt, l.channels == 1 ? 0x4 : 0x3);
        AppendLE16(fmt, l.subFormat);
        const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), tail, tail + 14);
    }
    return fmt;
}

void PutSample(const Layout& l, double v, Bytes& out) {
    if (IsFloat(l)) {
        if (l.bytes == 4) {
            float f = static_cast<float>(v);
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            AppendLE32(out, bits);
        } else {
            std::uint64_t bits;
            std::memcpy(&bits, &v, 8);
            AppendLE32(out, static_cast<std::uint32_t>(bits));
            AppendLE32(out, static_cast<std::uint32_t>(bits >> 32));
        }
        return;
    }
    const unsigned shift = 8 * l.bytes - l.validBits;
    std::int64_t s =
        std::llround(v * static_cast<double>((std::int64_t{1} << (l.validBits - 1)) - 1));
    s *= std::int64_t{1} << shift;
    if (l.bytes == 1) {
        s += 128;
    }
    for (unsigned b = 0; b < l.bytes; ++b) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(s) >> (8 * b)));
    }
}

double GetSample(const Layout& l, const std::uint8_t* p) {
    if (IsFloat(l)) {
        if (l.bytes == 4) {
            float f;
            std::memcpy(&f, p, 4);
            return f;
        }
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    std::int64_t raw = 0;
    for (unsigned b = 0; b < l.bytes; ++b)
        raw |= std::int64_t{p[b]} << (8 * b);
    if (l.bytes == 1)
        return static_cast<double>(raw - 128) / 128.0;
    if (raw & (std::int64_t{1} << (8 * l.bytes - 1)))
        raw -= std::int64_t{1} << (8 * l.bytes);
    return static_cast<double>(raw) / static_cast<double>(std::int64_t{1} << (8 * l.bytes - 1));
}

// A 440 Hz tone at -6 dB (each channel a little out of phase) as the layout's samples.
Bytes Tone(const Layout& l, double seconds) {
    Bytes pcm;
    const auto frames = static_cast<int>(seconds * kRate);
    for (int i = 0; i < frames; ++i) {
        for (unsigned c = 0; c < l.channels; ++c) {
            PutSample(l, 0.5 * std::sin(2 * M_PI * 440 * i / kRate + c), pcm);
        }
    }
    return pcm;
}

double Rms(const Layout& l, const Bytes& pcm, std::size_t firstFrame, std::size_t frames) {
    const std::size_t block = l.bytes * l.channels;
    double sum = 0;
    for (std::size_t i = firstFrame * block; i < (firstFrame + frames) * block; i += l.bytes) {
        const double v = GetSample(l, pcm.data() + i);
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(frames * l.channels));
}

const Layout kLayouts[] = {
    {"8-bit mono", 1, 0, 1, 8, 1},
    {"8-bit stereo", 1, 0, 1, 8, 2},
    {"16-bit mono", 1, 0, 2, 16, 1},
    {"16-bit stereo", 1, 0, 2, 16, 2},
    {"24-bit mono", 1, 0, 3, 24, 1},
    {"24-bit stereo", 1, 0, 3, 24, 2},
    {"32-bit mono", 1, 0, 4, 32, 1},
    {"32-bit stereo", 1, 0, 4, 32, 2},
    {"float mono", 3, 0, 4, 0, 1},
    {"float stereo", 3, 0, 4, 0, 2},
    {"double mono", 3, 0, 8, 0, 1},
    {"double stereo", 3, 0, 8, 0, 2},
    {"16-bit 6 channels", 1, 0, 2, 16, 6},
    {"extensible 16-bit", 0xFFFE, 1, 2, 16, 2},
    {"extensible 24 in 32 bits", 0xFFFE, 1, 4, 24, 2},
    {"extensible float", 0xFFFE, 3, 4, 0, 2},
};

}  // namespace

TEST(Fades, EveryPlainLayoutFadesInAndOutAndKeepsTheMiddleByteForByte) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        TempDir dir;
        const Bytes pcm = Tone(l, 3.0);
        const Bytes song =
            RiffBuilder().chunk("fmt ", FmtFor(l)).chunk("LIST", Bytes(7, 'x')).data(pcm).build();
        const std::size_t header = song.size() - pcm.size();
        ASSERT_TRUE(WriteFileBytes(dir / "snippet.wav", song));
        EXPECT_EQ(chooser::WhyFadesCannotApply(dir / "snippet.wav"), "");

        std::string why;
        ASSERT_TRUE(chooser::ApplyFades(dir / "snippet.wav", {1.0, 0.5}, why)) << why;
        const Bytes faded = ReadFileBytes(dir / "snippet.wav");
        ASSERT_EQ(faded.size(), song.size());
        EXPECT_TRUE(
            std::equal(song.begin(), song.begin() + static_cast<long>(header), faded.begin()))
            << "the header is left as it was";
        const Bytes out(faded.begin() + static_cast<long>(header), faded.end());
        const std::size_t block = l.bytes * l.channels;
        const std::size_t frames = pcm.size() / block;
        const std::size_t tenMs = kRate / 100;

        EXPECT_EQ(GetSample(l, out.data()), 0.0) << "a fade in starts at silence";
        EXPECT_EQ(GetSample(l, out.data() + out.size() - l.bytes), 0.0) << "a fade out ends in it";
        EXPECT_LT(Rms(l, out, 0, tenMs), Rms(l, pcm, 0, tenMs) / 100) << "40 dB quieter";
        EXPECT_LT(Rms(l, out, frames - tenMs, tenMs), Rms(l, pcm, frames - tenMs, tenMs) / 100);
        // Half-way through the fade in the tone is at half level.
        EXPECT_NEAR(Rms(l, out, kRate / 2 - 40, 80) / Rms(l, pcm, kRate / 2 - 40, 80), 0.5, 0.05);
        const std::size_t inEnd = kRate * block;
        const std::size_t outBegin = (frames - kRate / 2) * block;
        EXPECT_TRUE(std::equal(pcm.begin() + static_cast<long>(inEnd),
                               pcm.begin() + static_cast<long>(outBegin),
                               out.begin() + static_cast<long>(inEnd)))
            << "the middle is untouched";
        if (!IsFloat(l) && l.validBits < 8 * l.bytes) {
            const std::uint8_t lowBits =
                static_cast<std::uint8_t>((1u << (8 * l.bytes - l.validBits)) - 1);
            bool clean = true;
            for (std::size_t i = 0; i < out.size(); i += l.bytes)
                clean = clean && (out[i] & lowBits) == 0;
            EXPECT_TRUE(clean) << "the bits below the valid ones stay 0";
        }
        // Near their ends the fades are close to full level: they are as long as asked.
        const double gainAtNineTenths = 0.5 - 0.5 * std::cos(0.9 * M_PI);
        EXPECT_NEAR(Rms(l, out, kRate * 9 / 10 - 40, 80) / Rms(l, pcm, kRate * 9 / 10 - 40, 80),
                    gainAtNineTenths, 0.01);
        const std::size_t outNineTenths = frames - kRate * 9 / 20;
        EXPECT_NEAR(Rms(l, out, outNineTenths - 40, 80) / Rms(l, pcm, outNineTenths - 40, 80),
                    gainAtNineTenths, 0.01);
    }
}

TEST(Fades, FadesLongerThanTheAudioMeetAndBothApply) {
    const Layout l = {"16-bit stereo", 1, 0, 2, 16, 2};
    TempDir dir;
    const Bytes pcm = Tone(l, 1.0);
    ASSERT_TRUE(WriteFileBytes(dir / "snippet.wav", SimpleWave(2, kRate, 16, pcm)));
    std::string why;
    ASSERT_TRUE(chooser::ApplyFades(dir / "snippet.wav", {5.0, 5.0}, why)) << why;
    const Bytes file = ReadFileBytes(dir / "snippet.wav");
    const Bytes out(file.begin() + 44, file.end());
    ASSERT_EQ(out.size(), pcm.size());
    // Each fade is cut to the second there is: half level each in the middle, a quarter both.
    EXPECT_NEAR(Rms(l, out, kRate / 2 - 40, 80) / Rms(l, pcm, kRate / 2 - 40, 80), 0.25, 0.01);
    EXPECT_EQ(GetSample(l, out.data()), 0.0);
    EXPECT_EQ(GetSample(l, out.data() + out.size() - 2), 0.0);
}

TEST(Fades, FormatsThatCannotBeFadedAreRefusedWithTheReasonAndLeftAlone) {
    auto ext = [](std::uint16_t sub, bool standardTail, std::size_t cut) {
        Bytes fmt = FmtFor({"", 0xFFFE, sub, 2, 16, 2});
        if (!standardTail)
            fmt[30] ^= 0xFF;
        fmt.resize(fmt.size() - cut);
        return fmt;
    };
    struct Case {
        const char* what;
        Bytes fmt;
        const char* why;
    } cases[] = {
        {"IMA ADPCM", FmtBody(0x11, 2, kRate, 4), "compressed (WAVE format 17)"},
        {"MS ADPCM", FmtBody(2, 1, kRate, 4), "compressed (WAVE format 2)"},
        {"A-law", FmtBody(6, 1, kRate, 8), "compressed (WAVE format 6)"},
        {"extensible ADPCM", ext(2, true, 0), "compressed (WAVE format 2)"},
        {"extensible, other GUID", ext(1, false, 0), "sub-format"},
        {"extensible, short", ext(1, true, 24), "incomplete"},
        {"16-bit float", FmtBody(3, 2, kRate, 16), "neither 32 nor 64"},
        {"48-bit samples", FmtFor({"", 1, 0, 6, 48, 1}), "not plain PCM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Bytes song = RiffBuilder().chunk("fmt ", c.fmt).data(CountingBytes(16000)).build();
        ASSERT_TRUE(WriteFileBytes(dir / "song.wav", song));
        const std::string reason = chooser::WhyFadesCannotApply(dir / "song.wav");
        EXPECT_NE(reason.find(c.why), std::string::npos) << reason;
        std::string why;
        EXPECT_FALSE(chooser::ApplyFades(dir / "song.wav", {1.0, 1.0}, why));
        EXPECT_EQ(why, reason);
        EXPECT_EQ(ReadFileBytes(dir / "song.wav"), song);
    }
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", Bytes(100, 'x')));
    EXPECT_NE(chooser::WhyFadesCannotApply(dir / "song.wav").find("header"), std::string::npos);
    EXPECT_NE(chooser::WhyFadesCannotApply(dir / "missing.wav").find("opened"), std::string::npos);
}

TEST(Fades, LengthsAreOffOrHalfASecondToFive) {
    for (double ok : {0.0, 0.5, 1.0, 5.0})
        EXPECT_TRUE(chooser::IsFadeLength(ok)) << ok;
    for (double bad : {0.4, 5.01, -1.0, std::nan("")})
        EXPECT_FALSE(chooser::IsFadeLength(bad)) << bad;
}

TEST(Fades, NeverWriteThroughALinkAtTheSnippetsName) {
    TempDir dir;
    const Bytes song = SimpleWave(1, kRate, 16, ToneSecondsPcm16(2, kRate, 1));
    ASSERT_TRUE(WriteFileBytes(dir / "song.wav", song));
    std::filesystem::create_symlink(dir / "song.wav", dir / "snippet.wav");
    std::string why;
    EXPECT_FALSE(chooser::ApplyFades(dir / "snippet.wav", {1.0, 1.0}, why));
    EXPECT_NE(why.find("could not be opened"), std::string::npos) << why;
    EXPECT_EQ(ReadFileBytes(dir / "song.wav"), song);
}
