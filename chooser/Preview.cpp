#include "chooser/Preview.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The sink reports the device dry as soon as it has taken the last bytes, with the
// output's buffer still to play, and stopping it then would cut off the part's last tenth of
// a second: so silence this long follows the audio.
constexpr qint64 kTailMilliseconds = 300;

// The part's samples as a sequential device the sink pulls from, then the tail of silence.
class PartDevice : public QIODevice {
public:
    explicit PartDevice(chooser::PartAudio& audio)
        : audio_(audio), tailBytes_(audio.SampleRate() * kTailMilliseconds / 1000 * FrameBytes()) {}
    bool isSequential() const override { return true; }
    bool atEnd() const override { return ended_ && tailBytes_ == 0; }
    qint64 bytesAvailable() const override {
        return (ended_ ? 0 : AudioLeft() * FrameBytes()) + tailBytes_ + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 frames = maxSize / FrameBytes();
        if (frames == 0) {
            return 0;  // room for less than a frame is no end of the audio
        }
        samples_.resize(static_cast<std::size_t>(frames * audio_.Channels()));
        const std::size_t got =
            ended_ ? 0 : audio_.Read(samples_.data(), static_cast<std::size_t>(frames));
        qint64 bytes = static_cast<qint64>(got) * FrameBytes();
        std::memcpy(data, samples_.data(), static_cast<std::size_t>(bytes));
        if (got == 0) {
            // The audio has ended (or the song stopped reading): the tail.
            ended_ = true;
            bytes = std::min(tailBytes_, frames * FrameBytes());
            std::memset(data, 0, static_cast<std::size_t>(bytes));
            tailBytes_ -= bytes;
        }
        return bytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 FrameBytes() const { return 2 * static_cast<qint64>(audio_.Channels()); }
    qint64 AudioLeft() const { return audio_.Frames() - audio_.FramesRead(); }

    chooser::PartAudio& audio_;
    qint64 tailBytes_;
    bool ended_ = false;
    std::vector<std::int16_t> samples_;
};

}  // namespace

PartPreview::PartPreview(QObject* parent) : QObject(parent) {}

PartPreview::~PartPreview() { Stop(); }

bool PartPreview::Available(QString* why) {
    if (QMediaDevices::audioOutputs().isEmpty()) {
        if (why) {
            *why =
                "No audio output is available on this computer, so the part cannot be heard "
                "here; everything else works.";
        }
        return false;
    }
    return true;
}

bool PartPreview::Play(const chooser::SongFacts& facts, std::int64_t fromSecond,
                       std::int64_t untilSecond, RingtoneRange part, const chooser::Fades& fades,
                       QString& why) {
    Stop();
    if (!Available(&why)) {
        return false;
    }
    std::string reason;
    if (!audio_.Open(facts, fromSecond, untilSecond, part, fades, reason)) {
        why = QString::fromStdString(reason);
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(audio_.SampleRate()));
    format.setChannelCount(audio_.Channels());
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (!output.isFormatSupported(format)) {
        audio_.Close();
        why = "The audio output cannot play this song's sample rate.";
        return false;
    }
    device_ = std::make_unique<PartDevice>(audio_);
    device_->open(QIODevice::ReadOnly);
    sink_ = new QAudioSink(output, format, this);
    connect(sink_, &QAudioSink::stateChanged, this, &PartPreview::StateChanged);
    sink_->start(device_.get());
    if (sink_->error() != QAudio::NoError) {
        Stop();
        why = "The audio output could not be opened.";
        return false;
    }
    return true;
}

void PartPreview::StateChanged() {
    if (!sink_) {
        return;
    }
    // Idle: the device ran dry, which it does only at its end. Stopped with an error: the
    // output went away.
    const QAudio::State state = sink_->state();
    if ((state == QAudio::IdleState && device_->atEnd()) ||
        (state == QAudio::StoppedState && sink_->error() != QAudio::NoError)) {
        Stop();
    }
}

void PartPreview::Stop() {
    if (!sink_) {
        return;
    }
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
    device_.reset();
    audio_.Close();
    emit stopped();
}

double PartPreview::PositionSeconds() const {
    if (!sink_ || audio_.SampleRate() == 0) {
        return -1;
    }
    const double played = static_cast<double>(sink_->processedUSecs()) / 1e6;
    const double length = static_cast<double>(audio_.Frames()) / audio_.SampleRate();
    return static_cast<double>(audio_.FromSecond()) + std::min(played, length);
}
