#include "flash/SWFRecords.h"

#include <algorithm>
#include <cstdlib>

static void WriteTagHeaderAndBody(TBitWriter& engine, std::uint16_t code,
                                  const std::vector<std::uint8_t>& body) {
    std::size_t length = body.size();
    bool longForm = length > 62 || code == 20 || code == 36 || code == 60;
    if (longForm) {
        engine.WriteWord(std::uint16_t(code * 64 + 63));
        engine.WriteDWord(std::uint32_t(length));
    } else {
        engine.WriteWord(std::uint16_t(code * 64 + length));
    }
    engine.WriteBuffer(body.data(), body.size());
}

void WriteTag(TBitWriter& engine, std::uint16_t code, const std::vector<std::uint8_t>& body) {
    if (code == 0 || code == 1) {
        engine.WriteWord(std::uint16_t(code * 64));
        return;
    }
    WriteTagHeaderAndBody(engine, code, body);
}

void TSWFObject::WriteToStream(TBitWriter& engine) {
    if (TagID == 0 || TagID == 1) {
        BodySize = 0;
        engine.WriteWord(std::uint16_t(TagID * 64));
        return;
    }
    TSWFMemoryStream body;
    TBitWriter bodyWriter(body);
    WriteTagBody(bodyWriter);
    bodyWriter.FlushLastByte(true);
    BodySize = std::uint32_t(body.Size());
    WriteTagHeaderAndBody(engine, TagID, body.Bytes());
}

void TSWFDataObject::WriteData(TBitWriter& engine) {
    if (OnDataWrite)
        OnDataWrite(*this, engine);
    else
        engine.WriteBuffer(Data.data(), Data.size());
}

void TSWFDefineBitsLossless::WriteTagBody(TBitWriter& engine) {
    engine.WriteWord(CharacterId);
    engine.WriteByte(BitmapFormat);
    engine.WriteWord(BitmapWidth);
    engine.WriteWord(BitmapHeight);
    if (BitmapFormat == 3) engine.WriteByte(BitmapColorTableSize);
    WriteData(engine);
}

static void WriteColor(TBitWriter& engine, const TSWFRGBA& c, bool alpha) {
    engine.WriteByte(c.R);
    engine.WriteByte(c.G);
    engine.WriteByte(c.B);
    if (alpha) engine.WriteByte(c.A);
}

void TSWFColorFill::WriteToStream(TBitWriter& engine) {
    engine.WriteByte(FillStyleType);
    WriteColor(engine, Color, HasAlpha);
}

void TSWFImageFill::WriteToStream(TBitWriter& engine) {
    engine.WriteByte(FillStyleType);
    engine.WriteWord(BitmapId);
    engine.WriteMatrix(BitmapMatrix);
}

void TSWFLineStyle::WriteToStream(TBitWriter& engine) {
    engine.WriteWord(Width);
    WriteColor(engine, Color, HasAlpha);
}

void TSWFEndShapeRecord::WriteToStream(TBitWriter& engine) {
    engine.WriteBits(0, 6);
}

static std::uint32_t Magnitude(std::int32_t v) {
    return v < 0 ? std::uint32_t(0) - std::uint32_t(v) : std::uint32_t(v);
}

static int SignedWidthOf(std::initializer_list<std::int32_t> values) {
    std::uint32_t m = 0;
    for (std::int32_t v : values) m = std::max(m, Magnitude(v));
    return m == 0 ? 0 : GetBitsCount(m) + 1;
}

// Edge fields store their width as UB[4] n - 2, so n must lie in 2..17.
static int EdgeWidth(std::initializer_list<std::int32_t> values) {
    int n = std::max(2, SignedWidthOf(values));
    if (n > 17) throw ESWFError("Shape edge longer than 65535 twips");
    return n;
}

void TSWFStraightEdgeRecord::WriteToStream(TBitWriter& engine) {
    if (DeltaX == 0 && DeltaY == 0) return;
    engine.WriteBits(1, 1); // edge
    engine.WriteBits(1, 1); // straight
    int n = EdgeWidth({DeltaX, DeltaY});
    engine.WriteBits(n - 2, 4);
    if (DeltaX != 0 && DeltaY != 0) {
        engine.WriteBits(1, 1);
        engine.WriteBits(DeltaX, n);
        engine.WriteBits(DeltaY, n);
    } else {
        engine.WriteBits(0, 1);
        engine.WriteBits(DeltaX == 0 ? 1 : 0, 1);
        engine.WriteBits(DeltaX == 0 ? DeltaY : DeltaX, n);
    }
}

void TSWFCurvedEdgeRecord::WriteToStream(TBitWriter& engine) {
    engine.WriteBits(1, 1); // edge
    engine.WriteBits(0, 1); // curved
    int n = EdgeWidth({ControlDeltaX, ControlDeltaY, AnchorDeltaX, AnchorDeltaY});
    engine.WriteBits(n - 2, 4);
    engine.WriteBits(ControlDeltaX, n);
    engine.WriteBits(ControlDeltaY, n);
    engine.WriteBits(AnchorDeltaX, n);
    engine.WriteBits(AnchorDeltaY, n);
}

void WriteStyleCount(TBitWriter& engine, std::size_t count) {
    if (count < 255) {
        engine.WriteByte(std::uint8_t(count));
    } else {
        engine.WriteByte(0xFF);
        engine.WriteWord(std::uint16_t(count));
    }
}

template <class TStyle>
static void WriteStyleArray(TBitWriter& engine, const std::vector<TStyle*>& styles, bool alpha) {
    WriteStyleCount(engine, styles.size());
    for (TStyle* s : styles) {
        s->HasAlpha = alpha;
        s->WriteToStream(engine);
    }
}

void TSWFStyleChangeRecord::WriteToStream(TBitWriter& engine) {
    engine.WriteBits(0, 1); // not an edge
    engine.WriteBit(StateNewStyles);
    engine.WriteBit(StateLineStyle);
    engine.WriteBit(StateFillStyle1);
    engine.WriteBit(StateFillStyle0);
    // With no style flag the move flag is always set, so the record never reads as an end record.
    bool move = (StateFillStyle0 || StateFillStyle1 || StateLineStyle) ? StateMoveTo : true;
    engine.WriteBit(move);
    if (move) {
        int n = SignedWidthOf({MoveDeltaX, MoveDeltaY});
        engine.WriteBits(n, 5);
        engine.WriteBits(MoveDeltaX, n);
        engine.WriteBits(MoveDeltaY, n);
    }
    if (StateFillStyle0) engine.WriteBits(FillStyle0, NumFillBits);
    if (StateFillStyle1) engine.WriteBits(FillStyle1, NumFillBits);
    if (StateLineStyle) engine.WriteBits(LineStyle, NumLineBits);
    if (StateNewStyles) {
        engine.FlushLastByte(true);
        std::vector<TSWFFillStyle*> fills;
        for (auto& f : NewFillStyles) fills.push_back(f.get());
        std::vector<TSWFLineStyle*> lines;
        for (auto& l : NewLineStyles) lines.push_back(l.get());
        WriteStyleArray(engine, fills, HasAlpha);
        WriteStyleArray(engine, lines, HasAlpha);
        engine.WriteBits(GetBitsCount(std::uint32_t(fills.size())), 4);
        engine.WriteBits(GetBitsCount(std::uint32_t(lines.size())), 4);
    }
}

void TSWFDefineShape::WriteTagBody(TBitWriter& engine) {
    engine.WriteWord(ShapeId);
    engine.WriteRect(ShapeBounds);
    WriteEdgeBounds(engine);
    WriteShape4Flags(engine);
    WriteStyleArray(engine, FillStyles, HasAlpha);
    WriteStyleArray(engine, LineStyles, HasAlpha);
    int fillBits = GetBitsCount(std::uint32_t(FillStyles.size()));
    int lineBits = GetBitsCount(std::uint32_t(LineStyles.size()));
    engine.WriteBits(fillBits, 4);
    engine.WriteBits(lineBits, 4);

    for (std::size_t i = 0; i < Records.size(); ++i) {
        TSWFShapeRecord* record = Records[i];
        bool last = i + 1 == Records.size();
        if (record->Kind == srStyleChange) {
            auto* change = static_cast<TSWFStyleChangeRecord*>(record);
            change->HasAlpha = HasAlpha;
            change->NumFillBits = std::uint8_t(fillBits);
            change->NumLineBits = std::uint8_t(lineBits);
            if (!change->StateNewStyles) {
                if (fillBits == 0) change->StateFillStyle0 = change->StateFillStyle1 = false;
                if (lineBits == 0) change->StateLineStyle = false;
            }
        }
        if (record->Kind != srEnd || last) record->WriteToStream(engine);
        if (record->Kind == srStyleChange) {
            auto* change = static_cast<TSWFStyleChangeRecord*>(record);
            if (change->StateNewStyles) {
                fillBits = GetBitsCount(std::uint32_t(change->NewFillStyles.size()));
                lineBits = GetBitsCount(std::uint32_t(change->NewLineStyles.size()));
            }
        }
    }
    if (Records.empty() || Records.back()->Kind != srEnd) TSWFEndShapeRecord().WriteToStream(engine);
    engine.FlushLastByte(true);
}

void TSWFColorTransform::WriteToStream(TBitWriter& engine, bool withAlpha) const {
    int nMult = HasMultTerms ? (withAlpha ? SignedWidthOf({RedMult, GreenMult, BlueMult, AlphaMult})
                                          : SignedWidthOf({RedMult, GreenMult, BlueMult}))
                             : 0;
    int nAdd = HasAddTerms ? (withAlpha ? SignedWidthOf({RedAdd, GreenAdd, BlueAdd, AlphaAdd})
                                        : SignedWidthOf({RedAdd, GreenAdd, BlueAdd}))
                           : 0;
    int n = std::max(nMult, nAdd);
    engine.WriteBit(HasAddTerms);
    engine.WriteBit(HasMultTerms);
    engine.WriteBits(n, 4);
    if (HasMultTerms) {
        engine.WriteBits(RedMult, n);
        engine.WriteBits(GreenMult, n);
        engine.WriteBits(BlueMult, n);
        if (withAlpha) engine.WriteBits(AlphaMult, n);
    }
    if (HasAddTerms) {
        engine.WriteBits(RedAdd, n);
        engine.WriteBits(GreenAdd, n);
        engine.WriteBits(BlueAdd, n);
        if (withAlpha) engine.WriteBits(AlphaAdd, n);
    }
    engine.FlushLastByte(true);
}

std::uint8_t TSWFPlaceObject2::PlaceFlags() const {
    bool clipActions = HasClipActions && !ClipActions.empty();
    return std::uint8_t((clipActions << 7) | (HasClipDepth << 6) | (HasName << 5) | (HasRatio << 4) |
                        (HasColorTransform << 3) | (HasMatrix << 2) | (HasCharacter << 1) |
                        int(PlaceFlagMove));
}

void TSWFPlaceObject2::WriteOptionalParts(TBitWriter& engine, bool placeObject3) {
    engine.WriteWord(Depth);
    if (HasCharacter) engine.WriteWord(CharacterId);
    if (HasMatrix) engine.WriteMatrix(Matrix);
    if (HasColorTransform) ColorTransform.WriteToStream(engine, true);
    if (HasRatio) engine.WriteWord(Ratio);
    if (HasName) {
        engine.WriteBuffer(reinterpret_cast<const std::uint8_t*>(Name.c_str()), Name.size() + 1);
    }
    if (HasClipDepth) engine.WriteWord(ClipDepth);
    if (placeObject3) {
        auto* po3 = static_cast<TSWFPlaceObject3*>(this);
        if (po3->HasFilterList) engine.WriteBuffer(po3->FilterList.data(), po3->FilterList.size());
        if (po3->HasBlendMode) engine.WriteByte(po3->BlendMode);
    }
    if (HasClipActions && !ClipActions.empty()) engine.WriteBuffer(ClipActions.data(), ClipActions.size());
}

void TSWFPlaceObject2::WriteTagBody(TBitWriter& engine) {
    engine.WriteByte(PlaceFlags());
    WriteOptionalParts(engine, false);
}

void TSWFPlaceObject3::WriteToStream(TBitWriter& engine) {
    WriteAsPlaceObject2 = !(BlendMode > 1 || HasFilterList || HasCacheAsBitmap);
    TagID = WriteAsPlaceObject2 ? 26 : 70;
    TSWFPlaceObject2::WriteToStream(engine);
}

void TSWFPlaceObject3::WriteTagBody(TBitWriter& engine) {
    engine.WriteByte(PlaceFlags());
    if (TagID == 70)
        engine.WriteByte(std::uint8_t((HasCacheAsBitmap << 2) | (HasBlendMode << 1) | int(HasFilterList)));
    WriteOptionalParts(engine, TagID == 70);
}
