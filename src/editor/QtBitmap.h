#pragma once
// Showing the drawing layer's bitmaps in Qt widgets.

#include "platform/Bitmap.h"

#include <QColor>
#include <QImage>

// A QImage copy of a bitmap: 8-bit as an indexed image with its palette, 24- and 32-bit as RGB.
QImage ToQImage(const TBitmap& bitmap);

// A colour of the drawing layer (0x00BBGGRR) as a QColor; NoColor gives an invalid QColor.
QColor ToQColor(TColor color);
