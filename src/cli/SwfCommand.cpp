// frameloom-cli swf IN.gif OUT.swf: the editor's "Save As Flash Movie (SWF)..."
// without the dialog: every frame over a background colour, one SWF frame each.

#include <cstdlib>
#include <iostream>

#include "CliCommand.h"
#include "flash/SWFExport.h"
#include "gifdata/GifData.h"

namespace {

const char* const SwfUsage =
    "Usage: frameloom-cli swf IN.gif OUT.swf [--rate N] [--background RRGGBB]\n"
    "Writes IN.gif as a compressed Flash movie (version 6): each GIF frame becomes\n"
    "one movie frame showing the frame drawn over the background colour.\n"
    "  --rate N               frames per second, 1..999 (default: 100 div the first\n"
    "                         frame's delay, at least 1; 10 when that delay is 0).\n"
    "                         A movie holds at most 255; faster rates are written as 255.\n"
    "  --background RRGGBB    background colour in hex (default FFFFFF, white)\n"
    "OUT.swf is replaced only when the whole movie was written.\n"
    "Exit status: 0 written, 1 the load or the export failed (reason on stderr),\n"
    "2 usage error.\n";

int Usage(const std::string& why) {
    std::cerr << "frameloom-cli swf: " << why << "\n" << SwfUsage;
    return ExitUsage;
}

bool ParseColor(std::string text, TColor& color) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    unsigned long v = std::strtoul(text.c_str(), nullptr, 16);
    color = RGB(int(v >> 16), int(v >> 8), int(v));
    return true;
}

bool ParseRate(const std::string& text, int& rate) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    rate = std::atoi(text.c_str());
    return rate >= 1 && rate <= 999;
}

int RunSwf(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << SwfUsage;
        return ExitOk;
    }
    std::vector<std::string> files;
    int rate = 0;
    TColor background = RGB(255, 255, 255);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--rate" || arg == "--background") {
            if (i + 1 >= args.size()) return Usage("option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--rate" && !ParseRate(value, rate))
                return Usage("the rate must be a whole number from 1 to 999, not '" + value + "'");
            if (arg == "--background" && !ParseColor(value, background))
                return Usage("the background must be six hex digits RRGGBB, not '" + value + "'");
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return Usage("expected an input GIF and an output SWF file");

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    TGIFData doc;
    const bool loaded = doc.LoadFromFile(files[0]);
    SetIOErrorHandler(nullptr);
    if (!loaded) {
        if (!reported) std::cerr << "frameloom-cli: " << files[0] << ": the file ends before its trailer\n";
        return ExitFailure;
    }
    if (doc.Frames.empty()) {
        std::cerr << "frameloom-cli: " << files[0] << " has no frames; there is nothing to export\n";
        return ExitFailure;
    }
    if (rate == 0) rate = ProposedFrameRate(doc);
    if (rate > 255)
        std::cerr << "frameloom-cli swf: a movie holds at most 255 frames per second; writing 255 instead of "
                  << rate << "\n";
    try {
        ExportSWF(doc, background, rate, files[1]);
    } catch (const std::exception& e) {
        std::cerr << "frameloom-cli: " << e.what() << "\n";
        return ExitFailure;
    }
    std::cout << files[1] << ": " << doc.Frames.size() << " frame(s), " << doc.ScreenWidth << " x "
              << doc.ScreenHeight << " pixels, " << std::min(rate, 255) << " frames per second\n";
    return ExitOk;
}

const bool registered = RegisterCommand({"swf", "export a GIF as a Flash movie (SWF)", &RunSwf});

} // namespace
