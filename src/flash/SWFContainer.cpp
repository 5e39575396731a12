#include "flash/SWFContainer.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TSWFContainer::TSWFContainer(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax,
                             double frameRate, bool pixelUnits) {
    FPixelUnits = pixelUnits;
    FUnitScale = pixelUnits ? 20 : 1;
    FVersion = 5;
    FFrameRect = {xMin * FUnitScale, yMin * FUnitScale, xMax * FUnitScale, yMax * FUnitScale};
    SetFrameRate(frameRate);
}

void TSWFContainer::SetCompressed(bool on) {
    FCompressed = on;
    if (on && FVersion < 6) FVersion = 6;
}

void TSWFContainer::SetVersion(std::uint8_t v) {
    FVersion = (FCompressed && v < 6) ? 6 : v;
}

void TSWFContainer::SetFrameRate(double f) {
    // 8.8 fixed point: whole frames in the high byte. Rates of 256 and more do not
    // fit; they are capped at 255 instead of wrapping to a wrong, slower rate.
    if (!(f > 0)) f = 0; // also NaN
    if (f >= 256) f = 255;
    FFrameRate = std::uint16_t(f * 256);
}

TSWFMemoryStream& TSWFContainer::Body() {
    if (!FBody) FBody = std::make_unique<TSWFMemoryStream>();
    return *FBody;
}

static std::uint32_t RectMagnitude(const TSWFRect& r) {
    std::uint32_t m = 0;
    for (std::int32_t v : {r.Left, r.Top, r.Right, r.Bottom})
        m = std::max(m, v < 0 ? std::uint32_t(0) - std::uint32_t(v) : std::uint32_t(v));
    return m;
}

int TSWFContainer::HeaderSize() const {
    std::uint32_t m = RectMagnitude(FFrameRect);
    int n = m == 0 ? 0 : GetBitsCount(m) + 1;
    return 12 + (5 + 4 * n + 7) / 8;
}

void TSWFContainer::WriteHeader(TSWFOutput& target, int part) const {
    if (part == 0 || part == 1) {
        std::uint8_t lead[8] = {std::uint8_t(FSignature[0]),     std::uint8_t(FSignature[1]),
                                std::uint8_t(FSignature[2]),     FVersion,
                                std::uint8_t(FFileLength),       std::uint8_t(FFileLength >> 8),
                                std::uint8_t(FFileLength >> 16), std::uint8_t(FFileLength >> 24)};
        target.WriteBytes(lead, 8);
    }
    if (part == 1) return;
    TBitWriter bw(target);
    bw.WriteRect(FFrameRect);
    bw.WriteWord(FFrameRate);
    bw.WriteWord(FFrameCount);
}

void TSWFContainer::SaveToStream(TSWFOutput& target) {
    TSWFMemoryStream& body = Body();
    FFileLength = std::uint32_t(body.Size() + std::size_t(HeaderSize()));
    body.Seek(0);
    if (FCompressed) {
        std::memcpy(FSignature, "CWS", 3);
        if (FVersion < 6) FVersion = 6;
        WriteHeader(target, 1);
        TSWFCompressionStream z(target);
        WriteHeader(z, 2);
        z.WriteBytes(body.Bytes().data(), body.Size());
        z.Close();
    } else {
        std::memcpy(FSignature, "FWS", 3);
        WriteHeader(target, 0);
        target.WriteBytes(body.Bytes().data(), body.Size());
    }
    body.Seek(body.Size());
}

void TSWFContainer::SaveToFile(const std::string& path) {
    // The whole movie is made in memory, then saved the safe way.
    TSWFMemoryStream movie;
    SaveToStream(movie);
    const TSafeWriteResult saved = WriteFileSafely(path, movie.Bytes());
    if (!saved.Ok) throw ESWFError(saved.Message);
}
