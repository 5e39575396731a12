// "Save As Flash Movie (SWF)...": the export dialog on the open document.
#include "editor/MainUnit.h"

#include "flash/SWFUnit.h"
#include "gifdata/GifData.h"

void TMainForm::SaveAsSWF1Click() {
    // An empty document has nothing to show in a movie: the command does nothing.
    if (GIF->Frames.empty()) return;
    TSWFForm form(*GIF, FDialogs, ProgramDir, this);
    form.Execute();
}
