#pragma once
// Generating a text effect animation: the key states 0..N-1 and back down to
// 1 are rendered by the anti-aliased label and appended to the document as
// frames, so the animation loops without repeating a frame at either end.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "generators/text/SmoothLabel.h"
#include "generators/text/TextEffectSettings.h"

class TGIFData;

// max(1, 2 x N - 2): the number of frames N key states give.
int TextEffectFrameCount(int keyStates);
// The count as the wizard shows it, e.g. "18 Frames".
std::string TextEffectFrameCountText(int keyStates);
// The key state of every frame in order: 0..N-1, then N-2 down to 1.
std::vector<int> TextEffectSequence(int keyStates);
// GIF delay (1/100 s) of a frame delay in milliseconds: ms / 10, at least 1;
// kept within the 16 bits a GIF frame holds.
std::uint16_t TextEffectFrameDelay(int milliseconds);

// Paints the label into a new bitmap of its size and appends it to the
// document as a frame with no transparent colour and the given GIF delay.
// The result is that of appending (the frame stays even when it fails).
bool CaptureTextEffectFrame(TSmoothLabel& label, TGIFData& document, std::uint16_t delay);

// Pixels of the largest supersampled text raster any frame of the animation
// needs (the text measured at the larger font size, at every angle between
// the start and end angle). The renderer draws it in bands; what it holds
// whole is the mask at the frame's scale, capped at MaxSmoothMaskPixels.
long long TextEffectRasterBytes(const TTextEffectSettings& settings);

// Bounds of one animation: the frames together hold at most
// MaxTextEffectPixels pixels, and the text of any frame fits the renderer's mask.
constexpr long long MaxTextEffectPixels = 256LL * 1024 * 1024;
// Why the text cannot be drawn (too large for the renderer); empty when it can.
std::string TextEffectTextRefusal(const TTextEffectSettings& settings);
// Why the animation cannot be generated (the text, or too many pixels in all);
// empty when it can.
std::string TextEffectRefusal(const TTextEffectSettings& settings);

// Told after each frame: frames done so far and the total.
using TTextEffectProgress = std::function<void(int done, int total)>;

// Appends the whole animation to the document (which the caller has reset)
// and returns the number of frames added. A frame size that is not positive
// adds nothing.
int GenerateTextEffect(TGIFData& document, const TTextEffectSettings& settings,
                       const TTextEffectProgress& progress = {});

// The preview's walk through the key states: starting at index 0 going
// backward, the first step shows N-1, then N-2 .. 0, 1 .. N-1, ...
class TTextEffectPreview {
  public:
    int Index() const { return FIndex; }
    bool Forward() const { return FForward; }
    // Moves one state on for N key states and returns the new index.
    int Step(int keyStates);

  private:
    int FIndex = 0;
    bool FForward = false;
};
