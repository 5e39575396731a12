#pragma once
// The effect set of the anti-aliased text drawer. Every setter stores a new
// value only when it differs and then tells its owner, so a label showing the
// text re-renders once per effective change.

#include <functional>
#include <string>

#include "generators/text/SmoothPicture.h"
#include "generators/text/SmoothTypes.h"
#include "platform/Bitmap.h"

class TNotifyClass {
  public:
    using TNotifyEvent = std::function<void()>;

    TNotifyClass() = default;
    TNotifyClass(const TNotifyClass&) = delete;
    TNotifyClass& operator=(const TNotifyClass&) = delete;
    virtual ~TNotifyClass() = default;

    void SetOnChange(TNotifyEvent onChange) { FOnChange = std::move(onChange); }

  protected:
    void Changed() {
        if (FOnChange) FOnChange();
    }
    template <class T> void Store(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }

  private:
    TNotifyEvent FOnChange;
};

class TEnabledClass : public TNotifyClass {
  public:
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { Store(FEnabled, enabled); }

  private:
    bool FEnabled = false;
};

class TSmoothShadow : public TEnabledClass {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { Store(FColor, color); }
    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha alpha) { Store(FAlpha, alpha); }
    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength blur) { Store(FBlur, blur); }
    TOffset OffsetX() const { return FOffsetX; }
    void SetOffsetX(TOffset offset) { Store(FOffsetX, offset); }
    TOffset OffsetY() const { return FOffsetY; }
    void SetOffsetY(TOffset offset) { Store(FOffsetY, offset); }

    void Assign(const TSmoothShadow& source);

  private:
    TColor FColor = RGB(0x44, 0x44, 0x44);
    TAlpha FAlpha = 70;
    TBlurStrength FBlur = 80;
    TOffset FOffsetX = 2;
    TOffset FOffsetY = 2;
};

class TSmoothGradual : public TEnabledClass {
  public:
    TGradualStyle Style() const { return FStyle; }
    void SetStyle(TGradualStyle style) { Store(FStyle, style); }
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor color) { Store(FStartColor, color); }
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor color) { Store(FEndColor, color); }

    void Assign(const TSmoothGradual& source);

  private:
    TGradualStyle FStyle = gsLeftToRight;
    TColor FStartColor = RGB(255, 255, 255);
    TColor FEndColor = RGB(0, 0, 0);
};

class TSmoothTexture : public TEnabledClass {
  public:
    TTextureMode Mode() const { return FMode; }
    void SetMode(TTextureMode mode) { Store(FMode, mode); }
    const TSmoothPicture& Picture() const { return FPicture; }
    // Every new picture notifies, even an equal one.
    void SetPicture(const TSmoothPicture& picture);
    bool LoadPicture(const std::string& path); // false (picture kept) when the file cannot be read
    void ClearPicture();

    void Assign(const TSmoothTexture& source);

  private:
    TTextureMode FMode = tmTiled;
    TSmoothPicture FPicture;
};

class TSmoothEffect : public TNotifyClass {
  public:
    TSmoothEffect();

    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha alpha) { Store(FAlpha, alpha); }
    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength blur) { Store(FBlur, blur); }
    std::uint8_t Noise() const { return FNoise; }
    void SetNoise(std::uint8_t noise) { Store(FNoise, noise); }
    TSprayRange Spray() const { return FSpray; }
    void SetSpray(TSprayRange spray) { Store(FSpray, spray); }
    TAngle Angle() const { return FAngle; }
    void SetAngle(TAngle angle) { Store(FAngle, angle); }
    bool Outline() const { return FOutline; }
    void SetOutline(bool outline) { Store(FOutline, outline); }
    bool HorzMirror() const { return FHorzMirror; }
    void SetHorzMirror(bool mirror) { Store(FHorzMirror, mirror); }
    bool VertMirror() const { return FVertMirror; }
    void SetVertMirror(bool mirror) { Store(FVertMirror, mirror); }

    TSmoothShadow& Shadow() { return FShadow; }
    const TSmoothShadow& Shadow() const { return FShadow; }
    void SetShadow(const TSmoothShadow& shadow) { FShadow.Assign(shadow); }
    TSmoothGradual& Gradual() { return FGradual; }
    const TSmoothGradual& Gradual() const { return FGradual; }
    void SetGradual(const TSmoothGradual& gradual) { FGradual.Assign(gradual); }
    TSmoothTexture& Texture() { return FTexture; }
    const TSmoothTexture& Texture() const { return FTexture; }
    void SetTexture(const TSmoothTexture& texture) { FTexture.Assign(texture); }

    void Assign(const TSmoothEffect& source);

  private:
    TAlpha FAlpha = 100;
    TBlurStrength FBlur = 0;
    std::uint8_t FNoise = 0;
    TSprayRange FSpray = 0;
    TAngle FAngle = 0;
    bool FOutline = false;
    bool FHorzMirror = false;
    bool FVertMirror = false;
    TSmoothShadow FShadow;
    TSmoothGradual FGradual;
    TSmoothTexture FTexture;
};
