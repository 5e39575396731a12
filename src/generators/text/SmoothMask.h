#pragma once
// The coverage mask of the anti-aliased text renderer: the text is rasterised
// at two to four times its size and shrunk back by averaging, so every mask
// byte is an ink coverage (0 none, 255 full). The mask-only effects (outline,
// spray, mirroring, blur) work on it in place.

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "generators/text/SmoothTypes.h"

class EInvalidLine : public std::runtime_error {
  public:
    EInvalidLine() : std::runtime_error("Invalid line!") {}
};

// Text whose mask would be larger than MaxSmoothMaskPixels: the renderer
// refuses it rather than take gigabytes.
class ETextTooLarge : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The largest text mask (text box in pixels, rotation included): 128 Mpx.
constexpr std::int64_t MaxSmoothMaskPixels = std::int64_t(1) << 27;

// Supersampling factor of a quality: aqHigh 4, aqNormal 3, aqLow 2, aqNone 1.
int SmoothScale(TSmoothQuality quality);

// The box of text of width x height turned by escapement tenths of a degree
// (counter-clockwise) about its centre, and where inside that box the drawing
// of the rotated text starts (the turned top-left corner).
void RotatedTextBox(int width, int height, int escapement, int& boxWidth, int& boxHeight, int& startX,
                    int& startY);
// The widening italic text gets: width / characters x 0.3, rounded (ties to even).
int ItalicExtraWidth(int width, int characterCount);

class TSmoothFont;

class TSmoothMask {
  public:
    explicit TSmoothMask(TSmoothFont* ownerFont = nullptr);

    TSmoothQuality Quality() const { return FQuality; }
    void SetQuality(TSmoothQuality quality); // sets the scale in the same step
    int Scale() const { return FScale; }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int RowStride() const { return FStride; }
    // Resizes the mask; every coverage byte becomes 0.
    void SetSize(int width, int height);

    // The bytes of one row; EInvalidLine outside 0..Height-1.
    std::uint8_t* ScanLine(int row);
    const std::uint8_t* ScanLine(int row) const;

    // Text size in pixels at the owner font (rotation included); (0, 0) without an owner.
    void TextExtent(const std::string& text, int& width, int& height);
    // Measures, rasterises at the supersampled size and shrinks into the mask.
    // The supersampled raster is made a band of rows at a time, so it never
    // takes more than a few megabytes. Does nothing without a target canvas;
    // raises ETextTooLarge for a text box over MaxSmoothMaskPixels.
    void Render(const std::string& text);
    // Shrinks a raster of (Width x Scale) x (Height x Scale) bytes, row after row
    // with no padding, into the mask (which must already have its size).
    void ShrinkFrom(const std::vector<std::uint8_t>& raster);
    // The same for a band of the raster that makes mask rows first..first+count-1.
    void ShrinkRows(const std::uint8_t* band, int first, int count);

    void MakeOutline();
    void ApplySpray(int amount);
    void MirrorHorizontally();
    void MirrorVertically();
    void ApplyBlur(int strength);

    void Assign(const TSmoothMask& other);

    // The spray draws from this generator; seeding makes renderings repeatable.
    void SeedRandom(std::uint32_t seed) { FRandom.seed(seed); }

  private:
    TSmoothFont* FOwner;
    TSmoothQuality FQuality = aqNormal;
    int FScale = 3;
    int FWidth = 0;
    int FHeight = 0;
    int FStride = 0;
    std::vector<std::uint8_t> FCoverage;
    // Where rotated text starts inside its box, found while measuring.
    int FStartX = 0;
    int FStartY = 0;
    std::mt19937 FRandom;
};
