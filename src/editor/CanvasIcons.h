#pragma once
// The pictures of the drawing tools, drawn by the program itself: the tool
// palette's buttons, the options bar's buttons and the canvas pointer shapes.

#include <QCursor>
#include <QIcon>
#include <QString>

// The tool palette button of a tool number (3 to 16).
QIcon DrawingToolIcon(int tool);
// Options bar: a line of width 1 to 5; the fill switched off or on.
QIcon LineWidthIcon(int width);
QIcon FillIcon(bool on);

// The main tool bar's pictures of the canvas commands (28 x 28).
enum TCanvasCommandIcon { ciNone, ciUndo, ciRedo, ciZoomIn, ciZoomOut, ciActualSize, ciCopy, ciPaste };
QIcon CanvasCommandIcon(TCanvasCommandIcon kind);

// Registers the 15 tool pointers under "CURSOR1" to "CURSOR15" (once per program).
void RegisterToolCursors();
// A registered pointer by name; the arrow when the name is unknown.
QCursor RegisteredCursor(const QString& name);
// The pointer name of a tool ("CURSOR5" for "Pen"); empty for "Move Image",
// which uses the system's four-way arrow.
QString ToolCursorName(int tool);
// The pointer shape of a tool.
QCursor ToolCursor(int tool);
