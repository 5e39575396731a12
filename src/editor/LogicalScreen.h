#pragma once
// The logical screen is always the bounding box of the frames.

class TGIFData;

// Sets ScreenWidth and ScreenHeight to the largest Left + Width and Top + Height
// over all frames; returns true when that changed them. A document without
// frames, or whose box is below 1 x 1, keeps its screen (false).
bool FitLogicalScreen(TGIFData& document);
