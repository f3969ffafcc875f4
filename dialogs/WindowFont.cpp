#include "dialogs/WindowFont.h"

#include <QDialog>
#include <QStringList>

#include "dialogs/Artwork.h"

QFont WindowFont(int pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

void SetUpFixedDialog(QDialog* window, const QString& title, int width, int height, int pointSize) {
    window->setWindowTitle(title);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(width, height);
    window->setFont(WindowFont(pointSize));
    window->setWindowIcon(ApplicationIcon());
}
