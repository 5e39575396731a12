// frameloom-cli optimize IN.gif OUT.gif [--level 1|2|3]: the animation
// optimiser on a file; every frame keeps exactly the pixels a browser shows.

#include <filesystem>
#include <iostream>

#include "CliCommand.h"
#include "gifdata/GifData.h"
#include "gifdata/GifOptimizer.h"

namespace {

const char* const OptimizeUsage =
    "Usage: frameloom-cli optimize IN.gif OUT.gif [--level 1|2|3]\n"
    "Loads IN.gif, makes each frame draw only what changed on the screen, lets\n"
    "frames share one colour table, and saves the result as OUT.gif. Every frame\n"
    "looks exactly as before, with the same delays, loop count and comments.\n"
    "  --level 1  crop frames, transparency for unchanged pixels, best disposals\n"
    "  --level 2  also keep, per frame, the smaller of opaque or transparent\n"
    "  --level 3  also try the variants that change the compressed data (default)\n"
    "Prints the sizes before and after. OUT.gif is replaced only when the whole\n"
    "file was written.\n"
    "Exit status: 0 saved, 1 the load, the optimisation or the save failed\n"
    "(reason on stderr), 2 usage error.\n";

int RunOptimize(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << OptimizeUsage;
        return ExitOk;
    }
    std::vector<std::string> files;
    int level = OptimizeLevelMax;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--level" || arg.rfind("--level=", 0) == 0) {
            std::string value;
            if (arg == "--level") {
                if (i + 1 >= args.size()) {
                    std::cerr << "frameloom-cli optimize: --level needs a value\n" << OptimizeUsage;
                    return ExitUsage;
                }
                value = args[++i];
            } else {
                value = arg.substr(8);
            }
            if (value != "1" && value != "2" && value != "3") {
                std::cerr << "frameloom-cli optimize: the level must be 1, 2 or 3, not '" << value << "'\n"
                          << OptimizeUsage;
                return ExitUsage;
            }
            level = value[0] - '0';
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "frameloom-cli optimize: unknown option '" << arg << "'\n" << OptimizeUsage;
            return ExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << "frameloom-cli optimize: expected an input and an output file\n" << OptimizeUsage;
        return ExitUsage;
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    int status = ExitFailure;
    TGIFData doc;
    if (!doc.LoadFromFile(files[0])) {
        if (!reported) std::cerr << "frameloom-cli: " << files[0] << ": the file ends before its trailer\n";
    } else {
        std::string reason;
        if (!OptimizeAnimation(doc, level, &reason)) {
            std::cerr << "frameloom-cli: cannot optimise " << files[0] << ": " << reason << "\n";
        } else {
            doc.CompactPalettes();
            if (doc.SaveToFile(files[1])) {
                std::error_code ignored;
                std::cout << files[0] << ": " << std::filesystem::file_size(files[0], ignored) << " bytes -> "
                          << files[1] << ": " << std::filesystem::file_size(files[1], ignored) << " bytes\n";
                status = ExitOk;
            } else if (!reported) {
                std::cerr << "frameloom-cli: cannot save " << files[1] << "\n";
            }
        }
    }
    SetIOErrorHandler(nullptr);
    return status;
}

const bool registered =
    RegisterCommand({"optimize", "make a GIF smaller, keeping every frame's pixels exactly", &RunOptimize});

} // namespace
