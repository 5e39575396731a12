#pragma once
// The drawing tools of the compose canvas, by family. A tool is a controller:
// it turns presses, movements and releases (frame pixels) into points, and
// draws with the canvas's parts: the tips (StampTip, Spray), the connectors
// below (a shape drawn into a mask) and the ink (TComposeCanvas::Ink).
//
// Families: freehand paint tools ("Pen", "Brush", "Spray"), two-point shape
// tools ("Line", "Rectangle", "Round rectangle", "Ellipse"), point-list tools
// ("Polyline", "Polygon", "Curve"), click tools ("Fill", "Get color"), the
// "Text" tool and the "Move Image" tool. The selection tools ("Marqee",
// "Lasso") join as one more family with the floating selection.

#include "editor/ComposeCanvas.h"

#include <memory>

class TComposeTool {
  public:
    explicit TComposeTool(int number) : Number(number) {}
    virtual ~TComposeTool() = default;
    const int Number;

    // The right button starts a gesture with this tool.
    virtual bool TakesRightButton() const { return true; }
    // Runs before the press point becomes CurrentPoint (text uses the old one).
    virtual void BeginPress(TComposeCanvas&, TPointerButton) {}
    // A press; CurrentPoint is the press point and MouseState the button.
    virtual void Press(TComposeCanvas& canvas, TPointerButton button) = 0;
    // Every movement over the canvas, with or without a button.
    virtual void Hover(TComposeCanvas&, TPoint) {}
    // A movement while the pressed button is held.
    virtual void Drag(TComposeCanvas&, TPoint) {}
    // The release of the gesture's button (only with a current frame).
    virtual void Release(TComposeCanvas&, TPointerButton, TPoint) {}
};

// Makes the tool of a number; none outside the tool numbers.
std::unique_ptr<TComposeTool> MakeComposeTool(int number);

// --- connectors: shapes drawn into a mask with the pen (outline) and the fill ---
enum TShapeKind { skLine, skRectangle, skRoundRect, skEllipse, skPolyline, skPolygon, skBezier };
// Draws the shape through points with the pen width; filled when fill is set
// (closed shapes only). Lines leave out their end pixel. Returns the mask.
std::unique_ptr<TShapeMask> DrawShape(const TComposeCanvas& canvas, TShapeKind kind,
                                      const std::vector<TPoint>& points, int width, bool fill);
