#pragma once
// Slide-show generation: a series of pictures joined by transitions, one GIF
// frame per transition step. The wizard collects the slides; this drives the
// transition component in manual mode and captures the frames.

#include "platform/Bitmap.h"

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

class TGIFData;

// How one picture is brought in.
struct TSlideRecord {
    int Style = 1;         // transition style 1..150
    int Step = 10;         // progress increment, percent
    int Delay = 100;       // each intermediate frame, milliseconds
    int ImageDelay = 1000; // the finished picture, milliseconds
};

struct TSlide {
    TBitmap Bitmap; // exactly the frame size
    TSlideRecord Record;
};

// The initial record of a newly added picture: the style is drawn uniformly from 1..149.
TSlideRecord NewSlideRecord(std::mt19937& random);

// A bitmap of exactly width x height with the picture stretched over all of it
// (the aspect ratio is not kept). 24-bit.
TBitmap StretchToFrame(const TBitmap& picture, int width, int height);

// A GIF delay in hundredths from milliseconds: ms / 10, never below 1.
int GifDelayFromMilliseconds(int milliseconds);

// Number of frames a slide show of these slides has: 1 + the sum of ceil(100 / step).
int SlideShowFrameCount(const std::vector<TSlide>& slides);

// Appends the slide show's frames to document: picture 0, then for pictures 1,
// 2, ..., n - 1 and finally picture 0 again the steps of the transition that
// brings it in, each step a frame with that slide's delay and the finished
// picture with its image delay. Needs at least two slides (false otherwise).
// Returns true when frames were added. The document is not reset here (see
// ResetDocumentForGeneration) and its logical screen is not fitted.
// progress, when given, is told after every frame how many of the
// SlideShowFrameCount frames exist.
using TSlideShowProgress = std::function<void(int framesDone, int framesTotal)>;
bool GenerateSlideShow(TGIFData& document, int width, int height, const std::vector<TSlide>& slides,
                       const TSlideShowProgress& progress = {});

// Frames larger than this many pixels are refused: the component holds four
// true-colour bitmaps of the frame size while it composes.
constexpr long long MaxSlideShowFramePixels = 4096LL * 4096LL;
// The frames of one slide show together hold at most this many pixels.
constexpr long long MaxSlideShowPixels = 1LL << 28;

// True when a slide show of these slides at width x height stays within both
// bounds above, so generating it cannot take gigabytes.
bool SlideShowFitsBounds(const std::vector<TSlide>& slides, int width, int height);
