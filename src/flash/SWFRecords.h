#pragma once
// The tag records the Flash export writes, each writing its body through a
// TBitWriter and framing it with the tag header: DefineBitsLossless(2),
// DefineShape (codes 2, 22, 32) with its fill and line styles and shape records,
// PlaceObject2/3 and ShowFrame.

#include "flash/BitWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Base of every SWF object: tag records (library level 0) and builder objects (level 1).
class TSWFObjectBase {
  public:
    virtual ~TSWFObjectBase() = default;
    virtual int LibraryLevel() const { return 0; }
    virtual int MinVersion() const { return 1; }
    virtual void WriteToStream(TBitWriter& engine) = 0;
};

// One tag. WriteToStream writes the tag header around the bytes of WriteTagBody:
// codes 0 and 1 are a bare header word; bodies longer than 62 bytes, and every
// DefineBitsLossless(2) and DefineVideoStream, take the long form.
class TSWFObject : public TSWFObjectBase {
  public:
    std::uint32_t BodySize = 0;
    std::uint16_t TagID = 0;

    void WriteToStream(TBitWriter& engine) override;
    virtual void WriteTagBody(TBitWriter& engine) { (void)engine; }
};

// Writes a complete tag (header and body) with the given code.
void WriteTag(TBitWriter& engine, std::uint16_t code, const std::vector<std::uint8_t>& body);

// A tag with a data block. When OnDataWrite is set, it writes the data block
// (the owner's prepared bytes); otherwise Data is copied.
class TSWFDataObject : public TSWFObject {
  public:
    std::function<void(TSWFDataObject& tag, TBitWriter& engine)> OnDataWrite;
    std::vector<std::uint8_t> Data;

  protected:
    void WriteData(TBitWriter& engine);
};

class TSWFImageTag : public TSWFDataObject {
  public:
    std::uint16_t CharacterId = 0;
};

class TSWFDefineBitsLossless : public TSWFImageTag {
  public:
    TSWFDefineBitsLossless() { TagID = 20; }
    std::uint8_t BitmapColorTableSize = 0;
    std::uint8_t BitmapFormat = 5;
    std::uint16_t BitmapHeight = 0;
    std::uint16_t BitmapWidth = 0;

    int MinVersion() const override { return 2; }
    void WriteTagBody(TBitWriter& engine) override;
};

class TSWFDefineBitsLossless2 : public TSWFDefineBitsLossless {
  public:
    TSWFDefineBitsLossless2() { TagID = 36; }
    int MinVersion() const override { return 3; }
};

// Colours of the records: red, green, blue and alpha (alpha is written only
// where the shape has alpha).
struct TSWFRGBA {
    std::uint8_t R = 0, G = 0, B = 0, A = 255;
};

class TSWFFillStyle {
  public:
    virtual ~TSWFFillStyle() = default;
    bool HasAlpha = false;
    std::uint8_t FillStyleType = 0;
    virtual void WriteToStream(TBitWriter& engine) = 0;
};

// Solid colour fill (type 0x00).
class TSWFColorFill : public TSWFFillStyle {
  public:
    TSWFRGBA Color;
    void WriteToStream(TBitWriter& engine) override;
};

// Bitmap fill: 0x41 clipped (the default), 0x40 repeating.
class TSWFImageFill : public TSWFFillStyle {
  public:
    TSWFImageFill() { FillStyleType = 0x41; }
    std::uint16_t BitmapId = 0;
    TSWFMatrix BitmapMatrix;
    void WriteToStream(TBitWriter& engine) override;
};

class TSWFLineStyle {
  public:
    bool HasAlpha = false;
    std::uint16_t Width = 20; // twips
    TSWFRGBA Color;
    void WriteToStream(TBitWriter& engine);
};

enum TSWFShapeRecordKind : std::uint8_t {
    srEnd = 0,
    srStyleChange = 1,
    srStraightEdge = 2,
    srCurvedEdge = 3
};

class TSWFShapeRecord {
  public:
    explicit TSWFShapeRecord(std::uint8_t kind) : Kind(kind) {}
    virtual ~TSWFShapeRecord() = default;
    std::uint8_t Kind;
    virtual void WriteToStream(TBitWriter& engine) = 0;
};

class TSWFEndShapeRecord : public TSWFShapeRecord {
  public:
    TSWFEndShapeRecord() : TSWFShapeRecord(srEnd) {}
    void WriteToStream(TBitWriter& engine) override; // UB[6] 0
};

// Deltas must lie within -65535..65535; a (0, 0) edge writes nothing.
class TSWFStraightEdgeRecord : public TSWFShapeRecord {
  public:
    TSWFStraightEdgeRecord(std::int32_t dx = 0, std::int32_t dy = 0)
        : TSWFShapeRecord(srStraightEdge), DeltaX(dx), DeltaY(dy) {}
    std::int32_t DeltaX, DeltaY;
    void WriteToStream(TBitWriter& engine) override;
};

class TSWFCurvedEdgeRecord : public TSWFShapeRecord {
  public:
    TSWFCurvedEdgeRecord(std::int32_t cx, std::int32_t cy, std::int32_t ax, std::int32_t ay)
        : TSWFShapeRecord(srCurvedEdge), ControlDeltaX(cx), ControlDeltaY(cy), AnchorDeltaX(ax),
          AnchorDeltaY(ay) {}
    std::int32_t ControlDeltaX, ControlDeltaY, AnchorDeltaX, AnchorDeltaY;
    void WriteToStream(TBitWriter& engine) override;
};

class TSWFStyleChangeRecord : public TSWFShapeRecord {
  public:
    TSWFStyleChangeRecord() : TSWFShapeRecord(srStyleChange) {}
    std::int32_t MoveDeltaX = 0, MoveDeltaY = 0; // the move-to point, twips
    std::uint8_t NumFillBits = 0, NumLineBits = 0;
    std::uint16_t FillStyle0 = 0, FillStyle1 = 0, LineStyle = 0;
    bool StateFillStyle0 = false, StateFillStyle1 = false, StateLineStyle = false;
    bool StateMoveTo = false, StateNewStyles = false, HasAlpha = false;
    std::vector<std::unique_ptr<TSWFFillStyle>> NewFillStyles; // with StateNewStyles
    std::vector<std::unique_ptr<TSWFLineStyle>> NewLineStyles;
    void WriteToStream(TBitWriter& engine) override;
};

// DefineShape (code 2), re-coded as 22 (DefineShape2) or 32 (DefineShape3) by
// its users. The style and record lists are shared, not owned; Keep() lets a tag
// built on its own own what it lists.
class TSWFDefineShape : public TSWFObject {
  public:
    TSWFDefineShape() { TagID = 2; }
    std::vector<TSWFShapeRecord*> Records;
    std::vector<TSWFFillStyle*> FillStyles;
    bool HasAlpha = false;
    std::vector<TSWFLineStyle*> LineStyles;
    TSWFRect ShapeBounds;
    std::uint16_t ShapeId = 0;

    void WriteTagBody(TBitWriter& engine) override;
    // The two extra fields of DefineShape4; nothing for codes 2, 22 and 32.
    virtual void WriteEdgeBounds(TBitWriter& engine) { (void)engine; }
    virtual void WriteShape4Flags(TBitWriter& engine) { (void)engine; }

    template <class T> T* Keep(std::unique_ptr<T> item) {
        T* raw = item.get();
        FKept.push_back(std::shared_ptr<void>(std::move(item)));
        return raw;
    }

  private:
    std::vector<std::shared_ptr<void>> FKept;
};

class TSWFDefineShape3 : public TSWFDefineShape {
  public:
    TSWFDefineShape3() {
        TagID = 32;
        HasAlpha = true;
    }
    int MinVersion() const override { return 3; }
};

// Writes a FILLSTYLEARRAY or LINESTYLEARRAY count: one byte below 255, else FF and a UI16.
void WriteStyleCount(TBitWriter& engine, std::size_t count);

struct TSWFColorTransform {
    bool HasAddTerms = false, HasMultTerms = false;
    std::int16_t RedMult = 256, GreenMult = 256, BlueMult = 256, AlphaMult = 256;
    std::int16_t RedAdd = 0, GreenAdd = 0, BlueAdd = 0, AlphaAdd = 0;
    void WriteToStream(TBitWriter& engine, bool withAlpha) const;
};

class TSWFPlaceObjectBase : public TSWFObject {
  public:
    std::uint16_t CharacterId = 0;
    std::uint16_t Depth = 0;
};

class TSWFPlaceObject2 : public TSWFPlaceObjectBase {
  public:
    TSWFPlaceObject2() { TagID = 26; }
    std::vector<std::uint8_t> ClipActions; // raw CLIPACTIONS bytes, written last when present
    std::uint16_t ClipDepth = 0;
    TSWFColorTransform ColorTransform;
    TSWFMatrix Matrix;
    std::string Name;
    std::uint16_t Ratio = 0;
    bool PlaceFlagMove = false, HasCharacter = false, HasClipActions = false, HasClipDepth = false,
         HasColorTransform = false, HasMatrix = false, HasName = false, HasRatio = false;
    std::uint8_t SWFVersion = 0;

    void SetCharacterId(std::uint16_t id) {
        CharacterId = id;
        HasCharacter = true;
    }
    int MinVersion() const override { return HasClipActions && !ClipActions.empty() ? 5 : 3; }
    void WriteTagBody(TBitWriter& engine) override;

  protected:
    std::uint8_t PlaceFlags() const;
    void WriteOptionalParts(TBitWriter& engine, bool placeObject3);
};

// Written as PlaceObject2 (code 26) unless it needs a blend mode, filters or
// bitmap caching (then PlaceObject3, code 70).
class TSWFPlaceObject3 : public TSWFPlaceObject2 {
  public:
    TSWFPlaceObject3() {
        TagID = 70;
        SWFVersion = 8;
    }
    std::uint8_t BlendMode = 0;
    bool HasCacheAsBitmap = false, HasBlendMode = false, HasFilterList = false;
    std::vector<std::uint8_t> FilterList; // raw FILTERLIST bytes
    bool WriteAsPlaceObject2 = false;

    int MinVersion() const override { return BlendMode > 1 ? 8 : TSWFPlaceObject2::MinVersion(); }
    void WriteToStream(TBitWriter& engine) override;
    void WriteTagBody(TBitWriter& engine) override;
};

class TSWFShowFrame : public TSWFObject {
  public:
    TSWFShowFrame() { TagID = 1; }
};
