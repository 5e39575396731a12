#pragma once
// Our SWF player: plays the movies this program writes (and simple ones like
// them) without a system player. It decodes DefineBitsLossless(2) bitmaps
// (formats 3, 4 and 5), DefineShape 1 to 3 (solid, gradient and bitmap fills,
// clipped and repeating, over straight and curved edges; line styles are not
// drawn), keeps the display list by depth (PlaceObject, PlaceObject2,
// PlaceObject3's common fields, RemoveObject, RemoveObject2), follows
// SetBackgroundColor and ShowFrame, and renders any frame to a 32-bit bitmap at
// the stage's pixel size. Other tags are skipped.
//
// Construction checks every tag the player reads and indexes the frames; a
// bitmap or shape is decoded when a frame first shows it and let go when a
// frame no longer does, so memory follows the frame shown. Malformed data
// raises ESWFFormatError with the reason. Sizes are bounded by the data present
// and by TSWFPlayerLimits. RenderFrame keeps those decoded characters: one
// player serves one thread at a time.

#include "flash/SWFReader.h"
#include "platform/Bitmap.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

struct TSWFPlayerLimits {
    // Largest stage rendered (pixels): 64 Mpx, 256 MiB at 32 bits, well above any animation.
    std::int64_t MaxStagePixels = std::int64_t(1) << 26;
    // Largest bitmap decoded (pixels).
    std::int64_t MaxBitmapPixels = std::int64_t(1) << 26;
    // Frames: the header's count field holds no more.
    int MaxFrames = 65535;
    // Decoded shapes and bitmaps one frame may show: 1 GiB.
    std::size_t MaxFrameBytes = std::size_t(1) << 30;
};

class TSWFMoviePlayer {
  public:
    explicit TSWFMoviePlayer(TSWFFile file, TSWFPlayerLimits limits = {});
    ~TSWFMoviePlayer();
    TSWFMoviePlayer(const TSWFMoviePlayer&) = delete;
    TSWFMoviePlayer& operator=(const TSWFMoviePlayer&) = delete;

    const TSWFFile& File() const { return FFile; }
    // Frames the movie shows: its ShowFrame tags.
    int FrameCount() const { return int(FFrameEnds.size()); }
    int StageWidth() const { return FStageWidth; }
    int StageHeight() const { return FStageHeight; }
    double FrameRate() const { return FFile.Header.FrameRate / 256.0; }

    // Frame n (0-based) as a 32-bit bitmap (B, G, R, 255) of the stage's size.
    // Raises ESWFFormatError for a frame the movie does not have.
    TBitmap RenderFrame(int n) const;
    // Bytes of decoded shapes and bitmaps held now: those the last rendered frame shows.
    std::size_t HeldBytes() const;

    struct TCharacter;
    struct TOperation; // a display-list change, read from a tag when a frame is rendered

  private:
    void IndexTags();
    class TFrameDecoder;
    TSWFFile FFile;
    TSWFPlayerLimits FLimits;
    int FStageWidth = 0;
    int FStageHeight = 0;
    std::map<std::uint16_t, std::shared_ptr<TCharacter>> FDictionary;
    std::vector<std::size_t> FFrameEnds; // index in FFile.Tags of each frame's ShowFrame
};

// Parses and plays a file in one call: frame n of the movie at path.
TBitmap RenderSWFFrame(const std::string& path, int n);
