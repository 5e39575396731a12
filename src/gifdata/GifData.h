#pragma once
// The in-memory form of one animated GIF: the document TGIFData, its frames
// TGIFImageData, the extension blocks and the 256-slot palettes. The model
// mirrors the GIF89a block structure byte for byte: packed flag bytes stay
// bytes and are read through accessors, so a file that is read and written
// back keeps every field it carried.
//
// Plain C++20, no Qt. Nothing here throws to the caller: reading and writing
// return false after reporting the reason through ShowIOError.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gifdata/GifStream.h"
#include "platform/Bitmap.h"

class TGIFData;
class TGIFImageData;

// ---------------------------------------------------------------------------
// Error reporting and hooks of the codec

// The one error report of the codec. The editor installs a handler that shows
// the message box ("Error", caption "I/O Error"); the command line prints the
// reason. Without a handler ShowIOError does nothing.
using TIOErrorHandler = std::function<void(const std::string& reason)>;
void SetIOErrorHandler(TIOErrorHandler handler);
void ShowIOError(const std::string& reason);

// Frame thumbnails need the drawing layer (text output), which the codec does
// not link. fl_gifraster registers its renderer with SetThumbnailRenderer;
// TGIFImageData::RenderThumbnail calls it and does nothing while none is set.
using TThumbnailRenderer = std::function<void(TGIFImageData& frame)>;
void SetThumbnailRenderer(TThumbnailRenderer renderer);

// Raised inside the codec for a failure that ends a read or a write (a stream
// that refuses bytes, corrupt data that cannot be decoded). It never leaves
// the codec: the routine that catches it calls ShowIOError(what()) and
// returns false.
class EGIFError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// Palettes

struct PaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Used = 0; // derived (0 or 1): recomputed by UpdateGlobalUsage / UpdateLocalUsage
    bool operator==(const PaletteEntry&) const = default;
};

// Always 256 entries; a file carries 2^(size code + 1) of them.
using TPalette = std::array<PaletteEntry, 256>;

// Size code of the smallest table (2^(code+1) entries, at least 2) that holds n colours.
int SizeCodeFor(int n);

// The largest frame the codec holds in memory (1 GiB of indices). A frame
// beyond it gets no pixel buffer; the reader refuses it with a message.
constexpr std::int64_t MaxFramePixels = std::int64_t(1) << 30;
// Pixels of a frame beyond the most its own image data could decode to stay
// index 1. A frame may have at most MaxUncoveredFramePixels of them and a
// load at most MaxUncoveredLoadPixels in all, so that a small file cannot make
// the reader allocate much more than its data describes, whatever its frame
// count. Larger frames are refused with a message.
constexpr std::int64_t MaxUncoveredFramePixels = std::int64_t(1) << 20;
constexpr std::int64_t MaxUncoveredLoadPixels = std::int64_t(16) << 20;

// ---------------------------------------------------------------------------
// Extension blocks

class TGIFExtension {
  public:
    explicit TGIFExtension(std::uint8_t label) : Label(label) {}
    virtual ~TGIFExtension() = default;

    // A copy of the same class with the same fields.
    virtual std::unique_ptr<TGIFExtension> Clone() const = 0;
    // Writes everything after the label. False (after ShowIOError) on a failed write.
    virtual bool WriteBlock(TStream& stream) = 0;
    // Reads everything after the label. False (after ShowIOError) on a failure.
    virtual bool ReadBlock(TStream& stream) = 0;

    std::uint8_t Label; // the byte after the 0x21 introducer
};

class TGIFGraphicControlExtension : public TGIFExtension {
  public:
    TGIFGraphicControlExtension() : TGIFExtension(0xF9) {}
    std::unique_ptr<TGIFExtension> Clone() const override;
    bool WriteBlock(TStream& stream) override;
    bool ReadBlock(TStream& stream) override;

    // ControlFlags: bit 0 transparent colour, bit 1 user input, bits 2..4 disposal, bits 5..7 kept.
    bool Transparent() const { return ControlFlags & 0x01; }
    void SetTransparent(bool value);
    bool UserInput() const { return ControlFlags & 0x02; }
    int Disposal() const { return (ControlFlags >> 2) & 0x07; }
    void SetDisposal(int value); // ignored above 7

    std::uint8_t ControlFlags = 0;
    std::uint16_t DelayTime = 10; // 1/100 s
    std::uint8_t TransparentIndex = 0;
};

// The plain text extension.
class TGIFTextExtension : public TGIFExtension {
  public:
    TGIFTextExtension() : TGIFExtension(0x01) {}
    std::unique_ptr<TGIFExtension> Clone() const override;
    bool WriteBlock(TStream& stream) override;
    bool ReadBlock(TStream& stream) override;

    std::string Text; // raw bytes
    std::uint16_t GridLeft = 0;
    std::uint16_t GridTop = 0;
    std::uint16_t GridWidth = 16;
    std::uint16_t GridHeight = 8;
    std::uint8_t CellWidth = 8;
    std::uint8_t CellHeight = 8;
    std::uint8_t ForegroundIndex = 1;
    std::uint8_t BackgroundIndex = 0;
};

class TGIFApplicationExtension : public TGIFExtension {
  public:
    TGIFApplicationExtension() : TGIFExtension(0xFF) {}
    std::unique_ptr<TGIFExtension> Clone() const override;
    bool WriteBlock(TStream& stream) override;
    bool ReadBlock(TStream& stream) override;

    std::string Identifier; // 8 bytes on file
    std::string AuthCode;   // 3 bytes on file
    std::string Data;       // the sub-block payload, raw bytes
};

class TGIFCommentExtension : public TGIFExtension {
  public:
    TGIFCommentExtension() : TGIFExtension(0xFE) {}
    std::unique_ptr<TGIFExtension> Clone() const override;
    bool WriteBlock(TStream& stream) override;
    bool ReadBlock(TStream& stream) override;

    std::string Text; // raw bytes
};

// Writes bytes as a data sub-block chain (255-byte blocks, then 0x00).
// False (after ShowIOError) on a failed write.
bool WriteSubBlocks(TStream& stream, const std::string& bytes);
// Reads a data sub-block chain through its terminator. On failure shows
// ShowIOError and returns false; bytes keeps its old value when not even the
// first length byte could be read.
bool ReadSubBlocks(TStream& stream, std::string& bytes);

// ---------------------------------------------------------------------------
// One frame

class TGIFImageData {
  public:
    explicit TGIFImageData(TGIFData* owner);
    ~TGIFImageData();
    TGIFImageData(const TGIFImageData&) = delete;
    TGIFImageData& operator=(const TGIFImageData&) = delete;

    // ImageFlags: bit 7 local table, bit 6 interlaced, bit 5 sorted, bits 3..4 kept, bits 0..2 size code.
    bool HasLocalTable() const { return ImageFlags & 0x80; }
    void SetHasLocalTable(bool value);
    bool Interlaced() const { return ImageFlags & 0x40; }
    void SetInterlaced(bool value);
    bool LocalSorted() const { return ImageFlags & 0x20; }
    int LocalTableSize() const { return ImageFlags & 0x07; }
    void SetLocalTableSize(int code); // ignored above 7

    // True when Pixels holds Width x Height indices.
    bool HasPixels() const { return !Pixels.empty() && PixelCount > 0; }

    // Replaces Pixels with Width x Height bytes of index 1 (none when the
    // frame is empty, larger than MaxFramePixels or memory runs out).
    void AllocatePixels();
    void FreePixels();

    std::uint8_t IsColorUsed(int index) const;
    TColor Color(int index) const; // NoColor outside 0..255
    void UpdateLocalUsage();
    void MoveColor(int from, int to);
    bool CompactLocalPalette();

    // Reader: one image after its 0x2C introducer. False after ShowIOError.
    bool ReadImage(TStream& stream);
    // Reads the LZW image data into Pixels (GifLzwDecoder.cpp) and, with a
    // local table, recomputes its usage flags as UpdateLocalUsage does. Data
    // that runs out leaves the rest at index 1 without a message. Throws EGIFError
    // for data that cannot be decoded at all (minimum code size above 11, a
    // frame that cannot be allocated); ReadImage turns it into ShowIOError.
    void DecodeImage(TStream& stream);

    // Writer: control block, extensions, descriptor, local table, image data.
    bool WriteFrame(TStream& stream);
    // The LZW image data of this frame (GifLzwEncoder.cpp): minimum code size,
    // sub-blocks, terminator. False when the stream refused bytes (no message;
    // WriteFrame reports).
    bool EncodeImage(TStream& stream);

    // --- defined in GifRaster*.cpp, on the drawing layer (fl_gifraster) ---
    // The frame as an 8-bit bitmap of Width x Height with all 256 palette
    // entries, or none without a complete pixel buffer.
    std::unique_ptr<TBitmap> ToBitmap() const;
    // The frame drawn at Left, Top on a ScreenWidth x ScreenHeight bitmap
    // filled with the owner's background colour.
    std::unique_ptr<TBitmap> ToScreenBitmap() const;
    // Copies the indices of an 8-bit bitmap of exactly Width x Height; palette untouched.
    bool CopyIndicesFrom(const TBitmap& bitmap);
    // New size, local palette and pixels from an 8-bit bitmap; transparentIndex < 0 clears transparency.
    bool AssignBitmap(const TBitmap& bitmap, int transparentIndex);
    // --- end of the drawing-layer block ---

    // Draws Thumbnail through the registered renderer (SetThumbnailRenderer);
    // does nothing without one. Defined in the codec.
    void RenderThumbnail();

    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t ImageFlags = 0;
    std::vector<std::unique_ptr<TGIFExtension>> Extensions; // text, comment, foreign application blocks
    TGIFData* Owner = nullptr;                              // not owned
    // One palette index per pixel, rows top first, Width bytes each. Empty
    // means "no pixel buffer"; otherwise it holds exactly PixelCount bytes.
    std::vector<std::uint8_t> Pixels;
    std::int32_t PixelCount = 0;
    std::unique_ptr<TGIFGraphicControlExtension> Control;
    std::unique_ptr<TBitmap> Thumbnail; // the frame-list card, made by RenderThumbnail
    TPalette LocalPalette{};
    std::string Title;
    // Set by the animation optimiser (not stored in the file): the image data
    // uses the narrowest codes its largest index allows instead of the width
    // of the whole colour table, which readers accept alike.
    bool TightCodeSize = false;
    // Also the optimiser's (not stored): pixel positions before which the
    // image data clears its string table (ChooseClearPoints). They only
    // decide how the pixels are coded, so after an edit they still give
    // correct data, if no longer the smallest.
    std::vector<std::uint32_t> ClearPoints;
};

// --- defined in GifRaster*.cpp, on the drawing layer (fl_gifraster) ---
struct TColorChoice; // platform/ColorQuantizer.h
// Turns a bitmap of any form into an 8-bit one of at most 256 colours, in
// place, by the standard reduction (16-level bin middles). An 8-bit bitmap is
// kept as it is.
void ReduceToPalette(TBitmap& bitmap);
// As above by the given reduction: "Standard" is the function above, "Exact"
// keeps up to 256 colours exactly (else as "High quality"), "High quality"
// quantises and maps with the chosen dithering.
void ReduceToPalette(TBitmap& bitmap, const TColorChoice& choice);
// The reduction every picture-to-frame path uses when it is given none: the
// editor sets it from its settings, the command line from its options.
const TColorChoice& PictureColorChoice();
void SetPictureColorChoice(const TColorChoice& choice);
// Reduces a copy of bitmap (by PictureColorChoice() or the given choice) and
// assigns it to frame. False when either is missing, the bitmap is empty, or
// AssignBitmap fails.
bool SetFrameFromBitmap(TGIFImageData* frame, const TBitmap* bitmap, int transparentIndex);
bool SetFrameFromBitmap(TGIFImageData* frame, const TBitmap* bitmap, int transparentIndex,
                        const TColorChoice& choice);
// AddFrame(1, 1) on document, then SetFrameFromBitmap on the new frame
// (document.Frames.back()). When that fails the new frame is deleted again and
// this returns false, leaving the document as it was. The editor marks the
// document modified when it returns true.
bool AddFrameFromBitmap(TGIFData& document, const TBitmap& bitmap, int transparentIndex);
bool AddFrameFromBitmap(TGIFData& document, const TBitmap& bitmap, int transparentIndex,
                        const TColorChoice& choice);
// --- end of the drawing-layer block ---

// ---------------------------------------------------------------------------
// The document

class TGIFData {
  public:
    TGIFData();
    ~TGIFData();
    TGIFData(const TGIFData&) = delete;
    TGIFData& operator=(const TGIFData&) = delete;

    // ScreenFlags: bit 7 global table, bits 4..6 colour resolution, bit 3 sorted, bits 0..2 size code.
    bool HasGlobalTable() const { return ScreenFlags & 0x80; }
    int ColorResolution() const { return (ScreenFlags >> 4) & 0x07; }
    bool GlobalSorted() const { return ScreenFlags & 0x08; }
    void SetGlobalSorted(bool value);
    int GlobalTableSize() const { return ScreenFlags & 0x07; }
    void SetGlobalTableSize(int code); // ignored above 7

    // Reading (GifReader.cpp). False after ShowIOError, or without a message
    // when the stream ends where a block should start (frames read so far stay).
    bool LoadFromFile(const std::string& path);
    bool LoadFromStream(TStream& stream);
    // Writing (GifWriter.cpp). SaveToFile makes the whole file in memory, then
    // saves it with WriteFileSafely: a failed save leaves the old file as it
    // was, a successful one keeps its links, owner and mode.
    bool SaveToFile(const std::string& path);
    bool SaveToStream(TStream& stream);

    // A frame of the given size at 0, 0 with index-1 pixels, appended and thumbnailed.
    TGIFImageData* AddFrame(int width, int height);
    bool DeleteFrame(int index);
    bool MoveFrame(int from, int to);
    void RefreshThumbnails();

    void UpdateGlobalUsage();
    bool CompactPalettes();
    bool CompactGlobalPalette();
    void MoveGlobalColor(int from, int to);
    void PackTitles();
    void UnpackTitles();
    std::uint8_t IsGlobalColorUsed(int index) const;
    TColor GlobalColor(int index) const; // NoColor outside 0..255
    TColor BackgroundColor() const;      // NoColor without a global table

    std::string Signature = "GIF";
    std::string Version = "89a";
    std::uint16_t ScreenWidth = 128;
    std::uint16_t ScreenHeight = 128;
    std::uint8_t ScreenFlags = 0xA3;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;
    std::uint16_t LoopCount = 0; // 0 = forever
    bool Looping = false;
    std::vector<std::unique_ptr<TGIFImageData>> Frames;
    std::unique_ptr<TBitmap> ThumbnailTemplate;               // 128 x 100, 24-bit card
    std::unique_ptr<TGIFApplicationExtension> TitleExtension; // "KESTRALL" "1.0"
    TPalette GlobalPalette{};
    // Set by the optimiser for a document read without a title block: while
    // every title is empty, the writer then adds no title block either.
    bool OmitEmptyTitles = false;

  private:
    friend class TGIFImageData; // the reader's frames draw on FUncoveredPixelsLeft
    void DestroyFrames();
    // What is left of MaxUncoveredLoadPixels in the current load.
    std::int64_t FUncoveredPixelsLeft = MaxUncoveredLoadPixels;
};
