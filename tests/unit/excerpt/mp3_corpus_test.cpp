// Songs as users have them: written by ffmpeg (libmp3lame and libshine), sox and GStreamer,
// with the tags real libraries write, made at test time. Every one goes through both roads
// for several starts and lengths: the excerpt road must give the whole-song road's bytes,
// and every well-formed song must take it. A table of the road each song took is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "app/Ringtonenames.h"
#include "excerpt/Mp3excerpt.h"
#include "excerpt/mpeg_frames.h"
#include "frontend/Mp3handler.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "wave/Wavefile.h"

using namespace testing_support;

namespace {

// Chords that change every second, a drum every half second, noise and a silent stretch:
// frames of every size and block type, unlike a steady sine.
std::string MusicLike(int seconds, int rate) {
    return "aevalsrc='(0.25*sin(2*PI*(220+55*floor(mod(t,4)))*t)+0.2*sin(2*PI*330*t)"
           "+0.4*lt(mod(t,0.5),0.04)*(random(0)-0.5)+0.05*(random(1)-0.5))*lt(mod(t,9),7)'"
           ":s=" +
           std::to_string(rate) + ":d=" + std::to_string(seconds);
}

bool Ffmpeg(const std::string& out, int seconds, const std::string& encode, int rate = 44100,
            int channels = 2) {
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i \"" + MusicLike(seconds, rate) +
                            "\" -ac " + std::to_string(channels) + " " + encode + " '" + out + "'";
    return RunShell(cmd);
}

Bytes Id3v2(int version, std::size_t pictureBytes, std::size_t padding, bool footer) {
    Bytes frames;
    auto frame = [&](const char* id, const Bytes& body) {
        AppendText(frames, id);
        std::uint32_t n = static_cast<std::uint32_t>(body.size());
        if (version == 4) {  // synchsafe frame sizes
            n = ((n & 0x0FE00000u) << 3) | ((n & 0x001FC000u) << 2) | ((n & 0x3F80u) << 1) |
                (n & 0x7Fu);
        }
        AppendBE32(frames, n);
        AppendBE16(frames, 0);
        frames.insert(frames.end(), body.begin(), body.end());
    };
    frame("TIT2", Bytes{3, 'S', 'o', 'n', 'g'});
    if (pictureBytes > 0) {
        Bytes apic{0};
        AppendText(apic, "image/jpeg");
        apic.push_back(0);
        apic.push_back(3);
        apic.push_back(0);
        std::mt19937 random(7);
        // JPEG data: 0xFF bytes everywhere, so false frame syncs are plenty.
        for (std::size_t i = 0; i < pictureBytes; ++i) {
            apic.push_back(static_cast<std::uint8_t>(i % 50 == 0 ? 0xFF : random()));
        }
        frame("APIC", apic);
    }
    frames.insert(frames.end(), padding, 0);
    const std::uint32_t size = static_cast<std::uint32_t>(frames.size());
    Bytes tag{'I', 'D',
              '3', static_cast<std::uint8_t>(version),
              0,   static_cast<std::uint8_t>(footer ? 0x10 : 0)};
    for (int shift : {21, 14, 7, 0}) {
        tag.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    }
    Bytes whole = tag;
    whole.insert(whole.end(), frames.begin(), frames.end());
    if (footer) {
        Bytes foot = tag;
        foot[0] = '3', foot[1] = 'D', foot[2] = 'I';
        whole.insert(whole.end(), foot.begin(), foot.end());
    }
    return whole;
}

Bytes Id3v1(std::uint8_t genre) {
    Bytes tag(128, 0);
    tag[0] = 'T', tag[1] = 'A', tag[2] = 'G';
    for (int i = 0; i < 10; ++i) {
        tag[3 + i] = static_cast<std::uint8_t>('a' + i);
    }
    tag[127] = genre;
    return tag;
}

Bytes Ape() {
    Bytes items;
    const std::pair<std::string, std::string> kItems[] = {{"REPLAYGAIN_TRACK_GAIN", "-6.20 dB"},
                                                          {"MP3GAIN_MINMAX", "132,210"}};
    for (const auto& [key, value] : kItems) {
        AppendLE32(items, static_cast<std::uint32_t>(value.size()));
        AppendLE32(items, 0);
        AppendText(items, key);
        items.push_back(0);
        AppendText(items, value);
    }
    auto header = [&](std::uint32_t flags) {
        Bytes h;
        AppendText(h, "APETAGEX");
        AppendLE32(h, 2000);
        AppendLE32(h, static_cast<std::uint32_t>(items.size() + 32));
        AppendLE32(h, 2);
        AppendLE32(h, flags);
        h.insert(h.end(), 8, 0);
        return h;
    };
    Bytes tag = header(0xA0000000u);
    tag.insert(tag.end(), items.begin(), items.end());
    Bytes footer = header(0x80000000u);
    tag.insert(tag.end(), footer.begin(), footer.end());
    return tag;
}

Bytes Lyrics3v2() {
    Bytes body;
    AppendText(body, "LYRICSBEGININD0000210LYR00011[00:01]Hello");
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", body.size());
    AppendText(body, size);
    AppendText(body, "LYRICS200");
    return body;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

struct Writer {
    std::string name;
    // Writes the song into the folder as the returned name; empty when its tool is missing.
    std::function<bool(const TempDir&, const std::string&)> write;
    bool wellFormed = true;  // false: the road may decline it, but never differ
};

std::vector<Writer> Corpus() {
    std::vector<Writer> rows;
    auto ff = [&](std::string name, int seconds, std::string encode, int rate = 44100,
                  int channels = 2) {
        rows.push_back({name, [=](const TempDir&, const std::string& out) {
                            return Ffmpeg(out, seconds, encode, rate, channels);
                        }});
    };
    for (int kbps : {32, 64, 128, 192, 320}) {
        ff("ffmpeg CBR " + std::to_string(kbps) + " joint", 12,
           "-c:a libmp3lame -b:a " + std::to_string(kbps) + "k");
    }
    for (int q : {0, 4, 9}) {
        ff("ffmpeg VBR -q:a " + std::to_string(q), 12, "-c:a libmp3lame -q:a " + std::to_string(q));
    }
    ff("ffmpeg ABR 128", 12, "-c:a libmp3lame -abr 1 -b:a 128k");
    ff("ffmpeg CBR plain stereo", 12, "-c:a libmp3lame -b:a 160k -joint_stereo 0");
    ff("ffmpeg mono 64", 12, "-c:a libmp3lame -b:a 64k", 44100, 1);
    for (int rate : {8000, 11025, 16000, 22050, 24000, 32000, 48000}) {
        ff("ffmpeg " + std::to_string(rate) + " Hz stereo", 10,
           "-c:a libmp3lame -b:a " + std::string(rate < 16000 ? "24k" : "64k"), rate);
    }
    ff("ffmpeg 22050 Hz mono VBR", 10, "-c:a libmp3lame -q:a 6", 22050, 1);
    ff("ffmpeg without Info frame", 12, "-c:a libmp3lame -b:a 128k -write_xing 0");
    ff("ffmpeg with ID3v1", 12, "-c:a libmp3lame -b:a 128k -write_id3v1 1");
    ff("ffmpeg no tags at all", 12,
       "-c:a libmp3lame -b:a 128k -id3v2_version 0 -write_id3v1 0 -write_xing 0");
    ff("ffmpeg 1 second", 1, "-c:a libmp3lame -b:a 128k");
    ff("ffmpeg 10 minutes 32k mono", 600, "-c:a libmp3lame -b:a 32k", 22050, 1);
    ff("ffmpeg 20 minutes 8 kHz mono", 1200, "-c:a libmp3lame -b:a 8k", 8000, 1);
    rows.push_back({"our own front end", [](const TempDir& dir, const std::string& out) {
                        return Ffmpeg(dir / "src.wav", 12, "") &&
                               RunProcess(CHIMEWICK_BUILD_DIR "/chimewick-mp3",
                                          {"--silent", "-b", "160", dir / "src.wav", out})
                                       .exitStatus == 0;
                    }});
    rows.push_back({"ffmpeg libshine", [](const TempDir&, const std::string& out) {
                        return Ffmpeg(out, 12, "-c:a libshine -b:a 128k");
                    }});
    rows.push_back({"sox", [](const TempDir& dir, const std::string& out) {
                        return Ffmpeg(dir / "src.wav", 12, "") &&
                               RunShell("sox '" + dir / "src.wav" + "' -C 128 '" + out + "'");
                    }});
    rows.push_back({"sox VBR mono", [](const TempDir& dir, const std::string& out) {
                        return Ffmpeg(dir / "src.wav", 12, "", 32000, 1) &&
                               RunShell("sox '" + dir / "src.wav" + "' -C -4.2 '" + out + "'");
                    }});
    for (const char* encoder : {"lamemp3enc target=bitrate bitrate=128 cbr=true",
                                "lamemp3enc target=quality quality=3"}) {
        rows.push_back({std::string("GStreamer ") +
                            (std::string(encoder).find("cbr") != std::string::npos ? "CBR" : "VBR"),
                        [encoder](const TempDir& dir, const std::string& out) {
                            return Ffmpeg(dir / "src.wav", 12, "") &&
                                   RunShell(
                                       "gst-launch-1.0 -q filesrc location='" + dir / "src.wav" +
                                       "' ! wavparse ! audioconvert ! " + encoder +
                                       " ! xingmux ! id3v2mux ! filesink location='" + out + "'");
                        }});
    }
    // The tags of real libraries, around a plain ffmpeg song.
    auto tagged = [&](std::string name, std::function<Bytes(const Bytes&)> wrap,
                      bool wellFormed = true) {
        rows.push_back(
            {name,
             [wrap](const TempDir& dir, const std::string& out) {
                 if (!Ffmpeg(dir / "plain.mp3", 12, "-c:a libmp3lame -b:a 128k -id3v2_version 0")) {
                     return false;
                 }
                 return WriteFileBytes(out, wrap(ReadFileBytes(dir / "plain.mp3")));
             },
             wellFormed});
    };
    tagged("ID3v2.3, 500 KB picture, padding", [](const Bytes& s) {
        return Concat({Id3v2(3, 500000, 4096, false), s});
    });
    tagged("ID3v2.4 with footer", [](const Bytes& s) {
        return Concat({Id3v2(4, 20000, 0, true), s});
    });
    tagged("APEv2 and ID3v1 at the end", [](const Bytes& s) {
        return Concat({Id3v2(3, 0, 0, false), s, Ape(), Id3v1(255)});
    });
    tagged("Lyrics3v2 and ID3v1", [](const Bytes& s) {
        return Concat({s, Lyrics3v2(), Id3v1(12)});
    });
    tagged("ID3v1 alone, genre 255", [](const Bytes& s) { return Concat({s, Id3v1(255)}); });
    tagged("ID3v2 appended at the end", [](const Bytes& s) {
        return Concat({s, Id3v2(4, 30000, 100, false)});
    });
    tagged("junk at the end", [](const Bytes& s) { return Concat({s, Bytes{'x', 0xFF, 'y', 0}}); });
    tagged("junk between ID3v2 and the first frame", [](const Bytes& s) {
        return Concat({Id3v2(3, 0, 0, false), Bytes(37, 'j'), s});
    });

    // What the road may decline (it must still never differ).
    rows.push_back({"Layer II named .mp3",
                    [](const TempDir&, const std::string& out) {
                        return Ffmpeg(out, 6, "-c:a mp2 -b:a 192k -f mp2");
                    },
                    false});
    rows.push_back({"CRC-protected frames",
                    [](const TempDir&, const std::string& out) {
                        Mp3Options o;
                        o.seconds = 6;
                        o.crc = true;
                        o.varied = true;
                        return WriteFileBytes(out, EncodeMp3(o).bytes);
                    },
                    false});
    rows.push_back({"free format",
                    [](const TempDir&, const std::string& out) {
                        Mp3Options o;
                        o.seconds = 6;
                        o.kbps = 200;
                        o.freeFormat = true;
                        o.varied = true;
                        return WriteFileBytes(out, EncodeMp3(o).bytes);
                    },
                    false});
    rows.push_back({"two sample rates concatenated",
                    [](const TempDir& dir, const std::string& out) {
                        return Ffmpeg(dir / "a.mp3", 6, "-c:a libmp3lame -b:a 128k", 44100) &&
                               Ffmpeg(dir / "b.mp3", 6, "-c:a libmp3lame -b:a 128k", 48000) &&
                               WriteFileBytes(out, Concat({ReadFileBytes(dir / "a.mp3"),
                                                           ReadFileBytes(dir / "b.mp3")}));
                    },
                    false});
    // Its last seconds are what the road cannot foresee; the plan and other starts hold.
    tagged(
        "a cut-off last frame", [](const Bytes& s) { return Bytes(s.begin(), s.end() - 200); },
        false);
    tagged(
        "junk inside the stream",
        [](const Bytes& s) {
            const std::size_t half = s.size() / 2;
            return Concat({Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(half)),
                           Bytes(11, 0x5A),
                           Bytes(s.begin() + static_cast<std::ptrdiff_t>(half), s.end())});
        },
        false);
    return rows;
}

// The excerpt road's WAVE, or nothing when it declines the song or the request.
Bytes ExcerptWave(frontend::Mp3Excerpt& plan, RingtoneRange range, const std::string& at) {
    std::FILE* out = std::fopen(at.c_str(), "w+b");
    const bool written = out && plan.WriteExcerpt(out, range.start, range.length);
    if (out) {
        std::fclose(out);
    }
    return written ? ReadFileBytes(at) : Bytes{};
}

TEST(ExcerptRoadCorpus, SongsOfOtherWritersTakeItAndNeverDiffer) {
    if (!HaveTool("ffmpeg") || !HaveTool("sox") || !HaveTool("gst-launch-1.0")) {
        GTEST_SKIP() << "needs ffmpeg, sox and gst-launch-1.0 (scripts/setup installs them)";
    }
    std::string table = "\nroad     song\n";
    for (const Writer& w : Corpus()) {
        SCOPED_TRACE(w.name);
        TempDir dir;
        const std::string song = dir / "song.mp3";
        ASSERT_TRUE(w.write(dir, song)) << "the song could not be written";
        auto plan = frontend::Mp3Excerpt::Plan(song);
        if (!MP3Handler().Decode(song, dir / "whole.wav")) {
            EXPECT_FALSE(w.wellFormed) << "the whole-song road cannot read it";
            EXPECT_EQ(plan, nullptr) << "the excerpt road takes a song the other cannot read";
            table += "neither  " + w.name + "\n";
            continue;
        }
        WaveFile whole(dir / "whole.wav");
        ASSERT_TRUE(whole.ReadHeader());
        const std::int32_t d = whole.GetDurationSeconds();
        int taken = 0;
        int asked = 0;
        if (plan) {
            EXPECT_EQ(plan->DurationSeconds(), d);
            const std::int32_t requests[][2] = {{-1, 30}, {0, 3}, {d / 2, 4}, {d - 3, 30}};
            for (const auto& request : requests) {
                const RingtoneRange range = ChooseRingtoneRange(d, request[0], request[1]);
                if (range.length <= 0 ||
                    !whole.WriteSnippet(dir / "cut.wav", range.start, range.length)) {
                    continue;
                }
                ++asked;
                const Bytes excerpt = ExcerptWave(*plan, range, dir / "excerpt.wav");
                if (!excerpt.empty()) {
                    ++taken;
                    EXPECT_TRUE(excerpt == ReadFileBytes(dir / "cut.wav"))
                        << "the excerpt from " << range.start << " s for " << range.length
                        << " s differs";
                }
            }
        }
        if (w.wellFormed) {
            EXPECT_TRUE(plan != nullptr) << "declined";
            EXPECT_EQ(taken, asked) << "a request went the whole-song road";
        }
        table += std::string(!plan            ? "whole  "
                             : taken == asked ? "excerpt"
                                              : "partly ") +
                 "  " + w.name + "\n";
    }
    std::printf("%s", table.c_str());
}

// Low bitrates whose bit reservoir reaches further back than the warm-up's frames (loud
// bursts after quiet stretches fill and drain it), at every MPEG version, from every whole
// second: the warm-up must start early enough for each to be the whole-song road's.
TEST(ExcerptRoadCorpus, WarmUpFeedsEveryReservoir) {
    if (!HaveTool("ffmpeg")) {
        GTEST_SKIP() << "needs ffmpeg (scripts/setup installs it)";
    }
    const std::string bursts =
        "aevalsrc='if(lt(mod(t,1),0.5),0.001*sin(2*PI*440*t),random(0)*2-1)':s=44100:d=12";
    struct Case {
        const char* what;
        int rate, channels, kbps;
        std::size_t reachesBack;  // frames, at least
    } cases[] = {
        {"MPEG-1 stereo 32 kbit/s", 44100, 2, 32, 5},
        {"MPEG-1 mono 32 kbit/s", 44100, 1, 32, 5},
        {"MPEG-2 mono 8 kbit/s", 22050, 1, 8, 2},
        {"MPEG-2.5 mono 8 kbit/s", 8000, 1, 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string song = dir / "song.mp3";
        ASSERT_TRUE(RunShell("ffmpeg -v error -y -f lavfi -i \"" + bursts + "\" -ar " +
                             std::to_string(c.rate) + " -ac " + std::to_string(c.channels) +
                             " -c:a libmp3lame -compression_level 0 -b:a " +
                             std::to_string(c.kbps) + "k '" + song + "'"));
        frontend::MpegFrameWalk walk;
        ASSERT_TRUE(frontend::WalkMpegFrames(song, walk));
        std::size_t reach = 0;
        for (std::size_t i = 1; i < walk.frames.size(); ++i) {
            std::size_t k = i;
            for (std::int64_t need = walk.frames[i].mainDataBegin; need > 0 && k > 0;) {
                need -= walk.frames[--k].mainDataBytes;
            }
            reach = std::max(reach, i - k);
        }
        EXPECT_GE(reach, c.reachesBack) << "the song does not reach as far back as meant";
        auto plan = frontend::Mp3Excerpt::Plan(song);
        ASSERT_NE(plan, nullptr);
        ASSERT_TRUE(MP3Handler().Decode(song, dir / "whole.wav"));
        WaveFile whole(dir / "whole.wav");
        ASSERT_TRUE(whole.ReadHeader());
        // The last second is never asked for: a ringtone ends a second before the song.
        for (std::int32_t start = 0; start + 2 <= whole.GetDurationSeconds(); ++start) {
            ASSERT_TRUE(whole.WriteSnippet(dir / "cut.wav", start, 1));
            EXPECT_TRUE(ExcerptWave(*plan, {start, 1}, dir / "excerpt.wav") ==
                        ReadFileBytes(dir / "cut.wav"))
                << "from " << start << " s";
        }
    }
}

}  // namespace
