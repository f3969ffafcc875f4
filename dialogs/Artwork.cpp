#include "dialogs/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

// The resources are compiled into a static library, whose registration the linker drops
// unless something refers to it; this is that reference, made when the icon is first drawn.
static void LoadIconResource() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

namespace {

const QColor kBellLight(0xFF, 0xEC, 0x94);
const QColor kBellGold(0xFF, 0xC9, 0x2E);
const QColor kBellDeep(0xE8, 0x93, 0x14);
const QColor kBellShade(0xB8, 0x6A, 0x06);
const QColor kBellOutline(0x6E, 0x40, 0x05);
const QColor kMotifViolet(0x74, 0x3C, 0xD2);
const QColor kMotifPlum(0x9A, 0x2C, 0xB0);

QImage TransparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Pictures carry their own text, so they name a face that the setup always installs
// instead of the window font.
QFont PictureFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QColor WithAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

// Points of the bell in fractions of its box, so one drawing serves every size.
class BellFrame {
public:
    explicit BellFrame(const QRectF& box) : box_(box) {}
    QPointF At(qreal x, qreal y) const {
        return {box_.left() + x * box_.width(), box_.top() + y * box_.height()};
    }
    qreal Width(qreal fraction) const { return fraction * box_.width(); }

private:
    QRectF box_;
};

QPainterPath BellBody(const BellFrame& f) {
    QPainterPath path(f.At(0.5, 0.08));
    path.cubicTo(f.At(0.71, 0.08), f.At(0.79, 0.23), f.At(0.79, 0.43));
    path.cubicTo(f.At(0.79, 0.62), f.At(0.85, 0.72), f.At(1.0, 0.80));
    path.quadTo(f.At(0.5, 0.95), f.At(0.0, 0.80));
    path.cubicTo(f.At(0.15, 0.72), f.At(0.21, 0.62), f.At(0.21, 0.43));
    path.cubicTo(f.At(0.21, 0.23), f.At(0.29, 0.08), f.At(0.5, 0.08));
    path.closeSubpath();
    return path;
}

// The golden bell of the motif, with its rim band and shine.
void PaintBell(QPainter& p, const QRectF& box) {
    const BellFrame f(box);
    const qreal outline = std::max<qreal>(1.0, f.Width(0.035));
    p.save();
    p.setPen(QPen(kBellOutline, outline));

    p.setBrush(kBellDeep);
    const qreal clapper = f.Width(0.09);
    p.drawEllipse(f.At(0.5, 0.89), clapper, clapper);
    p.setBrush(kBellGold);
    const qreal knob = f.Width(0.075);
    p.drawEllipse(f.At(0.5, 0.06), knob, knob);

    QLinearGradient metal(f.At(0.0, 0.5), f.At(1.0, 0.5));
    metal.setColorAt(0.0, kBellLight);
    metal.setColorAt(0.35, kBellGold);
    metal.setColorAt(0.75, kBellDeep);
    metal.setColorAt(1.0, kBellShade);
    p.setBrush(metal);
    p.drawPath(BellBody(f));

    QPainterPath rim(f.At(0.07, 0.75));
    rim.quadTo(f.At(0.5, 0.88), f.At(0.93, 0.75));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(kBellShade, 200), f.Width(0.05), Qt::SolidLine, Qt::RoundCap));
    p.drawPath(rim);

    QPainterPath shine(f.At(0.38, 0.2));
    shine.cubicTo(f.At(0.31, 0.3), f.At(0.31, 0.5), f.At(0.26, 0.68));
    p.setPen(QPen(QColor(255, 255, 255, 180), f.Width(0.06), Qt::SolidLine, Qt::RoundCap));
    p.drawPath(shine);
    p.restore();
}

// An eighth note whose head is centred on head; height runs from the head to the flag.
void PaintNote(QPainter& p, QPointF head, qreal height, const QColor& colour) {
    const qreal h = height;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.save();
    p.translate(head);
    p.rotate(-22);
    p.drawEllipse(QPointF(0, 0), 0.22 * h, 0.155 * h);
    p.restore();

    const qreal stemRight = head.x() + 0.21 * h;
    const qreal stemWidth = std::max<qreal>(1.0, 0.075 * h);
    const qreal top = head.y() - h;
    p.drawRect(QRectF(stemRight - stemWidth, top, stemWidth, h - 0.03 * h));

    QPainterPath flag(QPointF(stemRight - stemWidth * 0.5, top));
    flag.cubicTo(QPointF(stemRight + 0.03 * h, top + 0.22 * h),
                 QPointF(stemRight + 0.36 * h, top + 0.28 * h),
                 QPointF(stemRight + 0.24 * h, top + 0.64 * h));
    flag.cubicTo(QPointF(stemRight + 0.27 * h, top + 0.42 * h),
                 QPointF(stemRight + 0.08 * h, top + 0.34 * h),
                 QPointF(stemRight - stemWidth * 0.5, top + 0.34 * h));
    flag.closeSubpath();
    p.drawPath(flag);
    p.restore();
}

// Two eighth notes joined by a beam; the second head sits rise higher.
void PaintBeamedNotes(QPainter& p, QPointF firstHead, qreal spacing, qreal rise, qreal height,
                      const QColor& colour) {
    const qreal h = height;
    const QPointF heads[2] = {firstHead, firstHead + QPointF(spacing, -rise)};
    const qreal stemWidth = std::max<qreal>(1.0, 0.075 * h);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const QPointF& head : heads) {
        p.save();
        p.translate(head);
        p.rotate(-22);
        p.drawEllipse(QPointF(0, 0), 0.22 * h, 0.155 * h);
        p.restore();
        p.drawRect(QRectF(head.x() + 0.21 * h - stemWidth, head.y() - h, stemWidth, h - 0.03 * h));
    }
    const qreal beam = 0.16 * h;
    const QPointF left(heads[0].x() + 0.21 * h - stemWidth, heads[0].y() - h);
    const QPointF right(heads[1].x() + 0.21 * h, heads[1].y() - h);
    QPainterPath path(left);
    path.lineTo(right);
    path.lineTo(right + QPointF(0, beam));
    path.lineTo(left + QPointF(0, beam));
    path.closeSubpath();
    p.drawPath(path);
    p.restore();
}

// Concentric arcs spreading from centre towards direction (degrees, counter-clockwise
// from the right), fading outwards.
void PaintSoundWaves(QPainter& p, QPointF centre, qreal firstRadius, qreal step, int count,
                     qreal direction, qreal span, const QColor& colour, qreal width) {
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const qreal r = firstRadius + i * step;
        const int alpha = colour.alpha() * (count - i) / count;
        p.setPen(QPen(WithAlpha(colour, alpha), width, Qt::SolidLine, Qt::RoundCap));
        const QRectF circle(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(circle, qRound((direction - span / 2) * 16), qRound(span * 16));
    }
    p.restore();
}

// A four-pointed twinkle.
void PaintSparkle(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
    const qreal waist = radius * 0.22;
    QPainterPath star(centre + QPointF(0, -radius));
    star.quadTo(centre + QPointF(waist, -waist), centre + QPointF(radius, 0));
    star.quadTo(centre + QPointF(waist, waist), centre + QPointF(0, radius));
    star.quadTo(centre + QPointF(-waist, waist), centre + QPointF(-radius, 0));
    star.quadTo(centre + QPointF(-waist, -waist), centre + QPointF(0, -radius));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
    p.restore();
}

// The classic 16-colour palette the progress dialog's icon is limited to.
const QColor kVgaBlack(0x00, 0x00, 0x00);
const QColor kVgaNavy(0x00, 0x00, 0x80);
const QColor kVgaOlive(0x80, 0x80, 0x00);
const QColor kVgaRed(0xFF, 0x00, 0x00);
const QColor kVgaBlue(0x00, 0x00, 0xFF);
const QColor kVgaYellow(0xFF, 0xFF, 0x00);
const QColor kVgaWhite(0xFF, 0xFF, 0xFF);

void SetPixel(QImage& image, int x, int y, const QColor& colour) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        image.setPixelColor(x, y, colour);
    }
}

void HorizontalRun(QImage& image, int x0, int x1, int y, const QColor& colour) {
    for (int x = x0; x <= x1; ++x) {
        SetPixel(image, x, y, colour);
    }
}

// Pixel by pixel, so the icon keeps the hard edges of its palette.
QImage PaintProgressIconPixels() {
    QImage image = TransparentImage(32, 32);
    const int centre = 13;

    // Knob.
    HorizontalRun(image, centre - 1, centre + 1, 2, kVgaBlack);
    SetPixel(image, centre - 2, 3, kVgaBlack);
    SetPixel(image, centre - 1, 3, kVgaWhite);
    HorizontalRun(image, centre, centre + 1, 3, kVgaYellow);
    SetPixel(image, centre + 2, 3, kVgaBlack);

    // Bell body: half-widths from the shoulder down to the flared lip.
    const int halfWidth[] = {3, 5, 6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 9, 9, 10, 11};
    const int firstRow = 4;
    const int rows = static_cast<int>(std::size(halfWidth));
    for (int i = 0; i < rows; ++i) {
        const int y = firstRow + i;
        const int hw = halfWidth[i];
        if (i == 0) {
            HorizontalRun(image, centre - hw, centre + hw, y, kVgaBlack);
            continue;
        }
        HorizontalRun(image, centre - hw + 1, centre + hw - 1, y, kVgaYellow);
        SetPixel(image, centre - hw, y, kVgaBlack);
        SetPixel(image, centre + hw, y, kVgaBlack);
        if (hw >= 5) {
            HorizontalRun(image, centre + hw - 3, centre + hw - 1, y, kVgaOlive);
            if (i >= 2 && i <= rows - 4) {
                SetPixel(image, centre - hw + 2, y, kVgaWhite);
            }
        }
    }
    // Rim: a shaded band, then the outline.
    const int rim = firstRow + rows;
    const int lip = halfWidth[rows - 1];
    HorizontalRun(image, centre - lip, centre + lip, rim, kVgaOlive);
    SetPixel(image, centre - lip, rim, kVgaBlack);
    SetPixel(image, centre + lip, rim, kVgaBlack);
    HorizontalRun(image, centre - lip + 1, centre + lip - 1, rim + 1, kVgaBlack);
    // Clapper.
    HorizontalRun(image, centre - 1, centre + 1, rim + 2, kVgaOlive);
    SetPixel(image, centre - 2, rim + 2, kVgaBlack);
    SetPixel(image, centre + 2, rim + 2, kVgaBlack);
    HorizontalRun(image, centre - 1, centre + 1, rim + 3, kVgaBlack);

    // Ringing strokes beside the lip, mirrored about the centre column.
    for (int x = 0; x < 2; ++x) {
        for (const int y : {rim - 6 + x, rim - 2}) {
            SetPixel(image, x, y, kVgaRed);
            SetPixel(image, 2 * centre - x, y, kVgaRed);
        }
    }

    // Eighth note at the top right: head, stem and flag.
    const int stem = 28;
    for (int y = 2; y <= 13; ++y) {
        SetPixel(image, stem, y, kVgaNavy);
    }
    HorizontalRun(image, 25, 27, 12, kVgaNavy);
    HorizontalRun(image, 24, 28, 13, kVgaNavy);
    HorizontalRun(image, 24, 27, 14, kVgaNavy);
    HorizontalRun(image, 25, 26, 15, kVgaNavy);
    SetPixel(image, 25, 13, kVgaBlue);
    SetPixel(image, 29, 3, kVgaNavy);
    HorizontalRun(image, 29, 30, 4, kVgaNavy);
    HorizontalRun(image, 30, 31, 5, kVgaNavy);
    HorizontalRun(image, 30, 31, 6, kVgaNavy);
    SetPixel(image, 31, 7, kVgaNavy);
    SetPixel(image, 30, 8, kVgaNavy);
    return image;
}

// The phone of the progress picture, standing in body.
void PaintPhone(QPainter& p, const QRectF& body) {
    const qreal radius = 20;
    p.save();

    // Ground shadow.
    const QPointF shadowCentre(body.center().x(), body.bottom() + 10);
    QRadialGradient shadow(shadowCentre, body.width() * 0.75);
    shadow.setColorAt(0.0, QColor(30, 30, 70, 90));
    shadow.setColorAt(1.0, QColor(30, 30, 70, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.save();
    p.translate(shadowCentre);
    p.scale(1.0, 0.16);
    p.drawEllipse(QPointF(0, 0), body.width() * 0.75, body.width() * 0.75);
    p.restore();

    // Case, with a lit left edge.
    QLinearGradient casing(body.topLeft(), body.topRight());
    casing.setColorAt(0.0, QColor(0x5A, 0x62, 0x78));
    casing.setColorAt(0.12, QColor(0x33, 0x39, 0x4B));
    casing.setColorAt(1.0, QColor(0x1C, 0x20, 0x2C));
    p.setBrush(casing);
    p.setPen(QPen(QColor(0x12, 0x15, 0x1E), 1.5));
    p.drawRoundedRect(body, radius, radius);

    // Screen.
    const QRectF screen = body.adjusted(8, 26, -8, -28);
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0.0, QColor(0x5E, 0x9B, 0xF8));
    glass.setColorAt(0.55, QColor(0x6C, 0x5C, 0xE8));
    glass.setColorAt(1.0, QColor(0x9B, 0x45, 0xC9));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(screen, 6, 6);

    // The ringtone being made: the song as a waveform, the chosen excerpt lit.
    const qreal waveTop = screen.top() + screen.height() * 0.66;
    const qreal waveHeight = 30;
    const qreal waveMid = waveTop + waveHeight / 2;
    const qreal bar = 3;
    const qreal gap = 1.6;
    const int bars = static_cast<int>((screen.width() - 12) / (bar + gap));
    const qreal first = screen.left() + (screen.width() - bars * (bar + gap) + gap) / 2;
    const int litFrom = bars * 3 / 10;
    const int litTo = bars * 7 / 10;
    const QRectF excerpt(first + litFrom * (bar + gap) - 2.5, waveTop - 4,
                         (litTo - litFrom) * (bar + gap) + 3, waveHeight + 8);
    p.setBrush(QColor(255, 255, 255, 55));
    p.drawRoundedRect(excerpt, 3, 3);
    for (int i = 0; i < bars; ++i) {
        const qreal t = static_cast<qreal>(i);
        const qreal level =
            0.25 + 0.75 * std::fabs(std::sin(t * 0.9) * 0.6 + std::sin(t * 0.37 + 1.0) * 0.4);
        const qreal h = std::max<qreal>(2.0, level * waveHeight);
        const bool lit = i >= litFrom && i < litTo;
        p.setBrush(lit ? QColor(255, 255, 255, 240) : QColor(255, 255, 255, 110));
        p.drawRoundedRect(QRectF(first + i * (bar + gap), waveMid - h / 2, bar, h), 1.2, 1.2);
    }
    p.setPen(QPen(QColor(0xFF, 0xD3, 0x4D), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(excerpt.left(), excerpt.top()), QPointF(excerpt.left(), excerpt.bottom()));
    p.drawLine(QPointF(excerpt.right(), excerpt.top()), QPointF(excerpt.right(), excerpt.bottom()));
    p.setPen(Qt::NoPen);

    // The bell ringing on the screen.
    const qreal bellSize = screen.width() * 0.56;
    const QRectF bellBox(screen.center().x() - bellSize / 2, screen.top() + 16, bellSize,
                         bellSize * 1.05);
    PaintSoundWaves(p, QPointF(bellBox.center().x(), bellBox.top() + bellSize * 0.5),
                    bellSize * 0.62, 6, 2, 0, 70, QColor(255, 255, 255, 170), 2.2);
    PaintSoundWaves(p, QPointF(bellBox.center().x(), bellBox.top() + bellSize * 0.5),
                    bellSize * 0.62, 6, 2, 180, 70, QColor(255, 255, 255, 170), 2.2);
    PaintBell(p, bellBox);

    // Glare across the glass.
    QPainterPath glare;
    glare.moveTo(screen.topLeft() + QPointF(0, 6));
    glare.lineTo(screen.topLeft() + QPointF(screen.width() * 0.55, 0));
    glare.lineTo(screen.topLeft() + QPointF(0, screen.height() * 0.45));
    glare.closeSubpath();
    QLinearGradient glareFade(screen.topLeft(), screen.topLeft() + QPointF(40, 60));
    glareFade.setColorAt(0.0, QColor(255, 255, 255, 60));
    glareFade.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(glareFade);
    p.drawPath(glare);

    // Earpiece and the pill of the home bar.
    p.setBrush(QColor(0x0C, 0x0E, 0x14));
    p.drawRoundedRect(QRectF(body.center().x() - 16, body.top() + 11, 32, 5), 2.5, 2.5);
    p.setBrush(QColor(0x4A, 0x52, 0x68));
    p.drawRoundedRect(QRectF(body.center().x() - 14, body.bottom() - 17, 28, 6), 3, 3);
    p.restore();
}

}  // namespace

QImage ApplicationIconImage(int size) {
    LoadIconResource();
    QImage image = TransparentImage(size, size);
    QSvgRenderer icon(QStringLiteral(":/chimewick.svg"));
    QPainter p(&image);
    icon.render(&p, QRectF(0, 0, size, size));
    return image;
}

namespace {

// Draws the application icon only at the sizes the window system actually asks for, and
// only when it asks: every window carries the icon, but in most runs few are ever shown.
class ApplicationIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int wanted = std::max(1, std::min(size.width(), size.height()));
        auto cached = cache_.find(wanted);
        if (cached == cache_.end()) {
            cached = cache_.emplace(wanted, QPixmap::fromImage(ApplicationIconImage(wanted))).first;
        }
        return cached->second;
    }
    // The sizes desktops ask for most; any other is drawn as sharply on request.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
            sizes.append(QSize(s, s));
        }
        return sizes;
    }
    QIconEngine* clone() const override { return new ApplicationIconEngine(*this); }

private:
    std::map<int, QPixmap> cache_;
};

}  // namespace

QIcon ApplicationIcon() { return QIcon(new ApplicationIconEngine); }

QIcon ProgressDialogIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(PaintProgressIconPixels()));
    return icon;
}

QPixmap ProgressPicture() {
    const int width = 268;
    const int height = 278;
    QImage image = TransparentImage(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF card(0.5, 0.5, width - 1, height - 1);
    QLinearGradient sky(card.topLeft(), card.bottomLeft());
    sky.setColorAt(0.0, QColor(0xDD, 0xEC, 0xFF));
    sky.setColorAt(0.6, QColor(0xE9, 0xE2, 0xFC));
    sky.setColorAt(1.0, QColor(0xF6, 0xE6, 0xF4));
    p.setPen(QPen(QColor(0xA9, 0xB8, 0xDA), 1));
    p.setBrush(sky);
    p.drawRoundedRect(card, 12, 12);

    const QPointF glowCentre(width / 2.0, 128);
    QRadialGradient glow(glowCentre, 120);
    glow.setColorAt(0.0, QColor(255, 255, 255, 230));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(glowCentre, 120, 120);

    const QRectF body(width / 2.0 - 54, 32, 108, 204);
    PaintSoundWaves(p, QPointF(body.center().x(), 118), 66, 13, 3, 0, 60,
                    QColor(0xF0, 0x7A, 0x2A, 230), 4);
    PaintSoundWaves(p, QPointF(body.center().x(), 118), 66, 13, 3, 180, 60,
                    QColor(0xF0, 0x7A, 0x2A, 230), 4);
    PaintPhone(p, body);

    PaintNote(p, QPointF(34, 74), 34, QColor(0x6C, 0x4B, 0xD8));
    PaintBeamedNotes(p, QPointF(207, 60), 24, 8, 32, QColor(0x3F, 0x7B, 0xE8));
    PaintNote(p, QPointF(232, 218), 28, QColor(0xC0, 0x3F, 0xA6));
    PaintNote(p, QPointF(30, 212), 24, QColor(0x3F, 0x7B, 0xE8, 200));
    PaintSparkle(p, QPointF(58, 30), 7, QColor(0xFF, 0xC9, 0x2E));
    PaintSparkle(p, QPointF(236, 124), 5, QColor(0xFF, 0xC9, 0x2E));
    PaintSparkle(p, QPointF(24, 150), 4, QColor(255, 255, 255));
    PaintSparkle(p, QPointF(196, 254), 5, QColor(0x9B, 0x8C, 0xF0));
    return QPixmap::fromImage(image);
}

QPixmap AboutBanner() {
    const int width = 274;
    const int height = 59;
    QImage image = TransparentImage(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient band(0, 0, width, height);
    band.setColorAt(0.0, QColor(0x2E, 0x4F, 0xD6));
    band.setColorAt(0.55, kMotifViolet);
    band.setColorAt(1.0, kMotifPlum);
    p.fillRect(image.rect(), band);
    QLinearGradient gloss(0, 0, 0, height / 2.0);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 55));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, width, height / 2), gloss);

    PaintSoundWaves(p, QPointF(31, 27), 22, 6, 2, 180, 70, QColor(255, 255, 255, 150), 2);
    PaintBell(p, QRectF(12, 5, 40, 46));

    p.setPen(QColor(0x1A, 0x10, 0x50, 110));
    p.setFont(PictureFont(27, true));
    p.drawText(QPointF(63, 35), QStringLiteral("Chimewick"));
    p.setPen(Qt::white);
    p.drawText(QPointF(62, 33), QStringLiteral("Chimewick"));
    p.setFont(PictureFont(11, false));
    p.setPen(QColor(0xE6, 0xDD, 0xFF));
    p.drawText(QPointF(64, 50), QStringLiteral("the ringtone maker"));

    PaintNote(p, QPointF(236, 40), 26, QColor(255, 255, 255, 220));
    PaintBeamedNotes(p, QPointF(248, 30), 14, 5, 20, QColor(255, 255, 255, 150));
    PaintSparkle(p, QPointF(229, 50), 4, QColor(0xFF, 0xDD, 0x66));
    return QPixmap::fromImage(image);
}

namespace {

QImage GlyphSquare(const QColor& fill, const QColor& edge) {
    QImage image = TransparentImage(18, 18);
    QPainter p(&image);
    p.fillRect(QRect(1, 1, 16, 16), edge);
    p.fillRect(QRect(2, 2, 14, 14), fill);
    p.fillRect(QRect(2, 2, 14, 1), fill.lighter(130));
    p.fillRect(QRect(2, 2, 1, 14), fill.lighter(115));
    return image;
}

}  // namespace

QPixmap HelpGlyph() {
    QImage image = GlyphSquare(QColor(0x3C, 0xB8, 0x4A), QColor(0x1D, 0x6B, 0x28));
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::black);
    p.setFont(PictureFont(14, true));
    p.drawText(QRect(1, 1, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return QPixmap::fromImage(image);
}

QPixmap AboutGlyph() {
    return QPixmap::fromImage(GlyphSquare(QColor(0x2F, 0x6C, 0xE0), QColor(0x17, 0x3C, 0x8C)));
}
