#include "editor/FrameExport.h"

#include "editor/PreviewPlayer.h"
#include "gifdata/GifData.h"
#include "platform/BmpFile.h"
#include "platform/PngFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

bool Complete(const TGIFImageData& frame) {
    return frame.HasPixels() && frame.Width > 0 && frame.Height > 0 &&
           std::int64_t(frame.Pixels.size()) == std::int64_t(frame.Width) * std::int64_t(frame.Height);
}

} // namespace

TExportFormat ExportFormatFor(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".png" ? efPng : efBitmap;
}

std::string NumberedExportName(const std::string& chosen, int n) {
    const std::filesystem::path path(chosen);
    const std::string name = path.filename().string();
    const std::size_t lastDot = name.rfind('.');
    const std::string extension = lastDot == std::string::npos ? std::string() : name.substr(lastDot);
    const std::string base = name.substr(0, name.find('.'));
    return (path.parent_path() / (base + "_" + std::to_string(n) + extension)).string();
}

bool WriteExportPicture(const TBitmap& bitmap, const std::string& path, int transparentIndex,
                        std::string& error) {
    if (ExportFormatFor(path) == efPng) return SavePngFile(bitmap, path, error, transparentIndex);
    return SaveBitmapFile(bitmap, path, error);
}

TFrameExportResult ExportFrame(const TGIFImageData& frame, const std::string& path, std::string& error) {
    if (!Complete(frame)) return erNoPixels;
    std::unique_ptr<TBitmap> bitmap;
    try {
        bitmap = frame.ToBitmap();
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory for the picture.";
        return erFailed;
    }
    if (!bitmap) return erNoPixels;
    const bool transparent = frame.Control && frame.Control->Transparent();
    return WriteExportPicture(*bitmap, path, transparent ? frame.Control->TransparentIndex : -1, error)
               ? erWritten
               : erFailed;
}

TExportSummary ExportAllFrames(const TGIFData& document, const std::string& chosen) {
    TExportSummary summary;
    for (std::size_t i = 0; i < document.Frames.size(); ++i) {
        const std::string path = NumberedExportName(chosen, int(i) + 1);
        switch (ExportFrame(*document.Frames[i], path, summary.Error)) {
        case erWritten:
            ++summary.Written;
            break;
        case erNoPixels:
            ++summary.Skipped;
            break;
        case erFailed:
            summary.Failed = true;
            summary.FailedPath = path;
            return summary;
        }
    }
    return summary;
}

TExportSummary ExportComposedFrames(std::unique_ptr<TGIFData> animation, TColor background,
                                    const std::string& chosen) {
    TExportSummary summary;
    if (!animation) return summary;
    if (!TPreviewPlayer::ScreenFits(animation->ScreenWidth, animation->ScreenHeight)) {
        summary.Failed = true;
        summary.FailedPath = NumberedExportName(chosen, 1);
        summary.Error = "The logical screen of " + std::to_string(animation->ScreenWidth) + " x " +
                        std::to_string(animation->ScreenHeight) + " pixels is too large to compose.";
        return summary;
    }
    const int count = int(animation->Frames.size());
    TPreviewPlayer player(std::move(animation), background);
    for (int n = 1; n <= count && player.Advance(); ++n) {
        const std::string path = NumberedExportName(chosen, n);
        if (player.Composition().Empty()) {
            ++summary.Skipped;
            continue;
        }
        if (!WriteExportPicture(player.Composition(), path, -1, summary.Error)) {
            summary.Failed = true;
            summary.FailedPath = path;
            return summary;
        }
        ++summary.Written;
    }
    return summary;
}
