#include "editor/ComposeTools.h"

#include "gifdata/GifData.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------------------
// Connectors

std::unique_ptr<TShapeMask> DrawShape(const TComposeCanvas& owner, TShapeKind kind,
                                      const std::vector<TPoint>& points, int width, bool fill) {
    // Room for the pen on every side, and for the corner of a shape's box.
    std::unique_ptr<TShapeMask> mask = owner.MaskAround(points, width + 2);
    if (mask->Area().IsEmpty() || points.empty()) return mask;
    std::vector<TPoint> local;
    local.reserve(points.size());
    for (const TPoint& p : points) local.push_back(mask->Local(p));
    TCanvas& canvas = mask->DrawingCanvas();
    canvas.Pen.Width = width;
    canvas.Brush.Style = fill ? bsSolid : bsClear;
    switch (kind) {
    case skLine:
    case skPolyline:
        canvas.Polyline(local);
        break;
    case skRectangle:
    case skRoundRect:
    case skEllipse: {
        if (local.size() < 2) break;
        const TRect box{local[0].X, local[0].Y, local[1].X, local[1].Y};
        if (kind == skRectangle)
            canvas.Rectangle(box);
        else if (kind == skRoundRect)
            canvas.RoundRect(box, owner.CornerSize.Width, owner.CornerSize.Height);
        else
            canvas.Ellipse(box);
        break;
    }
    case skPolygon:
        canvas.Polygon(local);
        break;
    case skBezier:
        canvas.PolyBezier(local);
        break;
    }
    return mask;
}

namespace {

// The index the pen takes for a button: fore for the left, back for the right.
int PenFor(const TComposeCanvas& canvas, TPointerButton button) {
    return button == pbRight ? canvas.BackIndex : canvas.ForeIndex;
}

// ---------------------------------------------------------------------------
// Freehand paint tools: "Pen" and "Brush" join the pointer's path with lines
// and stamp the tip at every point; "Spray" sprays at every point.

class TFreehandTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas& canvas, TPointerButton button) override {
        canvas.PenIndex = PenFor(canvas, button);
        FLast = canvas.CurrentPoint;
        if (Number == tlSpray)
            canvas.Spray(FLast.X, FLast.Y, canvas.LineWidth);
        else
            canvas.StampTip(FLast.X, FLast.Y, canvas.LineWidth);
    }

    void Drag(TComposeCanvas& canvas, TPoint p) override {
        if (Number == tlSpray) {
            canvas.CurrentPoint = p;
            canvas.Spray(p.X, p.Y, canvas.LineWidth);
            return;
        }
        canvas.Ink(*DrawShape(canvas, skLine, {FLast, p}, canvas.LineWidth, false));
        canvas.StampTip(p.X, p.Y, canvas.LineWidth);
        FLast = p;
    }

    void Release(TComposeCanvas& canvas, TPointerButton, TPoint) override { canvas.CommitCanvas(Number); }

  private:
    TPoint FLast; // the stroke's last point
};

// ---------------------------------------------------------------------------
// Two-point shape tools: the shape follows the pointer from the press point
// as a preview over the backup and is committed at the release.

class TTwoPointTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas& canvas, TPointerButton button) override {
        if (Number == tlLine) {
            canvas.PenIndex = PenFor(canvas, button);
            canvas.StampTip(canvas.CurrentPoint.X, canvas.CurrentPoint.Y, canvas.LineWidth);
            return;
        }
        // Boxes: the right button swaps the outline and fill colours.
        canvas.PenIndex = PenFor(canvas, button);
        if (canvas.FillOn) canvas.FillIndex = button == pbRight ? canvas.ForeIndex : canvas.BackIndex;
    }

    void Drag(TComposeCanvas& canvas, TPoint p) override {
        canvas.RestoreBackup();
        Draw(canvas, p);
    }

    void Release(TComposeCanvas& canvas, TPointerButton, TPoint p) override {
        canvas.RestoreBackup();
        // A box without width or height is neither drawn nor committed.
        if (Number != tlLine && (p.X == canvas.CurrentPoint.X || p.Y == canvas.CurrentPoint.Y)) return;
        Draw(canvas, p);
        canvas.CommitCanvas(Number);
    }

  private:
    void Draw(TComposeCanvas& canvas, TPoint p) const {
        const TPoint from = canvas.CurrentPoint;
        switch (Number) {
        case tlLine:
            canvas.Ink(*DrawShape(canvas, skLine, {from, p}, canvas.LineWidth, false));
            canvas.StampTip(p.X, p.Y, canvas.LineWidth);
            break;
        case tlRectangle:
            canvas.Ink(*DrawShape(canvas, skRectangle, {from, p}, canvas.LineWidth, canvas.FillOn));
            break;
        case tlRoundRect:
            canvas.Ink(*DrawShape(canvas, skRoundRect, {from, p}, canvas.LineWidth, canvas.FillOn));
            break;
        default:
            canvas.Ink(*DrawShape(canvas, skEllipse, {from, p}, canvas.LineWidth, canvas.FillOn));
            break;
        }
    }
};

// ---------------------------------------------------------------------------
// Point-list tools. "Polyline" and "Polygon" collect vertices with clicks of
// one button; a click of the other button finishes. "Curve" takes four clicks:
// start, two control points, end.

class TPointListTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas& canvas, TPointerButton button) override {
        if (!canvas.Collecting) {
            canvas.Points = {canvas.CurrentPoint};
            canvas.Collecting = true;
        } else if (int(button) == canvas.LastReleaseButton) {
            canvas.Points.push_back(canvas.CurrentPoint);
        } else {
            // The other button finishes, in the colours the vertices were placed with.
            canvas.RestoreBackup();
            const std::vector<TPoint>& points = canvas.Points;
            if (Number == tlPolygon && points.size() > 2) {
                canvas.Ink(*DrawShape(canvas, skPolygon, points, canvas.LineWidth, canvas.FillOn));
                canvas.CommitCanvas(tlPolygon);
            } else if (Number == tlPolyline && points.size() > 1) {
                canvas.Ink(*DrawShape(canvas, skPolyline, points, canvas.LineWidth, false));
                canvas.CommitCanvas(tlPolygon); // both record the polygon's code
            }
            canvas.Points.clear();
            canvas.Collecting = false;
        }
        canvas.PenIndex = PenFor(canvas, button);
        if (canvas.FillOn) canvas.FillIndex = button == pbRight ? canvas.ForeIndex : canvas.BackIndex;
    }

    void Hover(TComposeCanvas& canvas, TPoint p) override {
        if (!canvas.Collecting) return;
        canvas.RestoreBackup();
        std::vector<TPoint> path = canvas.Points;
        path.push_back(p);
        canvas.Ink(*DrawShape(canvas, skPolyline, path, canvas.LineWidth, false));
    }
};

class TCurveTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas& canvas, TPointerButton button) override {
        canvas.PenIndex = PenFor(canvas, button);
        if (!canvas.Collecting) {
            canvas.Points = {canvas.CurrentPoint};
            canvas.Collecting = true;
            return;
        }
        canvas.Points.push_back(canvas.CurrentPoint);
        if (canvas.Points.size() > 3) {
            canvas.RestoreBackup();
            canvas.Ink(*DrawShape(canvas, skBezier,
                                  {canvas.Points[0], canvas.Points[1], canvas.Points[2], canvas.Points[3]},
                                  canvas.LineWidth, false));
            canvas.CommitCanvas(tlCurve);
            canvas.Collecting = false;
            canvas.Points.clear();
        }
    }

    void Hover(TComposeCanvas& canvas, TPoint p) override {
        if (!canvas.Collecting) return;
        canvas.RestoreBackup();
        const std::vector<TPoint>& points = canvas.Points;
        if (points.size() >= 3) {
            canvas.Ink(
                *DrawShape(canvas, skBezier, {points[0], points[1], points[2], p}, canvas.LineWidth, false));
            return;
        }
        std::vector<TPoint> path = points;
        path.push_back(p);
        canvas.Ink(*DrawShape(canvas, skPolyline, path, canvas.LineWidth, false));
    }
};

// ---------------------------------------------------------------------------
// Click tools

// "Fill": floods the 4-connected area of the pressed pixel's index.
class TFillTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas& canvas, TPointerButton button) override {
        if (button == pbLeft) {
            // The left button fills with the fore colour and switches the fill on.
            canvas.FillOn = true;
            canvas.FillIndex = canvas.ForeIndex;
            canvas.Host().ToolStateChanged();
        } else if (canvas.FillOn) {
            canvas.FillIndex = canvas.BackIndex;
        }
        // With the fill off the fill has no colour: nothing is painted, the step is still recorded.
        if (canvas.FillOn) Flood(canvas, canvas.CurrentPoint, canvas.FillIndex);
        canvas.CommitCanvas(tlFill);
        canvas.MouseState = 0;
    }

  private:
    // Scan-line flood fill: one run per row segment, so the work is bounded by the area.
    static void Flood(TComposeCanvas& canvas, TPoint seed, int index) {
        TBitmap& image = canvas.CanvasImage;
        if (!canvas.InImage(seed)) return;
        const std::uint8_t from = image.ScanLine(seed.Y)[seed.X];
        const auto to = std::uint8_t(index);
        if (from == to) return;
        const int width = image.Width(), height = image.Height();
        std::vector<TPoint> stack{seed};
        while (!stack.empty()) {
            const TPoint p = stack.back();
            stack.pop_back();
            std::uint8_t* row = image.ScanLine(p.Y);
            if (row[p.X] != from) continue;
            int left = p.X, right = p.X;
            while (left > 0 && row[left - 1] == from) --left;
            while (right + 1 < width && row[right + 1] == from) ++right;
            for (int x = left; x <= right; ++x) row[x] = to;
            canvas.PaintPixel(left, p.Y, to);
            canvas.PaintPixel(right, p.Y, to);
            for (int ny : {p.Y - 1, p.Y + 1}) {
                if (ny < 0 || ny >= height) continue;
                const std::uint8_t* next = image.ScanLine(ny);
                for (int x = left; x <= right; ++x)
                    if (next[x] == from && (x == left || next[x - 1] != from)) stack.push_back({x, ny});
            }
        }
    }
};

// "Get color": shows the palette cell under the pointer; the release makes the
// pressed pixel's index the fore (left) or back (right) colour and returns to
// the previous tool.
class TGetColorTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    void Press(TComposeCanvas&, TPointerButton) override {}

    void Hover(TComposeCanvas& canvas, TPoint p) override {
        const TGIFImageData* frame = canvas.Frame();
        if (!frame) return;
        const bool inside = p.X >= 0 && p.Y >= 0 && p.X < frame->Width && p.Y < frame->Height &&
                            frame->HasPixels() &&
                            std::size_t(p.Y) * frame->Width + p.X < frame->Pixels.size();
        canvas.Host().MarkPaletteCell(inside ? frame->Pixels[std::size_t(p.Y) * frame->Width + p.X] : -1);
    }

    void Release(TComposeCanvas& canvas, TPointerButton button, TPoint) override {
        const int index = canvas.IndexAt(canvas.CurrentPoint);
        if (index >= 0) canvas.Host().ColorPicked(button, index);
        canvas.SelectTool(canvas.PreviousTool);
    }
};

// ---------------------------------------------------------------------------
// "Text": a press starts typing at the pointer (committing the text typed
// before); the text itself arrives through TComposeCanvas::SetTypedText.

class TTextTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    bool TakesRightButton() const override { return false; }

    void BeginPress(TComposeCanvas& canvas, TPointerButton) override {
        if (canvas.TextActive) {
            canvas.RestoreBackup();
            if (!canvas.TypedText.empty()) {
                canvas.DrawTextPreview();
                canvas.CommitCanvas(tlText);
                canvas.TypedText.clear();
            }
        } else {
            canvas.TypedText.clear();
            if (canvas.FillOn) canvas.FillIndex = canvas.BackIndex;
            canvas.TextActive = true;
        }
    }

    void Press(TComposeCanvas& canvas, TPointerButton) override {
        canvas.Host().TextEntryChanged();
        canvas.Host().TextCaretAt(canvas.CurrentPoint);
    }
};

// ---------------------------------------------------------------------------
// "Move Image": drags the image to a new offset in the logical screen.

class TMoveImageTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    bool TakesRightButton() const override { return false; }

    void Press(TComposeCanvas& canvas, TPointerButton) override {
        if (const TGIFImageData* frame = canvas.Frame()) canvas.ImageOffset = {frame->Left, frame->Top};
    }

    void Drag(TComposeCanvas& canvas, TPoint p) override {
        const TGIFImageData* frame = canvas.Frame();
        if (!frame) return;
        TPoint& offset = canvas.ImageOffset;
        // Offsets stay inside what a GIF can hold: from 0 up to 65535 - size.
        offset.X = std::clamp(offset.X + p.X - canvas.CurrentPoint.X, 0, 65535 - int(frame->Width));
        offset.Y = std::clamp(offset.Y + p.Y - canvas.CurrentPoint.Y, 0, 65535 - int(frame->Height));
        canvas.CurrentPoint = p;
        canvas.Host().ImageDragged(offset);
    }

    void Release(TComposeCanvas& canvas, TPointerButton, TPoint) override {
        TGIFImageData* frame = canvas.Frame();
        if (!frame) return;
        const bool moved = canvas.ImageOffset.X != frame->Left || canvas.ImageOffset.Y != frame->Top;
        if (moved) {
            frame->Left = std::uint16_t(canvas.ImageOffset.X);
            frame->Top = std::uint16_t(canvas.ImageOffset.Y);
            canvas.CommitCanvas(tlMoveImage);
        }
        canvas.Host().ImageDropped(*frame, moved);
    }
};

// ---------------------------------------------------------------------------
// Selection tools. "Marqee" marks a box, "Lasso" a traced outline; the release
// lifts the marked pixels into the floating selection. A press on a shown
// selection drags it: the first movement erases its source (with Ctrl held it
// stays, so the drag copies). A press elsewhere paints a lifted selection in.

class TSelectionTool : public TComposeTool {
  public:
    using TComposeTool::TComposeTool;

    bool TakesRightButton() const override { return false; }

    void Press(TComposeCanvas& canvas, TPointerButton) override {
        TFloatingSelection& selection = canvas.Selection;
        const TPoint p = canvas.CurrentPoint;
        if (selection.Contains(p.X, p.Y)) {
            selection.Dragging = true;
            return;
        }
        if (selection.Shown && selection.Lifted) {
            canvas.PasteDown();
            canvas.CommitCanvas(canvas.CurrentTool);
        }
        selection.Lifted = false;
        canvas.DropSelection();
        selection.Mask.Reset(canvas.CanvasImage.Width(), canvas.CanvasImage.Height());
        selection.SelRect = {};
        FStart = p;
        if (Number == tlLasso) {
            selection.SelRect = {p.X, p.Y, p.X, p.Y};
            selection.LassoLast = p;
            selection.KeyColor = TFloatingSelection::FindKeyColor(canvas.CanvasImage.Palette());
        }
    }

    void Drag(TComposeCanvas& canvas, TPoint p) override {
        TFloatingSelection& selection = canvas.Selection;
        if (selection.Dragging) {
            if (!selection.Lifted) {
                if (!canvas.CtrlHeld) {
                    canvas.EraseSelectionSource(canvas.MouseState);
                    canvas.CommitCanvas(canvas.CurrentTool);
                }
                selection.Lifted = true;
            }
            canvas.MoveSelection(p.X - canvas.CurrentPoint.X, p.Y - canvas.CurrentPoint.Y);
            canvas.CurrentPoint = p;
            return;
        }
        if (Number == tlMarqee) {
            canvas.RestoreBackup();
            const int right = canvas.CanvasImage.Width() - 1, bottom = canvas.CanvasImage.Height() - 1;
            selection.SelRect = {std::clamp(std::min(FStart.X, p.X), 0, right),
                                 std::clamp(std::min(FStart.Y, p.Y), 0, bottom),
                                 std::clamp(std::max(FStart.X, p.X), 0, right),
                                 std::clamp(std::max(FStart.Y, p.Y), 0, bottom)};
            DrawDottedBox(canvas, selection.SelRect);
            return;
        }
        // The lasso: each movement inverts the triangle from the press point, on
        // the mask and, as feedback, on the canvas image.
        selection.Mask.InvertTriangle(FStart, selection.LassoLast, p, [&](int x, int y) {
            canvas.PaintPixel(x, y, canvas.CanvasImage.ScanLine(y)[x] ^ 0xFF);
        });
        selection.SelRect.Left = std::min(selection.SelRect.Left, p.X);
        selection.SelRect.Top = std::min(selection.SelRect.Top, p.Y);
        selection.SelRect.Right = std::max(selection.SelRect.Right, p.X);
        selection.SelRect.Bottom = std::max(selection.SelRect.Bottom, p.Y);
        selection.LassoLast = p;
    }

    void Release(TComposeCanvas& canvas, TPointerButton, TPoint p) override {
        TFloatingSelection& selection = canvas.Selection;
        if (selection.Dragging) {
            selection.Dragging = false;
            return;
        }
        if (Number == tlMarqee) {
            // The press left the mask empty and the marquee's movements do not touch it.
            selection.KeyColor = TFloatingSelection::FindKeyColor(canvas.CanvasImage.Palette());
            selection.Mask.MarkBox(FStart.X, FStart.Y, p.X, p.Y);
        }
        canvas.RestoreBackup();
        canvas.LiftSelection();
    }

  private:
    // The marquee's outline while it is drawn: black dots on every other pixel.
    static void DrawDottedBox(TComposeCanvas& canvas, const TFloatingSelection::TInclusiveRect& box) {
        const int black = canvas.CanvasImage.NearestIndex(RGB(0, 0, 0));
        int step = 0;
        ForEachEdgePixel(box.Left, box.Top, box.Right, box.Bottom, [&](int x, int y) {
            if (step++ % 2 == 0) canvas.PaintPixel(x, y, black);
        });
    }

    TPoint FStart; // the press point
};

} // namespace

std::unique_ptr<TComposeTool> MakeComposeTool(int number) {
    switch (number) {
    case tlMarqee:
    case tlLasso:
        return std::make_unique<TSelectionTool>(number);
    case tlGetColor:
        return std::make_unique<TGetColorTool>(number);
    case tlPen:
    case tlBrush:
    case tlSpray:
        return std::make_unique<TFreehandTool>(number);
    case tlFill:
        return std::make_unique<TFillTool>(number);
    case tlLine:
    case tlRectangle:
    case tlRoundRect:
    case tlEllipse:
        return std::make_unique<TTwoPointTool>(number);
    case tlCurve:
        return std::make_unique<TCurveTool>(number);
    case tlPolyline:
    case tlPolygon:
        return std::make_unique<TPointListTool>(number);
    case tlText:
        return std::make_unique<TTextTool>(number);
    case tlMoveImage:
        return std::make_unique<TMoveImageTool>(number);
    default:
        return nullptr;
    }
}
