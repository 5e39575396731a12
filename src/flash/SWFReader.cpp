#include "flash/SWFReader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
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

namespace {

// The bytes of a movie after its first eight, in order.
class TSource {
  public:
    virtual ~TSource() = default;
    // Reads up to count bytes; fewer only where the data ends.
    virtual std::size_t Read(std::uint8_t* out, std::size_t count) = 0;
    // Why the data ended where it did, when that is itself a fault ("" otherwise).
    virtual std::string EndFault() const { return ""; }
};

class TMemorySource : public TSource {
  public:
    TMemorySource(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    std::size_t Read(std::uint8_t* out, std::size_t count) override {
        const std::size_t n = std::min(count, FSize - FPosition);
        std::copy(FData + FPosition, FData + FPosition + n, out);
        FPosition += n;
        return n;
    }

  private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPosition = 0;
};

class TFileSource : public TSource {
  public:
    TFileSource(std::istream& in, const std::string& path) : FIn(in), FPath(path) {}
    std::size_t Read(std::uint8_t* out, std::size_t count) override {
        FIn.read(reinterpret_cast<char*>(out), std::streamsize(count));
        if (FIn.bad()) throw ESWFFormatError("Cannot read \"" + FPath + "\"");
        return std::size_t(FIn.gcount());
    }

  private:
    std::istream& FIn;
    std::string FPath;
};

// Inflates another source as its bytes are asked for, never producing more
// than the header's file length allows.
class TInflateSource : public TSource {
  public:
    TInflateSource(TSource& in, std::uint32_t fileLength) : FIn(in), FFileLength(fileLength) {
        FLimit = fileLength > 8 ? fileLength - 8 : 0;
        if (inflateInit(&FZ) != Z_OK) throw ESWFFormatError("Compressed movie: cannot start zlib");
    }
    ~TInflateSource() override { inflateEnd(&FZ); }
    TInflateSource(const TInflateSource&) = delete;
    TInflateSource& operator=(const TInflateSource&) = delete;

    std::size_t Read(std::uint8_t* out, std::size_t count) override {
        std::size_t produced = 0;
        while (produced < count && !FStreamEnded) {
            if (FZ.avail_in == 0 && !FInputEnded) {
                const std::size_t n = FIn.Read(FBuffer.data(), FBuffer.size());
                if (n == 0) FInputEnded = true;
                FZ.next_in = FBuffer.data();
                FZ.avail_in = uInt(n);
            }
            if (FZ.avail_in == 0 && FInputEnded) break;
            FZ.next_out = out + produced;
            FZ.avail_out = uInt(std::min<std::size_t>(count - produced, std::size_t(1) << 30));
            const uInt before = FZ.avail_out;
            const int rc = inflate(&FZ, Z_NO_FLUSH);
            produced += before - FZ.avail_out;
            if (rc == Z_STREAM_END) {
                FStreamEnded = true;
            } else if (rc != Z_OK && !(rc == Z_BUF_ERROR && FZ.avail_in == 0)) {
                throw ESWFFormatError("Compressed movie: the compressed data is corrupt");
            }
        }
        FProduced += produced;
        if (FProduced > FLimit)
            throw ESWFFormatError("Compressed movie: more data than the header's file length of " +
                                  std::to_string(FFileLength) + " bytes");
        return produced;
    }
    std::string EndFault() const override {
        return FStreamEnded ? "" : "Compressed movie: the compressed data is truncated";
    }

  private:
    TSource& FIn;
    std::uint32_t FFileLength;
    std::uint64_t FLimit = 0;
    std::uint64_t FProduced = 0;
    z_stream FZ{};
    std::vector<std::uint8_t> FBuffer = std::vector<std::uint8_t>(65536);
    bool FInputEnded = false;
    bool FStreamEnded = false;
};

// Reads count bytes or as many as there are; returns how many.
std::size_t ReadFully(TSource& source, std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n =
            source.Read(out + done, std::min<std::size_t>(count - done, std::size_t(1) << 24));
        if (n == 0) break;
        done += n;
    }
    return done;
}

// Passes over count bytes without keeping them; returns how many there were.
std::uint64_t SkipFully(TSource& source, std::uint64_t count) {
    std::uint8_t scratch[65536];
    std::uint64_t done = 0;
    while (done < count) {
        const std::size_t n =
            source.Read(scratch, std::size_t(std::min<std::uint64_t>(count - done, sizeof scratch)));
        if (n == 0) break;
        done += n;
    }
    return done;
}

// Bytes kept of a body the player does not read: enough for ids and sizes.
constexpr std::uint32_t KeptPrefixBytes = 32;

TSWFFile ReadMovie(const std::uint8_t* lead, std::size_t leadSize, TSource& file,
                   const TSWFReadLimits& limits) {
    if (leadSize < 8) throw ESWFFormatError("Not an SWF movie: the file is too short");
    const std::string sig(reinterpret_cast<const char*>(lead), 3);
    if (sig == "ZWS") throw ESWFFormatError("LZMA-compressed SWF movies (ZWS) are not supported");
    if (sig != "FWS" && sig != "CWS") throw ESWFFormatError("Not an SWF movie: no FWS or CWS signature");

    TSWFFile movie;
    movie.Header.Signature = sig;
    movie.Header.Version = lead[3];
    movie.Header.FileLength = std::uint32_t(lead[4]) | (std::uint32_t(lead[5]) << 8) |
                              (std::uint32_t(lead[6]) << 16) | (std::uint32_t(lead[7]) << 24);
    std::unique_ptr<TInflateSource> inflater;
    if (sig == "CWS") inflater = std::make_unique<TInflateSource>(file, movie.Header.FileLength);
    TSource& source = inflater ? static_cast<TSource&>(*inflater) : file;
    auto endFault = [&](const std::string& otherwise) {
        const std::string fault = source.EndFault();
        throw ESWFFormatError(fault.empty() ? otherwise : fault);
    };

    // The header: a rectangle of 5 + 4 n bits, then the rate and the count.
    std::uint8_t header[4 + 17 + 4] = {};
    if (ReadFully(source, header, 1) < 1) endFault("Movie header: data ends early");
    const std::size_t rectBytes = (5 + 4 * std::size_t(header[0] >> 3) + 7) / 8;
    if (ReadFully(source, header + 1, rectBytes + 3) < rectBytes + 3)
        endFault("Movie header: data ends early");
    TSWFBitReader fields(header, rectBytes + 4, "Movie header");
    movie.Header.FrameRect = fields.ReadRect();
    movie.Header.FrameRate = fields.ReadU16();
    movie.Header.FrameCount = fields.ReadU16();
    movie.Header.HeaderSize = std::uint32_t(8 + rectBytes + 4);

    std::uint64_t pos = movie.Header.HeaderSize;
    for (;;) {
        std::uint8_t head[6];
        const std::size_t got = ReadFully(source, head, 2);
        if (got < 2) {
            if (!source.EndFault().empty()) endFault("");
            break; // no End tag
        }
        if (pos + 6 > std::numeric_limits<std::uint32_t>::max())
            throw ESWFFormatError("The movie is larger than 4 GiB");
        if (movie.Tags.size() >= limits.MaxTags)
            throw ESWFFormatError("The movie has more than " + std::to_string(limits.MaxTags) +
                                  " tags, more than the player handles");
        TSWFTagInfo tag;
        tag.Offset = std::uint32_t(pos);
        const std::uint16_t word = std::uint16_t(head[0] | (head[1] << 8));
        tag.Code = word >> 6;
        tag.Length = word & 0x3F;
        const std::string name = SWFTagName(tag.Code);
        if (tag.Length == 0x3F) {
            if (ReadFully(source, head + 2, 4) < 4)
                endFault("Tag " + name + " at offset " + std::to_string(pos) + ": the header is cut off");
            tag.LongHeader = true;
            tag.Length = std::uint32_t(head[2]) | (std::uint32_t(head[3]) << 8) |
                         (std::uint32_t(head[4]) << 16) | (std::uint32_t(head[5]) << 24);
        }
        tag.KeptLength =
            TSWFFile::KeepsWholeBody(tag.Code) ? tag.Length : std::min(tag.Length, KeptPrefixBytes);
        if (movie.Kept.size() + tag.KeptLength > limits.MaxKeptBytes)
            throw ESWFFormatError("Tag " + name + " at offset " + std::to_string(pos) +
                                  ": the movie needs more than " + std::to_string(limits.MaxKeptBytes >> 20) +
                                  " MiB of tags in memory, more than the player handles");
        tag.KeptOffset = movie.Kept.size();
        movie.Kept.resize(movie.Kept.size() + tag.KeptLength);
        std::uint64_t present = ReadFully(source, movie.Kept.data() + tag.KeptOffset, tag.KeptLength);
        if (present == tag.KeptLength) present += SkipFully(source, tag.Length - tag.KeptLength);
        if (present < tag.Length)
            endFault("Tag " + name + " at offset " + std::to_string(pos) + " is " +
                     std::to_string(tag.Length) + " bytes long but only " + std::to_string(present) +
                     " remain in the file");
        movie.Tags.push_back(tag);
        pos = tag.BodyOffset() + std::uint64_t(tag.Length);
        if (tag.Code == 0) {
            movie.HasEndTag = true;
            break;
        }
    }
    movie.UncompressedSize = pos;
    // A compressed movie should end soon after its End tag: look a little further
    // for a cut-off stream, but never inflate a long tail nobody reads.
    if (inflater && movie.HasEndTag) {
        SkipFully(*inflater, 65536);
        if (!inflater->EndFault().empty() && SkipFully(*inflater, 1) == 0) endFault("");
    }
    movie.Kept.shrink_to_fit();
    return movie;
}

} // namespace

bool TSWFFile::KeepsWholeBody(std::uint16_t code) {
    switch (code) {
    case 2:  // DefineShape
    case 22: // DefineShape2
    case 32: // DefineShape3
    case 20: // DefineBitsLossless
    case 36: // DefineBitsLossless2
    case 4:  // PlaceObject
    case 26: // PlaceObject2
    case 70: // PlaceObject3
    case 5:  // RemoveObject
    case 28: // RemoveObject2
    case 9:  // SetBackgroundColor
        return true;
    default:
        return false;
    }
}

TSWFFile TSWFFile::FromBytes(const std::uint8_t* data, std::size_t size, TSWFReadLimits limits) {
    TMemorySource rest(data + std::min<std::size_t>(size, 8), size - std::min<std::size_t>(size, 8));
    return ReadMovie(data, size, rest, limits);
}

TSWFFile TSWFFile::FromFile(const std::string& path, TSWFReadLimits limits) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ESWFFormatError("Cannot open \"" + path + "\"");
    std::uint8_t lead[8];
    TFileSource file(in, path);
    const std::size_t got = ReadFully(file, lead, 8);
    return ReadMovie(lead, got, file, limits);
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
