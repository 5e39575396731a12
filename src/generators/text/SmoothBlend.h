#pragma once
// The blender of the anti-aliased renderer: mixes a colour, or the per-pixel
// colours of a foreground bitmap, into the target canvas through a coverage
// mask, and builds the foreground pictures (gradient, texture, noise).

#include <cstdint>
#include <random>
#include <stdexcept>

#include "generators/text/SmoothMask.h"
#include "generators/text/SmoothPicture.h"
#include "generators/text/SmoothTypes.h"
#include "platform/Bitmap.h"

class EInvalidForeBmp : public std::runtime_error {
  public:
    EInvalidForeBmp() : std::runtime_error("Invalid foreground bitmap!") {}
};

class TSmoothFont;

class TSmoothBlend {
  public:
    explicit TSmoothBlend(TSmoothFont* ownerFont = nullptr);

    // Foreground: one colour a pixel, mask-sized when used. Work: the canvas area being mixed.
    TBitmap& Foreground() { return FForeground; }
    const TBitmap& Work() const { return FWork; }

    // Mixes one colour through the mask into the owner's canvas at (x, y); alpha in percent.
    void BlendColor(int x, int y, const TSmoothMask& mask, int alpha, TColor color);
    // The same with each pixel's colour from the foreground bitmap; EInvalidForeBmp
    // unless that is 24-bit and exactly mask-sized.
    void BlendForeground(int x, int y, const TSmoothMask& mask, int alpha);

    // Foreground builders (the foreground takes the mask's size).
    void MakeGradient(const TSmoothMask& mask, TGradualStyle style, TColor startColor, TColor endColor);
    void MakeTexture(const TSmoothMask& mask, const TSmoothPicture& picture, TTextureMode mode,
                     TColor fillColor);
    void MakeNoise(const TSmoothMask& mask, TColor color, int noise);
    // Adds noise to every byte of the foreground.
    void AddNoise(int noise);

    void SeedRandom(std::uint32_t seed) { FRandom.seed(seed); }

  private:
    template <class PixelColor>
    void Mix(int x, int y, const TSmoothMask& mask, int alpha, PixelColor colorAt);
    int NoiseOffset(int noise);

    TSmoothFont* FOwner;
    TBitmap FForeground;
    TBitmap FWork;
    std::mt19937 FRandom;
};
