#pragma once
// The system clipboard's pictures as bitmaps of the drawing layer.
//
// A picture goes onto the clipboard twice: as the platform's picture (colour
// only, as every program reads it) and as PNG with its transparency, so a
// program that reads PNG gets the exact colours and the shape. Reading takes
// PNG first, then any picture the platform or the image formats can read.

#include "platform/Bitmap.h"

// The clipboard offers a picture.
bool ClipboardHasPicture();

// The clipboard's picture as a 32-bit bitmap whose fourth byte is the
// pixel's opacity (0 transparent .. 255 opaque). Empty when the clipboard
// holds no picture, it cannot be read, or it has more than maxPixels pixels.
TBitmap ClipboardPicture(std::int64_t maxPixels);

// Puts a 32-bit bitmap (fourth byte: opacity) on the clipboard. The platform's
// picture shows every pixel's colour, transparent ones included; the PNG keeps
// the opacity.
void SetClipboardPicture(const TBitmap& picture);
