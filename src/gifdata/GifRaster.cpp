// Moving pixels between frames and the drawing layer's bitmaps: frames as
// 8-bit bitmaps, bitmaps of any depth reduced to 256 colours, and the frame
// list's thumbnail card.
#include "gifdata/GifRaster.h"

#include "platform/Canvas.h"
#include "platform/ColorQuantizer.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstring>

namespace {

// The palette that applies to a frame: its local one, else the document's.
std::vector<TColor> FramePalette(const TGIFImageData& frame) {
    const bool local = frame.HasLocalTable() || !frame.Owner;
    const TPalette& palette = local ? frame.LocalPalette : frame.Owner->GlobalPalette;
    std::vector<TColor> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = RGB(palette[i].Red, palette[i].Green, palette[i].Blue);
    return colours;
}

bool HasCompletePixels(const TGIFImageData& frame) {
    return !frame.Pixels.empty() && frame.PixelCount > 0 && frame.Width > 0 && frame.Height > 0 &&
           std::int64_t(frame.PixelCount) == std::int64_t(frame.Width) * frame.Height &&
           frame.Pixels.size() == std::size_t(frame.PixelCount);
}

struct THistogramItem {
    std::uint16_t ColorBin;
    std::uint32_t Count;
};

// Descending by count; the exact procedure decides the order of equal counts.
void SortByCount(THistogramItem* items, int lo, int hi) {
    const std::uint32_t pivot = items[(lo + hi) / 2].Count;
    int i = lo, j = hi;
    do {
        while (items[i].Count > pivot) ++i;
        while (items[j].Count < pivot) --j;
        if (i <= j) {
            std::swap(items[i], items[j]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (lo < j) SortByCount(items, lo, j);
    if (i < hi) SortByCount(items, i, hi);
}

void DrawThumbnail(TGIFImageData& frame) {
    const TGIFData* owner = frame.Owner;
    if (!owner || !owner->ThumbnailTemplate) return;
    if (!frame.Thumbnail) frame.Thumbnail = std::make_unique<TBitmap>();
    *frame.Thumbnail = *owner->ThumbnailTemplate;
    const TThumbnailLayout layout = ThumbnailLayout(owner->ScreenWidth, owner->ScreenHeight);
    const int L = 0, T = 0, R = 128, B = 100;

    TCanvas canvas(*frame.Thumbnail);
    canvas.Brush.Color = RGB(230, 230, 230);
    canvas.FillRect({L + 2, T + 2, R - 4, B - 4});
    canvas.Pen.Color = RGB(128, 128, 128);
    canvas.Brush.Style = bsClear;
    canvas.Rectangle({L + 2, T + 2, R - 4, B - 4});
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = RGB(250, 250, 250);
    canvas.FillRect(layout.Area);
    const TRect& p = layout.Picture;
    canvas.Brush.Color = RGB(200, 200, 200);
    canvas.FillRect({p.Left - 1, p.Top - 1, p.Right + 1, p.Bottom + 1});
    canvas.Brush.Color = RGB(230, 230, 230);

    const std::unique_ptr<TBitmap> screen = frame.ToScreenBitmap();
    if (!screen) return;
    canvas.StretchDraw(p, *screen);
    const int delay = frame.Control ? frame.Control->DelayTime : 0;
    canvas.Font.Color = RGB(0, 0, 0);
    canvas.TextOut(L + 30, B - 19, FormatDelay(delay));
    canvas.Font.Color = RGB(130, 130, 130);
    canvas.TextRect({L + 60, B - 19, R - 8, B - 5}, L + 60, B - 19,
                    frame.Title.empty() ? std::string("_____________") : frame.Title);
    canvas.Font.Color = RGB(0, 0, 0);
}

// Every program that converts frames also draws their thumbnails.
const bool ThumbnailRendererRegistered = [] {
    SetThumbnailRenderer(&DrawThumbnail);
    return true;
}();

} // namespace

void RegisterThumbnailRenderer() {
    SetThumbnailRenderer(&DrawThumbnail);
}

std::string FormatDelay(int delayTime) {
    return QLocale().toString(delayTime / 100.0, 'f', 2).toStdString();
}

TThumbnailLayout ThumbnailLayout(int screenWidth, int screenHeight) {
    const int L = 0, T = 0, R = 128, B = 100;
    TThumbnailLayout layout;
    layout.Area = {L + 6, T + 6, R - 8, B - 19};
    const int aw = R - L - 15, ah = B - T - 26;
    // The scale is a 32-bit float made from the exact quotient; the products
    // are taken in full precision from it.
    auto ratio = [](int a, int b) { return b > 0 ? float((long double)a / b) : 1.0f; };
    float s;
    const bool widthFits = aw >= screenWidth, heightFits = ah >= screenHeight;
    if (widthFits && heightFits)
        s = 1.0f;
    else if (widthFits)
        s = ratio(ah, screenHeight);
    else if (heightFits)
        s = ratio(aw, screenWidth);
    else {
        const float sw = ratio(aw, screenWidth), sh = ratio(ah, screenHeight);
        s = sw < sh ? sw : sh;
    }
    layout.Scale = s;
    const int w = int((long double)screenWidth * s);
    const int h = int((long double)screenHeight * s);
    const int left = (L + 6) + aw / 2 - w / 2;
    const int top = (T + 6) + ah / 2 - h / 2;
    layout.Picture = {left, top, left + w, top + h};
    return layout;
}

std::unique_ptr<TBitmap> TGIFImageData::ToBitmap() const {
    if (!HasCompletePixels(*this)) return nullptr;
    auto bitmap = std::make_unique<TBitmap>(Width, Height, pf8bit);
    bitmap->SetPalette(FramePalette(*this));
    for (int y = 0; y < Height; ++y)
        std::memcpy(bitmap->ScanLine(y), Pixels.data() + std::size_t(y) * Width, Width);
    return bitmap;
}

std::unique_ptr<TBitmap> TGIFImageData::ToScreenBitmap() const {
    const int screenWidth = Owner ? Owner->ScreenWidth : Width;
    const int screenHeight = Owner ? Owner->ScreenHeight : Height;
    if (Left == 0 && Top == 0 && Width == screenWidth && Height == screenHeight) return ToBitmap();
    auto screen = std::make_unique<TBitmap>(screenWidth, screenHeight, pf24bit);
    const TColor background = Owner ? Owner->BackgroundColor() : NoColor;
    // A document without a global table has no background colour; show white.
    screen->Fill(background == NoColor ? RGB(255, 255, 255) : background);
    if (const std::unique_ptr<TBitmap> picture = ToBitmap()) {
        TCanvas canvas(*screen);
        canvas.Draw(Left, Top, *picture);
    }
    return screen;
}

bool TGIFImageData::CopyIndicesFrom(const TBitmap& bitmap) {
    // Only indices can be copied: a bitmap of another form is refused rather
    // than read as if its bytes were indices.
    if (!HasCompletePixels(*this) || bitmap.Empty() || bitmap.PixelFormat() != pf8bit ||
        bitmap.Width() != Width || bitmap.Height() != Height)
        return false;
    for (int y = 0; y < Height; ++y)
        std::memcpy(Pixels.data() + std::size_t(y) * Width, bitmap.ScanLine(y), Width);
    return true;
}

bool TGIFImageData::AssignBitmap(const TBitmap& bitmap, int transparentIndex) {
    if (bitmap.Empty() || bitmap.PixelFormat() != pf8bit) return false;
    // A frame's size is a 16-bit field; a larger picture cannot become a frame.
    if (bitmap.Width() > 0xFFFF || bitmap.Height() > 0xFFFF) return false;
    Width = std::uint16_t(bitmap.Width());
    Height = std::uint16_t(bitmap.Height());
    AllocatePixels();
    if (!HasCompletePixels(*this)) return false; // too large to hold
    const std::vector<TColor>& palette = bitmap.Palette();
    if (palette.empty()) return false;
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        LocalPalette[i].Red = std::uint8_t(GetRValue(palette[i]));
        LocalPalette[i].Green = std::uint8_t(GetGValue(palette[i]));
        LocalPalette[i].Blue = std::uint8_t(GetBValue(palette[i]));
    }
    SetHasLocalTable(true);
    SetLocalTableSize(7);
    for (int y = 0; y < Height; ++y)
        std::memcpy(Pixels.data() + std::size_t(y) * Width, bitmap.ScanLine(y), Width);
    if (!Control) Control = std::make_unique<TGIFGraphicControlExtension>();
    if (transparentIndex < 0) {
        Control->SetTransparent(false);
    } else {
        Control->SetTransparent(true);
        Control->TransparentIndex = std::uint8_t(transparentIndex & 0xFF);
    }
    RenderThumbnail();
    UpdateLocalUsage();
    return true;
}

void ReduceToPalette(TBitmap& bitmap) {
    if (bitmap.PixelFormat() == pf8bit) return; // already palettised: colours and palette kept
    // The true-colour picture itself serves as the saved copy: 24- and 32-bit
    // pixels carry the same blue, green, red bytes, so no conversion is needed.
    const TBitmap& picture = bitmap;
    const int bpp = picture.BytesPerPixel();

    THistogramItem items[4097];
    for (int k = 0; k < 4097; ++k) items[k] = {std::uint16_t(k), 0};
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        const std::uint8_t* end = row + std::size_t(picture.Width()) * bpp;
        for (const std::uint8_t* p = row; p < end; p += bpp) {
            const int bin = (p[2] & 0xF0) * 16 + (p[1] & 0xF0) + (p[0] & 0xF0) / 16;
            ++items[bin].Count;
        }
    }
    int n = 0;
    for (int k = 0; k <= 4096; ++k) {
        if (items[k].Count == 0) continue;
        items[n].ColorBin = items[k].ColorBin;
        items[n].Count = items[k].Count;
        if (k != n) items[k].Count = 0;
        ++n;
    }
    SortByCount(items, 0, n); // n <= 4096: the zero-count item n takes part

    std::vector<TColor> palette(256);
    for (int e = 0; e < 256; ++e) {
        const int b = items[e].ColorBin;
        palette[e] = RGB((b / 256 & 0xF) * 16 + 7, (b / 16 & 0xF) * 16 + 7, (b & 0xF) * 16 + 7);
    }
    TBitmap reduced(picture.Width(), picture.Height(), pf8bit);
    reduced.SetPalette(palette);
    TCanvas canvas(reduced);
    canvas.Draw(0, 0, picture);
    bitmap = std::move(reduced);
}

bool SetFrameFromBitmap(TGIFImageData* frame, const TBitmap* bitmap, int transparentIndex) {
    return SetFrameFromBitmap(frame, bitmap, transparentIndex, PictureColorChoice());
}

bool SetFrameFromBitmap(TGIFImageData* frame, const TBitmap* bitmap, int transparentIndex,
                        const TColorChoice& choice) {
    if (!frame || !bitmap || bitmap->Empty()) return false;
    TBitmap copy = *bitmap;
    ReduceToPalette(copy, choice);
    return frame->AssignBitmap(copy, transparentIndex);
}

bool AddFrameFromBitmap(TGIFData& document, const TBitmap& bitmap, int transparentIndex) {
    return AddFrameFromBitmap(document, bitmap, transparentIndex, PictureColorChoice());
}

bool AddFrameFromBitmap(TGIFData& document, const TBitmap& bitmap, int transparentIndex,
                        const TColorChoice& choice) {
    TGIFImageData* frame = document.AddFrame(1, 1);
    if (SetFrameFromBitmap(frame, &bitmap, transparentIndex, choice)) return true;
    // A picture that could not become a frame leaves no stray 1 x 1 frame behind.
    for (int i = int(document.Frames.size()) - 1; i >= 0; --i)
        if (document.Frames[std::size_t(i)].get() == frame) {
            document.DeleteFrame(i);
            break;
        }
    return false;
}
