// chimewick-choose's window, offscreen: a song's facts and overview, the part chosen by
// typing, keys and dragging, and Make Ringtone against the pipeline run directly.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QDropEvent>
#include <QImage>
#include <QPalette>
#include <QUrl>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>

#include "chooser/Choosewindow.h"
#include "chooser/Fades.h"
#include "chooser/PartRules.h"
#include "chooser/Preview.h"
#include "chooser/Waveformview.h"
#include "wave/Wavefile.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/AudioBuilders.h"
#include "tests/support/Mp3Builder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

using namespace testing_support;

namespace {

Bytes Mp3Song(int seconds) {
    Mp3Options options;
    options.seconds = seconds;
    options.kbps = 128;
    options.varied = true;
    return EncodeMp3(options).bytes;
}

// 16-bit stereo at 8000 frames a second, its pitch changing every second.
Bytes WaveSong(int seconds) { return SimpleWave(2, 8000, 16, ToneSecondsPcm16(seconds, 8000, 2)); }

// The window with its drop handlers in reach: offscreen there is no drag to deliver them.
class DroppableWindow : public ChooseWindow {
public:
    using ChooseWindow::dragEnterEvent;
    using ChooseWindow::dropEvent;
};

class ChooseWindowTest : public GuiFixture {
protected:
    // Opens song (written as name in the temporary folder) and waits for its overview.
    void Open(const std::string& name, const Bytes& song) {
        path = dir / name;
        ASSERT_TRUE(WriteFileBytes(path, song));
        window.resize(640, 400);
        window.show();
        window.OpenSong(path);
        WaitForOverview();
    }
    void WaitForOverview() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (window.Facts().readable && !window.waveform->Shown().complete &&
               std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QTest::qWait(10);
        }
    }
    void Type(QLineEdit* field, const char* text) {
        field->setText(text);
        emit field->editingFinished();
    }

    TempDir dir;
    std::string path;
    DroppableWindow window;
};

}  // namespace

TEST_F(ChooseWindowTest, ShowsTheSongsFactsTheAutomaticPartAndAWholeOverview) {
    struct Case {
        const char* name;
        Bytes song;
        const char* format;
    } cases[] = {
        {"song.mp3", Mp3Song(180), "MP3, 44.1 kHz stereo, 128 kbit/s"},
        {"Song.Mp3", Mp3Song(180), "MP3, 44.1 kHz stereo, 128 kbit/s"},
        {"song.wav", WaveSong(180), "WAVE, 8 kHz stereo, 16-bit"},
        {"mono.wav", SimpleWave(1, 48000, 24, CountingBytes(180 * 48000 * 3)),
         "WAVE, 48 kHz mono, 24-bit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.name, c.song);
        EXPECT_EQ(window.songName->text().toStdString(), c.name);
        EXPECT_EQ(window.songLength->text().toStdString(), "Length: 3:00");
        EXPECT_EQ(window.songFormat->text().toStdString(), c.format);
        EXPECT_TRUE(window.songProblem->isHidden());
        EXPECT_EQ(window.partStart->text().toStdString(), "0:50");
        EXPECT_EQ(window.partLength->text().toStdString(), "30");
        EXPECT_EQ(window.partEnd->text().toStdString(), "ends at 1:20");
        EXPECT_TRUE(window.makeButton->isEnabled());

        const chooser::Envelope& shown = window.waveform->Shown();
        ASSERT_TRUE(shown.complete);
        EXPECT_LE(shown.low.size(), chooser::Envelope::kMaxBins);
        EXPECT_GE(shown.low.size(), chooser::Envelope::kMaxBins / 2);
        // The envelope covers the whole song, not its first minutes.
        EXPECT_NEAR(static_cast<double>(shown.frames) / shown.sampleRate, 180.0, 0.2);
        float peak = 0;
        for (std::size_t i = 0; i < shown.high.size(); ++i) {
            peak = std::max({peak, shown.high[i], -shown.low[i]});
        }
        EXPECT_GT(peak, 0.1f);
    }
}

TEST_F(ChooseWindowTest, AnUnreadableWaveSongShowsThePipelinesMessagesInTheWindow) {
    struct Case {
        const char* what;
        Bytes song;
    } cases[] = {
        {"not a RIFF file", Bytes(100, 'x')},
        {"no data chunk", RiffBuilder().chunk("fmt ", Bytes(16, 0)).build()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open("bad.wav", c.song);
        ui.messages.clear();
        RingtonePipeline pipeline;
        pipeline.startSeconds = -1;
        pipeline.lengthSeconds = 30;
        EXPECT_FALSE(pipeline.MakeRingtoneBeside(path));
        std::string said;
        for (const std::string& text : ui.Texts()) {
            said += (said.empty() ? "" : "\n") + text;
        }
        EXPECT_FALSE(window.songProblem->isHidden());
        EXPECT_EQ(window.songProblem->text().toStdString(), said);
        EXPECT_FALSE(window.makeButton->isEnabled());
    }
}

TEST_F(ChooseWindowTest, AnMp3SongThatDoesNotDecodeSaysSoOnceItsOverviewEnds) {
    Open("bad.mp3", Bytes(5000, 'x'));
    EXPECT_FALSE(window.songProblem->isHidden());
    EXPECT_EQ(window.songProblem->text().toStdString(), "No ringtone was created.");
    EXPECT_FALSE(window.makeButton->isEnabled());
}

TEST_F(ChooseWindowTest, AtStartUpTheSongIsReadOnceTheWindowHasBeenDrawn) {
    path = dir / "song.wav";
    ASSERT_TRUE(WriteFileBytes(path, WaveSong(60)));
    window.resize(640, 400);
    window.OpenSongWhenShown(path);
    EXPECT_EQ(window.songName->text().toStdString(), "song.wav");
    EXPECT_TRUE(window.Facts().path.empty()) << "read before the window was drawn";
    window.show();
    for (int i = 0; i < 500 && window.Facts().path.empty(); ++i) {
        QTest::qWait(10);
    }
    WaitForOverview();
    EXPECT_EQ(window.Facts().path, path);
    EXPECT_EQ(window.songLength->text().toStdString(), "Length: 1:00");
}

// Songs the excerpt road declines get their length from the overview's decode, less what
// the whole-song road skips at the start: the length its WAVE file has, to the second, also
// where the skip decides which second (audio a few hundred samples short of one).
TEST_F(ChooseWindowTest, ADeclinedMp3SongsLengthIsTheWholeSongRoads) {
    for (const bool freeFormat : {false, true}) {
        for (const int extra : {-1500, -1000, -600, -300, 0}) {
            SCOPED_TRACE((freeFormat ? "free format, " : "CRC, ") + std::to_string(extra));
            Mp3Options o;
            o.seconds = 4;
            o.extraSamples = extra;
            o.crc = !freeFormat;
            o.freeFormat = freeFormat;
            o.kbps = freeFormat ? 100 : 128;
            Open("declined.mp3", EncodeMp3(o).bytes);
            const std::string decoded = dir / "decoded.wav";
            ProcessResult r =
                RunProcess(ChimewickMp3Path(), {"--decode", "--silent", path, decoded});
            ASSERT_EQ(r.exitStatus, 0) << r.err;
            WaveFile wave(decoded);
            ASSERT_TRUE(wave.ReadHeader());
            EXPECT_EQ(window.Facts().durationSeconds, wave.GetDurationSeconds());
            std::filesystem::remove(decoded);
        }
    }
}

TEST_F(ChooseWindowTest, TypedTimesSetThePartAndRefusalsShowInPlace) {
    Open("song.wav", WaveSong(180));
    struct Case {
        bool start;  // typed into the start field, else the length
        const char* text;
        int partStart, partLength;
        bool refused, iphoneNote;
    } cases[] = {
        {true, "1:10", 70, 30, false, false}, {true, "70", 70, 30, false, false},
        {true, "1:75", 50, 30, true, false},  {true, "abc", 50, 30, true, false},
        {false, "45", 50, 45, false, true},   {false, "0:40", 50, 40, false, false},
        {false, "0", 50, 30, true, false},    {false, "0:41", 50, 41, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        window.OpenSong(path);
        Type(c.start ? window.partStart : window.partLength, c.text);
        EXPECT_EQ(window.Part().start, c.partStart);
        EXPECT_EQ(window.Part().length, c.partLength);
        EXPECT_EQ(window.waveform->Part().start, c.partStart);
        EXPECT_EQ(window.fieldRefusal->isHidden(), !c.refused);
        EXPECT_EQ(window.iphoneNote->isHidden(), !c.iphoneNote);
        if (c.iphoneNote) {
            EXPECT_EQ(window.iphoneNote->text().toStdString(), chooser::kIphoneNote);
        }
    }
}

TEST_F(ChooseWindowTest, ArrowsMoveThePartAndShiftArrowsItsEnd) {
    Open("song.wav", WaveSong(180));
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int partStart, partLength;
    } cases[] = {
        {Qt::Key_Right, Qt::NoModifier, 51, 30},
        {Qt::Key_Left, Qt::NoModifier, 49, 30},
        {Qt::Key_Right, Qt::ShiftModifier, 50, 31},
        {Qt::Key_Left, Qt::ShiftModifier, 50, 29},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.partStart * 100 + c.partLength);
        window.OpenSong(path);
        QTest::keyClick(window.waveform, c.key, c.modifiers);
        EXPECT_EQ(window.Part().start, c.partStart);
        EXPECT_EQ(window.Part().length, c.partLength);
        EXPECT_EQ(window.partLength->text().toStdString(), std::to_string(c.partLength));
    }
}

TEST_F(ChooseWindowTest, DraggingAHandleOrThePartChangesIt) {
    Open("song.wav", WaveSong(180));
    WaveformView* view = window.waveform;
    const int y = view->height() / 2;
    struct Case {
        const char* what;
        int fromSecond, toSecond;
        int partStart, partLength;
    } cases[] = {
        {"the end handle", 80, 100, 50, 50},
        {"the start handle", 50, 40, 40, 40},
        {"inside the part", 60, 90, 80, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.OpenSong(path);
        const QPoint from(view->XOfSecond(c.fromSecond), y);
        const QPoint to(view->XOfSecond(c.toSecond), y);
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
        EXPECT_EQ(window.Part().start, c.partStart);
        EXPECT_EQ(window.Part().length, c.partLength);
    }
}

TEST_F(ChooseWindowTest, MakeRingtoneWritesWhatThePipelineWritesForThePart) {
    struct Case {
        const char* name;
        Bytes song;
    } cases[] = {
        {"song.mp3", Mp3Song(180)},
        {"song.wav", WaveSong(180)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.name, c.song);
        Type(window.partStart, "1:10");
        Type(window.partLength, "25");
        window.makeButton->click();
        const std::string ringtone = RingtoneFileName(path, 255);
        EXPECT_EQ(window.RingtonePath(), ringtone);
        EXPECT_NE(window.ringtoneLabel->text().toStdString().find(ringtone), std::string::npos);
        EXPECT_FALSE(window.playRingtone->isHidden());
        EXPECT_FALSE(window.showFolder->isHidden());

        TempDir other;
        ASSERT_TRUE(WriteFileBytes(other / c.name, c.song));
        RingtonePipeline pipeline;
        pipeline.startSeconds = 70;
        pipeline.lengthSeconds = 25;
        ASSERT_TRUE(pipeline.MakeRingtoneBeside(other / c.name));
        const Bytes expected = ReadFileBytes(RingtoneFileName(other / c.name, 255));
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(ReadFileBytes(ringtone) == expected);
        EXPECT_TRUE(window.makeButton->isEnabled());
    }
}

// The worker and the pipeline's decoders never run together: Make Ringtone stops the
// overview first (the ThreadSanitizer build watches that) and reads it again afterwards.
TEST_F(ChooseWindowTest, MakingARingtoneWhileTheOverviewReadsRestartsTheOverviewAfterwards) {
    path = dir / "song.mp3";
    ASSERT_TRUE(WriteFileBytes(path, Mp3Song(180)));
    window.show();
    window.OpenSong(path);
    window.makeButton->click();
    EXPECT_FALSE(window.RingtonePath().empty());
    WaitForOverview();
    EXPECT_TRUE(window.waveform->Shown().complete);
    EXPECT_NEAR(static_cast<double>(window.waveform->Shown().frames) / 44100, 180.0, 0.2);
}

// The front end is not re-entrant: inside a run, a second Make Ringtone, Open… and a drop
// start nothing.
TEST_F(ChooseWindowTest, NothingStartsAnotherRunOrSongWhileARingtoneIsBeingMade) {
    Open("song.mp3", Mp3Song(180));
    const std::string other = dir / "other.wav";
    ASSERT_TRUE(WriteFileBytes(other, WaveSong(60)));
    int chooserAsked = 0;
    window.chooseSongFile = [&](QWidget*, const QString&, const QString&) {
        ++chooserAsked;
        return other;
    };
    bool checked = false;
    ui.onProcessMessages = [&](int) {
        if (checked) {
            return;
        }
        checked = true;
        EXPECT_FALSE(window.makeButton->isEnabled());
        EXPECT_FALSE(window.openButton->isEnabled());
        window.MakeClick();
        window.OpenClick();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        window.dropEvent(&drop);
    };
    window.makeButton->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(chooserAsked, 0);
    EXPECT_EQ(window.songName->text().toStdString(), "song.mp3");
    int successes = 0;
    for (const std::string& text : ui.Texts()) {
        successes += text == "The ringtone was successfully created!";
    }
    EXPECT_EQ(successes, 1);
    EXPECT_TRUE(window.makeButton->isEnabled());
}
TEST_F(ChooseWindowTest, ADroppedSongIsOpened) {
    Open("song.wav", WaveSong(180));
    const std::string other = dir / "other.wav";
    ASSERT_TRUE(WriteFileBytes(other, WaveSong(60)));
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    window.dragEnterEvent(&enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    window.dropEvent(&drop);
    EXPECT_EQ(window.songName->text().toStdString(), "other.wav");
    EXPECT_EQ(window.songLength->text().toStdString(), "Length: 1:00");
}

TEST_F(ChooseWindowTest, FadesAreOfferedWhereTheyApplyAndReachTheRingtone) {
    struct Case {
        const char* what;
        Bytes song;
        bool fadeable;
    } cases[] = {
        {"16-bit WAVE", WaveSong(60), true},
        {"A-law WAVE",
         RiffBuilder().chunk("fmt ", FmtBody(6, 1, 8000, 8)).data(Bytes(480000, 0x55)).build(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open("song.wav", c.song);
        EXPECT_EQ(window.fadeIn->isEnabled(), c.fadeable);
        EXPECT_EQ(window.fadeOut->isEnabled(), c.fadeable);
        EXPECT_EQ(window.fadeNote->isHidden(), c.fadeable);
        if (!c.fadeable) {
            EXPECT_EQ(window.fadeNote->text().toStdString(), chooser::WhyFadesCannotApply(path));
        }
    }

    Open("song.wav", WaveSong(60));
    window.fadeIn->setChecked(true);
    window.fadeInSeconds->setValue(1.0);
    window.makeButton->click();
    const Bytes faded = ReadFileBytes(window.RingtonePath());
    TempDir other;
    ASSERT_TRUE(WriteFileBytes(other / "song.wav", WaveSong(60)));
    RingtonePipeline pipeline;
    pipeline.startSeconds = window.Part().start;
    pipeline.lengthSeconds = window.Part().length;
    ASSERT_TRUE(pipeline.MakeRingtoneBeside(other / "song.wav"));
    const Bytes plain = ReadFileBytes(RingtoneFileName(other / "song.wav", 255));
    ASSERT_EQ(faded.size(), plain.size());
    // The first 10 ms (80 stereo frames): silence rising, against the tone at full level.
    int fadedPeak = 0;
    int plainPeak = 0;
    for (std::size_t i = 44; i < 44 + 80 * 4; i += 2) {
        fadedPeak = std::max(fadedPeak, std::abs(static_cast<std::int16_t>(ReadLE16(faded, i))));
        plainPeak = std::max(plainPeak, std::abs(static_cast<std::int16_t>(ReadLE16(plain, i))));
    }
    EXPECT_LT(fadedPeak * 100, plainPeak);
    EXPECT_TRUE(Bytes(faded.end() - 1000, faded.end()) == Bytes(plain.end() - 1000, plain.end()))
        << "no fade out was asked for";
}

TEST_F(ChooseWindowTest, ARefusedTimeInAFieldMakesNoRingtoneAndStaysShown) {
    Open("song.wav", WaveSong(180));
    window.partStart->setText("1:75");
    window.partLength->setText("20");
    window.makeButton->click();
    EXPECT_EQ(window.RingtonePath(), "");
    EXPECT_FALSE(std::filesystem::exists(RingtoneFileName(path, 255)));
    EXPECT_FALSE(window.fieldRefusal->isHidden());
    EXPECT_NE(window.fieldRefusal->text().toStdString().find("Start:"), std::string::npos);
}

namespace {

// Receives what the window hands the desktop to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

}  // namespace

TEST_F(ChooseWindowTest, PlayRingtoneAndShowInFolderOpenTheRingtoneAndItsFolder) {
    Open("song.wav", WaveSong(60));
    window.makeButton->click();
    ASSERT_FALSE(window.RingtonePath().empty());
    OpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    window.playRingtone->click();
    window.showFolder->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(opened.urls.size(), 2u);
    EXPECT_EQ(opened.urls[0].toLocalFile().toStdString(), window.RingtonePath());
    EXPECT_EQ(QDir(opened.urls[1].toLocalFile()).canonicalPath().toStdString(),
              QDir(QString::fromStdString(dir.path())).canonicalPath().toStdString());
}

TEST_F(ChooseWindowTest, ThePlayAndStopGlyphsTakeTheButtonTextColourOfThePalette) {
    // The style's stock media icons are dark pictures, unseen on a dark palette; and the
    // glyph must follow a palette that changes while the window is open.
    Open("song.wav", WaveSong(5));
    for (const QColor& text : {QColor(230, 230, 230), QColor(20, 20, 20)}) {
        QPalette palette = window.palette();
        palette.setColor(QPalette::Active, QPalette::ButtonText, text);
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, text);
        window.setPalette(palette);
        const QImage glyph =
            window.playButton->icon().pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
        ASSERT_FALSE(glyph.isNull());
        EXPECT_EQ(glyph.pixelColor(7, 8).rgb(), text.rgb()) << text.name().toStdString();
    }
}

TEST_F(ChooseWindowTest, WithoutAnAudioOutputPlayIsDisabledSaysWhyAndTheRestWorks) {
    if (PartPreview::Available(nullptr)) {
        GTEST_SKIP() << "this machine has an audio output; the playback test covers it";
    }
    Open("song.wav", WaveSong(60));
    EXPECT_FALSE(window.playButton->isEnabled());
    EXPECT_NE(window.playButton->toolTip().toStdString().find("No audio output"),
              std::string::npos);
    window.waveform->setFocus();
    QTest::keyClick(window.waveform, Qt::Key_Space);
    QTest::mouseDClick(window.waveform, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(window.Playing());
    EXPECT_TRUE(window.makeButton->isEnabled());
    window.MakeClick();
    EXPECT_FALSE(window.RingtonePath().empty());
}

#include "choose_window_test.moc"
