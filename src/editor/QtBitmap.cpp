#include "editor/QtBitmap.h"

#include <cstring>

QImage ToQImage(const TBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const QImage::Format format = bitmap.PixelFormat() == pf8bit    ? QImage::Format_Indexed8
                                  : bitmap.PixelFormat() == pf24bit ? QImage::Format_BGR888
                                                                    : QImage::Format_RGB32;
    QImage image(bitmap.Width(), bitmap.Height(), format);
    if (image.isNull()) return {};
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> table(256, qRgb(0, 0, 0));
        for (int i = 0; i < bitmap.PaletteSize(); ++i) {
            const TColor c = bitmap.PaletteColor(i);
            table[i] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
        image.setColorTable(table);
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.ScanLine(y), std::size_t(bitmap.BytesPerLine()));
        if (format == QImage::Format_RGB32) {
            // The fourth byte is not alpha on the drawing layer; Qt wants it opaque.
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < bitmap.Width(); ++x) row[x] |= 0xFF000000u;
        }
    }
    return image;
}

QColor ToQColor(TColor color) {
    if (color == NoColor) return {};
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}
