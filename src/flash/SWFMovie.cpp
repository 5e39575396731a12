#include "flash/SWFMovie.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

// ---- TMovieVisualObject

int TMovieVisualObject::CoordinateScale() const {
    if (CoordinatesInTwips || !Owner) return 1;
    return Owner->UnitScale();
}

// ---- TMovieImage

void TMovieImage::LoadDataFromStream(TSWFMemoryStream& stream) {
    Reader = std::make_unique<TBMPImage>(ReadBMPImage(stream));
    Width = std::uint16_t(Reader->Width);
    Height = std::uint16_t(Reader->Height);
    switch (Reader->BitCount) {
    case 24:
        BitmapFormat = 5;
        RowPixels = Width;
        HasAlpha = false;
        break;
    case 32:
        BitmapFormat = 5;
        RowPixels = Width;
        HasAlpha = true;
        break;
    case 1:
    case 4:
    case 8:
        BitmapFormat = 3;
        RowPixels = std::uint16_t((Width + 3) & ~3);
        ColorCount = int(Reader->Palette.size());
        HasAlpha = false;
        if (ColorCount == 0) throw ESWFError("Invalid bitmap image: no palette");
        break;
    default:
        throw ESWFError("Invalid bitmap image: " + std::to_string(Reader->BitCount) +
                        " bits per pixel are not supported");
    }
    Data.clear();
    DataState = 2;
    IsJPEG = false;
}

static std::uint8_t PaletteIndexAt(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1:
        return std::uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4:
        return std::uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
    default:
        return row[x];
    }
}

void TMovieImage::MakeData() {
    if (!Reader) throw ESWFError("Invalid bitmap image: no image loaded");
    const TBMPImage& bmp = *Reader;
    std::vector<std::uint8_t> raw;
    if (BitmapFormat == 5) {
        raw.resize(std::size_t(Height) * RowPixels * 4);
        std::uint8_t* out = raw.data();
        for (int y = 0; y < Height; ++y) {
            const std::uint8_t* row = bmp.PictureRow(y);
            for (int x = 0; x < Width; ++x) {
                if (bmp.BitCount == 24) {
                    const std::uint8_t* p = row + std::size_t(x) * 3;
                    *out++ = 0xFF;
                    *out++ = p[2];
                    *out++ = p[1];
                    *out++ = p[0];
                } else { // 32-bit with alpha: premultiplied, as DefineBitsLossless2 stores it
                    const std::uint8_t* p = row + std::size_t(x) * 4;
                    int a = p[3];
                    *out++ = std::uint8_t(a);
                    *out++ = std::uint8_t(p[2] * a / 255);
                    *out++ = std::uint8_t(p[1] * a / 255);
                    *out++ = std::uint8_t(p[0] * a / 255);
                }
            }
        }
    } else { // format 3: colour table, then rows of indices padded to 32 bits
        for (std::uint32_t c : bmp.Palette) {
            raw.push_back(std::uint8_t(c >> 16));
            raw.push_back(std::uint8_t(c >> 8));
            raw.push_back(std::uint8_t(c));
        }
        for (int y = 0; y < Height; ++y) {
            const std::uint8_t* row = bmp.PictureRow(y);
            for (int x = 0; x < RowPixels; ++x)
                raw.push_back(x < Width ? PaletteIndexAt(row, x, bmp.BitCount) : 0);
        }
    }
    Data = ZlibCompress(raw.data(), raw.size());
}

void TMovieImage::WriteToStream(TBitWriter& engine) {
    std::unique_ptr<TSWFDefineBitsLossless> tag =
        HasAlpha ? std::make_unique<TSWFDefineBitsLossless2>() : std::make_unique<TSWFDefineBitsLossless>();
    tag->CharacterId = GetCharacterId();
    tag->BitmapFormat = BitmapFormat;
    tag->BitmapWidth = Width;
    tag->BitmapHeight = Height;
    if (BitmapFormat == 3) tag->BitmapColorTableSize = std::uint8_t(ColorCount - 1);
    tag->OnDataWrite = [this](TSWFDataObject&, TBitWriter& bodyEngine) {
        if (Data.empty()) MakeData();
        bodyEngine.WriteBuffer(Data.data(), Data.size());
    };
    tag->WriteToStream(engine);
}

// ---- TMovieEdges

TMovieEdges::TMovieEdges(std::vector<std::unique_ptr<TSWFShapeRecord>>& records) : FRecords(records) {
    LastStyleChange().StateFillStyle1 = true;
}

int TMovieEdges::Scale() const {
    return Owner ? Owner->UnitScale() : 1;
}

TSWFStyleChangeRecord& TMovieEdges::LastStyleChange() {
    if (FRecords.empty() || FRecords.back()->Kind != srStyleChange)
        FRecords.push_back(std::make_unique<TSWFStyleChangeRecord>());
    return static_cast<TSWFStyleChangeRecord&>(*FRecords.back());
}

void TMovieEdges::MoveTo(std::int32_t x, std::int32_t y) {
    const std::int32_t tx = x * Scale(), ty = y * Scale();
    TSWFStyleChangeRecord& record = LastStyleChange();
    // A shape that starts where the pen already is records no move.
    if (tx == CurrentX && ty == CurrentY && FRecords.size() <= 1) return;
    CurrentX = tx;
    CurrentY = ty;
    record.MoveDeltaX = tx;
    record.MoveDeltaY = ty;
    record.StateMoveTo = true;
    StartX = tx;
    StartY = ty;
}

void TMovieEdges::LineDelta(std::int32_t dx, std::int32_t dy) {
    if (dx == 0 && dy == 0) return;
    const double x = double(dx) * Scale(), y = double(dy) * Scale();
    // Edge records hold at most 65535 twips per axis: split longer lines into
    // equal pieces that sum exactly to the whole.
    const double e = std::max({1.0, std::ceil(std::fabs(x) / 65535.0), std::ceil(std::fabs(y) / 65535.0)});
    const int pieces = int(e);
    for (int g = 1; g <= pieces; ++g) {
        auto piece = [&](double d) {
            return std::int32_t(std::nearbyint(d / e * g) - std::nearbyint(d / e * (g - 1)));
        };
        FRecords.push_back(std::make_unique<TSWFStraightEdgeRecord>(piece(x), piece(y)));
    }
    CurrentX += std::int32_t(x);
    CurrentY += std::int32_t(y);
}

void TMovieEdges::MakeRect(std::int32_t w, std::int32_t h) {
    LineDelta(w, 0);
    LineDelta(0, h);
    LineDelta(-w, 0);
    LineDelta(0, -h);
}

void TMovieEdges::EndEdges() {
    FRecords.push_back(std::make_unique<TSWFEndShapeRecord>());
}

// ---- TMovieShape

TMovieShape::TMovieShape() : Edges(std::make_unique<TMovieEdges>(EdgeRecords)) {}

void TMovieShape::ChangeOwner() {
    Edges->Owner = CoordinatesInTwips ? nullptr : Owner;
}

void TMovieShape::SetShapeBound(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax) {
    const int s = CoordinateScale();
    Bounds = {std::min(xMin, xMax) * s, std::min(yMin, yMax) * s, std::max(xMin, xMax) * s,
              std::max(yMin, yMax) * s};
}

TSWFImageFill* TMovieShape::SetImageFill(TMovieImage& image, int mode, double scaleX, double scaleY) {
    auto fill = std::make_unique<TSWFImageFill>();
    fill->BitmapId = image.GetCharacterId();
    double sx = scaleX * 20, sy = scaleY * 20;
    if (mode == 1 && image.Width > 0 && image.Height > 0) {
        sx = double(Bounds.Right - Bounds.Left) / image.Width;
        sy = double(Bounds.Bottom - Bounds.Top) / image.Height;
    }
    fill->FillStyleType = mode == 2 ? 0x40 : 0x41;
    fill->BitmapMatrix.HasScale = true;
    fill->BitmapMatrix.ScaleX = ToFixed16(sx);
    fill->BitmapMatrix.ScaleY = ToFixed16(sy);
    // A quarter pixel up and left, so pixel centres sample the intended bitmap pixel.
    fill->BitmapMatrix.TranslateX = Bounds.Left - (mode == 1 ? 0 : 5);
    fill->BitmapMatrix.TranslateY = Bounds.Top - (mode == 1 ? 0 : 5);
    auto* result = static_cast<TSWFImageFill*>(AddFillStyle(std::move(fill)));

    // A bitmap is always defined before the shape that uses it.
    if (Owner) {
        auto& objects = Owner->Objects;
        auto shapeAt = std::find_if(objects.begin(), objects.end(), [&](auto& o) { return o.get() == this; });
        auto imageAt =
            std::find_if(objects.begin(), objects.end(), [&](auto& o) { return o.get() == &image; });
        if (shapeAt != objects.end() && imageAt != objects.end() && shapeAt < imageAt)
            std::rotate(shapeAt, imageAt, imageAt + 1);
    }
    return result;
}

TSWFFillStyle* TMovieShape::AddFillStyle(std::unique_ptr<TSWFFillStyle> fill) {
    TSWFFillStyle* raw = fill.get();
    FillStyles.push_back(std::move(fill));
    return AddFillStyle(raw);
}

TSWFFillStyle* TMovieShape::AddFillStyle(TSWFFillStyle* fill) {
    auto at = std::find_if(FillStyles.begin(), FillStyles.end(), [&](auto& f) { return f.get() == fill; });
    if (at == FillStyles.end())
        throw std::invalid_argument("AddFillStyle: the fill belongs to no shape; pass ownership");
    if (!EdgeRecords.empty() && EdgeRecords.front()->Kind == srStyleChange) {
        FillStyle1Index = std::uint16_t(at - FillStyles.begin() + 1);
        auto& first = static_cast<TSWFStyleChangeRecord&>(*EdgeRecords.front());
        first.StateFillStyle1 = true;
        first.FillStyle1 = FillStyle1Index;
    } else {
        FillStyle1Index = 0;
    }
    return fill;
}

void TMovieShape::WriteToStream(TBitWriter& engine) {
    int w = 0;
    for (auto& l : LineStyles) w = std::max(w, int(l->Width));
    TSWFDefineShape3 tag;
    tag.HasAlpha = HasAlpha;
    tag.TagID = HasAlpha ? 32 : 22;
    tag.ShapeId = GetCharacterId();
    for (auto& f : FillStyles) tag.FillStyles.push_back(f.get());
    for (auto& l : LineStyles) tag.LineStyles.push_back(l.get());
    for (auto& r : EdgeRecords) tag.Records.push_back(r.get());
    tag.ShapeBounds = {Bounds.Left - w / 2, Bounds.Top - w / 2, Bounds.Right + w / 2, Bounds.Bottom + w / 2};
    tag.WriteToStream(engine);
}

// ---- TMoviePlaceObject

TMoviePlaceObject::TMoviePlaceObject(TSWFMovie* movie, std::uint16_t depth, TMovieIDObject* object)
    : Placed(object), PlaceRecord(std::make_unique<TSWFPlaceObject3>()) {
    Owner = movie;
    PlaceRecord->Depth = depth;
    if (object) PlaceRecord->SetCharacterId(object->GetCharacterId());
}

int TMoviePlaceObject::MinVersion() const {
    if (PlaceRecord->BlendMode > 1) return 8;
    if (PlaceRecord->HasClipActions && !PlaceRecord->ClipActions.empty()) return 5;
    return 3;
}

void TMoviePlaceObject::WriteToStream(TBitWriter& engine) {
    PlaceRecord->WriteToStream(engine);
}

// ---- TSWFMovie

TSWFMovie::TSWFMovie(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax,
                     double frameRate, bool pixelUnits)
    : TSWFContainer(xMin, yMin, xMax, yMax, frameRate, pixelUnits) {}

TSWFObjectBase* TSWFMovie::AddObject(std::unique_ptr<TSWFObjectBase> object) {
    Objects.push_back(std::move(object));
    return Objects.back().get();
}

TMovieImage* TSWFMovie::AddImage(const std::string& fileName) {
    auto image = std::make_unique<TMovieImage>(fileName);
    image->Owner = this;
    image->SetCharacterId(NextCharacterId);
    auto* raw = static_cast<TMovieImage*>(AddObject(std::move(image)));
    ImageList.push_back(raw);
    ++NextCharacterId;
    return raw;
}

TMovieShape* TSWFMovie::AddShape(std::unique_ptr<TMovieShape> shape) {
    if (!shape) shape = std::make_unique<TMovieShape>();
    shape->Owner = this;
    shape->ChangeOwner();
    shape->SetCharacterId(NextCharacterId);
    auto* raw = static_cast<TMovieShape*>(AddObject(std::move(shape)));
    ShapeList.push_back(raw);
    ++NextCharacterId;
    return raw;
}

TMovieShape* TSWFMovie::AddRectangle(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax,
                                     std::int32_t yMax) {
    TMovieShape* shape = AddShape();
    shape->SetShapeBound(xMin, yMin, xMax, yMax);
    shape->Edges->MoveTo(xMin, yMin);
    shape->Edges->MakeRect(xMax - xMin, yMax - yMin);
    shape->Edges->EndEdges();
    return shape;
}

TMoviePlaceObject* TSWFMovie::PlaceObject(TMovieIDObject* object, std::uint16_t depth) {
    auto* raw =
        static_cast<TMoviePlaceObject*>(AddObject(std::make_unique<TMoviePlaceObject>(this, depth, object)));
    if (depth > MaxDepth) MaxDepth = depth;
    return raw;
}

void TSWFMovie::ShowFrame(std::uint16_t count) {
    for (int i = 0; i < std::max<int>(count, 1); ++i) {
        FFrameCount = std::uint16_t(FFrameCount + 1);
        AddObject(std::make_unique<TSWFShowFrame>());
    }
    CurrentFrame = int(FFrameCount) - 1;
}

void TSWFMovie::MakeStream() {
    TSWFMemoryStream& body = Body();
    body.Clear();
    int v = Version();
    TBitWriter engine(body);

    if (HasBackgroundColor) {
        std::vector<std::uint8_t> rgb = {BackgroundColor.R, BackgroundColor.G, BackgroundColor.B};
        WriteTag(engine, 9, rgb); // SetBackgroundColor
    }
    if (Protect) {
        WriteTag(engine, 24, {}); // Protect, no password
        v = std::max(v, 2);
    }

    int frames = 0;
    bool placed = false;
    const std::size_t count = Objects.size();
    for (std::size_t k = 0; k < count; ++k) {
        TSWFObjectBase* object = Objects[k].get();
        if (OnProgress) OnProgress(*this, int(std::lround(double(k + 1) / double(count) * 100)), 1);
        v = std::max(v, object->MinVersion());
        if (object->LibraryLevel() == 0) {
            auto* tag = static_cast<TSWFObject*>(object);
            if (tag->TagID == 1) ++frames;
            if (tag->TagID == 4 || tag->TagID == 26 || tag->TagID == 70) placed = true;
        } else if (auto* place = dynamic_cast<TMoviePlaceObject*>(object)) {
            place->PlaceRecord->SWFVersion = std::uint8_t(v);
            placed = true;
        }
        object->WriteToStream(engine);
    }
    if (frames == 0 && placed) {
        engine.WriteWord(0x0040);
        frames = 1;
    }
    engine.WriteWord(0x0000);
    FFrameCount = std::uint16_t(frames);
    if (Version() < v) SetVersion(std::uint8_t(std::min(v, 255)));
}
