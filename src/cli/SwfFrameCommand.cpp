// frameloom-cli swf-frame FILE.swf N OUT.png: frame N of a movie as our player
// renders it, saved as a PNG picture (written with zlib; no window system needed).

#include <cstdio>
#include <iostream>
#include <vector>
#include <zlib.h>

#include "CliCommand.h"
#include "flash/SWFPlayer.h"

namespace {

const char* const SwfFrameUsage = "Usage: frameloom-cli swf-frame FILE.swf N OUT.png\n"
                                  "Renders frame N (counted from 0) of the movie with our SWF player at the\n"
                                  "stage's pixel size and saves it as a PNG picture.\n"
                                  "Exit status: 0 written, 1 the movie cannot be played or the picture not\n"
                                  "saved (reason on stderr), 2 usage error.\n";

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
    const std::uint32_t n = std::uint32_t(data.size());
    for (int s = 24; s >= 0; s -= 8) png.push_back(std::uint8_t(n >> s));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const std::uint32_t crc = std::uint32_t(crc32(0L, png.data() + start, uInt(png.size() - start)));
    for (int s = 24; s >= 0; s -= 8) png.push_back(std::uint8_t(crc >> s));
}

// An 8-bit RGB PNG of a 32-bit bitmap (B, G, R, A bytes; alpha not stored).
bool WritePNG(const TBitmap& frame, const std::string& path) {
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(frame.Height()) * (1 + std::size_t(frame.Width()) * 3));
    for (int y = 0; y < frame.Height(); ++y) {
        raw.push_back(0); // no filter
        const std::uint8_t* p = frame.ScanLine(y);
        for (int x = 0; x < frame.Width(); ++x, p += 4) raw.insert(raw.end(), {p[2], p[1], p[0]});
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> header;
    for (std::uint32_t v : {std::uint32_t(frame.Width()), std::uint32_t(frame.Height())})
        for (int s = 24; s >= 0; s -= 8) header.push_back(std::uint8_t(v >> s));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

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
    if (!WritePNG(frame, args[2])) {
        std::cerr << "frameloom-cli: cannot write " << args[2] << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

const bool registered =
    RegisterCommand({"swf-frame", "render one frame of an SWF movie to a PNG picture", &RunSwfFrame});

} // namespace
