// frameloom-cli resave IN.gif OUT.gif: what the editor does to a file that is
// opened and saved unchanged: load, compact the palettes, save.

#include <iostream>

#include "CliCommand.h"
#include "gifdata/GifData.h"
#include "gifdata/GifOptimizer.h"

namespace {

const char* const ResaveUsage =
    "Usage: frameloom-cli resave IN.gif OUT.gif [--optimize]\n"
    "Loads IN.gif, compacts its palettes and saves it as OUT.gif, as the editor's\n"
    "Open and Save do. OUT.gif is replaced only when the whole file was written.\n"
    "  --optimize  first run the animation optimiser (as `optimize --level 3`)\n"
    "Exit status: 0 saved, 1 the load or the save failed (reason on stderr),\n"
    "2 usage error.\n";

int RunResave(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << ResaveUsage;
        return ExitOk;
    }
    std::vector<std::string> files;
    bool optimize = false;
    for (const std::string& arg : args) {
        if (arg == "--optimize") {
            optimize = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "frameloom-cli resave: unknown option '" << arg << "'\n" << ResaveUsage;
            return ExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << "frameloom-cli resave: expected an input and an output file\n" << ResaveUsage;
        return ExitUsage;
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    TGIFData doc;
    bool ok = doc.LoadFromFile(files[0]);
    if (!ok && !reported)
        std::cerr << "frameloom-cli: " << files[0] << ": the file ends before its trailer\n";
    std::string reason;
    if (ok && optimize && !OptimizeAnimation(doc, OptimizeLevelMax, &reason)) {
        std::cerr << "frameloom-cli: cannot optimise " << files[0] << ": " << reason << "\n";
        ok = false;
    }
    if (ok) {
        doc.CompactPalettes();
        ok = doc.SaveToFile(files[1]);
        if (!ok && !reported) std::cerr << "frameloom-cli: cannot save " << files[1] << "\n";
    }
    SetIOErrorHandler(nullptr);
    return ok ? ExitOk : ExitFailure;
}

const bool registered =
    RegisterCommand({"resave", "load a GIF and save it again as the editor would", &RunResave});

} // namespace
