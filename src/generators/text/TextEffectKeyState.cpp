#include "generators/text/TextEffectKeyState.h"

#include <cmath>
#include <cstdint>

int InterpolateKeyValue(int start, int end, int k, int n) {
    if (n < 2) return start;
    const long double step = static_cast<long double>(end - start) / (n - 1);
    // nearbyintl rounds in the default mode: to nearest, ties to even.
    return start + static_cast<int>(std::nearbyintl(step * k));
}

TColor InterpolateKeyColor(TColor start, TColor end, int k, int n) {
    return RGB(InterpolateKeyValue(GetRValue(start), GetRValue(end), k, n),
               InterpolateKeyValue(GetGValue(start), GetGValue(end), k, n),
               InterpolateKeyValue(GetBValue(start), GetBValue(end), k, n));
}

TTextEffectKeyState TextEffectKeyState(const TTextEffectSettings& s, int k) {
    const int n = s.Frames;
    auto value = [&](const TTextEffectRange<int>& r) { return InterpolateKeyValue(r.Start, r.End, k, n); };
    auto color = [&](const TTextEffectRange<TColor>& r) { return InterpolateKeyColor(r.Start, r.End, k, n); };
    TTextEffectKeyState state;
    state.FontSize = value(s.FontSize);
    state.FontColor = color(s.FontColor);
    state.BackColor = color(s.BackColor);
    state.Angle = value(s.Angle);
    state.Alpha = value(s.Alpha);
    state.Spray = value(s.Spray);
    state.Blur = value(s.Blur);
    state.Noise = value(s.Noise);
    state.GradientStartColor = color(s.GradientStartColor);
    state.GradientEndColor = color(s.GradientEndColor);
    state.ShadowColor = color(s.ShadowColor);
    state.ShadowAlpha = value(s.ShadowAlpha);
    state.ShadowBlur = value(s.ShadowBlur);
    state.ShadowOffsetX = value(s.ShadowOffsetX);
    state.ShadowOffsetY = value(s.ShadowOffsetY);
    return state;
}

void ConfigureTextEffectLabel(TSmoothLabel& label, const TTextEffectSettings& s) {
    label.BeginUpdate();
    TSmoothFontEffect& effect = label.Effect();
    effect.SetLayout(tlCenter);
    effect.SetAlignment(taCenter);
    effect.SetQuality(aqHigh);
    effect.SetTransparent(false);
    effect.SetBackGroundMode(s.BackImageMode);
    if (s.BackImage.Empty())
        effect.ClearBackGround();
    else
        effect.SetBackGround(s.BackImage);
    label.SetBorder(0);
    label.SetAutoSize(false);
    label.SetSize(s.Width, s.Height);
    label.SetCaption(s.Text);
    TSmoothLabelFont font = label.Font();
    font.Name = s.FontName;
    font.Bold = s.Bold;
    font.Italic = s.Italic;
    font.Underline = s.Underline;
    font.StrikeOut = s.StrikeOut;
    label.SetFont(font);

    TSmoothEffect& text = label.FontEffect();
    text.SetVertMirror(s.VertMirror);
    text.SetHorzMirror(s.HorzMirror);
    text.SetOutline(s.Outline);
    text.Texture().SetEnabled(s.TextureEnabled);
    text.Texture().SetMode(s.TextureMode);
    if (s.Texture.Empty())
        text.Texture().ClearPicture();
    else
        text.Texture().SetPicture(s.Texture);
    text.Gradual().SetEnabled(s.GradientEnabled);
    text.Gradual().SetStyle(s.GradientStyle);
    text.Shadow().SetEnabled(s.ShadowEnabled);
    label.EndUpdate();
}

void ApplyKeyState(TSmoothLabel& label, const TTextEffectKeyState& state) {
    label.BeginUpdate();
    label.SetFontSize(state.FontSize);
    label.SetFontColor(state.FontColor);
    label.Effect().SetBackColor(state.BackColor);
    TSmoothEffect& effect = label.FontEffect();
    effect.SetAngle(static_cast<TAngle>(state.Angle));
    effect.SetAlpha(static_cast<TAlpha>(state.Alpha));
    effect.SetSpray(static_cast<TSprayRange>(state.Spray));
    effect.SetBlur(static_cast<TBlurStrength>(state.Blur));
    effect.SetNoise(static_cast<std::uint8_t>(state.Noise));
    effect.Gradual().SetStartColor(state.GradientStartColor);
    effect.Gradual().SetEndColor(state.GradientEndColor);
    TSmoothShadow& shadow = effect.Shadow();
    shadow.SetColor(state.ShadowColor);
    shadow.SetAlpha(static_cast<TAlpha>(state.ShadowAlpha));
    shadow.SetBlur(static_cast<TBlurStrength>(state.ShadowBlur));
    shadow.SetOffsetX(static_cast<TOffset>(state.ShadowOffsetX));
    shadow.SetOffsetY(static_cast<TOffset>(state.ShadowOffsetY));
    label.EndUpdate();
}
