#include "flash/SWFReader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <zlib.h>

// ---- bit reader

void TSWFBitReader::Fail(const std::string& why) const {
    throw ESWFFormatError(FWhat + ": " + why);
}

std::uint32_t TSWFBitReader::ReadUB(int count) {
    if (count <= 0) return 0;
    if (count > 32) Fail("bit field wider than 32 bits");
    if (FBit + std::size_t(count) > FSize * 8) Fail("data ends early");
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++FBit)
        value = (value << 1) | ((FData[FBit >> 3] >> (7 - (FBit & 7))) & 1u);
    return value;
}

std::int32_t TSWFBitReader::ReadSB(int count) {
    if (count <= 0) return 0;
    std::uint32_t raw = ReadUB(count);
    if (count < 32 && (raw >> (count - 1)) & 1u) raw |= ~std::uint32_t(0) << count;
    return std::int32_t(raw);
}

std::uint8_t TSWFBitReader::ReadU8() {
    Align();
    if (BytePosition() + 1 > FSize) Fail("data ends early");
    std::uint8_t b = FData[BytePosition()];
    FBit += 8;
    return b;
}

std::uint16_t TSWFBitReader::ReadU16() {
    std::uint16_t lo = ReadU8();
    return std::uint16_t(lo | (ReadU8() << 8));
}

std::uint32_t TSWFBitReader::ReadU32() {
    std::uint32_t lo = ReadU16();
    return lo | (std::uint32_t(ReadU16()) << 16);
}

std::string TSWFBitReader::ReadString() {
    Align();
    std::string s;
    for (;;) {
        std::uint8_t c = ReadU8();
        if (c == 0) return s;
        s.push_back(char(c));
    }
}

void TSWFBitReader::Skip(std::size_t bytes) {
    Align();
    if (bytes > Remaining()) Fail("data ends early");
    FBit += bytes * 8;
}

TSWFRect TSWFBitReader::ReadRect() {
    Align();
    int n = int(ReadUB(5));
    TSWFRect r;
    r.Left = ReadSB(n);
    r.Right = ReadSB(n);
    r.Top = ReadSB(n);
    r.Bottom = ReadSB(n);
    Align();
    return r;
}

TSWFMatrix TSWFBitReader::ReadMatrix() {
    Align();
    TSWFMatrix m;
    m.HasScale = ReadUB(1);
    if (m.HasScale) {
        int n = int(ReadUB(5));
        m.ScaleX = ReadSB(n);
        m.ScaleY = ReadSB(n);
    }
    m.HasRotate = ReadUB(1);
    if (m.HasRotate) {
        int n = int(ReadUB(5));
        m.RotateSkew0 = ReadSB(n);
        m.RotateSkew1 = ReadSB(n);
    }
    int n = int(ReadUB(5));
    m.TranslateX = ReadSB(n);
    m.TranslateY = ReadSB(n);
    Align();
    return m;
}

// ---- inflating

std::size_t MaxInflatedSize(std::size_t compressedSize) {
    // Deflate expands at most about 1032 : 1; leave some room above it.
    if (compressedSize > std::numeric_limits<std::size_t>::max() / 1040 - 1024)
        return std::numeric_limits<std::size_t>::max();
    return compressedSize * 1040 + 1024;
}

namespace {
// Inflates into out, never growing it past limit. Returns true at the stream's end.
bool InflateInto(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                 std::size_t limit, const std::string& what, bool& overLimit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw ESWFFormatError(what + ": cannot start zlib");
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
    overLimit = false;
    std::size_t produced = out.size();
    int rc = Z_OK;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() >= limit) {
                // One byte more would mean the data holds more than allowed.
                std::uint8_t probe;
                z.next_out = &probe;
                z.avail_out = 1;
                rc = inflate(&z, Z_NO_FLUSH);
                overLimit = z.avail_out == 0;
                break;
            }
            std::size_t grow = std::max<std::size_t>(out.size(), 65536);
            out.resize(std::min(limit, out.size() + grow));
        }
        z.next_out = out.data() + produced;
        z.avail_out = uInt(std::min<std::size_t>(out.size() - produced, std::numeric_limits<uInt>::max()));
        uInt before = z.avail_out;
        rc = inflate(&z, Z_NO_FLUSH);
        produced += before - z.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR && z.avail_out != 0) break; // input exhausted
        if (rc != Z_OK && rc != Z_BUF_ERROR) break;
    }
    inflateEnd(&z);
    out.resize(produced);
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
        throw ESWFFormatError(what + ": the compressed data is corrupt");
    return rc == Z_STREAM_END;
}
} // namespace

std::vector<std::uint8_t> InflateExactly(const std::uint8_t* data, std::size_t size, std::size_t expected,
                                         const std::string& what) {
    std::vector<std::uint8_t> out;
    out.reserve(std::min(expected, MaxInflatedSize(size)));
    bool overLimit = false;
    InflateInto(data, size, out, expected, what, overLimit);
    if (out.size() < expected)
        throw ESWFFormatError(what + ": the compressed data ends after " + std::to_string(out.size()) +
                              " of " + std::to_string(expected) + " bytes");
    return out;
}

// ---- the file

TSWFFile TSWFFile::FromBytes(const std::uint8_t* data, std::size_t size) {
    if (size < 8) throw ESWFFormatError("Not an SWF movie: the file is too short");
    std::string sig(reinterpret_cast<const char*>(data), 3);
    if (sig == "ZWS") throw ESWFFormatError("LZMA-compressed SWF movies (ZWS) are not supported");
    if (sig != "FWS" && sig != "CWS") throw ESWFFormatError("Not an SWF movie: no FWS or CWS signature");

    TSWFFile file;
    file.Header.Signature = sig;
    file.Header.Version = data[3];
    file.Header.FileLength = std::uint32_t(data[4]) | (std::uint32_t(data[5]) << 8) |
                             (std::uint32_t(data[6]) << 16) | (std::uint32_t(data[7]) << 24);
    file.Data.assign(data, data + 8);
    if (sig == "FWS") {
        file.Data.insert(file.Data.end(), data + 8, data + size);
    } else {
        // The header's FileLength bounds the inflated size; memory grows only
        // with what the compressed data actually yields.
        std::size_t limit = file.Header.FileLength > 8 ? file.Header.FileLength - 8 : 0;
        bool overLimit = false;
        std::vector<std::uint8_t> body;
        bool ended = InflateInto(data + 8, size - 8, body, limit, "Compressed movie", overLimit);
        if (overLimit)
            throw ESWFFormatError("Compressed movie: more data than the header's file length of " +
                                  std::to_string(file.Header.FileLength) + " bytes");
        if (!ended) throw ESWFFormatError("Compressed movie: the compressed data is truncated");
        file.Data.insert(file.Data.end(), body.begin(), body.end());
    }

    TSWFBitReader header(file.Data.data() + 8, file.Data.size() - 8, "Movie header");
    file.Header.FrameRect = header.ReadRect();
    file.Header.FrameRate = header.ReadU16();
    file.Header.FrameCount = header.ReadU16();
    file.Header.HeaderSize = std::uint32_t(8 + header.BytePosition());

    std::size_t pos = file.Header.HeaderSize;
    const std::size_t total = file.Data.size();
    while (pos + 2 <= total) {
        TSWFTagInfo tag;
        tag.Offset = std::uint32_t(pos);
        std::uint16_t word = std::uint16_t(file.Data[pos] | (file.Data[pos + 1] << 8));
        tag.Code = word >> 6;
        tag.Length = word & 0x3F;
        if (tag.Length == 0x3F) {
            if (pos + 6 > total)
                throw ESWFFormatError("Tag " + std::string(SWFTagName(tag.Code)) + " at offset " +
                                      std::to_string(pos) + ": the header is cut off");
            tag.LongHeader = true;
            tag.Length = std::uint32_t(file.Data[pos + 2]) | (std::uint32_t(file.Data[pos + 3]) << 8) |
                         (std::uint32_t(file.Data[pos + 4]) << 16) |
                         (std::uint32_t(file.Data[pos + 5]) << 24);
        }
        if (tag.Length > total - tag.BodyOffset())
            throw ESWFFormatError("Tag " + std::string(SWFTagName(tag.Code)) + " at offset " +
                                  std::to_string(pos) + " is " + std::to_string(tag.Length) +
                                  " bytes long but only " + std::to_string(total - tag.BodyOffset()) +
                                  " remain in the file");
        file.Tags.push_back(tag);
        pos = tag.BodyOffset() + std::size_t(tag.Length);
        if (tag.Code == 0) {
            file.HasEndTag = true;
            break;
        }
    }
    return file;
}

TSWFFile TSWFFile::FromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ESWFFormatError("Cannot open \"" + path + "\"");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw ESWFFormatError("Cannot read \"" + path + "\"");
    return FromBytes(bytes.data(), bytes.size());
}

const char* SWFTagName(std::uint16_t code) {
    switch (code) {
    case 0:
        return "End";
    case 1:
        return "ShowFrame";
    case 2:
        return "DefineShape";
    case 4:
        return "PlaceObject";
    case 5:
        return "RemoveObject";
    case 6:
        return "DefineBits";
    case 7:
        return "DefineButton";
    case 8:
        return "JPEGTables";
    case 9:
        return "SetBackgroundColor";
    case 10:
        return "DefineFont";
    case 11:
        return "DefineText";
    case 12:
        return "DoAction";
    case 13:
        return "DefineFontInfo";
    case 14:
        return "DefineSound";
    case 15:
        return "StartSound";
    case 18:
        return "SoundStreamHead";
    case 19:
        return "SoundStreamBlock";
    case 20:
        return "DefineBitsLossless";
    case 21:
        return "DefineBitsJPEG2";
    case 22:
        return "DefineShape2";
    case 24:
        return "Protect";
    case 26:
        return "PlaceObject2";
    case 28:
        return "RemoveObject2";
    case 32:
        return "DefineShape3";
    case 33:
        return "DefineText2";
    case 34:
        return "DefineButton2";
    case 35:
        return "DefineBitsJPEG3";
    case 36:
        return "DefineBitsLossless2";
    case 37:
        return "DefineEditText";
    case 39:
        return "DefineSprite";
    case 43:
        return "FrameLabel";
    case 45:
        return "SoundStreamHead2";
    case 46:
        return "DefineMorphShape";
    case 48:
        return "DefineFont2";
    case 56:
        return "ExportAssets";
    case 57:
        return "ImportAssets";
    case 58:
        return "EnableDebugger";
    case 59:
        return "DoInitAction";
    case 60:
        return "DefineVideoStream";
    case 61:
        return "VideoFrame";
    case 64:
        return "EnableDebugger2";
    case 65:
        return "ScriptLimits";
    case 66:
        return "SetTabIndex";
    case 69:
        return "FileAttributes";
    case 70:
        return "PlaceObject3";
    case 77:
        return "Metadata";
    case 83:
        return "DefineShape4";
    case 84:
        return "DefineMorphShape2";
    default:
        return "Unknown";
    }
}
