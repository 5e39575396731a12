// frameloom-cli swf-info FILE.swf: the header and the tag list of a movie, as our
// player reads them.

#include <cstdio>
#include <fstream>
#include <iostream>

#include "CliCommand.h"
#include "flash/SWFReader.h"

namespace {

const char* const SwfInfoUsage =
    "Usage: frameloom-cli swf-info FILE.swf\n"
    "Prints the movie's header and its tags (offset, code, name, length and,\n"
    "for the tags the export writes, their ids and depths).\n"
    "Exit status: 0 read, 1 the file is not a readable movie (reason on stderr),\n"
    "2 usage error.\n";

std::string Details(const TSWFFile& file, const TSWFTagInfo& tag) {
    TSWFBitReader r(file.Body(tag), tag.KeptLength, SWFTagName(tag.Code));
    char text[160];
    try {
        switch (tag.Code) {
        case 20:
        case 36: {
            unsigned id = r.ReadU16(), format = r.ReadU8(), w = r.ReadU16(), h = r.ReadU16();
            std::snprintf(text, sizeof text, "id %u, format %u, %u x %u", id, format, w, h);
            return text;
        }
        case 2:
        case 22:
        case 32: {
            unsigned id = r.ReadU16();
            TSWFRect b = r.ReadRect();
            std::snprintf(text, sizeof text, "id %u, bounds %d,%d - %d,%d twips", id, b.Left, b.Top, b.Right,
                          b.Bottom);
            return text;
        }
        case 26: {
            unsigned flags = r.ReadU8(), depth = r.ReadU16();
            std::string s = "depth " + std::to_string(depth);
            if (flags & 0x02) s += ", character " + std::to_string(r.ReadU16());
            if (flags & 0x01) s += ", move";
            return s;
        }
        case 28:
            return "depth " + std::to_string(r.ReadU16());
        case 9: {
            unsigned red = r.ReadU8(), green = r.ReadU8(), blue = r.ReadU8();
            std::snprintf(text, sizeof text, "colour %02X%02X%02X", red, green, blue);
            return text;
        }
        default:
            return "";
        }
    } catch (const ESWFFormatError&) {
        return "(body too short)";
    }
}

int RunSwfInfo(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << SwfInfoUsage;
        return ExitOk;
    }
    if (args.size() != 1 || (!args[0].empty() && args[0][0] == '-')) {
        std::cerr << "frameloom-cli swf-info: expected one SWF file\n" << SwfInfoUsage;
        return ExitUsage;
    }
    try {
        const TSWFFile file = TSWFFile::FromFile(args[0]);
        const TSWFHeaderInfo& h = file.Header;
        std::ifstream disk(args[0], std::ios::binary | std::ios::ate);
        const TSWFRect& r = h.FrameRect;
        std::cout << "Signature: " << h.Signature << "\n"
                  << "Version: " << int(h.Version) << "\n"
                  << "FileLength: " << h.FileLength << " (uncompressed " << file.UncompressedSize
                  << ", on disk " << std::streamoff(disk.tellg()) << ")\n"
                  << "FrameSize: " << r.Left << "," << r.Top << " - " << r.Right << "," << r.Bottom
                  << " twips (" << (std::int64_t(r.Right) - r.Left) / 20.0 << " x "
                  << (std::int64_t(r.Bottom) - r.Top) / 20.0 << " pixels)\n";
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.2f", h.FrameRate / 256.0);
        std::cout << "FrameRate: " << rate << "\n"
                  << "FrameCount: " << h.FrameCount << "\n"
                  << "Tags: " << file.Tags.size() << (file.HasEndTag ? "" : " (no End tag)") << "\n";
        for (const TSWFTagInfo& tag : file.Tags) {
            char line[96];
            std::snprintf(line, sizeof line, "  %8u  %3u %-20s %8u%s", tag.Offset, tag.Code,
                          SWFTagName(tag.Code), tag.Length, tag.LongHeader ? " long" : "");
            std::string details = Details(file, tag);
            std::cout << line << (details.empty() ? "" : "  " + details) << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "frameloom-cli: " << args[0] << ": " << e.what() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

const bool registered = RegisterCommand({"swf-info", "print an SWF movie's header and tags", &RunSwfInfo});

} // namespace
