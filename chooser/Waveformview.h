#pragma once
// The song's peak envelope, one column per pixel, with the part over it as a highlighted
// region between two handles. Dragging a handle moves that end, dragging inside the region
// moves the whole part, the arrow keys move it by a second and Shift+arrows its end, and a
// double-click asks to play from where it lands; every
// change goes through the part rules, so what is shown is what the pipeline will cut.

#include <QWidget>

#include "app/Ringtonenames.h"
#include "chooser/Songoverview.h"

class WaveformView : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(QWidget* parent = nullptr);

    void SetEnvelope(chooser::Envelope envelope);
    // The song's whole seconds (0: no song, nothing to choose) and the part shown.
    void SetSong(std::int32_t durationSeconds, RingtoneRange part);
    void SetPart(RingtoneRange part);
    // Where the preview stands, in seconds of the song; negative hides the playhead.
    void SetPlayhead(double seconds);
    RingtoneRange Part() const { return part_; }
    const chooser::Envelope& Shown() const { return envelope_; }

    // The x of a second on the widget, and the second nearest to an x.
    int XOfSecond(std::int64_t second) const;
    std::int64_t SecondAt(int x) const;

signals:
    void partChanged(RingtoneRange part);
    // A double-click asks to hear the song from that second.
    void playFromRequested(std::int64_t second);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Start, End, Move };
    void Change(RingtoneRange part);

    chooser::Envelope envelope_;
    std::int32_t duration_ = 0;
    RingtoneRange part_{-1, 0};
    double playhead_ = -1;
    Drag drag_ = Drag::None;
    std::int64_t anchorSecond_ = 0;
    RingtoneRange anchorPart_{-1, 0};
};
