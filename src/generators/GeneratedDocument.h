#pragma once
// The generators (text effect, slide show) refill the open document from
// scratch: this is the clean state they start from.

#include <cstdint>
#include <string>

class TGIFData;

// The largest frame the generators make: 16 Mpx (4096 x 4096). One frame's
// working bitmaps take several bytes a pixel, so beyond this a size typed by
// mistake would take gigabytes.
constexpr std::int64_t MaxGeneratedFramePixels = std::int64_t(1) << 24;
// The most pixels a generation may hold in all its frames or pictures: 1 Gpx.
constexpr std::int64_t MaxGeneratedTotalPixels = std::int64_t(1) << 30;

// Empty when count pictures of width x height fit these bounds; otherwise the
// reason, to show the user.
std::string GeneratedSizeProblem(int width, int height, std::int64_t count);

// Frees all frames, clears the sort flag, AspectRatio 0, loops forever
// (Looping true, LoopCount 0), BackgroundIndex 0, and the global palette
// becomes the standard colour table with every used flag cleared. The other
// screen flags (table present, colour resolution, size code) stay as they
// were; saving sets the size code.
void ResetDocumentForGeneration(TGIFData& document);
