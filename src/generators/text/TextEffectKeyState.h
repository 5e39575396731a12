#pragma once
// Key states of a text effect: every animated value stepped linearly from its
// start to its end setting, and their application to the preview label.

#include "generators/text/SmoothLabel.h"
#include "generators/text/TextEffectSettings.h"

struct TTextEffectKeyState {
    int FontSize = 0;
    TColor FontColor = 0;
    TColor BackColor = 0;
    int Angle = 0;
    int Alpha = 0;
    int Spray = 0;
    int Blur = 0;
    int Noise = 0;
    TColor GradientStartColor = 0;
    TColor GradientEndColor = 0;
    TColor ShadowColor = 0;
    int ShadowAlpha = 0;
    int ShadowBlur = 0;
    int ShadowOffsetX = 0;
    int ShadowOffsetY = 0;
};

// start + (end - start) / (n - 1) x k in extended precision, rounded to the
// nearest integer with ties to even; start itself when n < 2.
int InterpolateKeyValue(int start, int end, int k, int n);
// The same per channel (red, green, blue).
TColor InterpolateKeyColor(TColor start, TColor end, int k, int n);

TTextEffectKeyState TextEffectKeyState(const TTextEffectSettings& settings, int k);

// The label's fixed settings and the values that are not animated: centred,
// quality aqHigh, no border, opaque, the font face and style, the background
// picture and mode, mirrors, outline, texture, gradient style, shadow switch.
void ConfigureTextEffectLabel(TSmoothLabel& label, const TTextEffectSettings& settings);
// Applies a key state in the fixed order: font size, font colour, back colour,
// angle, alpha, spray, blur, noise, gradient start and end colours, shadow
// colour, alpha, blur, offset x, offset y. The 8-bit values keep their low 8
// bits (offsets signed).
void ApplyKeyState(TSmoothLabel& label, const TTextEffectKeyState& state);
