#pragma once
// Everything the text effect generator needs: the text, the frame size, the
// font, the timing, the fixed effects and every animated value as a start and
// an end setting. The defaults are those the wizard opens with.

#include <string>

#include "generators/text/SmoothPicture.h"
#include "generators/text/SmoothTypes.h"
#include "platform/Bitmap.h"

template <class T> struct TTextEffectRange {
    T Start;
    T End;
};

namespace TextEffectColors {
constexpr TColor Lime = RGB(0, 255, 0);
constexpr TColor Green = RGB(0, 128, 0);
constexpr TColor Silver = RGB(192, 192, 192);
constexpr TColor Grey = RGB(128, 128, 128);
constexpr TColor Black = RGB(0, 0, 0);
} // namespace TextEffectColors

// The small picture the texture starts with (39 x 26), loaded but not enabled.
TSmoothPicture DefaultTexturePicture();

struct TTextEffectSettings {
    std::string Text = "Text";
    int Width = 185;
    int Height = 60;
    // Face and style from the font dialog; size and colour are animated.
    std::string FontName = "Impact";
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    int Delay = 100; // milliseconds per frame, 10..999999
    int Frames = 10; // key states N, 1..999

    TBackGroundMode BackImageMode = bmStretched;
    TSmoothPicture BackImage; // none by default
    bool VertMirror = false;
    bool HorzMirror = false;
    bool Outline = false;
    bool TextureEnabled = false;
    TTextureMode TextureMode = tmTiled;
    TSmoothPicture Texture = DefaultTexturePicture();
    bool GradientEnabled = false;
    TGradualStyle GradientStyle = gsLeftToRight;
    bool ShadowEnabled = true;

    TTextEffectRange<int> FontSize{36, 24};
    TTextEffectRange<TColor> FontColor{TextEffectColors::Lime, TextEffectColors::Green};
    TTextEffectRange<TColor> BackColor{TextEffectColors::Silver, TextEffectColors::Grey};
    TTextEffectRange<int> Angle{5, -5};
    TTextEffectRange<int> Alpha{100, 80};
    TTextEffectRange<int> Spray{0, 0};
    TTextEffectRange<int> Blur{0, 0};
    TTextEffectRange<int> Noise{0, 0};
    TTextEffectRange<TColor> GradientStartColor{TextEffectColors::Lime, TextEffectColors::Black};
    TTextEffectRange<TColor> GradientEndColor{TextEffectColors::Black, TextEffectColors::Black};
    TTextEffectRange<TColor> ShadowColor{TextEffectColors::Green, TextEffectColors::Black};
    TTextEffectRange<int> ShadowAlpha{100, 100};
    TTextEffectRange<int> ShadowBlur{0, 0};
    TTextEffectRange<int> ShadowOffsetX{5, 20};
    TTextEffectRange<int> ShadowOffsetY{10, -5};
};
