#pragma once
// The frame list's commands on the document, without widgets: deleting,
// moving, duplicating and merging frames, and clearing titles and extra
// extension blocks. The list view only shows the result.

#include <vector>

class TGIFData;
class TGIFImageData;

// Moves the frame at from to index to (taken out, then inserted there); false
// when either index is outside the frames or they are equal.
bool MoveFrameTo(TGIFData& document, int from, int to);

// Appends a copy of source at the end of the document: title, offset, local
// colours, transparency, interlacing, delay, disposal and pixels. Other
// extension blocks are not copied. Returns the new frame (none when source is
// not one of the document's frames or has no pixels).
TGIFImageData* DuplicateFrame(TGIFData& document, const TGIFImageData& source);

// Draws the frames at rows, in that order, onto the frame at rows.front() (the
// target): each at its offset relative to the target's, its transparent colour
// left out, every colour mapped to the nearest of the target's palette. What
// falls outside the target is lost; the target keeps size, offset and palette.
// False when fewer than two valid rows are given or the target has no pixels.
bool MergeFrames(TGIFData& document, const std::vector<int>& rows);

// Empties every frame title (thumbnails redrawn); true when one was not empty.
bool RemoveAllFrameTitles(TGIFData& document);

// Drops the comment, plain text and application blocks of every frame; the
// graphic control block stays. True when a frame had any.
bool RemoveUnnecessaryExtensions(TGIFData& document);
