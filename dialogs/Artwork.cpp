#include "dialogs/Artwork.h"

#include <QPainter>

// Stand-ins until the real artwork lands.
namespace {
QPixmap Filled(int w, int h, QColor colour) {
    QPixmap p(w, h);
    p.fill(colour);
    return p;
}
}  // namespace

QIcon ApplicationIcon() { return QIcon(Filled(32, 32, QColor(40, 90, 170))); }
QIcon ProgressDialogIcon() { return ApplicationIcon(); }
QPixmap ProgressPicture() { return Filled(268, 278, QColor(200, 220, 255)); }
QPixmap AboutBanner() { return Filled(274, 59, QColor(40, 90, 170)); }
QPixmap HelpGlyph() { return Filled(18, 18, Qt::green); }
QPixmap AboutGlyph() { return Filled(18, 18, Qt::blue); }
