#pragma once
// The preview player: plays a private copy of an animation onto a picture of
// the logical screen's size, frame by frame, with each frame's offset,
// transparency, disposal and delay, for as many passes as the file asks.
//
// It has no timer of its own. Step() is the scheduling: the page calls it
// from a timer, tests call it with a fake clock; Advance() is the composing
// alone, used by Step() and by the frame export of composed pictures.

#include "platform/Bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TGIFData;
class TGIFImageData;

// The colour behind the animation until the user picks another.
constexpr TColor DefaultPreviewBackground = RGB(166, 202, 240);

// The largest logical screen the player composes (4096 x 4096 pixels): a
// larger one is refused instead of taking hundreds of megabytes.
constexpr std::int64_t MaxPreviewPixels = std::int64_t(1) << 24;

// How long a frame stays on screen, in milliseconds: DelayTime x 12, where a
// delay of 0 (or a frame without a control block) counts as 10 and delays
// below 3 count as 3.
int PreviewFrameDuration(const TGIFImageData& frame);

// When the frame after one that was drawn is due: the frame's duration after
// the drawing ended, shortened by half of the drawing time (from the moment
// the player woke to the moment the frame was shown), so that drawing adds
// only half its time to a frame.
std::int64_t NextFrameDue(std::int64_t wokeAt, std::int64_t shownAt, int durationMs);

// The document's bytes as the GIF writer produces them, read back into a new
// document: what a saved file would hold. None when writing or reading failed
// (the codec has reported why).
std::unique_ptr<TGIFData> DecodeSavedCopy(TGIFData& document);

// A millisecond clock; only differences between its readings matter.
using TPreviewClock = std::function<std::int64_t()>;

class TPreviewPlayer {
  public:
    // Takes the animation it plays. The clock is needed by Step() only.
    // The caller checks ScreenFits first: a screen beyond MaxPreviewPixels
    // gets an empty composition and no frames are drawn.
    TPreviewPlayer(std::unique_ptr<TGIFData> animation, TColor background, TPreviewClock clock = {});
    ~TPreviewPlayer();
    TPreviewPlayer(const TPreviewPlayer&) = delete;
    TPreviewPlayer& operator=(const TPreviewPlayer&) = delete;

    // True when the player can compose a logical screen of this size.
    static bool ScreenFits(int screenWidth, int screenHeight);

    // Draws the first frame at once; later, when the clock has reached
    // NextDue(), disposes of the shown frame and draws the next one, then
    // calls show (which puts the composition on screen; its time counts as
    // drawing time). True when the composition changed.
    bool Step(const std::function<void()>& show = {});
    // The clock reading at which Step() draws again; -1 once playback ended.
    std::int64_t NextDue() const { return Finished() ? -1 : FNextDue; }

    // Disposes of the shown frame and draws the next one in play order (the
    // first frame on the first call; the first frame again, on a fresh
    // background, when a new pass begins). False once playback has ended.
    bool Advance();

    // Playback has ended: the last pass showed its last frame (at once for an
    // animation without frames, which shows only the background).
    bool Finished() const { return FFinished; }
    // The picture shown: ScreenWidth x ScreenHeight, 24-bit.
    const TBitmap& Composition() const { return FComposition; }
    // The frame shown, -1 before the first one.
    int ShownFrame() const { return FShown; }
    // The pass being played, from 1.
    int Pass() const { return FPass; }
    // Passes in total; 0 for endless.
    int Passes() const { return FPasses; }
    TColor Background() const { return FBackground; }
    const TGIFData& Animation() const { return *FAnimation; }

  private:
    void FillBackground();
    void DrawFrame(int index);
    void DisposeFrame(int index);
    // The part of a frame's rectangle that lies on the screen.
    bool ClipToScreen(const TGIFImageData& frame, int& left, int& top, int& right, int& bottom) const;

    std::unique_ptr<TGIFData> FAnimation;
    TColor FBackground;
    TPreviewClock FClock;
    TBitmap FComposition;
    // The composition under the shown frame's rectangle, kept while that
    // frame's disposal asks for the previous state.
    std::vector<std::uint8_t> FSaved;
    int FShown = -1;
    int FPass = 1;
    int FPasses = 1;
    bool FFinished = false;
    std::int64_t FNextDue = 0;
};
