#pragma once
// The font every Chimewick window is laid out for, and the frame its help and about
// windows share.

#include <QFont>
#include <QString>

class QDialog;

// "MS Sans Serif" at pointSize. Where that face is missing (any Linux desktop) DejaVu Sans
// Condensed stands in: its letters are about as narrow, so texts still fit the fixed
// geometry. Without either, the platform's default sans serif is used.
QFont WindowFont(int pointSize);

// Gives a help or about window its frame: title, a title bar whose only button closes it,
// a fixed width and height, WindowFont(pointSize) and the program's icon.
void SetUpFixedDialog(QDialog* window, const QString& title, int width, int height, int pointSize);
