// The GIF reader: the block structure of GIF87a and GIF89a files. The LZW image
// data itself is decoded in GifLzwDecoder.cpp.

#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>

#include "gifdata/GifData.h"

namespace {

bool ReadByte(TStream& stream, std::uint8_t& value) {
    return stream.Read(&value, 1) == 1;
}

// Reads into value as far as the stream goes, like a plain buffer read: bytes
// that are not there leave the old ones in place.
template <typename T> void ReadLoose(TStream& stream, T& value) {
    std::uint8_t bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = std::uint8_t(std::uint64_t(value) >> (8 * i));
    stream.Read(bytes, sizeof(T));
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) result |= std::uint64_t(bytes[i]) << (8 * i);
    value = T(result);
}

void SkipByte(TStream& stream) {
    std::uint8_t ignored;
    ReadByte(stream, ignored);
}

std::uint8_t ReadByteOrFail(TStream& stream, const char* what) {
    std::uint8_t value;
    if (!ReadByte(stream, value)) throw EGIFError(std::string("Truncated ") + what);
    return value;
}

std::uint16_t ReadWordOrFail(TStream& stream, const char* what) {
    std::uint8_t bytes[2];
    if (!stream.ReadExact(bytes, 2)) throw EGIFError(std::string("Truncated ") + what);
    return std::uint16_t(bytes[0] | (bytes[1] << 8));
}

void ReadPaletteOrFail(TStream& stream, TPalette& palette, int sizeCode, const char* what) {
    std::size_t count = std::size_t(2) << sizeCode;
    std::uint8_t triples[3 * 256];
    if (!stream.ReadExact(triples, 3 * count)) throw EGIFError(std::string("Truncated ") + what);
    for (std::size_t i = 0; i < count; ++i) {
        palette[i].Red = triples[3 * i];
        palette[i].Green = triples[3 * i + 1];
        palette[i].Blue = triples[3 * i + 2];
    }
}

std::string Hex(std::uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[value >> 4] + digits[value & 15];
}

bool IsLoopingBlock(const TGIFApplicationExtension& block) {
    return block.Identifier == "NETSCAPE" && block.AuthCode == "2.0" && block.Data.size() == 3 &&
           block.Data[0] == '\x01';
}

} // namespace

bool ReadSubBlocks(TStream& stream, std::string& bytes) {
    try {
        std::uint8_t length;
        if (!ReadByte(stream, length)) {
            ShowIOError("Truncated data sub-block chain: missing length byte");
            return false;
        }
        bytes.clear();
        char block[255];
        while (length != 0) {
            if (!stream.ReadExact(block, length)) {
                ShowIOError("Truncated data sub-block: " + std::to_string(length) + " bytes announced");
                return false;
            }
            bytes.append(block, length);
            if (!ReadByte(stream, length)) {
                ShowIOError("Truncated data sub-block chain: missing terminator");
                return false;
            }
        }
        return true;
    } catch (const std::exception& e) {
        ShowIOError(std::string("Cannot read a data sub-block chain: ") + e.what());
        return false;
    }
}

bool TGIFGraphicControlExtension::ReadBlock(TStream& stream) {
    // The layout is fixed: size byte, flags, delay, transparent index, terminator.
    SkipByte(stream);
    ReadLoose(stream, ControlFlags);
    ReadLoose(stream, DelayTime);
    ReadLoose(stream, TransparentIndex);
    SkipByte(stream);
    return true;
}

bool TGIFTextExtension::ReadBlock(TStream& stream) {
    SkipByte(stream);
    ReadLoose(stream, GridLeft);
    ReadLoose(stream, GridTop);
    ReadLoose(stream, GridWidth);
    ReadLoose(stream, GridHeight);
    ReadLoose(stream, CellWidth);
    ReadLoose(stream, CellHeight);
    ReadLoose(stream, ForegroundIndex);
    ReadLoose(stream, BackgroundIndex);
    return ReadSubBlocks(stream, Text);
}

bool TGIFApplicationExtension::ReadBlock(TStream& stream) {
    SkipByte(stream);
    Identifier.assign(8, '\0');
    stream.Read(Identifier.data(), 8);
    AuthCode.assign(3, '\0');
    stream.Read(AuthCode.data(), 3);
    return ReadSubBlocks(stream, Data);
}

bool TGIFCommentExtension::ReadBlock(TStream& stream) {
    return ReadSubBlocks(stream, Text);
}

bool TGIFImageData::ReadImage(TStream& stream) {
    try {
        Left = ReadWordOrFail(stream, "image descriptor");
        Top = ReadWordOrFail(stream, "image descriptor");
        Width = ReadWordOrFail(stream, "image descriptor");
        Height = ReadWordOrFail(stream, "image descriptor");
        ImageFlags = ReadByteOrFail(stream, "image descriptor");
        if (HasLocalTable()) ReadPaletteOrFail(stream, LocalPalette, LocalTableSize(), "local colour table");

        if (std::int64_t(Width) * Height > MaxFramePixels)
            throw EGIFError("Frame of " + std::to_string(Width) + " x " + std::to_string(Height) +
                            " pixels is too large");
        DecodeImage(stream); // refuses a frame far larger than its own data could describe; sets the usage
        return true;
    } catch (const std::bad_alloc&) {
        ShowIOError("Not enough memory for a frame of " + std::to_string(Width) + " x " +
                    std::to_string(Height) + " pixels");
    } catch (const std::exception& e) {
        ShowIOError(e.what());
    }
    return false;
}

bool TGIFData::LoadFromFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) { // opens, but reads nothing
        ShowIOError("Cannot open " + path + ": it is a folder");
        return false;
    }
    TFileStream stream(path);
    if (!stream.IsOpen()) {
        ShowIOError("Cannot open " + path + ": " + std::strerror(errno));
        return false;
    }
    return LoadFromStream(stream);
}

bool TGIFData::LoadFromStream(TStream& stream) {
    DestroyFrames();
    Looping = false;
    TitleExtension->Data.clear();
    FUncoveredPixelsLeft = MaxUncoveredLoadPixels;
    try {
        Signature.clear();
        for (int i = 0; i < 3; ++i) {
            std::uint8_t c;
            if (!ReadByte(stream, c)) break;
            Signature += char(c);
        }
        if (Signature != "GIF") {
            ShowIOError("Not a GIF file");
            return false;
        }
        char version[3];
        if (!stream.ReadExact(version, 3)) throw EGIFError("Truncated GIF header");
        Version.assign(version, 3);
        ScreenWidth = ReadWordOrFail(stream, "logical screen descriptor");
        ScreenHeight = ReadWordOrFail(stream, "logical screen descriptor");
        ScreenFlags = ReadByteOrFail(stream, "logical screen descriptor");
        BackgroundIndex = ReadByteOrFail(stream, "logical screen descriptor");
        AspectRatio = ReadByteOrFail(stream, "logical screen descriptor");
        if (HasGlobalTable())
            ReadPaletteOrFail(stream, GlobalPalette, GlobalTableSize(), "global colour table");

        for (;;) {
            std::uint8_t block;
            if (!ReadByte(stream, block)) return false; // no trailer: keep what was read, no message
            if (block == 0x3B) {
                UpdateGlobalUsage();
                UnpackTitles();
                return true;
            }
            // Extensions gather on a frame until its image arrives.
            auto frame = std::make_unique<TGIFImageData>(this);
            for (;;) {
                if (block == 0x21) {
                    std::uint8_t label;
                    if (!ReadByte(stream, label)) throw EGIFError("Truncated extension block");
                    std::unique_ptr<TGIFExtension> created;
                    switch (label) {
                    case 0x01:
                        created = std::make_unique<TGIFTextExtension>();
                        break;
                    case 0xF9:
                        break;
                    case 0xFE:
                        created = std::make_unique<TGIFCommentExtension>();
                        break;
                    case 0xFF:
                        created = std::make_unique<TGIFApplicationExtension>();
                        break;
                    default:
                        ShowIOError("Unknown extension label " + Hex(label));
                        return false;
                    }
                    TGIFExtension& target = created ? *created : *frame->Control;
                    if (!target.ReadBlock(stream)) return false;
                    if (label == 0x01 || label == 0xFE) {
                        frame->Extensions.push_back(std::move(created));
                    } else if (label == 0xFF) {
                        auto& app = static_cast<TGIFApplicationExtension&>(*created);
                        if (IsLoopingBlock(app)) {
                            if (!Looping) { // only the first looping block counts
                                LoopCount =
                                    std::uint16_t(std::uint8_t(app.Data[1]) | std::uint8_t(app.Data[2]) << 8);
                                Looping = true;
                            }
                        } else if (app.Identifier == TitleExtension->Identifier) {
                            TitleExtension->Data = std::move(app.Data); // the last title block wins
                        } else {
                            frame->Extensions.push_back(std::move(created));
                        }
                    }
                    if (!ReadByte(stream, block)) {
                        ShowIOError("File ends after an extension block");
                        return false;
                    }
                } else if (block == 0x2C) {
                    if (!frame->ReadImage(stream)) return false;
                    Frames.push_back(std::move(frame));
                    break;
                } else if (block == 0x3B) {
                    // Extensions after the last image have no frame to go with and are dropped.
                    UpdateGlobalUsage();
                    UnpackTitles();
                    return true;
                } else {
                    ShowIOError("Unknown block " + Hex(block) + " at offset " +
                                std::to_string(stream.Position() - 1));
                    return false;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        ShowIOError("Not enough memory to read the file");
    } catch (const std::exception& e) {
        ShowIOError(e.what());
    }
    return false;
}
