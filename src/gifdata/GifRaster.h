#pragma once
// Helpers of the frame raster conversion beyond GifData.h (fl_gifraster).

#include "gifdata/GifData.h"
#include "platform/Canvas.h"

#include <string>

// Installs the thumbnail renderer (also done when fl_gifraster's conversions
// are linked into a program); safe to call more than once.
void RegisterThumbnailRenderer();

// Where a logical screen of the given size is drawn on the 128 x 100 card.
struct TThumbnailLayout {
    TRect Area;    // the light picture area
    TRect Picture; // the scaled screen, centred in the area
    float Scale = 1.0f;
};
TThumbnailLayout ThumbnailLayout(int screenWidth, int screenHeight);

// A delay in 1/100 s as seconds with two decimals and the locale's decimal mark.
std::string FormatDelay(int delayTime);
