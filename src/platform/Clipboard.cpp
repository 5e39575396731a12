#include "platform/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>

namespace {

const QString PngFormat = QStringLiteral("image/png");

bool IsPictureFormat(const QString& format) {
    return format.startsWith(QStringLiteral("image/"));
}

// Reads a picture in one of the image formats, refusing one larger than maxPixels
// before its pixels are decoded.
QImage ReadPicture(const QByteArray& bytes, std::int64_t maxPixels) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && std::int64_t(size.width()) * size.height() > maxPixels) return {};
    return reader.read();
}

} // namespace

bool ClipboardHasPicture() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) return false;
    if (data->hasImage()) return true;
    for (const QString& format : data->formats())
        if (IsPictureFormat(format)) return true;
    return false;
}

TBitmap ClipboardPicture(std::int64_t maxPixels) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) return {};
    QImage image;
    if (data->hasFormat(PngFormat)) image = ReadPicture(data->data(PngFormat), maxPixels);
    if (image.isNull() && data->hasImage()) image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull()) {
        for (const QString& format : data->formats()) {
            if (!IsPictureFormat(format) || format == PngFormat) continue;
            image = ReadPicture(data->data(format), maxPixels);
            if (!image.isNull()) break;
        }
    }
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
    if (std::int64_t(image.width()) * image.height() > maxPixels) return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return {};
    TBitmap picture(image.width(), image.height(), pf32bit);
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = picture.ScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            to[x * 4] = std::uint8_t(qBlue(from[x]));
            to[x * 4 + 1] = std::uint8_t(qGreen(from[x]));
            to[x * 4 + 2] = std::uint8_t(qRed(from[x]));
            to[x * 4 + 3] = std::uint8_t(qAlpha(from[x]));
        }
    }
    return picture;
}

void SetClipboardPicture(const TBitmap& picture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || picture.Empty() || picture.PixelFormat() != pf32bit) return;
    QImage shape(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    QImage colours(picture.Width(), picture.Height(), QImage::Format_RGB32);
    if (shape.isNull() || colours.isNull()) return;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* from = picture.ScanLine(y);
        auto* withAlpha = reinterpret_cast<QRgb*>(shape.scanLine(y));
        auto* opaque = reinterpret_cast<QRgb*>(colours.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint8_t* p = from + x * 4;
            withAlpha[x] = qRgba(p[2], p[1], p[0], p[3]);
            opaque[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    shape.save(&buffer, "PNG");
    auto* data = new QMimeData;
    data->setImageData(colours);
    if (!png.isEmpty()) data->setData(PngFormat, png);
    clipboard->setMimeData(data); // the clipboard owns it
}
