#include "generators/text/SmoothLabel.h"

#include <algorithm>
#include <cstring>

TColor TSmoothFontEffect::BackColor() const {
    return FLabel.Color();
}

void TSmoothFontEffect::SetBackColor(TColor color) {
    FLabel.SetColor(color);
}

void TSmoothFontEffect::SetBackGround(const TSmoothPicture& picture) {
    FBackGround = picture;
    Changed();
}

bool TSmoothFontEffect::LoadBackGround(const std::string& path) {
    if (!FBackGround.LoadFromFile(path)) return false;
    Changed();
    return true;
}

void TSmoothFontEffect::ClearBackGround() {
    if (FBackGround.Empty()) return;
    FBackGround.Clear();
    Changed();
}

TSmoothEffect& TSmoothFontEffect::FontEffect() {
    return FLabel.FontEffect();
}

const TSmoothEffect& TSmoothFontEffect::FontEffect() const {
    return FLabel.FontEffect();
}

void TSmoothGraphicControl::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == FWidth && height == FHeight) return;
    FWidth = width;
    FHeight = height;
    Resized();
}

TSmoothLabel::TSmoothLabel() : FEffect(*this) {
    FWidth = 100;
    FHeight = 30;
    FEffect.SetOnChange([this] { Changed(); });
    FontEffect().SetOnChange([this] { Changed(); });
    Render();
}

void TSmoothLabel::SetCaption(const std::string& caption) {
    if (caption == FCaption) return;
    FCaption = caption;
    Changed();
}

void TSmoothLabel::SetFont(const TSmoothLabelFont& font) {
    if (font == FFontSpec) return;
    FFontSpec = font;
    Changed();
}

void TSmoothLabel::SetFontSize(int points) {
    TSmoothLabelFont font = FFontSpec;
    font.Size = points;
    SetFont(font);
}

void TSmoothLabel::SetFontColor(TColor color) {
    TSmoothLabelFont font = FFontSpec;
    font.Color = color;
    SetFont(font);
}

void TSmoothLabel::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TSmoothLabel::SetBorder(int border) {
    if (border == FBorder) return;
    FBorder = border;
    Changed();
}

void TSmoothLabel::SetAutoSize(bool autoSize) {
    if (autoSize == FAutoSize) return;
    FAutoSize = autoSize;
    Changed();
}

void TSmoothLabel::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FPending) {
        FPending = false;
        Changed();
    }
}

void TSmoothLabel::Changed() {
    if (FUpdateCount > 0) {
        FPending = true;
        return;
    }
    if (!FEffect.Transparent()) Render();
    Invalidate();
}

void TSmoothLabel::PrepareFont() {
    TSmoothFontDesc font;
    font.Name = FFontSpec.Name;
    font.Height = PointsToPixels(FFontSpec.Size);
    font.Bold = FFontSpec.Bold;
    font.Italic = FFontSpec.Italic;
    font.Underline = FFontSpec.Underline;
    font.StrikeOut = FFontSpec.StrikeOut;
    font.Color = FFontSpec.Color;
    SmoothFont().SetFont(font);
    SmoothFont().SetQuality(FEffect.Quality());
}

void TSmoothLabel::MeasureCaption(int& width, int& height) {
    SmoothFont().TextExtent(FCaption, width, height);
    if (FAutoSize) {
        FWidth = std::max(0, width + 2 * FBorder);
        FHeight = std::max(0, height + 2 * FBorder);
    }
}

void TSmoothLabel::TextPosition(int width, int height, int& x, int& y) const {
    switch (FEffect.Alignment()) {
    case taLeftJustify:
        x = FBorder;
        break;
    case taRightJustify:
        x = FWidth - FBorder - width;
        break;
    case taCenter:
        x = (FWidth - width) / 2;
        break;
    }
    switch (FEffect.Layout()) {
    case tlTop:
        y = FBorder;
        break;
    case tlCenter:
        y = (FHeight - height) / 2;
        break;
    case tlBottom:
        y = FHeight - FBorder - height;
        break;
    }
}

void TSmoothLabel::DrawBackground() {
    FOffscreen.Fill(FColor);
    const TSmoothPicture& picture = FEffect.BackGround();
    if (picture.Empty()) return;
    switch (FEffect.BackGroundMode()) {
    case bmTiled:
        picture.Tile(FOffscreen);
        break;
    case bmStretched:
        picture.StretchOver(FOffscreen);
        break;
    case bmCenter:
        picture.DrawCentered(FOffscreen);
        break;
    case bmNormal:
        picture.Draw(FOffscreen, 0, 0);
        break;
    }
}

void TSmoothLabel::Render() {
    PrepareFont();
    int width = 0, height = 0;
    MeasureCaption(width, height);
    FOffscreen = TBitmap(FWidth, FHeight, pf24bit);
    SmoothFont().SetCanvas(&FOffscreen);
    DrawBackground();
    int x = 0, y = 0;
    TextPosition(width, height, x, y);
    SmoothFont().TextOut(x, y, FCaption);
}

void TSmoothLabel::PaintTo(TBitmap& canvas) {
    if (canvas.PixelFormat() == pf8bit) return;
    if (FEffect.Transparent()) {
        PrepareFont();
        int width = 0, height = 0;
        MeasureCaption(width, height);
        int x = 0, y = 0;
        TextPosition(width, height, x, y);
        SmoothFont().SetCanvas(&canvas);
        SmoothFont().TextOut(x, y, FCaption);
        SmoothFont().SetCanvas(&FOffscreen);
        return;
    }
    const int bytes = canvas.BytesPerPixel();
    const int w = std::min(canvas.Width(), FOffscreen.Width());
    const int h = std::min(canvas.Height(), FOffscreen.Height());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = FOffscreen.ScanLine(y);
        std::uint8_t* out = canvas.ScanLine(y);
        if (bytes == 3) {
            std::memcpy(out, in, std::size_t(w) * 3);
            continue;
        }
        for (int x = 0; x < w; ++x) std::memcpy(out + std::size_t(x) * bytes, in + std::size_t(x) * 3, 3);
    }
}
