#pragma once
// The transition style table: 150 named styles, each a procedure that composes
// one step of a transition. A procedure receives the Media bitmap (holding the
// old picture), the new picture of the same size and form, the rectangle
// (0, 0, W, H), the progress 1..99 and the component's step, and draws the
// step into the Media bitmap. Index 0 stands for "Custom" (drawn by the
// component's owner).

#include "platform/Bitmap.h"

#include <cstdint>
#include <string_view>

// Left, top, right, bottom; right and bottom exclusive. Shapes may reach
// outside the bitmaps; whatever falls outside is clipped.
struct TStyleRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TStyleRect&) const = default;
};

struct TStylePoint {
    int X = 0;
    int Y = 0;
};

struct TStyleContext {
    TBitmap& Media;         // old picture on entry, the composed step on return
    const TBitmap& Picture; // the new picture, same size and pixel form as Media
    TStyleRect Rect;        // (0, 0, W, H)
    int Progress = 0;       // 1..99
    int Step = 1;           // the component's step, 1..100
};

using TTransitionStyleProc = void (*)(const TStyleContext& context);

struct TTransitionStyle {
    const char* Name;
    TTransitionStyleProc Proc;
};

constexpr int TransitionStyleCount = 150;
constexpr int CustomTransitionStyle = 0;

// Entry 1..150; nullptr for any other index.
const TTransitionStyle* TransitionStyle(int index);
// "Custom" for 0, the table name for 1..150, "" otherwise.
const char* TransitionStyleName(int index);
// Case-insensitive lookup: "Custom" gives 0, otherwise the first entry with that
// name; -1 when the name is unknown.
int FindTransitionStyle(std::string_view name);

// The pixel styles ("Fade" and the four "Pivot" styles) that work on 32-bit bitmaps.
constexpr bool IsPixelStyle(int index) {
    return index >= 118 && index <= 122;
}

// Composes one step of style `index` (1..150) from the old picture in media and
// the new picture. The two bitmaps must have the same size; a picture of another
// pixel form is converted first. Progress outside 1..99 and unknown styles do nothing.
void ApplyTransitionStyle(int index, TBitmap& media, const TBitmap& picture, int progress, int step);

// Seeds the generator behind the shreds and speckles, for repeatable output.
// ("Random squares appear" reseeds itself from the picture size at every step.)
void SeedTransitionRandom(std::uint32_t seed);
