#include "generators/text/SmoothEffect.h"

void TSmoothShadow::Assign(const TSmoothShadow& source) {
    SetEnabled(source.Enabled());
    SetColor(source.Color());
    SetAlpha(source.Alpha());
    SetBlur(source.Blur());
    SetOffsetX(source.OffsetX());
    SetOffsetY(source.OffsetY());
}

void TSmoothGradual::Assign(const TSmoothGradual& source) {
    SetEnabled(source.Enabled());
    SetStyle(source.Style());
    SetStartColor(source.StartColor());
    SetEndColor(source.EndColor());
}

void TSmoothTexture::SetPicture(const TSmoothPicture& picture) {
    FPicture = picture;
    Changed();
}

bool TSmoothTexture::LoadPicture(const std::string& path) {
    if (!FPicture.LoadFromFile(path)) return false;
    Changed();
    return true;
}

void TSmoothTexture::ClearPicture() {
    if (FPicture.Empty()) return;
    FPicture.Clear();
    Changed();
}

void TSmoothTexture::Assign(const TSmoothTexture& source) {
    SetEnabled(source.Enabled());
    SetMode(source.Mode());
    if (!(FPicture == source.Picture())) SetPicture(source.Picture());
}

TSmoothEffect::TSmoothEffect() {
    // The parts report through the effect set, so its owner hears every change.
    FShadow.SetOnChange([this] { Changed(); });
    FGradual.SetOnChange([this] { Changed(); });
    FTexture.SetOnChange([this] { Changed(); });
}

void TSmoothEffect::Assign(const TSmoothEffect& source) {
    SetAlpha(source.Alpha());
    SetBlur(source.Blur());
    SetNoise(source.Noise());
    SetSpray(source.Spray());
    SetAngle(source.Angle());
    SetOutline(source.Outline());
    SetHorzMirror(source.HorzMirror());
    SetVertMirror(source.VertMirror());
    FShadow.Assign(source.Shadow());
    FGradual.Assign(source.Gradual());
    FTexture.Assign(source.Texture());
}
