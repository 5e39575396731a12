#include "generators/text/TextEffectGenerator.h"

#include <algorithm>
#include <limits>

#include "generators/text/SmoothMask.h"
#include "generators/text/SmoothTextRaster.h"
#include "generators/text/TextEffectKeyState.h"
#include "gifdata/GifData.h"

int TextEffectFrameCount(int keyStates) {
    return std::max(1, 2 * keyStates - 2);
}

std::string TextEffectFrameCountText(int keyStates) {
    return std::to_string(TextEffectFrameCount(keyStates)) + " Frames";
}

std::vector<int> TextEffectSequence(int keyStates) {
    std::vector<int> sequence;
    for (int k = 0; k <= keyStates - 1; ++k) sequence.push_back(k);
    for (int k = keyStates - 2; k >= 1; --k) sequence.push_back(k);
    return sequence;
}

std::uint16_t TextEffectFrameDelay(int milliseconds) {
    const int delay = milliseconds / 10;
    return std::uint16_t(std::clamp(delay, 1, int(std::numeric_limits<std::uint16_t>::max())));
}

long long TextEffectRasterBytes(const TTextEffectSettings& settings) {
    if (settings.Text.empty()) return 0;
    // The label draws at quality aqHigh: the raster is the text at four times its size.
    const int scale = SmoothScale(aqHigh);
    TSmoothFontDesc font;
    font.Name = settings.FontName;
    font.Bold = settings.Bold;
    font.Italic = settings.Italic;
    font.Height = PointsToPixels(std::max(settings.FontSize.Start, settings.FontSize.End)) * scale;
    int width = 0, height = 0;
    MeasureText(font, settings.Text, width, height);
    long long largest = 0;
    const int low = std::min(settings.Angle.Start, settings.Angle.End);
    const int high = std::max(settings.Angle.Start, settings.Angle.End);
    for (int angle = low; angle <= high; ++angle) {
        int boxWidth = width, boxHeight = height, x = 0, y = 0;
        if (angle != 0) RotatedTextBox(width, height, angle * 10, boxWidth, boxHeight, x, y);
        largest = std::max(largest, (long long)boxWidth * boxHeight);
    }
    return largest;
}

std::string TextEffectTextRefusal(const TTextEffectSettings& settings) {
    const long long scale = SmoothScale(aqHigh);
    if (TextEffectRasterBytes(settings) / (scale * scale) > MaxSmoothMaskPixels)
        return "The text is too large to draw. Use a shorter text or a smaller font size.";
    return {};
}

std::string TextEffectRefusal(const TTextEffectSettings& s) {
    if (std::string text = TextEffectTextRefusal(s); !text.empty()) return text;
    const long long frames = TextEffectFrameCount(s.Frames);
    if (frames * s.Width * s.Height > MaxTextEffectPixels)
        return "The animation is too large: " + std::to_string(frames) + " frames of " +
               std::to_string(s.Width) + " x " + std::to_string(s.Height) +
               " pixels. Use fewer frames or a smaller size.";
    return {};
}

bool CaptureTextEffectFrame(TSmoothLabel& label, TGIFData& document, std::uint16_t delay) {
    TBitmap bitmap(label.Width(), label.Height(), pf24bit);
    label.PaintTo(bitmap);
    const bool added = AddFrameFromBitmap(document, bitmap, -1);
    if (document.Frames.empty()) return false;
    TGIFImageData& frame = *document.Frames.back();
    frame.Control->DelayTime = delay;
    frame.RenderThumbnail();
    return added;
}

int GenerateTextEffect(TGIFData& document, const TTextEffectSettings& settings,
                       const TTextEffectProgress& progress) {
    // An empty frame cannot become a picture; appending it would leave 1 x 1 stubs.
    if (settings.Width <= 0 || settings.Height <= 0) return 0;
    TSmoothLabel label;
    ConfigureTextEffectLabel(label, settings);
    const std::uint16_t delay = TextEffectFrameDelay(settings.Delay);
    const std::vector<int> sequence = TextEffectSequence(settings.Frames);
    const int total = int(sequence.size());
    int added = 0;
    for (int k : sequence) {
        ApplyKeyState(label, TextEffectKeyState(settings, k));
        CaptureTextEffectFrame(label, document, delay);
        ++added;
        if (progress) progress(added, total);
    }
    return added;
}

int TTextEffectPreview::Step(int keyStates) {
    if (FForward) {
        ++FIndex;
        if (FIndex > keyStates - 1 || FIndex < 0) FIndex = 0;
    } else {
        --FIndex;
        if (FIndex < 0 || FIndex > keyStates - 1) FIndex = std::max(0, keyStates - 1);
    }
    if (FIndex == 0) FForward = true;
    if (FIndex == keyStates - 1) FForward = false;
    return FIndex;
}
