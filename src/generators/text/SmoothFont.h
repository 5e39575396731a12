#pragma once
// The text drawer of the anti-aliased renderer: measures and draws one line of
// text into a 24-bit (or 32-bit) target bitmap, its canvas, through a coverage
// mask. TSmoothFontEx adds the effect set (shadow, gradient, texture, noise,
// blur, spray, outline, mirroring, rotation, alpha).

#include <memory>
#include <string>

#include "generators/text/SmoothBlend.h"
#include "generators/text/SmoothEffect.h"
#include "generators/text/SmoothMask.h"
#include "generators/text/SmoothTextRaster.h"
#include "platform/Bitmap.h"

class TSmoothFont {
  public:
    TSmoothFont();
    virtual ~TSmoothFont();
    TSmoothFont(const TSmoothFont&) = delete;
    TSmoothFont& operator=(const TSmoothFont&) = delete;

    // The target canvas (not owned; may be absent).
    TBitmap* Canvas() const { return FCanvas; }
    void SetCanvas(TBitmap* canvas) { FCanvas = canvas; }
    // The font the canvas draws with.
    TSmoothFontDesc& Font() { return FFont; }
    const TSmoothFontDesc& Font() const { return FFont; }
    void SetFont(const TSmoothFontDesc& font) { FFont = font; }

    TSmoothQuality Quality() const { return FMask->Quality(); }
    void SetQuality(TSmoothQuality quality) { FMask->SetQuality(quality); }

    TSmoothMask& Mask() { return *FMask; }
    TSmoothBlend& Blend() { return *FBlend; }

    virtual void TextExtent(const std::string& text, int& width, int& height);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    // Draws the text in the font colour with (x, y) the top-left of its box.
    virtual void TextOut(int x, int y, const std::string& text);

  private:
    TBitmap* FCanvas = nullptr;
    TSmoothFontDesc FFont;
    std::unique_ptr<TSmoothMask> FMask;
    std::unique_ptr<TSmoothBlend> FBlend;
};

class TSmoothFontEx : public TSmoothFont {
  public:
    TSmoothFontEx();
    ~TSmoothFontEx() override;

    TSmoothEffect& Effect() { return *FEffect; }
    const TSmoothEffect& Effect() const { return *FEffect; }

    // Measured with the rotation of Angle; an enabled shadow adds |OffsetX| and |OffsetY|.
    void TextExtent(const std::string& text, int& width, int& height) override;
    // Draws the text with every effect; (x, y) is the top-left of the extent box.
    void TextOut(int x, int y, const std::string& text) override;

  private:
    std::unique_ptr<TSmoothEffect> FEffect;
};
