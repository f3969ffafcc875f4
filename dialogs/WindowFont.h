#pragma once
// The font every Chimewick window is laid out for.

#include <QFont>

// "MS Sans Serif" at pointSize. Where that face is missing (any Linux desktop) DejaVu Sans
// Condensed stands in: its letters are about as narrow, so texts still fit the fixed
// geometry. Without either, the platform's default sans serif is used.
QFont WindowFont(int pointSize);
