#pragma once
// The movie builder: TSWFMovie collects builder objects and tag records in
// writing order, hands out character ids and turns the list into the movie
// body. Builder objects: TMovieImage (a bitmap character made from a BMP image),
// TMovieShape with its edge builder TMovieEdges, and TMoviePlaceObject.

#include "flash/BMPImage.h"
#include "flash/SWFContainer.h"
#include "flash/SWFRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TSWFMovie;

class TMovieObject : public TSWFObjectBase {
  public:
    TSWFMovie* Owner = nullptr; // not owned
    int LibraryLevel() const override { return 1; }
    virtual void ChangeOwner() {}
};

class TMovieIDObject : public TMovieObject {
  public:
    virtual std::uint16_t GetCharacterId() const { return FCharacterId; }
    virtual void SetCharacterId(std::uint16_t id) { FCharacterId = id; }

  private:
    std::uint16_t FCharacterId = 0;
};

class TMovieVisualObject : public TMovieIDObject {
  public:
    bool CoordinatesInTwips = false;
    // 1 for twips or without an owner, else the owner's unit scale (20 for pixels).
    int CoordinateScale() const;
};

class TMovieImage : public TMovieIDObject {
  public:
    explicit TMovieImage(std::string fileName = {}) : FileName(std::move(fileName)) {}

    bool IsJPEG = false;
    std::unique_ptr<TBMPImage> Reader;
    int ColorCount = 0;
    bool ConvertProgressive = true;
    std::vector<std::uint8_t> Data; // prepared bitmap data (one zlib stream)
    int DataState = 0;              // 0 none, 2 loaded from a BMP image
    std::string FileName;
    bool HasAlpha = false;
    std::uint16_t Height = 0;
    std::uint16_t RowPixels = 0;
    std::uint16_t Width = 0;
    std::uint8_t BitmapFormat = 0;

    int MinVersion() const override { return 2 + (HasAlpha ? 1 : 0); }
    // Takes a BMP file image from the stream's position.
    void LoadDataFromStream(TSWFMemoryStream& stream);
    void MakeData();
    void WriteToStream(TBitWriter& engine) override;
};

// Builds the edge records of one shape; coordinates in pixels (or twips, by the
// owner's unit scale).
class TMovieEdges {
  public:
    explicit TMovieEdges(std::vector<std::unique_ptr<TSWFShapeRecord>>& records);

    void MoveTo(std::int32_t x, std::int32_t y);
    void LineDelta(std::int32_t dx, std::int32_t dy);
    void MakeRect(std::int32_t w, std::int32_t h);
    void EndEdges();

    std::int32_t CurrentX = 0, CurrentY = 0; // pen position, twips
    std::int32_t StartX = 0, StartY = 0;     // last move-to point, twips
    TSWFMovie* Owner = nullptr;

  private:
    int Scale() const;
    TSWFStyleChangeRecord& LastStyleChange();
    std::vector<std::unique_ptr<TSWFShapeRecord>>& FRecords;
};

class TMovieShape : public TMovieVisualObject {
  public:
    TMovieShape();

    std::vector<std::unique_ptr<TSWFShapeRecord>> EdgeRecords;
    TSWFRect Bounds; // twips
    std::unique_ptr<TMovieEdges> Edges;
    std::vector<std::unique_ptr<TSWFFillStyle>> FillStyles;
    std::vector<std::unique_ptr<TSWFLineStyle>> LineStyles;
    std::uint16_t FillStyle1Index = 0;
    bool HasAlpha = false;
    bool UsesDefineShape4 = false;
    bool LineStylesUsed = false;

    int MinVersion() const override { return 2 + (HasAlpha ? 1 : 0); }
    void ChangeOwner() override;
    void SetShapeBound(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax);
    // mode 0: clipped bitmap at scaleX x scaleY pixels per bitmap pixel; 1: fitted
    // to the shape; 2: as 0 but repeating.
    TSWFImageFill* SetImageFill(TMovieImage& image, int mode, double scaleX, double scaleY);
    // Takes the fill into FillStyles and makes it the first record's fill style 1.
    TSWFFillStyle* AddFillStyle(std::unique_ptr<TSWFFillStyle> fill);
    // The same for a fill already in FillStyles; it is not listed twice.
    TSWFFillStyle* AddFillStyle(TSWFFillStyle* fill);
    void WriteToStream(TBitWriter& engine) override;
};

class TMoviePlaceObject : public TMovieObject {
  public:
    TMoviePlaceObject(TSWFMovie* movie, std::uint16_t depth, TMovieIDObject* object);
    TMovieIDObject* Placed = nullptr; // not owned
    std::unique_ptr<TSWFPlaceObject3> PlaceRecord;

    int MinVersion() const override;
    void WriteToStream(TBitWriter& engine) override;
};

class TSWFMovie : public TSWFContainer {
  public:
    TSWFMovie(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax, double frameRate,
              bool pixelUnits);

    std::vector<std::unique_ptr<TSWFObjectBase>> Objects;
    std::uint16_t NextCharacterId = 1;
    int CurrentFrame = -1;
    std::uint16_t MaxDepth = 0;
    bool Protect = false;
    bool HasBackgroundColor = false;
    TSWFRGBA BackgroundColor;
    std::vector<TMovieImage*> ImageList; // index into Objects, not owning
    std::vector<TMovieShape*> ShapeList;

    TSWFObjectBase* AddObject(std::unique_ptr<TSWFObjectBase> object);
    TMovieImage* AddImage(const std::string& fileName);
    TMovieShape* AddShape(std::unique_ptr<TMovieShape> shape = nullptr);
    // Pixel coordinates: a rectangle shape with no fill yet.
    TMovieShape* AddRectangle(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax);
    TMoviePlaceObject* PlaceObject(TMovieIDObject* object, std::uint16_t depth);
    void ShowFrame(std::uint16_t count = 1);
    virtual void MakeStream();
};
