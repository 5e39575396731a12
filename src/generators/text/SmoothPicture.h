#pragma once
// A picture the renderer places: a texture or a label background. Held as a
// 24-bit bitmap, or 32-bit with straight alpha for pictures with transparent
// parts (icons), which are composed over what lies beneath them.

#include <string>

#include "platform/Bitmap.h"

class TSmoothPicture {
  public:
    bool Empty() const { return FBitmap.Empty(); }
    int Width() const { return FBitmap.Width(); }
    int Height() const { return FBitmap.Height(); }
    const TBitmap& Bitmap() const { return FBitmap; }

    // Takes a 24-bit, 32-bit (alpha in the fourth byte) or 8-bit bitmap; 8-bit is
    // turned into 24-bit through its palette.
    void Assign(const TBitmap& bitmap);
    void Clear() { FBitmap = TBitmap(); }
    // Loads a picture file: JPEG, PNG, BMP, icon, enhanced and plain metafiles
    // through the platform's decoders, other formats (GIF) through Qt's readers.
    // False, with the picture unchanged, when it cannot be read.
    bool LoadFromFile(const std::string& path);

    bool operator==(const TSmoothPicture&) const = default;

    // Placing onto a 24- or 32-bit target; parts outside the target are cut.
    void Draw(TBitmap& target, int x, int y) const;
    void Tile(TBitmap& target) const;         // repeated from (0, 0) across and down
    void StretchOver(TBitmap& target) const;  // stretched over the whole target
    void DrawCentered(TBitmap& target) const; // once, centred (halves truncated toward zero)

  private:
    TBitmap FBitmap;
};
