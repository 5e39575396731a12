#pragma once
// The compose canvas without a window: the current frame as an 8-bit canvas
// image with its backup copy, the zoom, the drawing tools and their pointer
// state, and the commit of a finished stroke into the frame.
//
// Pointer events arrive in frame pixels (Press / Move / Release). A tool turns
// them into points, joins the points with a shape drawn into a mask, and the
// canvas inks the mask with palette indices of the frame (the pen index for the
// outline, the fill index for the inside). Whatever changed is reported to the
// host as one rectangle, so the window repaints only that.

#include "editor/FloatingSelection.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

class TGIFImageData;
class TUndoHistory;
class TComposeTool;

// Tool numbers (the tool palette's order; commits record them as undo codes).
enum TToolNumber : int {
    tlMarqee = 1,
    tlLasso = 2,
    tlGetColor = 3,
    tlPen = 4,
    tlBrush = 5,
    tlFill = 6,
    tlSpray = 7,
    tlLine = 8,
    tlCurve = 9,
    tlRectangle = 10,
    tlRoundRect = 11,
    tlEllipse = 12,
    tlPolyline = 13,
    tlPolygon = 14,
    tlText = 15,
    tlMoveImage = 16,
};
constexpr int FirstTool = tlMarqee;
constexpr int LastTool = tlMoveImage;

// Mouse buttons as the canvas sees them (MouseState uses 0, 1 and 2).
enum TPointerButton : int { pbNone = 0, pbLeft = 1, pbRight = 2, pbMiddle = 3 };

// What a tool offers in the options bar.
enum TToolOption : unsigned { toWidths = 1, toFill = 2, toFont = 4 };

// The window around the canvas. Everything the canvas cannot do without a
// window or the rest of the document goes through here.
class TComposeHost {
  public:
    virtual ~TComposeHost() = default;
    // The frame on the canvas; none when there is no current frame.
    virtual TGIFImageData* ComposeFrame() const = 0;
    // Pixels of the canvas image inside area (frame pixels) changed.
    virtual void CanvasChanged(const TRect& area) = 0;
    // The canvas was copied into the frame: the document is modified, its row
    // and the palette strip need drawing again.
    virtual void CanvasCommitted(TGIFImageData& frame) = 0;
    // The floating selection was shown, hidden, moved or given a new picture.
    virtual void SelectionChanged() = 0;
    // The marker over a palette cell (-1 hides it).
    virtual void MarkPaletteCell(int index) = 0;
    // "Get color" picked a palette index with the left (fore) or right (back) button.
    virtual void ColorPicked(TPointerButton button, int index) = 0;
    // The current tool, the line width or the fill changed: buttons and pointer follow.
    virtual void ToolStateChanged() = 0;
    // "Move Image" drags the shown image; offset in frame pixels.
    virtual void ImageDragged(TPoint offset) = 0;
    // "Move Image" finished: the frame's offset may have changed.
    virtual void ImageDropped(TGIFImageData& frame, bool moved) = 0;
    // Text entry began, ended or its text was emptied by the canvas.
    virtual void TextEntryChanged() = 0;
    // The caret (or the text's start) is at this frame pixel: the hidden field follows.
    virtual void TextCaretAt(TPoint point) = 0;
};

// A rectangle of frame pixels with a mask drawn by the drawing layer: 0 leaves
// the canvas pixel, 1 paints the pen index, 2 the fill index.
class TShapeMask {
  public:
    static constexpr std::uint8_t None = 0, PenMark = 1, FillMark = 2;
    // area: the part of the frame the shape may touch (clipped to the frame by the caller).
    explicit TShapeMask(const TRect& area);
    const TRect& Area() const { return FArea; }
    // A canvas on the mask in frame coordinates: draw with pen colour PenColor
    // and brush colour FillColor; DrawingCanvas() positions are relative to Area().
    TCanvas& DrawingCanvas() { return *FCanvas; }
    TPoint Local(TPoint p) const { return {p.X - FArea.Left, p.Y - FArea.Top}; }
    std::uint8_t At(int x, int y) const; // frame coordinates
    static constexpr TColor PenColor = RGB(255, 255, 255);
    static constexpr TColor FillColor = RGB(255, 0, 0);

  private:
    TRect FArea;
    TBitmap FBits;
    std::unique_ptr<TCanvas> FCanvas;
};

class TComposeCanvas {
  public:
    TComposeCanvas(TComposeHost& host, TUndoHistory& history);
    ~TComposeCanvas();
    TComposeCanvas(const TComposeCanvas&) = delete;
    TComposeCanvas& operator=(const TComposeCanvas&) = delete;

    // --- the picture ---
    // Makes the canvas image a copy of the frame (none: empty) and the backup equal to it.
    void LoadFrame(const TGIFImageData* frame);
    void SaveBackup();
    // Copies the backup over the canvas image, which removes any preview.
    void RestoreBackup();
    // Copies the canvas into the current frame and records the change (undo code).
    void CommitCanvas(int code);
    // Paints a lifted floating selection into the frame and commits typed text.
    void CommitPendingEdit();
    // Ends text entry and drops its text, and drops a floating selection, without committing.
    void CancelPendingEdit();

    TBitmap CanvasImage;
    TBitmap CanvasBackup;
    int Zoom = 2;

    // --- colours: palette indices of the frame ---
    // The fore and back colour indices from the palette strip; the pen, fill and
    // font colours follow them (fill only while the fill is on).
    void SetColors(int foreIndex, int backIndex);
    int ForeIndex = 0;
    int BackIndex = 1;
    int PenIndex = 0;
    int FillIndex = 1;
    bool FillOn = false;
    int LineWidth = 3;
    TFont Font;
    // The corner ellipse of "Round rectangle".
    TSize CornerSize{16, 16};
    void SetLineWidth(int width);
    void SetFillOn(bool on);
    void SetFont(const TFont& font);

    // --- tools ---
    // Whether a tool of this number exists in the program.
    bool HasTool(int tool) const;
    void SelectTool(int tool);
    int CurrentTool = tlPen;
    int PreviousTool = tlPen;
    int SavedWidth = 3;
    // The options bar's groups for a tool (toWidths | toFill | toFont).
    static unsigned ToolOptions(int tool);

    // --- pointer events, in frame pixels ---
    void Press(TPointerButton button, TPoint p, bool ctrl = false);
    void Move(TPoint p, bool buttonHeld, bool ctrl = false);
    void Release(TPointerButton button, TPoint p);
    int MouseState = 0;
    int LastReleaseButton = 0;
    // Ctrl was held at the last press or movement (a selection drag copies then).
    bool CtrlHeld = false;
    TPoint CurrentPoint;
    std::vector<TPoint> Points;
    bool Collecting = false;

    // --- text ---
    void SetTypedText(const std::string& text);
    // Moves the text's start by one pixel (arrow keys); false when not typing.
    bool MoveText(int dx, int dy);
    void DrawTextPreview();
    // Toggles the caret and draws it (never committed).
    void BlinkCaret();
    // Redraws an active text preview over the backup (after a colour or font change).
    void RedrawText();
    std::string TypedText;
    bool TextActive = false;
    bool CaretOn = false;
    // The caret's position in frame pixels (end of the typed text).
    TPoint CaretPoint() const;

    // --- the floating selection ("Marqee", "Lasso", "Select All", paste) ---
    TFloatingSelection Selection;
    // Lifts the marked pixels inside the selection rectangle into the floating
    // selection; the canvas is not changed.
    bool LiftSelection();
    // Paints the floating selection into the canvas image (not yet committed).
    void PasteDown();
    // Paints the canvas under the selection with the back colour (MouseState 1)
    // or the fore colour (2).
    void EraseSelectionSource(int mouseState);
    // Commits what is pending and floats the whole canvas image.
    void SelectAll();
    // Commits what is pending, selects "Marqee" and floats a true-colour
    // picture at frame pixel (0, 0), lifted; false for an unusable picture.
    bool PasteSelection(const TBitmap& picture);
    // Mirrors or rotates the floating selection (a TTransformKind). Its source
    // is erased and committed first when it was not yet lifted.
    bool TransformSelection(int kind);
    // Hides the floating selection without painting it.
    void DropSelection();
    // Moves the floating selection by frame pixels.
    void MoveSelection(int dx, int dy);

    // --- "Move Image" ---
    // The frame offset at which the image is shown while it is dragged.
    TPoint ImageOffset;

    // --- drawing parts the tools combine ---
    // The tip at (x, y) by line width, in the pen index.
    void StampTip(int x, int y, int width);
    // Sprays the pen index into the square of half side width, 10 in 100 pixels.
    void Spray(int x, int y, int width);
    // A mask over the frame around the bounds of points, grown by margin.
    std::unique_ptr<TShapeMask> MaskAround(const std::vector<TPoint>& points, int margin) const;
    // Paints the mask's marks with the pen index and, while the fill is on, the fill index.
    void Ink(const TShapeMask& mask);
    // Paints one pixel with an index (clipped to the image) and notes the change.
    void PaintPixel(int x, int y, int index);
    // The pixel index of the canvas image; -1 outside.
    int IndexAt(TPoint p) const;
    bool InImage(TPoint p) const;
    // Reports the changed pixels of the canvas image to the host.
    void Changed(const TRect& area);
    // The random source of "Spray" (seeded once; tests seed it).
    std::mt19937& Random() { return FRandom; }
    TComposeHost& Host() { return FHost; }
    TGIFImageData* Frame() const;

  private:
    TComposeTool* Tool(int tool) const;
    void Grow(const TRect& area);

    TComposeHost& FHost;
    TUndoHistory& FHistory;
    std::array<std::unique_ptr<TComposeTool>, LastTool + 1> FTools;
    // Pixels of the canvas image that may differ from the backup.
    TRect FDirty;
    // Pixels changed since the last report to the host.
    TRect FPending;
    std::mt19937 FRandom;
};
