#include "generators/text/SmoothPicture.h"

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstring>

#include "platform/PictureDecoders.h"

namespace {

// Puts one picture pixel onto a target pixel; 32-bit pictures carry straight alpha.
inline void PutPixel(std::uint8_t* target, const std::uint8_t* source, bool withAlpha) {
    if (!withAlpha) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        return;
    }
    const int a = source[3];
    for (int c = 0; c < 3; ++c) target[c] = std::uint8_t((source[c] * a + target[c] * (255 - a) + 127) / 255);
}

} // namespace

void TSmoothPicture::Assign(const TBitmap& bitmap) {
    FBitmap = bitmap;
    if (FBitmap.PixelFormat() == pf8bit) FBitmap.SetPixelFormat(pf24bit);
}

namespace {

// Pictures the platform's decoders do not take (GIF, for one) come through Qt's readers.
bool LoadWithQt(const std::string& path, TBitmap& bitmap) {
    QImage image(QString::fromStdString(path));
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return false;
    // ARGB32 holds straight alpha.
    image = image.convertToFormat(QImage::Format_ARGB32);
    bitmap = TBitmap(image.width(), image.height(), pf32bit);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < image.width(); ++x, out += 4) {
            out[0] = std::uint8_t(qBlue(in[x]));
            out[1] = std::uint8_t(qGreen(in[x]));
            out[2] = std::uint8_t(qRed(in[x]));
            out[3] = std::uint8_t(qAlpha(in[x]));
        }
    }
    return true;
}

bool FullyOpaque(const TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            if (p[x * 4 + 3] != 255) return false;
    }
    return true;
}

} // namespace

bool TSmoothPicture::LoadFromFile(const std::string& path) {
    TBitmap bitmap;
    std::string error;
    const bool loaded =
        IsPictureFileName(path) ? LoadPictureFile(path, bitmap, error) : LoadWithQt(path, bitmap);
    if (!loaded || bitmap.Empty()) return false;
    // Opaque pictures are copied, not mixed, wherever they are placed.
    if (bitmap.PixelFormat() == pf32bit && FullyOpaque(bitmap)) bitmap.SetPixelFormat(pf24bit);
    Assign(bitmap);
    return true;
}

void TSmoothPicture::Draw(TBitmap& target, int x, int y) const {
    if (Empty() || target.PixelFormat() == pf8bit) return;
    const bool withAlpha = FBitmap.PixelFormat() == pf32bit;
    const int sourceBytes = FBitmap.BytesPerPixel(), targetBytes = target.BytesPerPixel();
    const int left = std::max(0, x), right = std::min(target.Width(), x + Width());
    const int top = std::max(0, y), bottom = std::min(target.Height(), y + Height());
    for (int ty = top; ty < bottom; ++ty) {
        const std::uint8_t* in = FBitmap.ScanLine(ty - y);
        std::uint8_t* out = target.ScanLine(ty);
        for (int tx = left; tx < right; ++tx)
            PutPixel(out + std::size_t(tx) * targetBytes, in + std::size_t(tx - x) * sourceBytes, withAlpha);
    }
}

void TSmoothPicture::Tile(TBitmap& target) const {
    if (Empty()) return;
    for (int y = 0; y < target.Height(); y += Height())
        for (int x = 0; x < target.Width(); x += Width()) Draw(target, x, y);
}

void TSmoothPicture::StretchOver(TBitmap& target) const {
    if (Empty() || target.Empty() || target.PixelFormat() == pf8bit) return;
    // Nearest pixel; a picture with transparent parts shows what the target holds beneath.
    const bool withAlpha = FBitmap.PixelFormat() == pf32bit;
    const int sourceBytes = FBitmap.BytesPerPixel(), targetBytes = target.BytesPerPixel();
    const int w = target.Width(), h = target.Height();
    for (int ty = 0; ty < h; ++ty) {
        const std::uint8_t* in = FBitmap.ScanLine(int(std::int64_t(ty) * Height() / h));
        std::uint8_t* out = target.ScanLine(ty);
        for (int tx = 0; tx < w; ++tx)
            PutPixel(out + std::size_t(tx) * targetBytes,
                     in + std::size_t(std::int64_t(tx) * Width() / w) * sourceBytes, withAlpha);
    }
}

void TSmoothPicture::DrawCentered(TBitmap& target) const {
    Draw(target, (target.Width() - Width()) / 2, (target.Height() - Height()) / 2);
}
