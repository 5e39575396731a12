// Stand-ins for the palette strip's operations that the canvas calls; the
// palette strip replaces them.
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"

void TMainForm::MarkPaletteCell(int) {}

void TMainForm::SetForeIndex(int index) {
    ForeIndex = index;
    if (const TGIFImageData* frame = CurrentFrame()) ForeColor = frame->Color(index);
    ApplyCanvasColors();
}

void TMainForm::SetBackIndex(int index) {
    BackIndex = index;
    if (const TGIFImageData* frame = CurrentFrame()) BackColor = frame->Color(index);
    ApplyCanvasColors();
}
