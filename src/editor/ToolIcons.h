#pragma once
// The main tool bar's pictures, drawn by the program itself (28 x 28).

#include <QIcon>

enum TToolIcon {
    tiNewGif,
    tiOpen,
    tiSave,
    tiNewFrame,
    tiAddFrame,
    tiFrameProperties,
    tiGlobalProperties,
    tiNewTextEffect
};

QIcon ToolIcon(TToolIcon kind);
