// The preview heard for real: a PulseAudio server whose only output is a null sink takes
// what chimewick-choose's window plays, its monitor is recorded, and the recording is
// matched against the song. The server must exist before Qt first looks for audio outputs,
// so this binary starts it before any test; where none can start, every test skips.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "chooser/Choosewindow.h"
#include "chooser/Waveformview.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

std::string serverProblem;  // why no server runs, empty when one does

void StartSoundServer(const std::string& runtime) {
    if (!HaveTool("pulseaudio") || !HaveTool("parec") || !HaveTool("pactl")) {
        serverProblem = "pulseaudio, parec or pactl is not installed (scripts/setup installs them)";
        return;
    }
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    unsetenv("PULSE_SERVER");
    // Once its last client has gone the server ends by itself, also when this binary dies
    // before it can stop it.
    RunShell(
        "pulseaudio -D -n --exit-idle-time=20 --log-target=stderr "
        "--load='module-null-sink sink_name=rec' --load=module-native-protocol-unix "
        "2>/dev/null");
    for (int i = 0; i < 50; ++i) {
        if (RunShell("pactl info >/dev/null 2>&1")) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    serverProblem = "no PulseAudio server could be started here";
}

constexpr std::uint32_t kRate = 44100;

// White noise, the same every run: any stretch of it matches only itself.
std::vector<std::int16_t> Noise(int seconds) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds) * kRate * 2);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        state = state * 1664525u + 1013904223u;
        samples[i] = samples[i + 1] =
            static_cast<std::int16_t>(static_cast<int>(state >> 16) / 3 - 10922);
    }
    return samples;
}

Bytes AsBytes(const std::vector<std::int16_t>& samples) {
    Bytes bytes;
    for (std::int16_t s : samples) {
        AppendLE16(bytes, static_cast<std::uint16_t>(s));
    }
    return bytes;
}

// The left channel of raw 16-bit stereo.
std::vector<double> LeftOf(const Bytes& raw) {
    std::vector<double> left;
    for (std::size_t at = 0; at + 4 <= raw.size(); at += 4) {
        left.push_back(static_cast<std::int16_t>(ReadLE16(raw, at)));
    }
    return left;
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!serverProblem.empty()) {
            GTEST_SKIP() << "no sound server, so nothing can be heard: " << serverProblem;
        }
    }
    // Plays the window's part while the sink's monitor is recorded; the recording.
    Bytes RecordWhile(ChooseWindow& window, const std::function<void()>& play) {
        const std::string raw = dir / "recorded.raw";
        // Through the shell, which finds parec on the search path; exec keeps its pid.
        RunningProcess recorder =
            StartProcess("/bin/sh", {"-c",
                                     "exec parec -d rec.monitor --raw --format=s16le --rate=44100 "
                                     "--channels=2 --latency-msec=20 '" +
                                         raw + "'"});
        QTest::qWait(500);  // the recorder is listening
        play();
        EXPECT_TRUE(window.Playing());
        QElapsedTimer waited;
        waited.start();
        while (window.Playing() && waited.elapsed() < 20000) {
            QTest::qWait(20);
        }
        EXPECT_FALSE(window.Playing()) << "the preview did not stop at the part's end";
        QTest::qWait(500);
        recorder.Signal(SIGTERM);
        const ProcessResult recorded = recorder.Wait();
        EXPECT_TRUE(recorded.signal == SIGTERM || recorded.exitStatus == 0)
            << recorded.exitStatus << " " << recorded.err << recorded.out;
        return ReadFileBytes(raw);
    }

    TempDir dir;
};

// Where in song the recording's first sound is found: the lag of the best match of its
// first 50 ms among lags from -> to, with how well it matched (1: the same samples).
std::pair<std::int64_t, double> FoundAt(const std::vector<double>& recorded,
                                        const std::vector<double>& song, std::int64_t from,
                                        std::int64_t to, std::size_t* soundStart) {
    std::size_t first = 0;
    while (first < recorded.size() && std::abs(recorded[first]) < 2000) {
        ++first;
    }
    *soundStart = first;
    const std::size_t window = kRate / 20;
    if (first + window > recorded.size()) {
        return {-1, 0};
    }
    double energy = 0;
    for (std::size_t k = 0; k < window; ++k) {
        energy += recorded[first + k] * recorded[first + k];
    }
    std::int64_t best = -1;
    double bestScore = 0;
    for (std::int64_t lag = std::max<std::int64_t>(from, 0);
         lag <= to &&
         lag + static_cast<std::int64_t>(window) <= static_cast<std::int64_t>(song.size());
         ++lag) {
        double dot = 0;
        double songEnergy = 0;
        for (std::size_t k = 0; k < window; ++k) {
            const double s = song[static_cast<std::size_t>(lag) + k];
            dot += recorded[first + k] * s;
            songEnergy += s * s;
        }
        const double score = dot / std::sqrt(energy * songEnergy + 1);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return {best, bestScore};
}

TEST_F(PlaybackTest, ThePartIsHeardFromItsStartToItsEnd) {
    const std::vector<std::int16_t> noise = Noise(12);
    const std::string song = dir / "noise.wav";
    ASSERT_TRUE(WriteFileBytes(song, SimpleWave(2, kRate, 16, AsBytes(noise))));
    std::vector<double> left;
    for (std::size_t i = 0; i < noise.size(); i += 2) {
        left.push_back(noise[i]);
    }

    struct Case {
        const char* how;
        std::int64_t heardFrom;  // the second the first sound must come from
        std::int64_t seconds;    // how long it must last
    };
    for (const Case& c : {Case{"Play", 5, 3}, Case{"Space", 5, 3}, Case{"double-click", 6, 2}}) {
        SCOPED_TRACE(c.how);
        ChooseWindow window;
        window.resize(640, 400);
        window.show();
        window.OpenSong(song);
        window.partStart->setText("5");
        window.partStart->editingFinished();
        window.partLength->setText("3");
        window.partLength->editingFinished();
        ASSERT_TRUE(window.playButton->isEnabled()) << window.playButton->toolTip().toStdString();
        const Bytes raw = RecordWhile(window, [&] {
            if (std::string(c.how) == "Play") {
                window.playButton->click();
            } else if (std::string(c.how) == "Space") {
                window.waveform->setFocus();
                QTest::keyClick(window.waveform, Qt::Key_Space);
            } else {
                QTest::mouseDClick(window.waveform, Qt::LeftButton, {},
                                   QPoint(window.waveform->XOfSecond(c.heardFrom), 10));
            }
        });
        const std::vector<double> recorded = LeftOf(raw);
        std::size_t soundStart = 0;
        const std::int64_t expected = c.heardFrom * kRate;
        const auto [lag, score] =
            FoundAt(recorded, left, expected - 2 * kRate, expected + 2 * kRate, &soundStart);
        ASSERT_GT(score, 0.9) << "what was recorded is not the song (" << recorded.size()
                              << " samples recorded)";
        EXPECT_NEAR(static_cast<double>(lag - expected) / kRate, 0.0, 0.050)
            << "heard from " << static_cast<double>(lag) / kRate << " s";
        std::size_t soundEnd = recorded.size();
        while (soundEnd > soundStart && std::abs(recorded[soundEnd - 1]) < 2000) {
            --soundEnd;
        }
        EXPECT_NEAR(static_cast<double>(soundEnd - soundStart) / kRate,
                    static_cast<double>(c.seconds), 0.1);
    }
}

// Play while playing stops at once, and the song's overview, cut short to let the preview
// have the decoder, is read to its end afterwards.
TEST_F(PlaybackTest, PlayAgainStopsAndTheOverviewGoesOn) {
    const std::string song = dir / "long.wav";
    ASSERT_TRUE(WriteFileBytes(song, SimpleWave(2, kRate, 16, AsBytes(Noise(300)))));
    ChooseWindow window;
    window.show();
    window.OpenSong(song);
    window.playButton->click();
    ASSERT_TRUE(window.Playing());
    ASSERT_FALSE(window.OverviewComplete()) << "53 MB are not read in the blink of an eye";
    QTest::qWait(300);
    window.playButton->click();
    EXPECT_FALSE(window.Playing());
    EXPECT_EQ(window.playButton->text(), "Play");
    QElapsedTimer waited;
    waited.start();
    while (!window.OverviewComplete() && waited.elapsed() < 20000) {
        QTest::qWait(20);
    }
    EXPECT_TRUE(window.OverviewComplete());
}

// Before the first test, so before any window has asked Qt for audio outputs.
class SoundServer : public ::testing::Environment {
public:
    void SetUp() override { StartSoundServer(runtime_ / "run"); }
    void TearDown() override {
        if (serverProblem.empty()) {
            RunShell("pulseaudio --kill 2>/dev/null");
        }
    }

private:
    TempDir runtime_;
};

const auto* const kServer = ::testing::AddGlobalTestEnvironment(new SoundServer);

}  // namespace
