#pragma once
// Pictures and icons, drawn in code.

#include <QIcon>
#include <QPixmap>

QIcon ApplicationIcon();
QIcon ProgressDialogIcon();
QPixmap ProgressPicture();  // 268 x 278
QPixmap AboutBanner();      // 274 x 59
QPixmap HelpGlyph();        // 18 x 18
QPixmap AboutGlyph();       // 18 x 18
