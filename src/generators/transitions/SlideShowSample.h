#pragma once
// The sample picture of the slide-show effect dialog: a small landscape, drawn
// here, that takes turns with the slide in the effect preview.

#include "platform/Bitmap.h"

constexpr int SlideShowSampleWidth = 194;
constexpr int SlideShowSampleHeight = 98;

// The sample picture, 194 x 98, 8 bits per pixel.
TBitmap SlideShowSampleBitmap();
