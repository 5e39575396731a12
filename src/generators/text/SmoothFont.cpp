#include "generators/text/SmoothFont.h"

#include <algorithm>
#include <cstdlib>

TSmoothFont::TSmoothFont()
    : FMask(std::make_unique<TSmoothMask>(this)), FBlend(std::make_unique<TSmoothBlend>(this)) {}

TSmoothFont::~TSmoothFont() = default;

void TSmoothFont::TextExtent(const std::string& text, int& width, int& height) {
    FMask->TextExtent(text, width, height);
}

int TSmoothFont::TextWidth(const std::string& text) {
    int width = 0, height = 0;
    TextExtent(text, width, height);
    return width;
}

int TSmoothFont::TextHeight(const std::string& text) {
    int width = 0, height = 0;
    TextExtent(text, width, height);
    return height;
}

void TSmoothFont::TextOut(int x, int y, const std::string& text) {
    if (!FCanvas || text.empty()) return;
    FMask->Render(text);
    FBlend->BlendColor(x, y, *FMask, 100, FFont.Color);
}

namespace {

// Turns the canvas font by the effect's angle for the length of one call.
class TRotatedFont {
  public:
    TRotatedFont(TSmoothFontDesc& font, int angle) : FFont(font), FSaved(font.Escapement) {
        if (angle != 0) FFont.Escapement = angle * 10;
    }
    ~TRotatedFont() { FFont.Escapement = FSaved; }
    TRotatedFont(const TRotatedFont&) = delete;
    TRotatedFont& operator=(const TRotatedFont&) = delete;

  private:
    TSmoothFontDesc& FFont;
    int FSaved;
};

} // namespace

TSmoothFontEx::TSmoothFontEx() : FEffect(std::make_unique<TSmoothEffect>()) {}

TSmoothFontEx::~TSmoothFontEx() = default;

void TSmoothFontEx::TextExtent(const std::string& text, int& width, int& height) {
    {
        const TRotatedFont rotated(Font(), FEffect->Angle());
        TSmoothFont::TextExtent(text, width, height);
    }
    const TSmoothShadow& shadow = FEffect->Shadow();
    if (shadow.Enabled()) {
        width += std::abs(int(shadow.OffsetX()));
        height += std::abs(int(shadow.OffsetY()));
    }
}

void TSmoothFontEx::TextOut(int x, int y, const std::string& text) {
    if (!Canvas() || text.empty()) return;
    const TSmoothEffect& effect = *FEffect;
    const TSmoothShadow& shadow = effect.Shadow();
    const TRotatedFont rotated(Font(), effect.Angle());

    // Text and shadow share the extent box: a negative offset moves the text instead.
    int textX = x, textY = y;
    if (shadow.Enabled()) {
        textX = x + std::max(0, -int(shadow.OffsetX()));
        textY = y + std::max(0, -int(shadow.OffsetY()));
    }

    TSmoothMask& mask = Mask();
    mask.Render(text);
    if (effect.Outline()) mask.MakeOutline();
    if (effect.Spray() != 0) mask.ApplySpray(effect.Spray());
    if (effect.HorzMirror()) mask.MirrorHorizontally();
    if (effect.VertMirror()) mask.MirrorVertically();

    if (shadow.Enabled()) {
        TSmoothMask shadowMask;
        shadowMask.Assign(mask);
        if (shadow.Blur() > 0) shadowMask.ApplyBlur(shadow.Blur());
        Blend().BlendColor(x + std::max(0, int(shadow.OffsetX())), y + std::max(0, int(shadow.OffsetY())),
                           shadowMask, effect.Alpha() * shadow.Alpha() / 100, shadow.Color());
    }

    if (effect.Blur() > 0) mask.ApplyBlur(effect.Blur());

    const TSmoothTexture& texture = effect.Texture();
    const TSmoothGradual& gradual = effect.Gradual();
    if (texture.Enabled() && !texture.Picture().Empty()) {
        Blend().MakeTexture(mask, texture.Picture(), texture.Mode(), Font().Color);
        if (effect.Noise() > 0) Blend().AddNoise(effect.Noise());
        Blend().BlendForeground(textX, textY, mask, effect.Alpha());
    } else if (gradual.Enabled()) {
        Blend().MakeGradient(mask, gradual.Style(), gradual.StartColor(), gradual.EndColor());
        if (effect.Noise() > 0) Blend().AddNoise(effect.Noise());
        Blend().BlendForeground(textX, textY, mask, effect.Alpha());
    } else if (effect.Noise() > 0) {
        Blend().MakeNoise(mask, Font().Color, effect.Noise());
        Blend().BlendForeground(textX, textY, mask, effect.Alpha());
    } else {
        Blend().BlendColor(textX, textY, mask, effect.Alpha(), Font().Color);
    }
}
