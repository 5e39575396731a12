#pragma once
// Reading SWF files: the header (FWS, or CWS with everything after the first
// eight bytes inflated), the tag list, and a bit reader over tag bodies.
// Malformed input raises ESWFFormatError with a message that says what is
// wrong and where; nothing is allocated beyond what the data present can fill.

#include "flash/BitWriter.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class ESWFFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TSWFTagInfo {
    std::uint16_t Code = 0;
    std::uint32_t Offset = 0; // of the tag header, in the uncompressed file
    std::uint32_t Length = 0; // of the body
    bool LongHeader = false;
    std::uint32_t BodyOffset() const { return Offset + (LongHeader ? 6 : 2); }
};

struct TSWFHeaderInfo {
    std::string Signature; // "FWS" or "CWS"
    std::uint8_t Version = 0;
    std::uint32_t FileLength = 0; // as the header states it
    TSWFRect FrameRect;           // twips
    std::uint16_t FrameRate = 0;  // 8.8 fixed point
    std::uint16_t FrameCount = 0; // as the header states it
    std::uint32_t HeaderSize = 0; // bytes up to the first tag
};

class TSWFFile {
  public:
    // Parses a whole file image; raises ESWFFormatError.
    static TSWFFile FromBytes(const std::uint8_t* data, std::size_t size);
    static TSWFFile FromFile(const std::string& path);

    TSWFHeaderInfo Header;
    std::vector<std::uint8_t> Data; // the file as if uncompressed
    std::vector<TSWFTagInfo> Tags;  // in file order, up to and including End
    bool HasEndTag = false;

    const std::uint8_t* Body(const TSWFTagInfo& tag) const { return Data.data() + tag.BodyOffset(); }
};

// The format's name of a tag code ("DefineBitsLossless"), or "Unknown".
const char* SWFTagName(std::uint16_t code);

// Reads bit fields (most significant bit first) and little-endian integers
// from a byte range; reading past its end raises ESWFFormatError naming what.
class TSWFBitReader {
  public:
    TSWFBitReader(const std::uint8_t* data, std::size_t size, std::string what)
        : FData(data), FSize(size), FWhat(std::move(what)) {}

    std::uint32_t ReadUB(int count);
    std::int32_t ReadSB(int count);
    void Align() { FBit = (FBit + 7) & ~std::size_t(7); }
    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::string ReadString(); // zero-terminated
    TSWFRect ReadRect();
    TSWFMatrix ReadMatrix();

    std::size_t BytePosition() const { return (FBit + 7) / 8; }
    std::size_t Remaining() const { return FSize - std::min(FSize, BytePosition()); }
    const std::uint8_t* Here() const { return FData + std::min(FSize, BytePosition()); }
    void Skip(std::size_t bytes);
    [[noreturn]] void Fail(const std::string& why) const;

  private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FBit = 0;
    std::string FWhat;
};

// Inflates one zlib stream that must produce exactly expected bytes; raises
// ESWFFormatError (naming what) otherwise. expected must be checked against
// what the input can hold before calling (see MaxInflatedSize).
std::vector<std::uint8_t> InflateExactly(const std::uint8_t* data, std::size_t size, std::size_t expected,
                                         const std::string& what);
// The most bytes deflate data of the given size can expand to.
std::size_t MaxInflatedSize(std::size_t compressedSize);
