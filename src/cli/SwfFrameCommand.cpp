// frameloom-cli swf-frame FILE.swf N OUT.png: frame N of a movie as our player
// renders it, saved as an RGB PNG picture (no window system needed).

#include <iostream>
#include <vector>

#include "CliCommand.h"
#include "flash/SWFPlayer.h"
#include "platform/PngFile.h"

namespace {

const char* const SwfFrameUsage = "Usage: frameloom-cli swf-frame FILE.swf N OUT.png\n"
                                  "Renders frame N (counted from 0) of the movie with our SWF player at the\n"
                                  "stage's pixel size and saves it as a PNG picture.\n"
                                  "Exit status: 0 written, 1 the movie cannot be played or the picture not\n"
                                  "saved (reason on stderr), 2 usage error.\n";

int RunSwfFrame(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << SwfFrameUsage;
        return ExitOk;
    }
    if (args.size() != 3 || args[1].empty() || args[1].size() > 9 ||
        args[1].find_first_not_of("0123456789") != std::string::npos) {
        std::cerr << "frameloom-cli swf-frame: expected FILE.swf, a frame number and OUT.png\n"
                  << SwfFrameUsage;
        return ExitUsage;
    }
    const int n = std::stoi(args[1]);
    TBitmap frame;
    try {
        TSWFMoviePlayer player(TSWFFile::FromFile(args[0]));
        frame = player.RenderFrame(n);
    } catch (const std::exception& e) {
        std::cerr << "frameloom-cli: " << args[0] << ": " << e.what() << "\n";
        return ExitFailure;
    }
    // The stage is opaque: its colours go out as RGB.
    frame.SetPixelFormat(pf24bit);
    std::string error;
    if (!SavePngFile(frame, args[2], error)) {
        std::cerr << "frameloom-cli: cannot write " << args[2] << ": " << error << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

const bool registered =
    RegisterCommand({"swf-frame", "render one frame of an SWF movie to a PNG picture", &RunSwfFrame});

} // namespace
