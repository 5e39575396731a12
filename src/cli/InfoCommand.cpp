// frameloom-cli info FILE.gif [--json]: loads a GIF through the editor's reader
// and prints the document as it was read, block by block.

#include <cstdio>
#include <iostream>
#include <sstream>

#include <zlib.h>

#include "CliCommand.h"
#include "gifdata/GifData.h"

namespace {

const char* const InfoUsage =
    "Usage: frameloom-cli info FILE.gif [--json]\n"
    "Loads FILE.gif with the editor's GIF reader and prints the document: header,\n"
    "logical screen, global table, loop setting and, per frame, offset, size, flags,\n"
    "local table, disposal, user input, delay, transparency, extension blocks, title\n"
    "and a CRC-32 of the pixel indices. --json prints the same as one JSON object.\n"
    "Exit status: 0 loaded, 1 the load failed (reason on stderr, what was read before\n"
    "the failure on stdout), 2 usage error.\n";

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    return std::uint32_t(crc32_z(0, bytes.data(), bytes.size()));
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// Raw bytes as a quoted string: printable ASCII as is, quotes and backslashes
// escaped, every other byte written with escapeFormat (one %X-style conversion).
std::string Escaped(const std::string& bytes, const char* escapeFormat) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, escapeFormat, c);
            out += esc;
        }
    }
    return out + "\"";
}

// For the text report: other bytes as \xNN.
std::string Quoted(const std::string& bytes) {
    return Escaped(bytes, "\\x%02X");
}

// For JSON: other bytes as \u00NN, taking bytes above 0x7F as Latin-1.
std::string Json(const std::string& bytes) {
    return Escaped(bytes, "\\u%04X");
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

std::string ExtensionKind(const TGIFExtension& ext) {
    switch (ext.Label) {
    case 0x01:
        return "plain text";
    case 0xF9:
        return "graphic control";
    case 0xFE:
        return "comment";
    case 0xFF:
        return "application";
    default:
        return "unknown";
    }
}

// The payload of a block, and for application blocks the identifier and auth code.
void ExtensionDetails(const TGIFExtension& ext, std::string& identifier, std::string& authCode,
                      std::size_t& length) {
    length = 0;
    if (auto* app = dynamic_cast<const TGIFApplicationExtension*>(&ext)) {
        identifier = app->Identifier;
        authCode = app->AuthCode;
        length = app->Data.size();
    } else if (auto* text = dynamic_cast<const TGIFTextExtension*>(&ext)) {
        length = text->Text.size();
    } else if (auto* comment = dynamic_cast<const TGIFCommentExtension*>(&ext)) {
        length = comment->Text.size();
    }
}

std::string LoopText(const TGIFData& doc) {
    if (!doc.Looping) return "none";
    if (doc.LoopCount == 0) return "forever";
    return std::to_string(doc.LoopCount) + " repeats";
}

void PrintText(std::ostream& out, const std::string& path, const TGIFData& doc, bool loaded) {
    out << "File: " << path << "\n"
        << "Signature: " << Quoted(doc.Signature) << "\n"
        << "Version: " << Quoted(doc.Version) << "\n"
        << "Screen: " << doc.ScreenWidth << " x " << doc.ScreenHeight << "\n"
        << "Screen flags: " << Hex(doc.ScreenFlags, 2) << " (global table " << YesNo(doc.HasGlobalTable())
        << ", colour resolution " << doc.ColorResolution() << ", sorted " << YesNo(doc.GlobalSorted())
        << ", size code " << doc.GlobalTableSize() << ")\n"
        << "Background index: " << int(doc.BackgroundIndex) << "\n"
        << "Aspect byte: " << int(doc.AspectRatio) << "\n"
        << "Global table: ";
    if (doc.HasGlobalTable())
        out << (2 << doc.GlobalTableSize()) << " entries\n";
    else
        out << "none\n";
    out << "Loop: " << LoopText(doc) << "\n"
        << "Frames: " << doc.Frames.size() << "\n";
    for (std::size_t i = 0; i < doc.Frames.size(); ++i) {
        const TGIFImageData& f = *doc.Frames[i];
        const TGIFGraphicControlExtension& c = *f.Control;
        out << "Frame " << i << ":\n"
            << "  Offset: " << f.Left << ", " << f.Top << "\n"
            << "  Size: " << f.Width << " x " << f.Height << "\n"
            << "  Image flags: " << Hex(f.ImageFlags, 2) << " (local table " << YesNo(f.HasLocalTable())
            << ", interlaced " << YesNo(f.Interlaced()) << ", sorted " << YesNo(f.LocalSorted())
            << ", size code " << f.LocalTableSize() << ")\n"
            << "  Local table: ";
        if (f.HasLocalTable())
            out << (2 << f.LocalTableSize()) << " entries\n";
        else
            out << "none\n";
        out << "  Disposal: " << c.Disposal() << "\n"
            << "  User input: " << YesNo(c.UserInput()) << "\n"
            << "  Delay: " << c.DelayTime << "\n"
            << "  Transparent: " << YesNo(c.Transparent()) << ", index " << int(c.TransparentIndex) << "\n";
        for (const auto& ext : f.Extensions) {
            std::string identifier, authCode;
            std::size_t length;
            ExtensionDetails(*ext, identifier, authCode, length);
            out << "  Extension: " << Hex(ext->Label, 2) << " " << ExtensionKind(*ext);
            if (ext->Label == 0xFF) out << " " << Quoted(identifier) << " " << Quoted(authCode);
            out << ", " << length << " bytes\n";
        }
        out << "  Title: " << Quoted(f.Title) << "\n"
            << "  Pixels CRC-32: " << Hex(Crc32(f.Pixels), 8) << " (" << f.Pixels.size() << " bytes)\n";
    }
    out << "Result: " << (loaded ? "loaded" : "failed") << "\n";
}

void PrintJson(std::ostream& out, const std::string& path, const TGIFData& doc, bool loaded) {
    out << "{\n"
        << "  \"file\": " << Json(path) << ",\n"
        << "  \"loaded\": " << Bool(loaded) << ",\n"
        << "  \"signature\": " << Json(doc.Signature) << ",\n"
        << "  \"version\": " << Json(doc.Version) << ",\n"
        << "  \"screenWidth\": " << doc.ScreenWidth << ",\n"
        << "  \"screenHeight\": " << doc.ScreenHeight << ",\n"
        << "  \"screenFlags\": " << int(doc.ScreenFlags) << ",\n"
        << "  \"globalTable\": " << Bool(doc.HasGlobalTable()) << ",\n"
        << "  \"colorResolution\": " << doc.ColorResolution() << ",\n"
        << "  \"globalSorted\": " << Bool(doc.GlobalSorted()) << ",\n"
        << "  \"globalTableSizeCode\": " << doc.GlobalTableSize() << ",\n"
        << "  \"globalTableEntries\": " << (doc.HasGlobalTable() ? 2 << doc.GlobalTableSize() : 0) << ",\n"
        << "  \"backgroundIndex\": " << int(doc.BackgroundIndex) << ",\n"
        << "  \"aspectRatio\": " << int(doc.AspectRatio) << ",\n"
        << "  \"looping\": " << Bool(doc.Looping) << ",\n"
        << "  \"loopCount\": " << doc.LoopCount << ",\n"
        << "  \"frames\": [";
    for (std::size_t i = 0; i < doc.Frames.size(); ++i) {
        const TGIFImageData& f = *doc.Frames[i];
        const TGIFGraphicControlExtension& c = *f.Control;
        out << (i ? ",\n" : "\n") << "    {\n"
            << "      \"left\": " << f.Left << ", \"top\": " << f.Top << ", \"width\": " << f.Width
            << ", \"height\": " << f.Height << ",\n"
            << "      \"imageFlags\": " << int(f.ImageFlags)
            << ", \"localTable\": " << Bool(f.HasLocalTable()) << ", \"interlaced\": " << Bool(f.Interlaced())
            << ", \"localSorted\": " << Bool(f.LocalSorted())
            << ", \"localTableSizeCode\": " << f.LocalTableSize()
            << ", \"localTableEntries\": " << (f.HasLocalTable() ? 2 << f.LocalTableSize() : 0) << ",\n"
            << "      \"disposal\": " << c.Disposal() << ", \"userInput\": " << Bool(c.UserInput())
            << ", \"delay\": " << c.DelayTime << ", \"transparent\": " << Bool(c.Transparent())
            << ", \"transparentIndex\": " << int(c.TransparentIndex) << ",\n"
            << "      \"extensions\": [";
        for (std::size_t k = 0; k < f.Extensions.size(); ++k) {
            const TGIFExtension& ext = *f.Extensions[k];
            std::string identifier, authCode;
            std::size_t length;
            ExtensionDetails(ext, identifier, authCode, length);
            out << (k ? ", " : "") << "{\"label\": " << int(ext.Label)
                << ", \"kind\": " << Json(ExtensionKind(ext));
            if (ext.Label == 0xFF)
                out << ", \"identifier\": " << Json(identifier) << ", \"authCode\": " << Json(authCode);
            out << ", \"length\": " << length << "}";
        }
        out << "],\n"
            << "      \"title\": " << Json(f.Title) << ",\n"
            << "      \"pixelBytes\": " << f.Pixels.size()
            << ", \"pixelCrc32\": " << Json(Hex(Crc32(f.Pixels), 8)) << "\n    }";
    }
    out << (doc.Frames.empty() ? "]\n" : "\n  ]\n") << "}\n";
}

int RunInfo(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << InfoUsage;
        return ExitOk;
    }
    std::string path;
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << "frameloom-cli info: unknown option '" << arg << "'\n" << InfoUsage;
            return ExitUsage;
        } else if (path.empty()) {
            path = arg;
        } else {
            std::cerr << "frameloom-cli info: only one file is read\n" << InfoUsage;
            return ExitUsage;
        }
    }
    if (path.empty()) {
        std::cerr << "frameloom-cli info: no file given\n" << InfoUsage;
        return ExitUsage;
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    TGIFData doc;
    bool loaded = doc.LoadFromFile(path);
    SetIOErrorHandler(nullptr);
    if (!loaded && !reported)
        std::cerr << "frameloom-cli: " << path << ": the file ends before its trailer\n";

    if (json)
        PrintJson(std::cout, path, doc, loaded);
    else
        PrintText(std::cout, path, doc, loaded);
    return loaded ? ExitOk : ExitFailure;
}

const bool registered = RegisterCommand({"info", "print the structure of a GIF file", &RunInfo});

} // namespace
