#pragma once
// Frames written as still pictures: one frame, every frame under numbered
// names, or every step of the preview's composition. No widgets: the editor's
// export commands and frameloom-cli frames call these.
//
// The picture format follows the file name: ".png" (any letter case) writes
// a PNG, anything else a Windows bitmap. A frame alone is written losslessly
// as 8 bits per pixel with its 256-entry palette (the PNG also keeps the
// frame's transparent index); a composed step is written in 24 bits.

#include "platform/Bitmap.h"

#include <memory>
#include <string>

class TGIFData;
class TGIFImageData;

enum TExportFormat { efBitmap, efPng };

// The format a file name asks for.
TExportFormat ExportFormatFor(const std::string& path);

// The name of the n-th file (n from 1) for a chosen name: its folder, the
// file name up to its first ".", "_", n, and the extension from the last ".".
// "anim.bmp" gives anim_1.bmp, "shot.v2.bmp" gives shot_1.bmp.
std::string NumberedExportName(const std::string& chosen, int n);

// Writes a bitmap in the format of the path, replacing any file of that name;
// transparentIndex is kept by a PNG of an 8-bit bitmap. False with a reason.
bool WriteExportPicture(const TBitmap& bitmap, const std::string& path, int transparentIndex,
                        std::string& error);

enum TFrameExportResult { erWritten, erNoPixels, erFailed };

// One frame as a picture file. erNoPixels (nothing written) for a frame
// without a complete pixel buffer; erFailed with a reason in error.
TFrameExportResult ExportFrame(const TGIFImageData& frame, const std::string& path, std::string& error);

struct TExportSummary {
    int Written = 0;
    int Skipped = 0;        // frames without pixels
    bool Failed = false;    // a file could not be written; the export stopped there
    std::string FailedPath; // that file
    std::string Error;      // and why
};

// Every frame n (from 1) written to NumberedExportName(chosen, n).
TExportSummary ExportAllFrames(const TGIFData& document, const std::string& chosen);

// Every step of one pass of the preview, as the preview composes it over the
// background colour (the player plays the animation it is given), written to NumberedExportName(chosen, n) at
// the logical screen's size. Refused (Failed, nothing written) for a screen the preview cannot compose.
TExportSummary ExportComposedFrames(std::unique_ptr<TGIFData> animation, TColor background,
                                    const std::string& chosen);
