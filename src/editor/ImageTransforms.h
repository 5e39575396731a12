#pragma once
// The geometry commands on a frame's picture, without widgets: mirroring and
// rotating an indexed bitmap, resizing by cutting or stretching, and cropping.
// Pixels are palette indices throughout; no colour is ever blended.

#include "platform/Bitmap.h"

class TGIFImageData;

// What TransformBitmap does (the Frame menu's "Mirror" and "Rotate" items).
enum TTransformKind : int {
    tkMirrorHorizontally = 0,
    tkMirrorVertically = 1,
    tkRotate90 = 2, // clockwise
    tkRotate180 = 3,
    tkRotate270 = 4, // clockwise, i.e. 90 counter-clockwise
};

// Mirrors or rotates bitmap. Mirrors swap pixel pairs in place (the middle
// column or row of an odd size stays); rotations work from a copy, and 90 and
// 270 degrees swap the width and height. False when the bitmap is missing or
// empty or the kind is outside 0..4; the bitmap is then unchanged.
bool TransformBitmap(TBitmap* bitmap, int kind);

// The operations of the resize dialog; roNone: nothing is to be done.
enum TResizeOperation : int { roNone = -1, roResize = 0, roStretch = 1 };

// The palette index that fills area a picture does not cover: the one nearest
// white, as a newly sized picture is white.
int BlankIndex(const TBitmap& bitmap);

// A width x height copy of an 8-bit source with its palette. roResize draws
// the source at (0, 0), cutting at the right and bottom or adding blank area
// there; roStretch stretches it over the whole new bitmap, each target pixel
// taking the index of the source pixel it falls on. Empty for an empty source,
// another operation or a size outside 1..65535 or above the frame size limit.
TBitmap ResizedBitmap(const TBitmap& source, int width, int height, int operation);

// The part of an 8-bit source from column left to right and row top to bottom
// (inclusive, in either order), with its palette; what lies outside the source
// is blank. Empty when the size is outside 1..65535 or above the frame limit.
TBitmap CroppedBitmap(const TBitmap& source, int left, int top, int right, int bottom);

// Makes the frame the size of bitmap (an 8-bit picture of the frame) and copies
// its indices in; the palette usage follows. The offset stays. False (the frame
// unchanged) when the bitmap is empty or too large, or the frame's new pixels
// cannot be had.
bool AssignFramePicture(TGIFImageData& frame, const TBitmap& bitmap);

// Mirrors or rotates a frame about its top-left corner (the offset stays).
bool TransformFrame(TGIFImageData& frame, int kind);

// Resizes a frame by an operation; false when nothing changed.
bool ResizeFrame(TGIFImageData& frame, int width, int height, int operation);
