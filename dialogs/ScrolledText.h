#pragma once
// A read-only text box laid inside a scroll box that scrolls it as a whole, the way the
// help and about windows show their long texts.

#include <QRect>
#include <QString>

class QPlainTextEdit;
class QScrollArea;

// Puts a frameless, read-only, sky-blue text box holding text at geometry inside box's
// scrolled page. Negative offsets hide the text box's top and left edges; the page is the
// rest of it. The text box never scrolls itself, so the mouse wheel over it reaches box.
// box owns the result.
QPlainTextEdit* PutScrolledText(QScrollArea* box, const QRect& geometry, const QString& text);

// The background of both windows' texts.
inline constexpr unsigned kSkyBlueRgb = 0xA6CAF0;
