// The compose canvas's side of the window until the canvas joins it: the
// canvas has no colours to take and no actions to enable yet.
#include "editor/MainUnit.h"

void TMainForm::ApplyCanvasColors() {}

void TMainForm::UpdateCanvasActions() {}
