#pragma once
// A label that shows one line of anti-aliased text with effects, laid out in
// its client rectangle over a background colour and picture. The finished
// rendering is kept in an off-screen bitmap, so the label works without any
// window: painting it anywhere is a single copy.

#include <functional>
#include <memory>
#include <string>

#include "generators/text/SmoothEffect.h"
#include "generators/text/SmoothFont.h"
#include "generators/text/SmoothPicture.h"
#include "generators/text/SmoothTypes.h"
#include "platform/Bitmap.h"

class TSmoothLabel;

class TCustomParam : public TNotifyClass {};

// The label's parameter set.
class TSmoothFontEffect : public TCustomParam {
  public:
    explicit TSmoothFontEffect(TSmoothLabel& label) : FLabel(label) {}

    TSmoothAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TSmoothAlignment alignment) { Store(FAlignment, alignment); }
    TSmoothLayout Layout() const { return FLayout; }
    void SetLayout(TSmoothLayout layout) { Store(FLayout, layout); }
    TSmoothQuality Quality() const { return FQuality; }
    void SetQuality(TSmoothQuality quality) { Store(FQuality, quality); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent) { Store(FTransparent, transparent); }
    // The background colour is the label's own colour.
    TColor BackColor() const;
    void SetBackColor(TColor color);
    const TSmoothPicture& BackGround() const { return FBackGround; }
    void SetBackGround(const TSmoothPicture& picture); // every new picture notifies
    bool LoadBackGround(const std::string& path);      // false (picture kept) when it cannot be read
    void ClearBackGround();
    TBackGroundMode BackGroundMode() const { return FBackGroundMode; }
    void SetBackGroundMode(TBackGroundMode mode) { Store(FBackGroundMode, mode); }
    // The effect set of the label's text drawer.
    TSmoothEffect& FontEffect();
    const TSmoothEffect& FontEffect() const;

  private:
    TSmoothLabel& FLabel;
    TSmoothAlignment FAlignment = taLeftJustify;
    TSmoothLayout FLayout = tlTop;
    TSmoothQuality FQuality = aqNormal;
    bool FTransparent = false;
    TSmoothPicture FBackGround;
    TBackGroundMode FBackGroundMode = bmCenter;
};

// A graphic control with a client size and one text drawer of its own.
class TSmoothGraphicControl {
  public:
    TSmoothGraphicControl() : FFont(std::make_unique<TSmoothFontEx>()) {}
    virtual ~TSmoothGraphicControl() = default;
    TSmoothGraphicControl(const TSmoothGraphicControl&) = delete;
    TSmoothGraphicControl& operator=(const TSmoothGraphicControl&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int width, int height);

    // Asked to repaint (the widget showing the control hooks in here).
    std::function<void()> OnInvalidate;

  protected:
    virtual void Resized() {}
    void Invalidate() {
        if (OnInvalidate) OnInvalidate();
    }
    TSmoothFontEx& SmoothFont() { return *FFont; }
    const TSmoothFontEx& SmoothFont() const { return *FFont; }
    int FWidth = 0;
    int FHeight = 0;

  private:
    std::unique_ptr<TSmoothFontEx> FFont;
};

struct TSmoothLabelFont {
    std::string Name = "DejaVu Sans";
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = RGB(0, 0, 0);
    bool operator==(const TSmoothLabelFont&) const = default;
};

class TSmoothLabel : public TSmoothGraphicControl {
  public:
    TSmoothLabel();

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);
    const TSmoothLabelFont& Font() const { return FFontSpec; }
    void SetFont(const TSmoothLabelFont& font);
    void SetFontSize(int points);
    void SetFontColor(TColor color);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Border() const { return FBorder; }
    void SetBorder(int border);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    TSmoothFontEffect& Effect() { return FEffect; }
    const TSmoothFontEffect& Effect() const { return FEffect; }
    TSmoothEffect& FontEffect() { return SmoothFont().Effect(); }
    const TSmoothEffect& FontEffect() const { return SmoothFont().Effect(); }

    // Changes between BeginUpdate and EndUpdate re-render once, at the end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    // The finished rendering (client size, 24-bit).
    const TBitmap& Offscreen() const { return FOffscreen; }
    // Paints the label at (0, 0) of a 24- or 32-bit canvas: exactly the
    // off-screen bitmap, or for a transparent label the text over what the canvas holds.
    void PaintTo(TBitmap& canvas);
    // Re-renders the off-screen bitmap now.
    void Render();

  protected:
    void Resized() override { Changed(); }

  private:
    friend class TSmoothFontEffect;
    void Changed();
    void PrepareFont();
    // Text extent, after AutoSize has adjusted the client size.
    void MeasureCaption(int& width, int& height);
    void TextPosition(int width, int height, int& x, int& y) const;
    void DrawBackground();

    std::string FCaption;
    TSmoothLabelFont FFontSpec;
    TColor FColor = RGB(240, 240, 240);
    int FBorder = 0;
    bool FAutoSize = false;
    TSmoothFontEffect FEffect;
    TBitmap FOffscreen;
    int FUpdateCount = 0;
    bool FPending = false;
};
