#pragma once
// Chimewick's pictures and icons: a golden bell with a note is the motif throughout. The
// application icon is the installed SVG, compiled in; the rest is painted in code. Each
// call paints afresh; a QGuiApplication must exist.

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's icon for every window and the task bar. Nothing is drawn until a window
// system asks for a size, and then only that size, sharp (the drawing is kept per size).
QIcon ApplicationIcon();
// One size of the application icon (size × size, transparent corners), rendered from the
// same SVG file the desktop shows for the installed program.
QImage ApplicationIconImage(int size);

// The progress dialog's icon: 32 × 32 in flat colours of the classic 16-colour palette.
QIcon ProgressDialogIcon();

// The progress dialog's picture, 268 × 278: a phone ringing with a song, notes around it.
QPixmap ProgressPicture();

// The about window's banner, 274 × 59: the motif and the product name.
QPixmap AboutBanner();

// The main window's speed-button glyphs, 18 × 18 with a transparent border (the bottom-left
// pixel is transparent): a bold black question mark on a green square, and a plain blue
// square.
QPixmap HelpGlyph();
QPixmap AboutGlyph();
