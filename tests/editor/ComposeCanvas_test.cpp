// The compose canvas without a window: every tool driven by synthetic pointer
// events in frame pixels, checked on the frame's indices and the undo history.
#include "ComposeCanvasFixture.h"

namespace {

// ---------------------------------------------------------------------------
// Tips

TPixelSet Shifted(const TPixelSet& offsets, int x, int y) {
    TPixelSet set;
    for (auto [dx, dy] : offsets) set.insert({x + dx, y + dy});
    return set;
}

TEST_F(ComposeCanvasTest, StampTipPaintsTheShapeOfEachWidth) {
    const std::vector<TPixelSet> shapes = {
        {},
        {{0, 0}},
        {{-1, -1}, {0, -1}, {-1, 0}, {0, 0}},
        {{0, -1}, {-1, 0}, {0, 0}, {1, 0}, {0, 1}},
        {{-1, -2},
         {0, -2},
         {-2, -1},
         {-1, -1},
         {0, -1},
         {1, -1},
         {-2, 0},
         {-1, 0},
         {0, 0},
         {1, 0},
         {-1, 1},
         {0, 1}},
    };
    for (int width = 1; width <= 4; ++width) {
        Canvas.LoadFrame(Host.Frame);
        Canvas.StampTip(10, 8, width);
        EXPECT_EQ(CanvasPainted(), Shifted(shapes[std::size_t(width)], 10, 8)) << "width " << width;
    }
    Canvas.LoadFrame(Host.Frame);
    Canvas.StampTip(10, 8, 5);
    TPixelSet five;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (!(std::abs(dx) == 2 && std::abs(dy) == 2)) five.insert({10 + dx, 8 + dy}); // no corners
    EXPECT_EQ(five.size(), 21u);
    EXPECT_EQ(CanvasPainted(), five);
    Canvas.LoadFrame(Host.Frame);
    Canvas.StampTip(10, 8, 6);
    EXPECT_EQ(CanvasPainted(), (TPixelSet{{10, 8}}));
}

TEST_F(ComposeCanvasTest, StampTipAtTheEdgeStaysInsideTheImage) {
    Canvas.StampTip(0, 0, 5);
    EXPECT_EQ(CanvasPainted(), (TPixelSet{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}}));
}

TEST_F(ComposeCanvasTest, SprayPaintsAboutTenInAHundredPixelsOfItsSquare) {
    Start(600, 600);
    Canvas.SelectTool(tlSpray);
    Canvas.SetLineWidth(5);
    // Squares 11 x 11 that never overlap: 2500 of them, 302500 pixels.
    Canvas.Press(pbLeft, {5, 5});
    for (int y = 5; y < 600; y += 12)
        for (int x = 5; x < 600; x += 12) Canvas.Move({x, y}, true);
    Canvas.Release(pbLeft, {5, 5});
    const TPixelSet painted = Painted();
    const double share = double(painted.size()) / (50.0 * 50.0 * 121.0);
    EXPECT_GT(share, 0.09);
    EXPECT_LT(share, 0.11);
    // Nothing lands in the one-pixel gaps between the squares.
    for (auto [x, y] : painted) EXPECT_FALSE(x % 12 == 11 || y % 12 == 11) << x << "," << y;
    EXPECT_EQ(History.CanUndo(), tlSpray);
}

// ---------------------------------------------------------------------------
// Freehand tools

TEST_F(ComposeCanvasTest, PenDrawsOnePixelWideWhateverTheOtherToolsUse) {
    Drag({{2, 2}, {6, 2}});
    EXPECT_EQ(Painted(), (TPixelSet{{2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}}));
    EXPECT_EQ(FramePixel(4, 2), 0);
    EXPECT_EQ(History.CanUndo(), tlPen);
    EXPECT_EQ(Host.Commits, 1);
}

TEST_F(ComposeCanvasTest, TheRightButtonPaintsTheBackColour) {
    Canvas.SetColors(5, 9);
    Drag({{2, 2}, {3, 2}}, pbRight);
    EXPECT_EQ(FramePixel(2, 2), 9);
    EXPECT_EQ(FramePixel(3, 2), 9);
}

TEST_F(ComposeCanvasTest, PenAfterBrushOfWidthFourLeavesTheBrushItsWidth) {
    Canvas.SelectTool(tlBrush);
    Canvas.SetLineWidth(4);
    Canvas.SelectTool(tlPen);
    EXPECT_EQ(Canvas.LineWidth, 1);
    Click({5, 5});
    EXPECT_EQ(Painted().size(), 1u);
    Canvas.SelectTool(tlBrush);
    EXPECT_EQ(Canvas.LineWidth, 4);
    Click({12, 10});
    EXPECT_EQ(Painted().size(), 1u + 12u);
}

TEST_F(ComposeCanvasTest, BrushJoinsThePointsWithAWideLine) {
    Canvas.SelectTool(tlBrush);
    Canvas.SetLineWidth(3);
    Drag({{4, 10}, {14, 10}});
    for (int x = 4; x <= 14; ++x) {
        EXPECT_EQ(FramePixel(x, 10), 0) << x;
        EXPECT_EQ(FramePixel(x, 9), 0) << x;
        EXPECT_EQ(FramePixel(x, 11), 0) << x;
    }
    EXPECT_EQ(FramePixel(9, 7), 1);
    EXPECT_EQ(FramePixel(9, 13), 1);
}

TEST_F(ComposeCanvasTest, AStrokeRepaintsOnlyWhatItChanged) {
    Canvas.Press(pbLeft, {2, 2});
    Host.Changes.clear();
    Canvas.Move({4, 3}, true);
    ASSERT_FALSE(Host.Changes.empty());
    for (const TRect& r : Host.Changes) {
        EXPECT_GE(r.Left, 2);
        EXPECT_GE(r.Top, 2);
        EXPECT_LE(r.Right, 5);
        EXPECT_LE(r.Bottom, 4);
    }
    // The frame changes only at the release.
    EXPECT_TRUE(Painted().empty());
    Canvas.Release(pbLeft, {4, 3});
    EXPECT_FALSE(Painted().empty());
}

TEST_F(ComposeCanvasTest, TheMiddleButtonAndASecondPressAreIgnored) {
    Click({3, 3}, pbMiddle);
    EXPECT_TRUE(CanvasPainted().empty());
    Canvas.Press(pbLeft, {3, 3});
    Canvas.Press(pbRight, {5, 5});
    EXPECT_EQ(Canvas.MouseState, 1);
    EXPECT_EQ(CanvasPainted(), (TPixelSet{{3, 3}}));
}

// ---------------------------------------------------------------------------
// Shapes

TEST_F(ComposeCanvasTest, LineRunsFromThePressToTheReleaseWithItsEndStamped) {
    Canvas.SelectTool(tlLine);
    Canvas.SetLineWidth(1);
    Drag({{2, 3}, {20, 15}, {12, 3}});
    TPixelSet line;
    for (int x = 2; x <= 12; ++x) line.insert({x, 3});
    EXPECT_EQ(Painted(), line);
    EXPECT_EQ(History.CanUndo(), tlLine);
}

TEST_F(ComposeCanvasTest, AClickWithRectangleChangesNothing) {
    Canvas.SelectTool(tlRectangle);
    Click({6, 6});
    EXPECT_TRUE(Painted().empty());
    EXPECT_TRUE(CanvasPainted().empty());
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(Host.Commits, 0);
}

TEST_F(ComposeCanvasTest, ABoxOfNoHeightIsNotCommitted) {
    Canvas.SelectTool(tlEllipse);
    Drag({{3, 6}, {12, 9}, {12, 6}});
    EXPECT_TRUE(CanvasPainted().empty());
    EXPECT_EQ(History.Count(), 1);
}

TEST_F(ComposeCanvasTest, RectangleOutlinesTheBoxWithoutItsRightAndBottomEdge) {
    Canvas.SelectTool(tlRectangle);
    Canvas.SetLineWidth(1);
    Canvas.SetFillOn(false);
    Drag({{2, 2}, {9, 9}, {8, 6}});
    TPixelSet outline;
    for (int x = 2; x <= 7; ++x) outline.insert({x, 2}), outline.insert({x, 5});
    for (int y = 2; y <= 5; ++y) outline.insert({2, y}), outline.insert({7, y});
    EXPECT_EQ(Painted(), outline);
    EXPECT_EQ(History.CanUndo(), tlRectangle);
}

TEST_F(ComposeCanvasTest, AFilledRectangleTakesTheBackColourInsideAndTheRightButtonSwapsThem) {
    Canvas.SetColors(4, 12);
    Canvas.SelectTool(tlRectangle);
    Canvas.SetLineWidth(1);
    Canvas.SetFillOn(true);
    Drag({{2, 2}, {8, 6}});
    EXPECT_EQ(FramePixel(2, 2), 4);
    EXPECT_EQ(FramePixel(4, 4), 12);
    Drag({{12, 2}, {18, 6}}, pbRight);
    EXPECT_EQ(FramePixel(12, 2), 12);
    EXPECT_EQ(FramePixel(14, 4), 4);
}

TEST_F(ComposeCanvasTest, AShapePreviewIsReplacedAtEveryMove) {
    Canvas.SelectTool(tlEllipse);
    Canvas.Press(pbLeft, {2, 2});
    Canvas.Move({20, 16}, true);
    const TPixelSet large = CanvasPainted();
    Canvas.Move({6, 6}, true);
    const TPixelSet small = CanvasPainted();
    EXPECT_LT(small.size(), large.size());
    for (auto [x, y] : small) EXPECT_TRUE(x < 8 && y < 8) << x << "," << y;
    Canvas.Release(pbLeft, {6, 6});
    EXPECT_EQ(Painted(), small);
    EXPECT_EQ(History.CanUndo(), tlEllipse);
}

TEST_F(ComposeCanvasTest, RoundRectangleRoundsItsCorners) {
    Canvas.SelectTool(tlRoundRect);
    Canvas.SetLineWidth(1);
    Drag({{1, 1}, {23, 19}});
    EXPECT_EQ(FramePixel(1, 1), 1);
    EXPECT_EQ(FramePixel(12, 1), 0);
    EXPECT_EQ(FramePixel(1, 10), 0);
    EXPECT_EQ(History.CanUndo(), tlRoundRect);
}

// ---------------------------------------------------------------------------
// Point lists

TEST_F(ComposeCanvasTest, APolygonOfTwoVerticesIsNotDrawn) {
    Canvas.SelectTool(tlPolygon);
    Click({2, 2});
    Click({10, 2});
    Canvas.Move({10, 10}, false);
    Click({5, 5}, pbRight);
    EXPECT_TRUE(Painted().empty());
    EXPECT_TRUE(CanvasPainted().empty());
    EXPECT_EQ(History.Count(), 1);
    EXPECT_FALSE(Canvas.Collecting);
}

TEST_F(ComposeCanvasTest, APolylineOfTwoVerticesIsDrawn) {
    Canvas.SelectTool(tlPolyline);
    Canvas.SetLineWidth(1);
    Click({2, 2});
    Click({10, 2});
    Click({5, 5}, pbRight);
    TPixelSet line;
    for (int x = 2; x < 10; ++x) line.insert({x, 2});
    EXPECT_EQ(Painted(), line);
    EXPECT_EQ(History.CanUndo(), 14);
    EXPECT_FALSE(Canvas.Collecting);
}

TEST_F(ComposeCanvasTest, APolygonOfThreeVerticesIsClosedAndFilled) {
    Canvas.SetColors(4, 12);
    Canvas.SelectTool(tlPolygon);
    Canvas.SetLineWidth(1);
    Canvas.SetFillOn(true);
    Click({2, 2});
    Click({20, 2});
    Canvas.Move({2, 18}, false);
    EXPECT_FALSE(CanvasPainted().empty()); // the rubber band
    Click({2, 18});
    Click({9, 9}, pbRight);
    EXPECT_EQ(FramePixel(2, 10), 4); // the closing edge
    EXPECT_EQ(FramePixel(6, 6), 12); // inside
    EXPECT_EQ(FramePixel(20, 18), 1);
    EXPECT_EQ(History.CanUndo(), tlPolygon);
}

TEST_F(ComposeCanvasTest, CurveTakesFourClicksAndCommitsAtTheFourth) {
    Canvas.SelectTool(tlCurve);
    Canvas.SetLineWidth(1);
    Click({2, 18});
    Click({2, 2});
    Click({20, 2});
    Canvas.Move({20, 18}, false);
    EXPECT_TRUE(Painted().empty());
    EXPECT_FALSE(CanvasPainted().empty());
    Click({20, 18});
    EXPECT_FALSE(Canvas.Collecting);
    EXPECT_EQ(History.CanUndo(), tlCurve);
    EXPECT_EQ(FramePixel(2, 18), 0);
    EXPECT_EQ(FramePixel(20, 18), 0);
    EXPECT_EQ(FramePixel(11, 6), 0); // the curve's top, pulled up by the control points
    EXPECT_EQ(FramePixel(11, 18), 1);
}

TEST_F(ComposeCanvasTest, ChangingToolsEndsPointCollection) {
    Canvas.SelectTool(tlPolyline);
    Click({2, 2});
    Canvas.Move({10, 10}, false);
    Canvas.SelectTool(tlPen);
    EXPECT_FALSE(Canvas.Collecting);
    EXPECT_TRUE(CanvasPainted().empty());
}

// ---------------------------------------------------------------------------
// Fill and "Get color"

TEST_F(ComposeCanvasTest, RightButtonFillWithTheFillOffRecordsAStepAndChangesNothing) {
    Canvas.SetFillOn(false);
    Canvas.SelectTool(tlFill);
    Click({4, 4}, pbRight);
    EXPECT_TRUE(Painted().empty());
    EXPECT_EQ(History.Count(), 2);
    EXPECT_EQ(History.CanUndo(), 6);
    EXPECT_EQ(Canvas.MouseState, 0);
}

TEST_F(ComposeCanvasTest, LeftButtonFillFloodsTheAreaAndSwitchesTheFillOn) {
    Canvas.SetColors(4, 12);
    Canvas.SetFillOn(false);
    // A wall at column 8 keeps the right side out.
    for (int y = 0; y < 20; ++y) SetFramePixel(8, y, 9);
    Canvas.SelectTool(tlFill);
    Click({2, 2});
    EXPECT_TRUE(Canvas.FillOn);
    EXPECT_EQ(FramePixel(0, 19), 4);
    EXPECT_EQ(FramePixel(7, 0), 4);
    EXPECT_EQ(FramePixel(8, 5), 9);
    EXPECT_EQ(FramePixel(9, 5), 1);
    // The later shapes fill with the back colour again once a shape tool is chosen.
    Canvas.SelectTool(tlRectangle);
    EXPECT_EQ(Canvas.FillIndex, 12);
}

TEST_F(ComposeCanvasTest, FillDoesNotLeakThroughDiagonals) {
    SetFramePixel(1, 0, 9);
    SetFramePixel(0, 1, 9);
    Canvas.SelectTool(tlFill);
    Click({0, 0});
    EXPECT_EQ(FramePixel(0, 0), 0);
    EXPECT_EQ(FramePixel(1, 1), 1);
}

TEST_F(ComposeCanvasTest, RightButtonGetColorOnIndexSevenMakesItTheBackColourAndReturns) {
    SetFramePixel(3, 4, 7);
    Canvas.SelectTool(tlBrush);
    Canvas.SelectTool(tlGetColor);
    Canvas.Move({3, 4}, false);
    EXPECT_EQ(Host.Marks.back(), 7);
    Canvas.Move({30, 4}, false);
    EXPECT_EQ(Host.Marks.back(), -1);
    Canvas.Press(pbRight, {3, 4});
    Canvas.Move({5, 5}, true);
    Canvas.Release(pbRight, {5, 5});
    ASSERT_EQ(Host.Picks.size(), 1u);
    EXPECT_EQ(Host.Picks[0], std::make_pair(pbRight, 7));
    EXPECT_EQ(Canvas.CurrentTool, tlBrush);
    EXPECT_EQ(Host.Marks.back(), -1);
    EXPECT_EQ(Painted(), (TPixelSet{{3, 4}}));
}

// ---------------------------------------------------------------------------
// Text

TEST_F(ComposeCanvasTest, TypedTextIsAPreviewUntilItIsCommitted) {
    Canvas.SelectTool(tlText);
    Canvas.SetFillOn(false);
    Click({2, 2});
    EXPECT_TRUE(Canvas.TextActive);
    Canvas.SetTypedText("Hi");
    EXPECT_FALSE(CanvasPainted().empty());
    EXPECT_TRUE(Painted().empty());
    const TPixelSet preview = CanvasPainted();
    Canvas.CommitPendingEdit();
    EXPECT_EQ(Painted(), preview);
    EXPECT_EQ(History.CanUndo(), tlText);
    EXPECT_FALSE(Canvas.TextActive);
    EXPECT_TRUE(Canvas.TypedText.empty());
}

TEST_F(ComposeCanvasTest, ArrowKeysMoveTheTextByOnePixel) {
    Canvas.SelectTool(tlText);
    Click({2, 2});
    Canvas.SetTypedText("I");
    const TPixelSet before = CanvasPainted();
    EXPECT_TRUE(Canvas.MoveText(1, 0));
    EXPECT_TRUE(Canvas.MoveText(0, 1));
    EXPECT_EQ(CanvasPainted(), Shifted(before, 1, 1));
}

TEST_F(ComposeCanvasTest, ThePressOfTheNextTextCommitsTheTextBefore) {
    Canvas.SelectTool(tlText);
    Click({2, 2});
    Canvas.SetTypedText("A");
    Click({12, 8});
    EXPECT_FALSE(Painted().empty());
    EXPECT_TRUE(Canvas.TextActive);
    EXPECT_TRUE(Canvas.TypedText.empty());
    EXPECT_EQ(Canvas.CurrentPoint, (TPoint{12, 8}));
    EXPECT_EQ(Host.Caret, (TPoint{12, 8}));
}

TEST_F(ComposeCanvasTest, TheTextToolIgnoresTheRightButton) {
    Canvas.SelectTool(tlText);
    Click({2, 2}, pbRight);
    EXPECT_FALSE(Canvas.TextActive);
}

TEST_F(ComposeCanvasTest, TheCaretBlinksOnTheCanvasButIsNeverCommitted) {
    Canvas.SelectTool(tlText);
    Click({2, 2});
    Canvas.BlinkCaret();
    EXPECT_TRUE(Canvas.CaretOn);
    Canvas.BlinkCaret(); // black: index 0
    EXPECT_FALSE(Canvas.CaretOn);
    EXPECT_FALSE(CanvasPainted().empty());
    Canvas.SetTypedText("x");
    Canvas.CommitPendingEdit();
    // Only the text: the caret column right of it stays blank.
    const TPoint caret = Canvas.CaretPoint();
    EXPECT_EQ(FramePixel(caret.X, caret.Y + 1), 1);
}

TEST_F(ComposeCanvasTest, ColourChangesRedrawTheTextPreview) {
    Canvas.SelectTool(tlText);
    Click({2, 2});
    Canvas.SetTypedText("H");
    const TPixelSet shape = CanvasPainted();
    Canvas.SetColors(5, 1);
    EXPECT_EQ(CanvasPainted(), shape);
    for (auto [x, y] : shape) EXPECT_EQ(Canvas.CanvasImage.Index(x, y), 5);
}

TEST_F(ComposeCanvasTest, TheTextOnAFilledCellTakesTheBackColourBehindIt) {
    Canvas.SetColors(4, 12);
    Canvas.SelectTool(tlText);
    Canvas.SetFillOn(true);
    Click({2, 2});
    Canvas.SetTypedText("-");
    std::set<int> indices;
    for (auto [x, y] : CanvasPainted()) indices.insert(Canvas.CanvasImage.Index(x, y));
    EXPECT_EQ(indices, (std::set<int>{4, 12}));
}

// ---------------------------------------------------------------------------
// "Move Image"

TEST_F(ComposeCanvasTest, MoveImageSetsTheNewOffsetAtTheRelease) {
    Canvas.SelectTool(tlMoveImage);
    Canvas.Press(pbLeft, {5, 5});
    Canvas.Move({8, 9}, true);
    EXPECT_EQ(Host.Drags.back(), (TPoint{3, 4}));
    EXPECT_EQ(Frame().Left, 0);
    Canvas.Release(pbLeft, {8, 9});
    EXPECT_EQ(Frame().Left, 3);
    EXPECT_EQ(Frame().Top, 4);
    EXPECT_EQ(History.CanUndo(), tlMoveImage);
    EXPECT_TRUE(Host.LastDropMoved);
}

TEST_F(ComposeCanvasTest, MoveImageNeverGoesLeftOfOrAboveTheScreen) {
    Canvas.SelectTool(tlMoveImage);
    Canvas.Press(pbLeft, {5, 5});
    Canvas.Move({0, 2}, true);
    EXPECT_EQ(Host.Drags.back(), (TPoint{0, 0}));
    Canvas.Move({2, 4}, true); // moving back moves at once
    EXPECT_EQ(Host.Drags.back(), (TPoint{2, 2}));
    Canvas.Release(pbLeft, {2, 4});
    EXPECT_EQ(Frame().Left, 2);
}

TEST_F(ComposeCanvasTest, MoveImageWithoutMovementCommitsNothing) {
    Canvas.SelectTool(tlMoveImage);
    Click({5, 5});
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(Host.Drops, 1);
    EXPECT_FALSE(Host.LastDropMoved);
}

// ---------------------------------------------------------------------------
// No frame

TEST_F(ComposeCanvasTest, WithoutAFrameTheCanvasIsEmptyAndIgnoresThePointer) {
    Host.Frame = nullptr;
    Canvas.LoadFrame(nullptr);
    EXPECT_TRUE(Canvas.CanvasImage.Empty());
    for (int tool : {tlPen, tlFill, tlRectangle, tlText, tlMoveImage}) {
        Canvas.SelectTool(tool);
        Drag({{1, 1}, {5, 5}});
    }
    EXPECT_EQ(Host.Commits, 0);
    EXPECT_FALSE(Canvas.TextActive);
}

TEST_F(ComposeCanvasTest, EveryToolNumberHasATool) {
    for (int tool = FirstTool; tool <= LastTool; ++tool) EXPECT_TRUE(Canvas.HasTool(tool)) << tool;
    EXPECT_FALSE(Canvas.HasTool(0));
    EXPECT_FALSE(Canvas.HasTool(LastTool + 1));
    Canvas.SelectTool(tlMarqee);
    EXPECT_EQ(Canvas.CurrentTool, tlMarqee);
}

} // namespace
