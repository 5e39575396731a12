#include "editor/FrameImport.h"

#include "editor/LogicalScreen.h"
#include "gifdata/GifData.h"
#include "platform/PictureDecoders.h"

#include <cctype>

namespace {

std::string UpperExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

// Each frame of a GIF file as a new frame. False when the file gives no frame at all.
bool ImportGifFile(TGIFData& document, const std::string& path, int& added) {
    TGIFData source;
    const bool loaded = source.LoadFromFile(path);
    // A file cut short keeps the frames read before the damage; they are imported.
    if (!loaded && source.Frames.empty()) return false;
    for (const auto& frame : source.Frames) {
        const std::unique_ptr<TBitmap> bitmap = frame->ToBitmap();
        if (!bitmap) continue;
        const int transparent =
            frame->Control && frame->Control->Transparent() ? frame->Control->TransparentIndex : -1;
        if (!AddFrameFromBitmap(document, *bitmap, transparent)) break; // the rest of this file is skipped
        ++added;
    }
    return true;
}

} // namespace

TImportResult ImportFrameFiles(TGIFData& document, const std::vector<std::string>& files) {
    TImportResult result;
    for (const std::string& path : files) {
        const std::string ext = UpperExtension(path);
        bool loaded = true;
        if (ext == ".GIF") {
            loaded = ImportGifFile(document, path, result.FramesAdded);
            if (!loaded) result.Reason = "The GIF file cannot be read.";
        } else if (ext == ".JPG" || ext == ".JPEG" || ext == ".BMP" || ext == ".ICO" || ext == ".EMF" ||
                   ext == ".WMF" || ext == ".PNG") {
            TBitmap picture;
            loaded = LoadPictureFile(path, picture, result.Reason);
            // Transparent parts of a picture show white on the new frame.
            if (loaded && AddFrameFromBitmap(document, FlattenPicture(picture, RGB(255, 255, 255)), -1))
                ++result.FramesAdded;
        } else {
            result.Stop = isUnknownExtension;
            result.StoppedAt = path;
            break;
        }
        if (!loaded) {
            result.Stop = isLoadFailed;
            result.StoppedAt = path;
            result.Message = "Can not load file \"" + path + "\"";
            break;
        }
    }
    result.ScreenChanged = FitLogicalScreen(document);
    if (result.ScreenChanged) document.RefreshThumbnails();
    return result;
}
