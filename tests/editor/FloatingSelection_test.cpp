// The selection tools and the floating selection without a window: marquee
// and lasso, dragging and copying, paste down, erase, pasted pictures, and
// mirror and rotation of the floating picture.
#include "ComposeCanvasFixture.h"

#include "editor/FloatingSelection.h"
#include "editor/ImageTransforms.h"

#include <algorithm>
#include <map>

namespace {

class FloatingSelectionTest : public ComposeCanvasTest {
  protected:
    void SetUp() override {
        ComposeCanvasTest::SetUp();
        Canvas.SelectTool(tlMarqee);
    }

    // Pixel (x, y) of the frame is Pattern(x, y): no two neighbours alike.
    static std::uint8_t Pattern(int x, int y) { return std::uint8_t(2 + (x + 7 * y) % 40); }
    void FillPattern() {
        for (int y = 0; y < Frame().Height; ++y)
            for (int x = 0; x < Frame().Width; ++x)
                Frame().Pixels[std::size_t(y) * Frame().Width + x] = Pattern(x, y);
        Canvas.LoadFrame(Host.Frame);
        History.StartHistory(Host.Frame);
    }

    TFloatingSelection& Selection() { return Canvas.Selection; }
    std::uint8_t StateAt(int x, int y) { return Selection().Picture.ScanLine(y)[x * 4 + 3]; }
    int SelectedCount() {
        int count = 0;
        for (int y = 0; y < Selection().Height(); ++y)
            for (int x = 0; x < Selection().Width(); ++x) count += StateAt(x, y) == fpSelected;
        return count;
    }
    // A 24-bit picture of the colours, row by row.
    static TBitmap Picture(int width, int height, const std::vector<TColor>& colours) {
        TBitmap picture(width, height, pf24bit);
        for (int i = 0; i < width * height; ++i)
            picture.SetPixel(i % width, i / width, colours[std::size_t(i)]);
        return picture;
    }
    // Frame pixels that differ from a copy of the frame's pixels.
    TPixelSet ChangedSince(const std::vector<std::uint8_t>& before) {
        TPixelSet set;
        for (int y = 0; y < Frame().Height; ++y)
            for (int x = 0; x < Frame().Width; ++x)
                if (FramePixel(x, y) != before[std::size_t(y) * Frame().Width + x]) set.insert({x, y});
        return set;
    }
    static TPixelSet Box(int left, int top, int right, int bottom) {
        TPixelSet set;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) set.insert({x, y});
        return set;
    }
};

// ---------------------------------------------------------------------------
// Marquee and lasso

TEST_F(FloatingSelectionTest, ATenByTenMarqueeFloatsAsATwelveByTwelvePictureWithItsPixels) {
    FillPattern();
    const std::vector<std::uint8_t> before = Frame().Pixels;
    Drag({{3, 4}, {8, 9}, {12, 13}});
    ASSERT_TRUE(Selection().Shown);
    EXPECT_FALSE(Selection().Lifted);
    EXPECT_EQ(Selection().Width(), 12);
    EXPECT_EQ(Selection().Height(), 12);
    EXPECT_EQ(Selection().Left, 2);
    EXPECT_EQ(Selection().Top, 3);
    EXPECT_EQ(SelectedCount(), 100);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(StateAt(i, 0), fpRing);
        EXPECT_EQ(StateAt(11, i), fpRing);
    }
    EXPECT_EQ(Selection().Picture.Pixel(1, 1), Canvas.CanvasImage.PaletteColor(Pattern(3, 4)));
    EXPECT_EQ(Selection().Picture.Pixel(10, 10), Canvas.CanvasImage.PaletteColor(Pattern(12, 13)));
    // The lift changes nothing: the outline drawn while dragging is gone again.
    EXPECT_EQ(Frame().Pixels, before);
    EXPECT_EQ(Canvas.CanvasImage.Index(3, 4), Pattern(3, 4));
    EXPECT_EQ(History.Count(), 1);
}

TEST_F(FloatingSelectionTest, TheMarqueeOutlineIsDrawnWhileDraggingAndClippedToTheImage) {
    Canvas.Press(pbLeft, {20, 15});
    Canvas.Move({40, 40}, true);
    EXPECT_EQ(Selection().SelRect.Right, Frame().Width - 1);
    EXPECT_EQ(Selection().SelRect.Bottom, Frame().Height - 1);
    EXPECT_EQ(Canvas.CanvasImage.Index(20, 15), 0); // a black dot at the corner
    EXPECT_FALSE(Painted().count({20, 15}));        // but not in the frame
    Canvas.Release(pbLeft, {40, 40});
    EXPECT_EQ(Selection().Width(), 4 + 2);
    EXPECT_EQ(Selection().Height(), 5 + 2);
    EXPECT_EQ(SelectedCount(), 4 * 5);
}

TEST_F(FloatingSelectionTest, AClickWithTheMarqueeOrLassoSelectsNothing) {
    FillPattern();
    for (int tool : {tlMarqee, tlLasso}) {
        Canvas.SelectTool(tool);
        Click({5, 5});
        EXPECT_FALSE(Selection().Shown) << tool;
    }
    EXPECT_EQ(Host.SelectionChanges, 0);
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(Canvas.CanvasImage.Index(5, 5), Pattern(5, 5));
}

TEST_F(FloatingSelectionTest, TheSelectionToolsIgnoreTheRightButton) {
    Drag({{2, 2}, {6, 6}}, pbRight);
    EXPECT_FALSE(Selection().Shown);
    EXPECT_EQ(Canvas.MouseState, 0);
}

TEST_F(FloatingSelectionTest, ALassoTracedRoundASquareSelectsItsInsideOnce) {
    FillPattern();
    Canvas.SelectTool(tlLasso);
    Canvas.Press(pbLeft, {4, 4});
    for (TPoint p : std::vector<TPoint>{{14, 4}, {14, 14}, {4, 14}}) Canvas.Move(p, true);
    // Feedback: the inside is shown inverted while the lasso is drawn, never in the frame.
    EXPECT_EQ(Canvas.CanvasImage.Index(8, 8), Pattern(8, 8) ^ 0xFF);
    EXPECT_EQ(FramePixel(8, 8), Pattern(8, 8));
    Canvas.Move({4, 4}, true);
    Canvas.Release(pbLeft, {4, 4});
    ASSERT_TRUE(Selection().Shown);
    EXPECT_EQ(Selection().Left, 3);
    EXPECT_EQ(Selection().Width(), 11 + 2);
    // Pixel centres on the left and top edges belong to the shape, on the right and bottom not.
    EXPECT_EQ(SelectedCount(), 100);
    EXPECT_EQ(StateAt(1, 1), fpSelected); // frame pixel (4, 4)
    EXPECT_EQ(StateAt(11, 11), fpKey);    // frame pixel (14, 14)
    EXPECT_EQ(Canvas.CanvasImage.Index(8, 8), Pattern(8, 8));
}

TEST_F(FloatingSelectionTest, ALassoGoingRoundTwiceSelectsNothingByTheEvenOddRule) {
    Canvas.SelectTool(tlLasso);
    Canvas.Press(pbLeft, {4, 4});
    for (int round = 0; round < 2; ++round)
        for (TPoint p : std::vector<TPoint>{{14, 4}, {14, 14}, {4, 14}, {4, 4}}) Canvas.Move(p, true);
    Canvas.Release(pbLeft, {4, 4});
    EXPECT_EQ(SelectedCount(), 0);
}

TEST(SelectionMask, AFanOfTrianglesNeverInvertsAPixelTwice) {
    TSelectionMask mask;
    mask.Reset(60, 60);
    // A convex outline round (30, 30), traced as a lasso does: a triangle per step.
    const std::vector<TPoint> outline = {{50, 30}, {44, 44}, {30, 52}, {15, 45}, {8, 30},
                                         {14, 13}, {30, 7},  {47, 14}, {50, 30}};
    std::map<std::pair<int, int>, int> visits;
    const TPoint start = outline.front();
    for (std::size_t i = 1; i + 1 < outline.size(); ++i)
        mask.InvertTriangle(start, outline[i], outline[i + 1], [&](int x, int y) { ++visits[{x, y}]; });
    ASSERT_FALSE(visits.empty());
    for (const auto& [pixel, count] : visits) EXPECT_EQ(count, 1) << pixel.first << "," << pixel.second;
    EXPECT_TRUE(mask.Marked(30, 30));
    EXPECT_FALSE(mask.Marked(5, 5));
}

TEST(SelectionMask, TrianglesOutsideTheMaskAreClipped) {
    TSelectionMask mask;
    mask.Reset(10, 10);
    int visited = 0;
    mask.InvertTriangle({-50, -50}, {100, -50}, {-50, 100}, [&](int, int) { ++visited; });
    EXPECT_EQ(visited, 100);
    mask.InvertTriangle({3, 3}, {3, 3}, {8, 8}, [&](int, int) { ++visited; }); // no area
    EXPECT_EQ(visited, 100);
}

TEST(FloatingSelectionKey, TheKeyIsTheFirstColourNoPaletteEntryHas) {
    EXPECT_EQ(TFloatingSelection::FindKeyColor({RGB(255, 255, 255)}), RGB(0, 0, 0));
    EXPECT_EQ(TFloatingSelection::FindKeyColor({RGB(0, 0, 0), RGB(2, 0, 0), RGB(1, 0, 0)}), RGB(3, 0, 0));
    std::vector<TColor> reds;
    for (int r = 0; r < 256; ++r) reds.push_back(RGB(r, 0, 0));
    EXPECT_EQ(TFloatingSelection::FindKeyColor(reds), RGB(0, 1, 0));
}

// ---------------------------------------------------------------------------
// Dragging, paste down and erase

TEST_F(FloatingSelectionTest, DraggingErasesTheSourceAndTheCommitPaintsAtTheNewPlace) {
    FillPattern();
    const std::vector<std::uint8_t> original = Frame().Pixels;
    Drag({{3, 4}, {12, 13}});
    Drag({{6, 6}, {9, 7}, {11, 8}}); // press inside, move by (5, 2)
    EXPECT_TRUE(Selection().Lifted);
    EXPECT_EQ(Selection().Left, 2 + 5);
    EXPECT_EQ(Selection().Top, 3 + 2);
    // The first movement erased the source with the back colour as its own step.
    EXPECT_EQ(ChangedSince(original), Box(3, 4, 12, 13));
    EXPECT_EQ(FramePixel(3, 4), 1);
    EXPECT_EQ(History.Count(), 2);
    EXPECT_EQ(History.At(1).Code, tlMarqee);
    const std::vector<std::uint8_t> erased = Frame().Pixels;
    Canvas.CommitPendingEdit();
    EXPECT_FALSE(Selection().Shown);
    // At most the 10 x 10 pixels inside the frame line are painted.
    const TPixelSet painted = ChangedSince(erased);
    EXPECT_LE(painted.size(), 100u);
    EXPECT_TRUE(
        std::includes(Box(8, 6, 17, 15).begin(), Box(8, 6, 17, 15).end(), painted.begin(), painted.end()));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(FramePixel(8 + x, 6 + y), Pattern(3 + x, 4 + y)) << x << "," << y;
    EXPECT_EQ(History.Count(), 3);
}

TEST_F(FloatingSelectionTest, CtrlHeldWhenTheDragStartsLeavesTheSource) {
    FillPattern();
    const std::vector<std::uint8_t> original = Frame().Pixels;
    Drag({{3, 4}, {7, 8}});
    Drag({{4, 5}, {14, 5}}, pbLeft, true);
    EXPECT_TRUE(Selection().Lifted);
    EXPECT_EQ(Frame().Pixels, original);
    EXPECT_EQ(History.Count(), 1);
    Canvas.CommitPendingEdit();
    for (int y = 4; y <= 8; ++y)
        for (int x = 3; x <= 7; ++x) {
            EXPECT_EQ(FramePixel(x, y), Pattern(x, y));
            EXPECT_EQ(FramePixel(x + 10, y), Pattern(x, y));
        }
}

TEST_F(FloatingSelectionTest, APressOutsideALiftedSelectionPaintsItInAndStartsAfresh) {
    FillPattern();
    Drag({{3, 4}, {7, 8}});
    Drag({{4, 5}, {14, 5}});
    const std::size_t steps = std::size_t(History.Count());
    Canvas.Press(pbLeft, {1, 18});
    EXPECT_FALSE(Selection().Shown);
    EXPECT_EQ(std::size_t(History.Count()), steps + 1);
    EXPECT_EQ(History.At(History.Count() - 1).Code, tlMarqee);
    EXPECT_EQ(FramePixel(13, 4), Pattern(3, 4));
    Canvas.Release(pbLeft, {1, 18});
}

TEST_F(FloatingSelectionTest, ASelectionDraggedPartlyOffTheFrameKeepsOnlyWhatFalls) {
    FillPattern();
    Drag({{0, 0}, {5, 5}});
    Drag({{2, 2}, {-3, 17}});
    Canvas.CommitPendingEdit();
    // Columns 0..5 moved 5 left and 15 down: columns 5 and 4..0 of row 0 fall at x 0 and off the frame.
    EXPECT_EQ(FramePixel(0, 15), Pattern(5, 0));
    EXPECT_EQ(FramePixel(0, 19), Pattern(5, 4));
    EXPECT_EQ(FramePixel(1, 15), Pattern(1, 15));
}

TEST_F(FloatingSelectionTest, LiftedPixelsKeepTheirIndexWhereThePaletteRepeatsAColour) {
    // Entry 20 shows the same black as entry 0 (say, the transparent one).
    Document.GlobalPalette[20] = Document.GlobalPalette[0];
    for (int x = 2; x < 6; ++x) Frame().Pixels[std::size_t(3) * Frame().Width + x] = 20;
    Canvas.LoadFrame(Host.Frame);
    Drag({{2, 2}, {5, 4}});
    Drag({{3, 3}, {3, 13}});
    Canvas.CommitPendingEdit();
    for (int x = 2; x < 6; ++x) EXPECT_EQ(FramePixel(x, 13), 20) << x;
}

TEST_F(FloatingSelectionTest, EveryLiftedSelectionIsDroppedByAToolChangeAndPaintedInWhenLifted) {
    FillPattern();
    Drag({{3, 4}, {7, 8}});
    Canvas.SelectTool(tlPen);
    EXPECT_FALSE(Selection().Shown);
    EXPECT_EQ(History.Count(), 1);
    Canvas.SelectTool(tlMarqee);
    Drag({{3, 4}, {7, 8}});
    Drag({{4, 5}, {4, 15}});
    Canvas.SelectTool(tlPen);
    EXPECT_FALSE(Selection().Shown);
    EXPECT_EQ(FramePixel(3, 14), Pattern(3, 4));
}

TEST_F(FloatingSelectionTest, SelectAllFloatsTheWholeFrameWithoutChangingIt) {
    FillPattern();
    Canvas.SelectTool(tlPen);
    Canvas.SelectAll();
    EXPECT_EQ(Canvas.CurrentTool, tlMarqee);
    ASSERT_TRUE(Selection().Shown);
    EXPECT_FALSE(Selection().Lifted);
    EXPECT_EQ(Selection().Left, -1);
    EXPECT_EQ(Selection().Top, -1);
    EXPECT_EQ(Selection().Width(), Frame().Width + 2);
    EXPECT_EQ(Selection().Height(), Frame().Height + 2);
    EXPECT_EQ(SelectedCount(), Frame().Width * Frame().Height);
    EXPECT_EQ(History.Count(), 1);
}

// ---------------------------------------------------------------------------
// Pasted pictures

TEST_F(FloatingSelectionTest, AThreeByThreePictureShowsAFiveByFiveLayerAndPaintsTheCorner) {
    FillPattern();
    const std::vector<std::uint8_t> before = Frame().Pixels;
    const TColor black = Canvas.CanvasImage.PaletteColor(0), white = Canvas.CanvasImage.PaletteColor(1);
    Canvas.SelectTool(tlPen);
    ASSERT_TRUE(Canvas.PasteSelection(
        Picture(3, 3, {black, white, black, white, black, white, black, white, black})));
    EXPECT_EQ(Canvas.CurrentTool, tlMarqee);
    EXPECT_TRUE(Selection().Lifted);
    EXPECT_EQ(Selection().Width(), 5);
    EXPECT_EQ(Selection().Height(), 5);
    EXPECT_EQ(Selection().Left, -1);
    EXPECT_EQ(Frame().Pixels, before);
    Canvas.CommitPendingEdit();
    EXPECT_EQ(ChangedSince(before), Box(0, 0, 2, 2));
    EXPECT_EQ(FramePixel(0, 0), 0);
    EXPECT_EQ(FramePixel(1, 0), 1);
    EXPECT_EQ(History.Count(), 2);
}

TEST_F(FloatingSelectionTest, PastedColoursTakeTheNearestPaletteEntryEvenTheKeyColour) {
    // The palette has black, so the key is (1, 0, 0): a pasted pixel of that colour still counts.
    const TColor key = TFloatingSelection::FindKeyColor(Canvas.CanvasImage.Palette());
    ASSERT_EQ(key, RGB(1, 0, 0));
    const TColor nearRed = RGB(250, 3, 4);
    ASSERT_TRUE(Canvas.PasteSelection(Picture(2, 1, {key, nearRed})));
    Canvas.CommitPendingEdit();
    EXPECT_EQ(FramePixel(0, 0), Canvas.CanvasImage.NearestIndex(RGB(0, 0, 0)));
    EXPECT_EQ(Canvas.CanvasImage.PaletteColor(FramePixel(1, 0)), RGB(255, 0, 0));
}

TEST_F(FloatingSelectionTest, TransparentPixelsOfAPastedPictureStayOut) {
    TBitmap picture(2, 1, pf32bit);
    picture.SetPixel(0, 0, RGB(0, 0, 0));
    picture.SetPixel(1, 0, RGB(0, 0, 0));
    picture.ScanLine(0)[3] = 255; // opaque
    picture.ScanLine(0)[7] = 0;   // transparent
    ASSERT_TRUE(Canvas.PasteSelection(picture));
    Canvas.CommitPendingEdit();
    EXPECT_EQ(Painted(), TPixelSet({{0, 0}}));
}

TEST_F(FloatingSelectionTest, CopyGivesThePictureWithoutItsRingAndTheOutsideInTheKeyColour) {
    FillPattern();
    Canvas.SelectTool(tlLasso);
    Canvas.Press(pbLeft, {2, 2});
    for (TPoint p : std::vector<TPoint>{{8, 2}, {2, 8}, {2, 2}}) Canvas.Move(p, true);
    Canvas.Release(pbLeft, {2, 2});
    const TBitmap copy = Selection().CopyPicture();
    ASSERT_EQ(copy.PixelFormat(), pf32bit);
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.Height(), 7);
    EXPECT_EQ(copy.Pixel(0, 0), Canvas.CanvasImage.PaletteColor(Pattern(2, 2)));
    EXPECT_EQ(copy.ScanLine(0)[3], 255);
    EXPECT_EQ(copy.Pixel(6, 6), Selection().KeyColor); // outside the triangle
    EXPECT_EQ(copy.ScanLine(6)[6 * 4 + 3], 0);
}

// ---------------------------------------------------------------------------
// Mirror and rotation of the floating selection

TEST_F(FloatingSelectionTest, MirroringAFloatingSelectionChangesTheFrameOnlyWhereTheSourceIsErased) {
    FillPattern();
    const std::vector<std::uint8_t> original = Frame().Pixels;
    Drag({{3, 4}, {7, 9}});
    ASSERT_TRUE(Canvas.TransformSelection(tkMirrorHorizontally));
    EXPECT_TRUE(Selection().Lifted);
    EXPECT_EQ(ChangedSince(original), Box(3, 4, 7, 9));
    EXPECT_EQ(FramePixel(3, 4), 1);
    Canvas.CommitPendingEdit();
    const TPixelSet changed = ChangedSince(original);
    EXPECT_TRUE(
        std::includes(Box(3, 4, 7, 9).begin(), Box(3, 4, 7, 9).end(), changed.begin(), changed.end()));
    for (int y = 4; y <= 9; ++y)
        for (int x = 3; x <= 7; ++x) EXPECT_EQ(FramePixel(x, y), Pattern(3 + 7 - x, y)) << x << "," << y;
}

TEST_F(FloatingSelectionTest, RotatingAFloatingSelectionTurnsItAboutItsTopLeftCorner) {
    FillPattern();
    Drag({{3, 4}, {8, 6}}); // 6 x 3
    ASSERT_TRUE(Canvas.TransformSelection(tkRotate90));
    EXPECT_EQ(Selection().Width(), 3 + 2);
    EXPECT_EQ(Selection().Height(), 6 + 2);
    EXPECT_EQ(Selection().Left, 2);
    EXPECT_EQ(Selection().Top, 3);
    Canvas.CommitPendingEdit();
    // Clockwise: the new top row is the old left column read bottom-up.
    EXPECT_EQ(FramePixel(3, 4), Pattern(3, 6));
    EXPECT_EQ(FramePixel(5, 4), Pattern(3, 4));
    EXPECT_EQ(FramePixel(3, 9), Pattern(8, 6));
    // The erased source that the turned picture does not cover keeps the back colour.
    EXPECT_EQ(FramePixel(8, 4), 1);
}

TEST_F(FloatingSelectionTest, TransformingWithoutASelectionDoesNothing) {
    EXPECT_FALSE(Canvas.TransformSelection(tkRotate180));
    EXPECT_EQ(History.Count(), 1);
}

} // namespace
