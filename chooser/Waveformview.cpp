#include "chooser/Waveformview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "chooser/PartRules.h"

namespace {
// How near a handle the pointer must be to take it, in device-independent pixels.
constexpr int kHandleReach = 6;
}  // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName("Waveform and part");
    setToolTip(
        "Drag the handles or the part; arrow keys move it, Shift+arrows its end. "
        "Double-click to hear the song from there.");
}

void WaveformView::SetEnvelope(chooser::Envelope envelope) {
    envelope_ = std::move(envelope);
    update();
}

void WaveformView::SetSong(std::int32_t durationSeconds, RingtoneRange part) {
    duration_ = durationSeconds;
    part_ = part;
    drag_ = Drag::None;
    update();
}

void WaveformView::SetPart(RingtoneRange part) {
    part_ = part;
    update();
}

void WaveformView::SetPlayhead(double seconds) {
    if (seconds != playhead_) {
        playhead_ = seconds;
        update();
    }
}

int WaveformView::XOfSecond(std::int64_t second) const {
    if (duration_ <= 0) {
        return 0;
    }
    return static_cast<int>(std::lround(static_cast<double>(second) * width() / duration_));
}

std::int64_t WaveformView::SecondAt(int x) const {
    if (width() <= 0) {
        return 0;
    }
    return std::llround(static_cast<double>(x) * duration_ / width());
}

void WaveformView::Change(RingtoneRange part) {
    if (part.start == part_.start && part.length == part_.length) {
        return;
    }
    part_ = part;
    update();
    emit partChanged(part_);
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    const int h = height();
    const double middle = h / 2.0;
    const bool partShown = duration_ > 0 && part_.length > 0;
    const int left = partShown ? XOfSecond(chooser::PartBegin(part_)) : 0;
    const int right = partShown ? XOfSecond(chooser::PartEnd(part_)) : 0;
    if (partShown) {
        QColor region = colours.color(QPalette::Highlight);
        region.setAlpha(90);
        painter.fillRect(QRect(left, 0, right - left, h), region);
    }
    if (!envelope_.low.empty() && envelope_.sampleRate > 0 && duration_ > 0) {
        // Bins per pixel column: the envelope covers frames / rate seconds of the song.
        const double binsPerSecond =
            static_cast<double>(envelope_.sampleRate) / static_cast<double>(envelope_.framesPerBin);
        const double binsPerPixel = binsPerSecond * duration_ / std::max(1, width());
        painter.setPen(colours.color(QPalette::WindowText));
        const std::size_t bins = envelope_.low.size();
        for (int x = 0; x < width(); ++x) {
            const auto first = static_cast<std::size_t>(x * binsPerPixel);
            if (first >= bins) {
                break;
            }
            const std::size_t last = std::min(
                bins, std::max(first + 1, static_cast<std::size_t>((x + 1) * binsPerPixel)));
            float low = 1;
            float high = -1;
            for (std::size_t i = first; i < last; ++i) {
                low = std::min(low, envelope_.low[i]);
                high = std::max(high, envelope_.high[i]);
            }
            painter.drawLine(x, static_cast<int>(middle - high * middle), x,
                             static_cast<int>(middle - low * middle));
        }
    }
    if (partShown) {
        painter.setPen(QPen(colours.color(QPalette::Highlight), 3));
        painter.drawLine(left, 0, left, h);
        painter.drawLine(right, 0, right, h);
    }
    if (playhead_ >= 0 && duration_ > 0) {
        const int x = static_cast<int>(std::lround(playhead_ * width() / duration_));
        painter.setPen(QPen(colours.color(QPalette::Text), 2));
        painter.drawLine(x, 0, x, h);
    }
    if (hasFocus()) {
        painter.setPen(QPen(colours.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void WaveformView::mousePressEvent(QMouseEvent* event) {
    if (duration_ <= 0 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = static_cast<int>(event->position().x());
    const int left = XOfSecond(chooser::PartBegin(part_));
    const int right = XOfSecond(chooser::PartEnd(part_));
    if (std::abs(x - left) <= kHandleReach && std::abs(x - left) <= std::abs(x - right)) {
        drag_ = Drag::Start;
    } else if (std::abs(x - right) <= kHandleReach) {
        drag_ = Drag::End;
    } else if (x > left && x < right) {
        drag_ = Drag::Move;
    } else {
        drag_ = Drag::None;
    }
    anchorSecond_ = SecondAt(x);
    anchorPart_ = part_;
}

void WaveformView::mouseMoveEvent(QMouseEvent* event) {
    const std::int64_t second = SecondAt(static_cast<int>(event->position().x()));
    switch (drag_) {
        case Drag::Start:
            Change(chooser::DragPartStart(duration_, part_, second));
            break;
        case Drag::End:
            Change(chooser::DragPartEnd(duration_, part_, second));
            break;
        case Drag::Move:
            Change(chooser::MovePartTo(duration_, anchorPart_,
                                       chooser::PartBegin(anchorPart_) + second - anchorSecond_));
            break;
        case Drag::None:
            break;
    }
}

void WaveformView::mouseReleaseEvent(QMouseEvent* event) {
    mouseMoveEvent(event);
    drag_ = Drag::None;
}

void WaveformView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (duration_ <= 0 || event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    drag_ = Drag::None;
    const std::int64_t second = SecondAt(static_cast<int>(event->position().x()));
    emit playFromRequested(std::clamp<std::int64_t>(second, 0, duration_ - 1));
}

void WaveformView::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Left ? -1 : (event->key() == Qt::Key_Right ? 1 : 0);
    if (duration_ <= 0 || step == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    Change(event->modifiers() & Qt::ShiftModifier ? chooser::MovePartEndBy(duration_, part_, step)
                                                  : chooser::MovePartBy(duration_, part_, step));
}
