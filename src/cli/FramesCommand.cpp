// frameloom-cli frames IN.gif OUT.bmp|OUT.png [--composed]: every frame as a
// still picture under numbered names, as the editor's "Export All Images..."
// writes them; --composed writes what the preview shows at each step.

#include <iostream>
#include <memory>

#include "CliCommand.h"
#include "editor/FrameExport.h"
#include "editor/PreviewPlayer.h"
#include "gifdata/GifData.h"

namespace {

const char* const FramesUsage =
    "Usage: frameloom-cli frames IN.gif OUT.bmp|OUT.png [--composed]\n"
    "Writes every frame of IN.gif as a picture named after OUT: its folder, its name\n"
    "up to the first \".\", \"_\" and the frame number from 1, and its extension, so\n"
    "anim.bmp gives anim_1.bmp, anim_2.bmp, ... A name ending in .png writes PNG\n"
    "pictures, any other name Windows bitmaps. Each frame is written alone at its\n"
    "own size with its palette (a PNG keeps its transparent colour); frames without\n"
    "pixels are skipped. --composed writes instead what the editor's preview shows\n"
    "at each frame: the whole logical screen after the earlier frames' disposal,\n"
    "over the preview's background colour RGB(166, 202, 240).\n"
    "Exit status: 0 written, 1 the load or a write failed (reason on stderr),\n"
    "2 usage error.\n";

int RunFrames(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << FramesUsage;
        return ExitOk;
    }
    bool composed = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--composed") {
            composed = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "frameloom-cli frames: unknown option '" << arg << "'\n" << FramesUsage;
            return ExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || files[1].empty()) {
        std::cerr << "frameloom-cli frames: expected an input file and an output name\n" << FramesUsage;
        return ExitUsage;
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    auto document = std::make_unique<TGIFData>();
    document->ThumbnailTemplate.reset(); // no thumbnails are shown here: skip drawing them
    const bool loaded = document->LoadFromFile(files[0]);
    SetIOErrorHandler(nullptr);
    if (!loaded) {
        if (!reported) std::cerr << "frameloom-cli: " << files[0] << ": the file ends before its trailer\n";
        return ExitFailure;
    }
    TExportSummary summary;
    try {
        summary = composed ? ExportComposedFrames(std::move(document), DefaultPreviewBackground, files[1])
                           : ExportAllFrames(*document, files[1]);
    } catch (const std::bad_alloc&) {
        std::cerr << "frameloom-cli: there is not enough memory for the pictures\n";
        return ExitFailure;
    }
    if (summary.Skipped > 0)
        std::cerr << "frameloom-cli: " << summary.Skipped
                  << (summary.Skipped == 1 ? " frame has" : " frames have") << " no pixels and "
                  << (summary.Skipped == 1 ? "was" : "were") << " skipped\n";
    if (summary.Failed) {
        std::cerr << "frameloom-cli: cannot write " << summary.FailedPath << ": " << summary.Error << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

const bool registered = RegisterCommand(
    {"frames", "write every frame (or every composed preview step) as BMP or PNG pictures", &RunFrames});

} // namespace
