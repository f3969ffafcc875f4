#pragma once
// Plays a stretch of the song through the desktop's default audio output: a QAudioSink
// pulls 16-bit PCM from a PartAudio, in the thread that made it. Nothing plays where no
// output exists (a machine without a sound server); Available says so and why.

#include <QObject>
#include <QString>

#include <memory>

#include "chooser/Partaudio.h"

class QAudioSink;
class QIODevice;

class PartPreview : public QObject {
    Q_OBJECT
public:
    explicit PartPreview(QObject* parent = nullptr);
    ~PartPreview() override;

    // True when there is an audio output to play into; else why not, for a tooltip.
    static bool Available(QString* why);

    // Plays from second fromSecond up to untilSecond of the song, faded over part as its
    // ringtone is; stops what was playing first. False, with why, when it cannot start.
    bool Play(const chooser::SongFacts& facts, std::int64_t fromSecond, std::int64_t untilSecond,
              RingtoneRange part, const chooser::Fades& fades, QString& why);
    // Stops at once and lets go of the song (and its decoder).
    void Stop();
    bool Playing() const { return sink_ != nullptr; }
    // The second of the song being heard now (fractions included); -1 when nothing plays.
    double PositionSeconds() const;

signals:
    // Playing ended: at the stretch's end, by Stop, or because the output failed.
    void stopped();

private:
    void StateChanged();

    chooser::PartAudio audio_;
    std::unique_ptr<QIODevice> device_;
    QAudioSink* sink_ = nullptr;
};
