// frameloom-cli import OUT.gif PICTURE...: a new animation built from picture
// files the way the editor's "Add Frame From File..." builds frames, saved as
// the editor saves.

#include <iostream>

#include "CliCommand.h"
#include "ColorOptions.h"
#include "GuiSupport.h"
#include "editor/FrameImport.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

namespace {

const char* const ImportUsage =
    "Usage: frameloom-cli import OUT.gif PICTURE...\n"
    "Builds a new animation from the pictures in order: a GIF file gives each of its\n"
    "frames with its own palette and transparency, a JPEG, PNG, BMP, ICO, EMF or WMF\n"
    "picture one frame (reduced to at most 256 colours). The logical screen is fitted\n"
    "to the frames and the animation saved as OUT.gif.\n"
    "A picture that cannot be loaded stops the import; the frames imported before it\n"
    "are saved.\n"
    "Exit status: 0 saved, 1 a picture could not be loaded or the save failed\n"
    "(reason on stderr), 2 usage error.\n";

// The state of a new document in the editor: no frames, the standard colours.
void StartNewDocument(TGIFData& doc) {
    while (!doc.Frames.empty()) doc.DeleteFrame(int(doc.Frames.size()) - 1);
    doc.SetGlobalSorted(false);
    doc.AspectRatio = 0;
    const TDefaultPalette& colours = DefaultPalette();
    for (int i = 0; i < 256; ++i)
        doc.GlobalPalette[i] = {colours[i].Red, colours[i].Green, colours[i].Blue, 0};
}

int RunImport(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        std::cout << ImportUsage << ColorOptionsUsage;
        return ExitOk;
    }
    std::vector<std::string> args = arguments;
    if (std::string error; !TakeColorOptions(args, error)) {
        std::cerr << "frameloom-cli import: " << error << "\n" << ImportUsage << ColorOptionsUsage;
        return ExitUsage;
    }
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "frameloom-cli import: unknown option '" << arg << "'\n"
                      << ImportUsage << ColorOptionsUsage;
            return ExitUsage;
        }
        files.push_back(arg);
    }
    if (files.size() < 2) {
        std::cerr << "frameloom-cli import: expected an output file and at least one picture\n"
                  << ImportUsage << ColorOptionsUsage;
        return ExitUsage;
    }
    EnsureGuiApplication();

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    TGIFData doc;
    StartNewDocument(doc);
    const std::vector<std::string> pictures(files.begin() + 1, files.end());
    const TImportResult result = ImportFrameFiles(doc, pictures);
    int status = ExitOk;
    if (result.Stop != isNone) {
        // The editor's dialog only offers known extensions; here an unknown one
        // is reported like a picture that cannot be loaded.
        std::cerr << "Can not load file \"" << result.StoppedAt << "\"\n";
        if (result.Stop == isUnknownExtension)
            std::cerr << "frameloom-cli: unknown picture format\n";
        else if (!result.Reason.empty())
            std::cerr << "frameloom-cli: " << result.Reason << "\n";
        status = ExitFailure;
    }
    if (doc.Frames.empty()) {
        std::cerr << "frameloom-cli import: no frame was imported; " << files[0] << " was not written\n";
        SetIOErrorHandler(nullptr);
        return ExitFailure;
    }
    doc.CompactPalettes();
    reported = false;
    if (!doc.SaveToFile(files[0])) {
        if (!reported) std::cerr << "frameloom-cli: cannot save " << files[0] << "\n";
        status = ExitFailure;
    }
    SetIOErrorHandler(nullptr);
    return status;
}

const bool registered = RegisterCommand(
    {"import", "build an animation from picture files as the editor imports frames", &RunImport});

} // namespace
