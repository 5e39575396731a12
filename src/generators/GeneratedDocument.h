#pragma once
// The generators (text effect, slide show) refill the open document from
// scratch: this is the clean state they start from.

class TGIFData;

// Frees all frames, clears the sort flag, AspectRatio 0, loops forever
// (Looping true, LoopCount 0), BackgroundIndex 0, and the global palette
// becomes the standard colour table with every used flag cleared. The other
// screen flags (table present, colour resolution, size code) stay as they
// were; saving sets the size code.
void ResetDocumentForGeneration(TGIFData& document);
