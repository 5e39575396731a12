#pragma once
// A compose canvas on a one-frame document with the standard palette, and a
// host that records what the canvas asked of its window: the fixture of the
// canvas and selection tests.
#include "editor/ComposeCanvas.h"
#include "editor/UndoHistory.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

using TPixelSet = std::set<std::pair<int, int>>;

// Records what the canvas asked of its window.
class TRecordingHost : public TComposeHost {
  public:
    TGIFImageData* Frame = nullptr;
    std::vector<TRect> Changes;
    int Commits = 0;
    std::vector<int> Marks;
    std::vector<std::pair<TPointerButton, int>> Picks;
    std::vector<TPoint> Drags;
    int Drops = 0;
    bool LastDropMoved = false;
    int TextChanges = 0;
    TPoint Caret{-1, -1};
    int SelectionChanges = 0;

    TGIFImageData* ComposeFrame() const override { return Frame; }
    void CanvasChanged(const TRect& area) override { Changes.push_back(area); }
    void CanvasCommitted(TGIFImageData&) override { ++Commits; }
    void MarkPaletteCell(int index) override { Marks.push_back(index); }
    void ColorPicked(TPointerButton button, int index) override { Picks.emplace_back(button, index); }
    void ToolStateChanged() override {}
    void ImageDragged(TPoint offset) override { Drags.push_back(offset); }
    void ImageDropped(TGIFImageData&, bool moved) override {
        ++Drops;
        LastDropMoved = moved;
    }
    void TextEntryChanged() override { ++TextChanges; }
    void SelectionChanged() override { ++SelectionChanges; }
    void TextCaretAt(TPoint point) override { Caret = point; }
};

// Indices: 0 black (fore), 1 white (back and the blank frame), others from the standard table.
class ComposeCanvasTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(24, 20); }

    void Start(int width, int height) {
        const TDefaultPalette& colours = DefaultPalette();
        for (int i = 0; i < 256; ++i) {
            Document.GlobalPalette[i].Red = colours[i].Red;
            Document.GlobalPalette[i].Green = colours[i].Green;
            Document.GlobalPalette[i].Blue = colours[i].Blue;
        }
        Document.ScreenWidth = std::uint16_t(width);
        Document.ScreenHeight = std::uint16_t(height);
        Host.Frame = Document.AddFrame(width, height);
        History.StartHistory(Host.Frame);
        Canvas.LoadFrame(Host.Frame);
        Canvas.SetColors(0, 1);
        Canvas.LineWidth = 3;
        Canvas.SelectTool(tlPen);
        Canvas.Random().seed(12345);
    }

    TGIFImageData& Frame() { return *Host.Frame; }
    std::uint8_t FramePixel(int x, int y) { return Frame().Pixels[std::size_t(y) * Frame().Width + x]; }
    void SetFramePixel(int x, int y, std::uint8_t index) {
        Frame().Pixels[std::size_t(y) * Frame().Width + x] = index;
        Canvas.LoadFrame(Host.Frame);
    }

    // Frame pixels whose index is not the blank frame's 1.
    TPixelSet Painted() {
        TPixelSet set;
        for (int y = 0; y < Frame().Height; ++y)
            for (int x = 0; x < Frame().Width; ++x)
                if (FramePixel(x, y) != 1) set.insert({x, y});
        return set;
    }
    TPixelSet CanvasPainted() {
        TPixelSet set;
        for (int y = 0; y < Canvas.CanvasImage.Height(); ++y)
            for (int x = 0; x < Canvas.CanvasImage.Width(); ++x)
                if (Canvas.CanvasImage.Index(x, y) != 1) set.insert({x, y});
        return set;
    }

    void Click(TPoint p, TPointerButton button = pbLeft) {
        Canvas.Press(button, p);
        Canvas.Release(button, p);
    }
    void Drag(const std::vector<TPoint>& path, TPointerButton button = pbLeft, bool ctrl = false) {
        Canvas.Press(button, path.front(), ctrl);
        for (std::size_t i = 1; i < path.size(); ++i) Canvas.Move(path[i], true, ctrl);
        Canvas.Release(button, path.back());
    }

    TGIFData Document;
    TRecordingHost Host;
    TUndoHistory History;
    TComposeCanvas Canvas{Host, History};
};
