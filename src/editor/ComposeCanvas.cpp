#include "editor/ComposeCanvas.h"

#include "editor/ComposeTools.h"
#include "editor/UndoHistory.h"
#include "gifdata/GifData.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

TRect Unite(const TRect& a, const TRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

TRect Clip(const TRect& r, int width, int height) {
    TRect c{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width), std::min(r.Bottom, height)};
    return c.IsEmpty() ? TRect{} : c;
}

// Copies the rectangle between two 8-bit bitmaps of the same size.
void CopyArea(const TBitmap& from, TBitmap& to, const TRect& area) {
    for (int y = area.Top; y < area.Bottom; ++y)
        std::memcpy(to.ScanLine(y) + area.Left, from.ScanLine(y) + area.Left, std::size_t(area.Width()));
}

bool SameShape(const TBitmap& a, const TBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelFormat() == b.PixelFormat();
}

} // namespace

// ---------------------------------------------------------------------------
// The mask

TShapeMask::TShapeMask(const TRect& area) : FArea(area.IsEmpty() ? TRect{} : area) {
    FBits = TBitmap(FArea.Width(), FArea.Height(), pf8bit);
    FBits.SetPalette({RGB(0, 0, 0), PenColor, FillColor});
    FCanvas = std::make_unique<TCanvas>(FBits);
    FCanvas->Pen.Color = PenColor;
    FCanvas->Brush.Color = FillColor;
    FCanvas->Font.Color = PenColor;
}

std::uint8_t TShapeMask::At(int x, int y) const {
    if (!FArea.Contains(x, y)) return None;
    return FBits.ScanLine(y - FArea.Top)[x - FArea.Left];
}

// ---------------------------------------------------------------------------
// The canvas

TComposeCanvas::TComposeCanvas(TComposeHost& host, TUndoHistory& history)
    : FHost(host), FHistory(history), FRandom(unsigned(std::time(nullptr))) {
    for (int tool = FirstTool; tool <= LastTool; ++tool) FTools[std::size_t(tool)] = MakeComposeTool(tool);
    CurrentTool = 0;
    PreviousTool = 0;
}

TComposeCanvas::~TComposeCanvas() = default;

TGIFImageData* TComposeCanvas::Frame() const {
    return FHost.ComposeFrame();
}

TComposeTool* TComposeCanvas::Tool(int tool) const {
    return tool >= FirstTool && tool <= LastTool ? FTools[std::size_t(tool)].get() : nullptr;
}

bool TComposeCanvas::HasTool(int tool) const {
    return Tool(tool) != nullptr;
}

void TComposeCanvas::LoadFrame(const TGIFImageData* frame) {
    std::unique_ptr<TBitmap> bitmap = frame ? frame->ToBitmap() : nullptr;
    CanvasImage = bitmap ? std::move(*bitmap) : TBitmap();
    CanvasBackup = CanvasImage;
    FDirty = {};
    FPending = {};
}

void TComposeCanvas::Grow(const TRect& area) {
    FDirty = Unite(FDirty, area);
    FPending = Unite(FPending, area);
}

void TComposeCanvas::Changed(const TRect& area) {
    const TRect report = Clip(Unite(FPending, area), CanvasImage.Width(), CanvasImage.Height());
    FPending = {};
    if (!report.IsEmpty()) FHost.CanvasChanged(report);
}

void TComposeCanvas::SaveBackup() {
    if (SameShape(CanvasImage, CanvasBackup) && CanvasImage.Palette() == CanvasBackup.Palette()) {
        const TRect dirty = Clip(FDirty, CanvasImage.Width(), CanvasImage.Height());
        if (!dirty.IsEmpty()) CopyArea(CanvasImage, CanvasBackup, dirty);
    } else {
        CanvasBackup = CanvasImage;
    }
    FDirty = {};
}

void TComposeCanvas::RestoreBackup() {
    if (SameShape(CanvasImage, CanvasBackup)) {
        const TRect dirty = Clip(FDirty, CanvasImage.Width(), CanvasImage.Height());
        if (!dirty.IsEmpty()) {
            CopyArea(CanvasBackup, CanvasImage, dirty);
            FPending = Unite(FPending, dirty);
        }
    } else {
        CanvasImage = CanvasBackup;
        FPending = {0, 0, CanvasImage.Width(), CanvasImage.Height()};
    }
    FDirty = {};
}

void TComposeCanvas::CommitCanvas(int code) {
    TGIFImageData* frame = Frame();
    if (!frame) return;
    frame->CopyIndicesFrom(CanvasImage);
    SaveBackup();
    FHistory.PushUndo(frame, code);
    frame->RenderThumbnail();
    if (frame->HasLocalTable())
        frame->UpdateLocalUsage();
    else if (frame->Owner)
        frame->Owner->UpdateGlobalUsage();
    FHost.CanvasCommitted(*frame);
}

void TComposeCanvas::CommitPendingEdit() {
    if (Selection.Shown && Selection.Lifted) {
        PasteDown();
        CommitCanvas(CurrentTool);
        DropSelection();
    }
    if (CurrentTool != tlText || !TextActive) return;
    RestoreBackup();
    if (!TypedText.empty()) {
        DrawTextPreview();
        CommitCanvas(tlText);
    }
    TextActive = false;
    TypedText.clear();
    Changed({});
    FHost.TextEntryChanged();
}

void TComposeCanvas::CancelPendingEdit() {
    DropSelection();
    const bool wasActive = TextActive;
    if (TextActive) RestoreBackup();
    TextActive = false;
    TypedText.clear();
    MouseState = 0;
    Collecting = false;
    Points.clear();
    Changed({});
    if (wasActive) FHost.TextEntryChanged();
}

// ---------------------------------------------------------------------------
// Colours and options

void TComposeCanvas::SetColors(int foreIndex, int backIndex) {
    ForeIndex = std::clamp(foreIndex, 0, 255);
    BackIndex = std::clamp(backIndex, 0, 255);
    PenIndex = ForeIndex;
    if (FillOn) FillIndex = BackIndex;
    RedrawText();
}

void TComposeCanvas::SetLineWidth(int width) {
    LineWidth = std::clamp(width, 1, 5);
    FHost.ToolStateChanged();
}

void TComposeCanvas::SetFillOn(bool on) {
    FillOn = on;
    if (on) FillIndex = BackIndex;
    RedrawText();
    FHost.ToolStateChanged();
}

void TComposeCanvas::SetFont(const TFont& font) {
    Font = font;
    RedrawText();
}

unsigned TComposeCanvas::ToolOptions(int tool) {
    switch (tool) {
    case tlBrush:
    case tlSpray:
    case tlLine:
    case tlCurve:
    case tlPolyline:
        return toWidths;
    case tlRectangle:
    case tlRoundRect:
    case tlEllipse:
    case tlPolygon:
        return toWidths | toFill;
    case tlText:
        return toFill | toFont;
    default:
        return 0;
    }
}

void TComposeCanvas::SelectTool(int tool) {
    if (tool == CurrentTool || !HasTool(tool)) return;
    FHost.MarkPaletteCell(-1);
    CommitPendingEdit();
    PreviousTool = CurrentTool;
    CurrentTool = tool;
    // The pen always draws one pixel wide; the other tools keep their own width.
    if (PreviousTool == tlPen) LineWidth = SavedWidth;
    SavedWidth = LineWidth;
    if (tool == tlPen) LineWidth = 1;
    if (tool == tlText) {
        TextActive = false;
        TypedText.clear();
    }
    Collecting = false;
    Points.clear();
    PenIndex = ForeIndex;
    if (FillOn) FillIndex = BackIndex;
    DropSelection();
    RestoreBackup();
    Changed({});
    FHost.ToolStateChanged();
}

// ---------------------------------------------------------------------------
// Pointer events

bool TComposeCanvas::InImage(TPoint p) const {
    return p.X >= 0 && p.Y >= 0 && p.X < CanvasImage.Width() && p.Y < CanvasImage.Height();
}

int TComposeCanvas::IndexAt(TPoint p) const {
    return InImage(p) ? CanvasImage.ScanLine(p.Y)[p.X] : -1;
}

void TComposeCanvas::Press(TPointerButton button, TPoint p, bool ctrl) {
    CtrlHeld = ctrl;
    TComposeTool* tool = Tool(CurrentTool);
    if (!tool || CanvasImage.Empty()) return;
    if (button == pbRight && !tool->TakesRightButton()) return;
    if (MouseState != 0 || (button != pbLeft && button != pbRight)) return;
    MouseState = button;
    tool->BeginPress(*this, button);
    CurrentPoint = p;
    tool->Press(*this, button);
    Changed({});
}

void TComposeCanvas::Move(TPoint p, bool buttonHeld, bool ctrl) {
    CtrlHeld = ctrl;
    TComposeTool* tool = Tool(CurrentTool);
    if (!tool || CanvasImage.Empty()) return;
    tool->Hover(*this, p);
    if (MouseState != 0 && buttonHeld) tool->Drag(*this, p);
    Changed({});
}

void TComposeCanvas::Release(TPointerButton, TPoint p) {
    if (MouseState == 0) return;
    const auto button = TPointerButton(MouseState);
    LastReleaseButton = MouseState;
    TComposeTool* tool = Tool(CurrentTool);
    if (tool && Frame() && !CanvasImage.Empty()) tool->Release(*this, button, p);
    MouseState = 0;
    Changed({});
}

// ---------------------------------------------------------------------------
// Drawing parts

void TComposeCanvas::PaintPixel(int x, int y, int index) {
    if (x < 0 || y < 0 || x >= CanvasImage.Width() || y >= CanvasImage.Height()) return;
    CanvasImage.ScanLine(y)[x] = std::uint8_t(index);
    Grow({x, y, x + 1, y + 1});
}

void TComposeCanvas::StampTip(int x, int y, int width) {
    const int index = PenIndex;
    auto row = [&](int py, int from, int to) {
        for (int px = from; px <= to; ++px) PaintPixel(px, py, index);
    };
    switch (width) {
    case 2:
        row(y - 1, x - 1, x);
        row(y, x - 1, x);
        break;
    case 3:
        row(y - 1, x, x);
        row(y, x - 1, x + 1);
        row(y + 1, x, x);
        break;
    case 4:
        row(y - 2, x - 1, x);
        row(y - 1, x - 2, x + 1);
        row(y, x - 2, x + 1);
        row(y + 1, x - 1, x);
        break;
    case 5:
        row(y - 2, x - 1, x + 1);
        for (int py = y - 1; py <= y + 1; ++py) row(py, x - 2, x + 2);
        row(y + 2, x - 1, x + 1);
        break;
    default: // 1, and 6 or more
        PaintPixel(x, y, index);
        break;
    }
}

void TComposeCanvas::Spray(int x, int y, int width) {
    const int d = std::max(1, width);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int py = y - d; py <= y + d; ++py)
        for (int px = x - d; px <= x + d; ++px)
            if (percent(FRandom) < 10) PaintPixel(px, py, PenIndex);
}

std::unique_ptr<TShapeMask> TComposeCanvas::MaskAround(const std::vector<TPoint>& points, int margin) const {
    if (points.empty()) return std::make_unique<TShapeMask>(TRect{});
    TRect bounds{points[0].X, points[0].Y, points[0].X + 1, points[0].Y + 1};
    for (const TPoint& p : points) bounds = Unite(bounds, {p.X, p.Y, p.X + 1, p.Y + 1});
    bounds = {bounds.Left - margin, bounds.Top - margin, bounds.Right + margin, bounds.Bottom + margin};
    return std::make_unique<TShapeMask>(Clip(bounds, CanvasImage.Width(), CanvasImage.Height()));
}

void TComposeCanvas::Ink(const TShapeMask& mask) {
    const TRect& area = mask.Area();
    // Only the bounds of what was painted count as changed.
    TRect painted{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint8_t* row = CanvasImage.ScanLine(y);
        for (int x = area.Left; x < area.Right; ++x) {
            const std::uint8_t mark = mask.At(x, y);
            if (mark == TShapeMask::PenMark)
                row[x] = std::uint8_t(PenIndex);
            else if (mark == TShapeMask::FillMark && FillOn)
                row[x] = std::uint8_t(FillIndex);
            else
                continue;
            painted = {std::min(painted.Left, x), std::min(painted.Top, y), std::max(painted.Right, x + 1),
                       std::max(painted.Bottom, y + 1)};
        }
    }
    if (!painted.IsEmpty()) Grow(painted);
}

// ---------------------------------------------------------------------------
// The floating selection

bool TComposeCanvas::LiftSelection() {
    const bool lifted = Selection.Lift(CanvasImage);
    if (lifted) FHost.SelectionChanged();
    return lifted;
}

void TComposeCanvas::PasteDown() {
    const TRect changed = Selection.PasteDown(CanvasImage);
    if (!changed.IsEmpty()) Grow(changed);
}

void TComposeCanvas::EraseSelectionSource(int mouseState) {
    const TRect changed = Selection.EraseSource(CanvasImage, mouseState == pbRight ? ForeIndex : BackIndex);
    if (!changed.IsEmpty()) Grow(changed);
}

void TComposeCanvas::SelectAll() {
    if (!Frame() || CanvasImage.Empty()) return;
    CommitPendingEdit();
    SelectTool(tlMarqee);
    DropSelection();
    Selection.Lifted = false;
    Selection.KeyColor = TFloatingSelection::FindKeyColor(CanvasImage.Palette());
    Selection.Mask.Reset(CanvasImage.Width(), CanvasImage.Height());
    Selection.SelRect = {0, 0, CanvasImage.Width() - 1, CanvasImage.Height() - 1};
    Selection.Mask.MarkBox(0, 0, Selection.SelRect.Right, Selection.SelRect.Bottom);
    RestoreBackup();
    Changed({});
    LiftSelection();
}

bool TComposeCanvas::PasteSelection(const TBitmap& picture) {
    if (!Frame() || CanvasImage.Empty() || picture.Empty()) return false;
    CommitPendingEdit();
    SelectTool(tlMarqee);
    if (!Selection.Paste(picture, CanvasImage.Palette())) return false;
    FHost.SelectionChanged();
    return true;
}

bool TComposeCanvas::TransformSelection(int kind) {
    if (!Selection.Shown || Selection.Picture.Empty()) return false;
    if (!Selection.Lifted) {
        // The pixels leave their place as they were lifted, whatever shape they turn into.
        EraseSelectionSource(pbLeft);
        CommitCanvas(CurrentTool);
        Selection.Lifted = true;
    }
    const bool done = Selection.Transform(kind);
    Changed({});
    FHost.SelectionChanged();
    return done;
}

void TComposeCanvas::DropSelection() {
    const bool wasShown = Selection.Shown;
    Selection.Hide();
    if (wasShown) FHost.SelectionChanged();
}

void TComposeCanvas::MoveSelection(int dx, int dy) {
    if (!Selection.Shown || (dx == 0 && dy == 0)) return;
    Selection.Left += dx;
    Selection.Top += dy;
    FHost.SelectionChanged();
}

// ---------------------------------------------------------------------------
// Text

void TComposeCanvas::SetTypedText(const std::string& text) {
    TypedText = text;
    if (!TextActive) return;
    RestoreBackup();
    DrawTextPreview();
    Changed({});
}

bool TComposeCanvas::MoveText(int dx, int dy) {
    if (!TextActive) return false;
    CurrentPoint.X += dx;
    CurrentPoint.Y += dy;
    RestoreBackup();
    DrawTextPreview();
    Changed({});
    FHost.TextCaretAt(CaretPoint());
    return true;
}

void TComposeCanvas::DrawTextPreview() {
    if (TypedText.empty() || CanvasImage.Empty()) return;
    // The text may reach well beyond its advance (italics, tall glyphs): give it room.
    TShapeMask probe(TRect{0, 0, 1, 1});
    probe.DrawingCanvas().Font = Font;
    const TSize extent = probe.DrawingCanvas().TextExtent(TypedText);
    const int slack = extent.Height + 2;
    const TRect area = Clip({CurrentPoint.X - slack, CurrentPoint.Y - slack,
                             CurrentPoint.X + extent.Width + 2 * slack, CurrentPoint.Y + 2 * slack},
                            CanvasImage.Width(), CanvasImage.Height());
    if (area.IsEmpty()) return;
    TShapeMask mask(area);
    TCanvas& canvas = mask.DrawingCanvas();
    canvas.Font = Font;
    canvas.Font.Color = TShapeMask::PenColor;
    canvas.Brush.Style = FillOn ? bsSolid : bsClear;
    const TPoint at = mask.Local(CurrentPoint);
    canvas.TextOut(at.X, at.Y, TypedText);
    const int pen = PenIndex;
    PenIndex = ForeIndex; // the text is written in the fore colour
    Ink(mask);
    PenIndex = pen;
}

TPoint TComposeCanvas::CaretPoint() const {
    TShapeMask probe(TRect{0, 0, 1, 1});
    probe.DrawingCanvas().Font = Font;
    const int width = TypedText.empty() ? 0 : probe.DrawingCanvas().TextWidth(TypedText);
    return {CurrentPoint.X + width, CurrentPoint.Y};
}

void TComposeCanvas::BlinkCaret() {
    if (!TextActive || CanvasImage.Empty()) return;
    CaretOn = !CaretOn;
    TShapeMask probe(TRect{0, 0, 1, 1});
    probe.DrawingCanvas().Font = Font;
    const int height = probe.DrawingCanvas().TextHeight(" ");
    const TPoint caret = CaretPoint();
    const int index = CanvasImage.NearestIndex(CaretOn ? RGB(255, 255, 255) : RGB(0, 0, 0));
    for (int y = caret.Y; y < caret.Y + height; ++y) PaintPixel(caret.X, y, index);
    Changed({});
    FHost.TextCaretAt(caret);
}

void TComposeCanvas::RedrawText() {
    if (!TextActive || CurrentTool != tlText) return;
    RestoreBackup();
    DrawTextPreview();
    Changed({});
}
