#include "chooser/Choosewindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Ringtonepipeline.h"
#include "chooser/Fades.h"
#include "chooser/PartRules.h"
#include "chooser/Preview.h"
#include "chooser/Waveformview.h"
#include "excerpt/Mp3excerpt.h"
#include "platform/files.h"

namespace {

const char* const kNoSong = "No song opened: use Open… or drop an MP3 or WAVE file here.";
const char* const kUndecodable = "No ringtone was created.";

// The play and stop glyphs drawn in the button text's own colours: the style's stock media
// icons are dark pictures, which vanish on a dark palette.
QIcon MediaIcon(bool stop, const QPalette& palette, qreal ratio) {
    constexpr int kSide = 16;
    QIcon icon;
    for (const auto& [group, mode] : {std::pair{QPalette::Active, QIcon::Normal},
                                      std::pair{QPalette::Disabled, QIcon::Disabled}}) {
        QPixmap pixmap(QSize(kSide, kSide) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath glyph;
        if (stop) {
            glyph.addRect(QRectF(4, 4, 8, 8));
        } else {
            glyph.moveTo(4, 2.5);
            glyph.lineTo(13.5, 8);
            glyph.lineTo(4, 13.5);
            glyph.closeSubpath();
        }
        painter.fillPath(glyph, palette.color(group, QPalette::ButtonText));
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

// Every letter case of *.mp3 and *.wav: the file dialog's patterns are case-sensitive.
QString SongFilter() {
    QStringList patterns;
    for (const QString& extension : {QStringLiteral("mp3"), QStringLiteral("wav")}) {
        for (int mask = 0; mask < 8; ++mask) {
            QString pattern = extension;
            for (int i = 0; i < 3; ++i) {
                if (mask & (1 << i)) {
                    pattern[i] = pattern[i].toUpper();
                }
            }
            patterns << "*." + pattern;
        }
    }
    return "Music files (" + patterns.join(' ') + ")";
}

// The first file of a drop, or "" when it brings none.
QString DroppedSong(const QMimeData* dropped) {
    if (!dropped || !dropped->hasUrls() || dropped->urls().isEmpty() ||
        !dropped->urls().first().isLocalFile()) {
        return QString();
    }
    return dropped->urls().first().toLocalFile();
}

QLabel* NoteLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->hide();
    return label;
}

void ShowNote(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->setVisible(!text.empty());
}

QDoubleSpinBox* FadeSpin(QWidget* parent, const char* name) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setAccessibleName(name);
    spin->setRange(chooser::kShortestFadeSeconds, chooser::kLongestFadeSeconds);
    spin->setSingleStep(0.5);
    spin->setDecimals(1);
    spin->setValue(1.0);
    spin->setSuffix(" s");
    spin->setEnabled(false);
    return spin;
}

}  // namespace

ChooseWindow::ChooseWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("ChooseWindow");
    setWindowTitle("Chimewick - choose the part");
    setAcceptDrops(true);
    BuildControls();
    chooseSongFile = [](QWidget* owner, const QString& dir, const QString& filter) {
        return QFile::encodeName(QFileDialog::getOpenFileName(owner, QString(), dir, filter))
            .toStdString();
    };
    poll_ = new QTimer(this);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, &ChooseWindow::PollOverview);
    preview_ = new PartPreview(this);
    connect(preview_, &PartPreview::stopped, this, &ChooseWindow::PreviewStopped);
    playhead_ = new QTimer(this);
    playhead_->setInterval(30);
    connect(playhead_, &QTimer::timeout, this,
            [this] { waveform->SetPlayhead(preview_->PositionSeconds()); });
    SetMaking(false);
}

ChooseWindow::~ChooseWindow() {
    preview_->disconnect(this);
    preview_->Stop();
    overview_.Stop();
}

void ChooseWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* songRow = new QHBoxLayout;
    openButton = new QPushButton("&Open…", this);
    openButton->setAccessibleName("Open a song");
    songName = new QLabel(kNoSong, this);
    songName->setAccessibleName("Song");
    songName->setTextFormat(Qt::PlainText);
    songName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    songRow->addWidget(openButton);
    songRow->addWidget(songName, 1);
    layout->addLayout(songRow);

    auto* factsRow = new QHBoxLayout;
    songLength = new QLabel(this);
    songLength->setAccessibleName("Song length");
    songFormat = new QLabel(this);
    songFormat->setAccessibleName("Song format");
    factsRow->addWidget(songLength);
    factsRow->addSpacing(16);
    factsRow->addWidget(songFormat, 1);
    layout->addLayout(factsRow);
    songProblem = NoteLabel(this, "Song problem");
    layout->addWidget(songProblem);

    waveform = new WaveformView(this);
    layout->addWidget(waveform, 1);

    auto* fields = new QGridLayout;
    playButton = new QPushButton("Play", this);
    playButton->setAccessibleName("Play the part");
    ShowPlayIcon(false);
    partStart = new QLineEdit(this);
    partStart->setAccessibleName("Part start");
    partStart->setToolTip("Seconds (70) or minutes and seconds (1:10)");
    partLength = new QLineEdit(this);
    partLength->setAccessibleName("Part length");
    partLength->setToolTip("Whole seconds or m:ss");
    auto* startLabel = new QLabel("&Start:", this);
    startLabel->setBuddy(partStart);
    auto* lengthLabel = new QLabel("&Length:", this);
    lengthLabel->setBuddy(partLength);
    partEnd = new QLabel(this);
    partEnd->setAccessibleName("Part end");
    fields->addWidget(playButton, 0, 0);
    fields->setColumnMinimumWidth(1, 12);
    fields->addWidget(startLabel, 0, 2);
    fields->addWidget(partStart, 0, 3);
    fields->addWidget(lengthLabel, 0, 4);
    fields->addWidget(partLength, 0, 5);
    fields->addWidget(partEnd, 0, 6);
    fields->setColumnStretch(7, 1);
    layout->addLayout(fields);
    fieldRefusal = NoteLabel(this, "Refused time");
    layout->addWidget(fieldRefusal);
    iphoneNote = NoteLabel(this, "Length note");
    layout->addWidget(iphoneNote);

    auto* fadeRow = new QHBoxLayout;
    fadeIn = new QCheckBox("Fade &in", this);
    fadeIn->setAccessibleName("Fade in");
    fadeInSeconds = FadeSpin(this, "Fade in seconds");
    fadeOut = new QCheckBox("Fade o&ut", this);
    fadeOut->setAccessibleName("Fade out");
    fadeOutSeconds = FadeSpin(this, "Fade out seconds");
    fadeRow->addWidget(fadeIn);
    fadeRow->addWidget(fadeInSeconds);
    fadeRow->addSpacing(16);
    fadeRow->addWidget(fadeOut);
    fadeRow->addWidget(fadeOutSeconds);
    fadeRow->addStretch(1);
    layout->addLayout(fadeRow);
    fadeNote = NoteLabel(this, "Fade note");
    layout->addWidget(fadeNote);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto* makeRow = new QHBoxLayout;
    makeButton = new QPushButton("&Make Ringtone", this);
    makeButton->setAccessibleName("Make Ringtone");
    makeButton->setDefault(true);
    makeRow->addWidget(makeButton);
    makeRow->addStretch(1);
    layout->addLayout(makeRow);
    ringtoneLabel = NoteLabel(this, "Ringtone made");
    ringtoneLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(ringtoneLabel);
    auto* resultRow = new QHBoxLayout;
    playRingtone = new QPushButton("&Play ringtone", this);
    playRingtone->setAccessibleName("Play ringtone");
    showFolder = new QPushButton("Show in &folder", this);
    showFolder->setAccessibleName("Show in folder");
    playRingtone->hide();
    showFolder->hide();
    resultRow->addWidget(playRingtone);
    resultRow->addWidget(showFolder);
    resultRow->addStretch(1);
    layout->addLayout(resultRow);

    connect(openButton, &QPushButton::clicked, this, &ChooseWindow::OpenClick);
    connect(makeButton, &QPushButton::clicked, this, &ChooseWindow::MakeClick);
    connect(playButton, &QPushButton::clicked, this, &ChooseWindow::PlayClick);
    // Space in a text field types a space: the fields take it before the shortcut.
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, &ChooseWindow::PlayClick);
    connect(waveform, &WaveformView::playFromRequested, this, &ChooseWindow::PlayFrom);
    connect(waveform, &WaveformView::partChanged, this, &ChooseWindow::ShowPart);
    connect(partStart, &QLineEdit::editingFinished, this, &ChooseWindow::StartEdited);
    connect(partLength, &QLineEdit::editingFinished, this, &ChooseWindow::LengthEdited);
    connect(fadeIn, &QCheckBox::toggled, fadeInSeconds, &QWidget::setEnabled);
    connect(fadeOut, &QCheckBox::toggled, fadeOutSeconds, &QWidget::setEnabled);
    connect(playRingtone, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(ringtonePath_.c_str())));
    });
    connect(showFolder, &QPushButton::clicked, this, [this] { ShowInFolder(ringtonePath_); });
    setTabOrder(openButton, waveform);
    setTabOrder(waveform, playButton);
    setTabOrder(playButton, partStart);
}

void ShowInFolder(const std::string& file) {
    const QString path = QFile::decodeName(file.c_str());
    // A file manager that offers the freedesktop interface (running or started on demand)
    // opens the folder with the ringtone selected; otherwise the folder is opened.
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = "org.freedesktop.FileManager1";
    if (bus.isConnected() && bus.interface() &&
        (bus.interface()->isServiceRegistered(service).value() ||
         bus.interface()->activatableServiceNames().value().contains(service))) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, "/org/freedesktop/FileManager1",
                                                           service, "ShowItems");
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        if (bus.send(call)) {
            return;
        }
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void ChooseWindow::OpenClick() {
    if (making_ || !chooseSongFile) {
        return;
    }
    const std::string chosen =
        chooseSongFile(this, QFile::decodeName(platform::GetCurrentDir().c_str()), SongFilter());
    if (!chosen.empty()) {
        OpenSong(chosen);
    }
}

void ChooseWindow::OpenSong(const std::string& path) {
    if (making_) {
        return;
    }
    // Reading the song may create decoders of its own: the worker and the preview go first.
    StopPreview();
    overview_.Stop();
    poll_->stop();
    const QString absolute = QFileInfo(QFile::decodeName(path.c_str())).absoluteFilePath();
    facts_ = chooser::ReadSongFacts(QFile::encodeName(absolute).toStdString());
    ringtonePath_.clear();
    ShowNote(ringtoneLabel, "");
    playRingtone->hide();
    showFolder->hide();
    ShowNote(fieldRefusal, "");

    songName->setText(QFileInfo(absolute).fileName());
    songName->setToolTip(absolute);
    songFormat->setText(QString::fromStdString(facts_.format));
    ShowNote(songProblem, facts_.readable ? std::string() : facts_.problem);
    const bool fadeable = facts_.readable && facts_.whyNoFades.empty();
    ShowNote(fadeNote, facts_.readable ? facts_.whyNoFades : std::string());
    fadeIn->setEnabled(fadeable);
    fadeOut->setEnabled(fadeable);
    if (!fadeable) {
        fadeIn->setChecked(false);
        fadeOut->setChecked(false);
    }
    waveform->SetEnvelope({});
    waveform->SetSong(0, {-1, 0});
    part_ = {-1, 0};
    if (facts_.readable && facts_.durationKnown) {
        waveform->SetSong(Duration(), chooser::AutomaticPart(Duration()));
        ShowPart(chooser::AutomaticPart(Duration()));
    } else {
        songLength->setText(facts_.readable ? "Length: reading…" : "");
        partStart->clear();
        partLength->clear();
        partEnd->clear();
        ShowNote(iphoneNote, "");
    }
    if (facts_.readable) {
        overview_.Start(facts_);
        poll_->start();
    }
    SetMaking(false);
}

void ChooseWindow::OpenSongWhenShown(const std::string& path) {
    songWhenShown_ = path;
    songName->setText(QFileInfo(QFile::decodeName(path.c_str())).fileName());
    songLength->setText("Length: reading…");
}

void ChooseWindow::ShowPlayIcon(bool playing) {
    playing_ = playing;
    playButton->setIcon(MediaIcon(playing, palette(), devicePixelRatioF()));
}

bool ChooseWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The theme changed under the window: the glyph follows its colours.
    if (event->type() == QEvent::PaletteChange && playButton) {
        ShowPlayIcon(playing_);
    }
    if (event->type() == QEvent::Paint && !songWhenShown_.empty()) {
        QTimer::singleShot(0, this, [this] {
            const std::string path = std::move(songWhenShown_);
            songWhenShown_.clear();
            if (!path.empty()) {
                OpenSong(path);
            }
        });
    }
    return handled;
}

bool ChooseWindow::OverviewComplete() const { return overview_.Snapshot().complete; }

void ChooseWindow::PollOverview() {
    chooser::Envelope envelope = overview_.Snapshot();
    if (envelope.complete) {
        poll_->stop();
        if (!facts_.durationKnown) {
            // The excerpt road declined the song: its length is that of this decode, less
            // what the whole-song road skips at the start. (A stream with junk inside, which
            // that road's resync may decode otherwise, can still come out a second apart;
            // the pipeline then clips the part by its own count.)
            const std::int64_t skip =
                envelope.frames == 0
                    ? -1
                    : frontend::WholeSongSkip(envelope.encoderDelay, envelope.channels,
                                              static_cast<int>(envelope.sampleRate));
            if (envelope.frames == 0 || envelope.sampleRate == 0 || skip < 0) {
                facts_.readable = false;
                facts_.problem = kUndecodable;
                ShowNote(songProblem, facts_.problem);
                songLength->clear();
            } else {
                facts_.durationSeconds = frontend::DecodedWaveDurationSeconds(
                    envelope.frames, skip, static_cast<int>(envelope.sampleRate),
                    envelope.channels);
                facts_.durationKnown = true;
                waveform->SetSong(Duration(), chooser::AutomaticPart(Duration()));
                ShowPart(chooser::AutomaticPart(Duration()));
            }
            SetMaking(false);
        }
    }
    waveform->SetEnvelope(std::move(envelope));
}

void ChooseWindow::ShowPart(RingtoneRange part) {
    part_ = part;
    waveform->SetPart(part);
    songLength->setText("Length: " + QString::fromStdString(chooser::FormatTime(Duration())));
    partStart->setText(QString::fromStdString(chooser::FormatTime(chooser::PartBegin(part))));
    partLength->setText(QString::number(part.length));
    partEnd->setText("ends at " +
                     QString::fromStdString(chooser::FormatTime(chooser::PartEnd(part))));
    ShowNote(iphoneNote,
             chooser::LongerThanIphonesTake(part.length) ? chooser::kIphoneNote : std::string());
}

void ChooseWindow::StartEdited() { ApplyField(partStart); }

void ChooseWindow::LengthEdited() { ApplyField(partLength); }

bool ChooseWindow::ApplyField(QLineEdit* field) {
    if (!facts_.durationKnown) {
        return false;
    }
    const bool start = field == partStart;
    std::string why;
    const std::string text = field->text().toStdString();
    const std::optional<std::int32_t> value =
        start ? chooser::ParseStart(text, why) : chooser::ParseLength(text, why);
    ShowNote(fieldRefusal, value ? std::string() : (start ? "Start: " : "Length: ") + why);
    if (!value) {
        return false;
    }
    ShowPart(ChooseRingtoneRange(Duration(), start ? *value : part_.start,
                                 start ? part_.length : *value));
    return true;
}

void ChooseWindow::SetMaking(bool making) {
    making_ = making;
    openButton->setEnabled(!making);
    const bool chosen = facts_.readable && facts_.durationKnown;
    makeButton->setEnabled(!making && chosen);
    QString why;
    if (!chosen) {
        why = "Open a song to hear its part.";
    } else if (PartPreview::Available(&why)) {
        why = QString::fromStdString(chooser::WhyNoPreview(facts_));
    }
    playButton->setEnabled(!making && chosen && why.isEmpty());
    playButton->setToolTip(
        why.isEmpty() ? "Play the part from its start (Space); press again to stop" : why);
}

void ChooseWindow::MakeClick() {
    // The front end is not re-entrant: the progress dialog's loop processes window
    // messages, and nothing there may start a second run.
    if (making_ || !facts_.readable || !facts_.durationKnown) {
        return;
    }
    // Typed text not yet confirmed counts as typed; a refused one makes nothing.
    if (!ApplyField(partStart) || !ApplyField(partLength)) {
        return;
    }
    StopPreview();
    const bool overviewDone = overview_.Snapshot().complete;
    overview_.Stop();
    poll_->stop();
    SetMaking(true);
    RingtonePipeline pipeline;
    pipeline.startSeconds = part_.start;
    pipeline.lengthSeconds = part_.length;
    chooser::UseFades(pipeline, ChosenFades());
    const bool made = pipeline.MakeRingtoneBeside(facts_.path);
    SetMaking(false);
    if (made) {
        const std::string folder = platform::ExtractFilePath(facts_.path);
        ringtonePath_ = folder + RingtoneFileName(platform::ExtractFileName(facts_.path),
                                                  platform::FileNameLimit(folder));
        ShowNote(ringtoneLabel, "Ringtone: " + ringtonePath_);
        playRingtone->show();
        showFolder->show();
    }
    ResumeOverview(overviewDone);
}

chooser::Fades ChooseWindow::ChosenFades() const {
    chooser::Fades fades;
    if (fadeIn->isEnabled() && fadeIn->isChecked()) {
        fades.inSeconds = fadeInSeconds->value();
    }
    if (fadeOut->isEnabled() && fadeOut->isChecked()) {
        fades.outSeconds = fadeOutSeconds->value();
    }
    return fades;
}

void ChooseWindow::ResumeOverview(bool wasComplete) {
    if (!wasComplete && facts_.readable) {
        overview_.Start(facts_);
        poll_->start();
    }
}

bool ChooseWindow::Playing() const { return preview_->Playing(); }

void ChooseWindow::PlayClick() {
    if (preview_->Playing()) {
        preview_->Stop();
        return;
    }
    PlayFrom(chooser::PartBegin(part_));
}

void ChooseWindow::PlayFrom(std::int64_t second) {
    if (making_ || !playButton->isEnabled()) {
        return;
    }
    StopPreview();
    const std::int64_t end = chooser::PartEnd(part_);
    const std::int64_t until = second < end ? end : Duration();
    // The preview's decoder and the overview's may not run side by side.
    overviewDoneBeforePreview_ = overview_.Snapshot().complete;
    overview_.Stop();
    poll_->stop();
    QString why;
    if (!preview_->Play(facts_, second, until, part_, ChosenFades(), why)) {
        ResumeOverview(overviewDoneBeforePreview_);
        overviewDoneBeforePreview_ = true;
        playButton->setToolTip(why);
        return;
    }
    playButton->setText("Stop");
    playButton->setAccessibleName("Stop playing");
    ShowPlayIcon(true);
    playhead_->start();
}

void ChooseWindow::StopPreview() {
    // The caller takes care of the overview's worker.
    overviewDoneBeforePreview_ = true;
    preview_->Stop();
}

void ChooseWindow::PreviewStopped() {
    playhead_->stop();
    waveform->SetPlayhead(-1);
    playButton->setText("Play");
    playButton->setAccessibleName("Play the part");
    ShowPlayIcon(false);
    const bool wasComplete = overviewDoneBeforePreview_;
    overviewDoneBeforePreview_ = true;
    ResumeOverview(wasComplete);
}

void ChooseWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!making_ && !DroppedSong(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void ChooseWindow::dropEvent(QDropEvent* event) {
    const QString song = DroppedSong(event->mimeData());
    // OpenSong refuses while a ringtone is being made.
    if (song.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    OpenSong(QFile::encodeName(song).toStdString());
}

void ChooseWindow::closeEvent(QCloseEvent* event) {
    if (making_) {
        event->ignore();
        return;
    }
    StopPreview();
    overview_.Stop();
    QWidget::closeEvent(event);
}
