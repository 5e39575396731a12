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
    // The body bytes kept in TSWFFile::Kept: all of them for the tags the player
    // reads, the first few (ids and sizes) for the others.
    std::size_t KeptOffset = 0;
    std::uint32_t KeptLength = 0;
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

// What reading one movie may take, whatever its header and tags claim.
struct TSWFReadLimits {
    // Body bytes kept in memory (the player's tags, whole): 256 MiB.
    std::size_t MaxKeptBytes = std::size_t(256) << 20;
    // Tags listed: 2 Mi, far more than 65535 frames of an exported movie hold.
    std::size_t MaxTags = std::size_t(1) << 21;
};

// A movie read tag by tag: a compressed movie is inflated as its tags are read,
// and only the bodies the player needs are kept, so memory follows what the
// movie really holds rather than what its header says. Reading stops at the
// End tag.
class TSWFFile {
  public:
    // Parses a whole file image; raises ESWFFormatError.
    static TSWFFile FromBytes(const std::uint8_t* data, std::size_t size, TSWFReadLimits limits = {});
    static TSWFFile FromFile(const std::string& path, TSWFReadLimits limits = {});

    TSWFHeaderInfo Header;
    std::uint64_t UncompressedSize = 0; // of the file as if uncompressed, up to the last tag read
    std::vector<TSWFTagInfo> Tags;      // in file order, up to and including End
    bool HasEndTag = false;
    std::vector<std::uint8_t> Kept; // the kept body bytes of every tag, one after another

    const std::uint8_t* Body(const TSWFTagInfo& tag) const { return Kept.data() + tag.KeptOffset; }
    // True for the tags whose whole body is kept.
    static bool KeepsWholeBody(std::uint16_t code);
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
