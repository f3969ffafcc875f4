#include "dialogs/WindowFont.h"

#include <QStringList>

QFont WindowFont(int pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}
