#include "generators/text/SmoothTextRaster.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

struct TFaceChoice {
    QString Family;
    bool ForceBold = false;
    bool Condensed = false;
};

bool HasFamily(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// "Impact" ships with other systems, not this one: a bold condensed sans stands in.
TFaceChoice ChooseFace(const std::string& name) {
    static std::map<std::string, TFaceChoice> cache;
    if (auto found = cache.find(name); found != cache.end()) return found->second;
    const QString requested = QString::fromStdString(name);
    TFaceChoice choice{requested};
    if (!HasFamily(requested) && requested.compare("Impact", Qt::CaseInsensitive) == 0) {
        if (HasFamily("DejaVu Sans Condensed"))
            choice = {"DejaVu Sans Condensed", true, false};
        else
            choice = {"DejaVu Sans", true, true};
    }
    cache.emplace(name, choice);
    return choice;
}

QFont MakeQFont(const TSmoothFontDesc& desc) {
    const TFaceChoice face = ChooseFace(desc.Name);
    QFont font(face.Family);
    font.setPixelSize(std::max(1, std::abs(desc.Height)));
    font.setBold(desc.Bold || face.ForceBold);
    font.setItalic(desc.Italic);
    font.setUnderline(desc.Underline);
    font.setStrikeOut(desc.StrikeOut);
    if (face.Condensed) font.setStretch(QFont::Condensed);
    // Smoothness comes from supersampling; the rasteriser itself draws plain ink.
    font.setStyleStrategy(QFont::NoAntialias);
    if (desc.Width != 0) {
        const int average = QFontMetrics(font).averageCharWidth();
        if (average > 0)
            font.setStretch(std::clamp(int(std::lround(100.0 * std::abs(desc.Width) / average)), 1, 4000));
    }
    return font;
}

} // namespace

int PointsToPixels(int points) {
    return int(std::lround(points * 96.0 / 72.0));
}

std::string ResolvedFaceName(const std::string& name) {
    TSmoothFontDesc desc;
    desc.Name = name;
    return QFontInfo(MakeQFont(desc)).family().toStdString();
}

void MeasureText(const TSmoothFontDesc& font, const std::string& text, int& width, int& height) {
    const QFontMetrics metrics(MakeQFont(font));
    width = metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
    height = metrics.ascent() + metrics.descent();
}

int TextCharacterCount(const std::string& text) {
    return int(QString::fromUtf8(text.data(), qsizetype(text.size())).toUcs4().size());
}

std::vector<std::uint8_t> RasterizeText(const TSmoothFontDesc& font, const std::string& text, int width,
                                        int height, int x, int y) {
    std::vector<std::uint8_t> raster(std::size_t(std::max(0, width)) * std::size_t(std::max(0, height)), 0);
    if (width <= 0 || height <= 0 || text.empty()) return raster;
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(0);
    {
        const QFont qfont = MakeQFont(font);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(qfont);
        painter.setPen(QColor(255, 255, 255));
        painter.translate(x, y);
        if (font.Escapement != 0) painter.rotate(-font.Escapement / 10.0);
        painter.drawText(QPointF(0, QFontMetrics(qfont).ascent()),
                         QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(raster.data() + std::size_t(row) * width, image.constScanLine(row), std::size_t(width));
    return raster;
}
