#include "editor/ImageTransforms.h"

#include "gifdata/GifData.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

bool SizeAllowed(int width, int height) {
    return width >= 1 && height >= 1 && width <= 65535 && height <= 65535 &&
           std::int64_t(width) * height <= MaxFramePixels;
}

// A blank 8-bit width x height bitmap with the palette of like.
TBitmap BlankLike(const TBitmap& like, int width, int height) {
    TBitmap result(width, height, pf8bit);
    result.SetPalette(like.Palette());
    const auto blank = std::uint8_t(BlankIndex(like));
    std::memset(result.Bits(), blank, std::size_t(width) * std::size_t(height));
    return result;
}

} // namespace

bool TransformBitmap(TBitmap* bitmap, int kind) {
    if (!bitmap || bitmap->Empty() || kind < tkMirrorHorizontally || kind > tkRotate270) return false;
    const int w = bitmap->Width(), h = bitmap->Height();
    const int bpp = bitmap->BytesPerPixel();
    if (kind == tkMirrorHorizontally) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = bitmap->ScanLine(y);
            for (int j = 0; j < w / 2; ++j)
                std::swap_ranges(row + j * bpp, row + (j + 1) * bpp, row + (w - 1 - j) * bpp);
        }
        return true;
    }
    if (kind == tkMirrorVertically) {
        const int line = bitmap->BytesPerLine();
        for (int j = 0; j < h / 2; ++j)
            std::swap_ranges(bitmap->ScanLine(j), bitmap->ScanLine(j) + line, bitmap->ScanLine(h - 1 - j));
        return true;
    }
    const TBitmap source = *bitmap;
    const bool turned = kind != tkRotate180;
    TBitmap result(turned ? h : w, turned ? w : h, source.PixelFormat());
    result.SetPalette(source.Palette());
    for (int y = 0; y < result.Height(); ++y) {
        std::uint8_t* row = result.ScanLine(y);
        for (int x = 0; x < result.Width(); ++x) {
            int sx = 0, sy = 0;
            switch (kind) {
            case tkRotate90:
                sx = y;
                sy = h - 1 - x;
                break;
            case tkRotate180:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            default: // tkRotate270
                sx = w - 1 - y;
                sy = x;
                break;
            }
            std::memcpy(row + x * bpp, source.ScanLine(sy) + sx * bpp, std::size_t(bpp));
        }
    }
    *bitmap = std::move(result);
    return true;
}

int BlankIndex(const TBitmap& bitmap) {
    return bitmap.PaletteSize() > 0 ? bitmap.NearestIndex(RGB(255, 255, 255)) : 0;
}

TBitmap ResizedBitmap(const TBitmap& source, int width, int height, int operation) {
    if (source.Empty() || source.PixelFormat() != pf8bit || !SizeAllowed(width, height)) return {};
    if (operation != roResize && operation != roStretch) return {};
    TBitmap result = BlankLike(source, width, height);
    const int sw = source.Width(), sh = source.Height();
    if (operation == roResize) {
        const int columns = std::min(sw, width);
        for (int y = 0; y < std::min(sh, height); ++y)
            std::memcpy(result.ScanLine(y), source.ScanLine(y), std::size_t(columns));
        return result;
    }
    // Each target pixel takes the source pixel under its centre.
    std::vector<int> columnOf(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columnOf[std::size_t(x)] = int((2 * std::int64_t(x) + 1) * sw / (2 * std::int64_t(width)));
    for (int y = 0; y < height; ++y) {
        const int sy = int((2 * std::int64_t(y) + 1) * sh / (2 * std::int64_t(height)));
        const std::uint8_t* from = source.ScanLine(sy);
        std::uint8_t* to = result.ScanLine(y);
        for (int x = 0; x < width; ++x) to[x] = from[columnOf[std::size_t(x)]];
    }
    return result;
}

TBitmap CroppedBitmap(const TBitmap& source, int left, int top, int right, int bottom) {
    if (source.Empty() || source.PixelFormat() != pf8bit) return {};
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const std::int64_t width = std::int64_t(right) - left + 1, height = std::int64_t(bottom) - top + 1;
    if (width > 65535 || height > 65535 || !SizeAllowed(int(width), int(height))) return {};
    TBitmap result = BlankLike(source, int(width), int(height));
    // The covered part: columns and rows of the source inside the rectangle.
    const int x0 = std::max(left, 0), x1 = std::min(right, source.Width() - 1);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, source.Height() - 1);
    for (int y = y0; x0 <= x1 && y <= y1; ++y)
        std::memcpy(result.ScanLine(y - top) + (x0 - left), source.ScanLine(y) + x0,
                    std::size_t(x1 - x0 + 1));
    return result;
}

bool AssignFramePicture(TGIFImageData& frame, const TBitmap& bitmap) {
    if (bitmap.Empty() || bitmap.PixelFormat() != pf8bit || !SizeAllowed(bitmap.Width(), bitmap.Height()))
        return false;
    if (bitmap.Width() != frame.Width || bitmap.Height() != frame.Height) {
        const std::uint16_t oldWidth = frame.Width, oldHeight = frame.Height;
        const std::int32_t oldCount = frame.PixelCount;
        std::vector<std::uint8_t> oldPixels = std::move(frame.Pixels);
        frame.FreePixels();
        frame.Width = std::uint16_t(bitmap.Width());
        frame.Height = std::uint16_t(bitmap.Height());
        frame.AllocatePixels();
        if (!frame.HasPixels()) {
            // Memory ran out: the frame stays as it was.
            frame.Width = oldWidth;
            frame.Height = oldHeight;
            frame.Pixels = std::move(oldPixels);
            frame.PixelCount = oldCount;
            return false;
        }
    }
    if (!frame.CopyIndicesFrom(bitmap)) return false;
    if (frame.HasLocalTable())
        frame.UpdateLocalUsage();
    else if (frame.Owner)
        frame.Owner->UpdateGlobalUsage();
    return true;
}

bool TransformFrame(TGIFImageData& frame, int kind) {
    std::unique_ptr<TBitmap> picture = frame.ToBitmap();
    if (!picture || !TransformBitmap(picture.get(), kind)) return false;
    return AssignFramePicture(frame, *picture);
}

bool ResizeFrame(TGIFImageData& frame, int width, int height, int operation) {
    if (width == frame.Width && height == frame.Height) return false;
    std::unique_ptr<TBitmap> picture = frame.ToBitmap();
    if (!picture) return false;
    const TBitmap resized = ResizedBitmap(*picture, width, height, operation);
    return !resized.Empty() && AssignFramePicture(frame, resized);
}
