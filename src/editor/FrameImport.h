#pragma once
// Importing picture files as new frames ("Add Frame From File..." without its
// dialog): GIF files give each of their frames with its own palette and
// transparency, other pictures one frame each, then the logical screen is
// fitted to the frames.

#include <string>
#include <vector>

class TGIFData;

enum TImportStop {
    isNone,             // every file was read
    isUnknownExtension, // a file with an extension the import does not know ended it
    isLoadFailed        // a file could not be decoded; Message says which
};

struct TImportResult {
    int FramesAdded = 0;
    TImportStop Stop = isNone;
    std::string StoppedAt;      // the file that ended the import
    std::string Message;        // "Can not load file \"...\"" for isLoadFailed
    std::string Reason;         // the decoder's reason, for the command line
    bool ScreenChanged = false; // the logical screen was refitted (thumbnails redrawn)
};

// Imports the files in order into document; frames imported before a failure
// stay. The caller marks the document modified when FramesAdded > 0 and
// rebuilds its frame list. Needs a QGuiApplication (pictures are decoded with Qt).
TImportResult ImportFrameFiles(TGIFData& document, const std::vector<std::string>& files);
