#pragma once
// TSWFContainer: the movie container. Holds the encoded tags in memory (Body)
// and writes the SWF file header in front of them, optionally compressing
// everything after the first eight bytes with zlib ("CWS"; "FWS" uncompressed).

#include "flash/BitWriter.h"
#include "flash/SWFStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TSWFContainer {
  public:
    // Corners in pixels when pixelUnits (stored as twips, 20 per pixel), else in twips.
    TSWFContainer(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax,
                  double frameRate, bool pixelUnits);
    virtual ~TSWFContainer() = default;

    void SetCompressed(bool on);
    void SetVersion(std::uint8_t v);
    // The 8.8 rate field has room for 255 whole frames per second: faster rates
    // are stored as 255 rather than wrapping around (256 would read as 0).
    void SetFrameRate(double f);

    TSWFMemoryStream& Body();
    int HeaderSize() const;
    // part 0: whole header; 1: the 8 leading bytes; 2: everything after them.
    void WriteHeader(TSWFOutput& target, int part) const;
    virtual void SaveToStream(TSWFOutput& target);
    // Makes the whole movie in memory and saves it with WriteFileSafely: a failure
    // (ESWFError naming path) never damages an existing file.
    void SaveToFile(const std::string& path);

    bool Compressed() const { return FCompressed; }
    std::uint8_t Version() const { return FVersion; }
    std::uint8_t UnitScale() const { return FUnitScale; }
    bool PixelUnits() const { return FPixelUnits; }
    const char* Signature() const { return FSignature; }
    std::uint32_t FileLength() const { return FFileLength; }
    const TSWFRect& FrameRect() const { return FFrameRect; }
    std::uint16_t FrameRate() const { return FFrameRate; }
    std::uint16_t FrameCount() const { return FFrameCount; }
    void SetFrameCount(std::uint16_t count) { FFrameCount = count; }

    // Progress notification (sender, percent, stage); never set by the export.
    std::function<void(TSWFContainer&, int, int)> OnProgress;

  protected:
    std::unique_ptr<TSWFMemoryStream> FBody;
    bool FCompressed = false;
    std::uint8_t FUnitScale = 20;
    bool FPixelUnits = true;
    char FSignature[4] = {'F', 'W', 'S', 0};
    std::uint8_t FVersion = 5;
    std::uint32_t FFileLength = 0;
    TSWFRect FFrameRect;
    std::uint16_t FFrameRate = 0;
    std::uint16_t FFrameCount = 0;
};
