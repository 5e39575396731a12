// The canvas commands of the main window: tools, options, pointer, zoom, undo
// and redo, reached through their handlers and the way a user reaches them
// (tool buttons, menu keys, mouse on the canvas).
#include "EditorTestSupport.h"

#include "editor/CanvasIcons.h"
#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/UndoHistory.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

namespace {

class CanvasCommandsTest : public TShownMainFormTest {
  protected:
    void Open(int width = 20, int height = 16, int frames = 1) {
        ASSERT_TRUE(Form->LoadFile(WriteBlankGif(PathOf("blank.gif"), width, height, frames)));
        ASSERT_NE(Form->CurrentFrame(), nullptr);
    }

    // Makes the window the active one, so its shortcuts take keys.
    void Activate() {
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    }

    TGIFImageData& Frame() { return *Form->CurrentFrame(); }
    std::uint8_t FramePixel(int x, int y) { return Frame().Pixels[std::size_t(y) * Frame().Width + x]; }
    int PaintedCount() {
        int count = 0;
        for (std::uint8_t index : Frame().Pixels) count += index != 1;
        return count;
    }

    // A stroke through the handlers, in frame pixels.
    void Stroke(TPoint from, TPoint to, Qt::MouseButton button = Qt::LeftButton) {
        const int z = Form->Canvas->Zoom;
        Form->ImageCoverMouseDown(button, QPoint(from.X * z, from.Y * z));
        Form->ImageCoverMouseMove(QPoint(to.X * z, to.Y * z), button);
        Form->ImageCoverMouseUp(button, QPoint(to.X * z, to.Y * z));
    }
    void ClickCanvas(TPoint at, Qt::MouseButton button = Qt::LeftButton) { Stroke(at, at, button); }

    // The button that shows an action: on a tool bar or in a button panel.
    QWidget* ButtonOf(QWidget* bar, QAction* action) {
        if (auto* toolBar = qobject_cast<QToolBar*>(bar)) return toolBar->widgetForAction(action);
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            if (button->defaultAction() == action) return button;
        return nullptr;
    }
    void ClickTool(int tool) {
        QWidget* button = ButtonOf(Form->ToolBar2, Form->ToolButtons[tool]);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

// ---------------------------------------------------------------------------
// Tool palette and options

TEST_F(CanvasCommandsTest, ToolButtonsCarryTheToolNamesAndSelectTheirTool) {
    QStringList hints;
    for (QToolButton* button : Form->ToolBar2->findChildren<QToolButton*>()) hints << button->toolTip();
    EXPECT_EQ(hints, QStringList({"Marqee", "Lasso", "Get color", "Pen", "Brush", "Fill", "Spray", "Line",
                                  "Curve", "Rectangle", "Round rectangle", "Ellipse", "Polyline", "Polygon",
                                  "Text", "Move Image"}));
    EXPECT_EQ(Form->Canvas->CurrentTool, tlPen);
    EXPECT_TRUE(Form->ToolButtons[tlPen]->isChecked());
    ClickTool(tlEllipse);
    EXPECT_EQ(Form->Canvas->CurrentTool, tlEllipse);
    EXPECT_TRUE(Form->ToolButtons[tlEllipse]->isChecked());
    EXPECT_FALSE(Form->ToolButtons[tlPen]->isChecked());
    EXPECT_EQ(Form->findChild<QToolButton*>("ToolButton21")->defaultAction(), Form->ToolButtons[tlPen]);
    EXPECT_FALSE(Form->ToolBar2->accessibleName().isEmpty());
}

TEST_F(CanvasCommandsTest, EveryToolButtonSelectsItsToolAndEveryWidthButtonItsWidth) {
    for (int tool = tlMarqee; tool <= tlMoveImage; ++tool) {
        if (tool == tlPen) continue; // current already; "Get color" would return to it
        ClickTool(tool);
        EXPECT_EQ(Form->Canvas->CurrentTool, tool) << tool;
        EXPECT_TRUE(Form->ToolButtons[tool]->isChecked()) << tool;
    }
    ClickTool(tlPen);
    EXPECT_EQ(Form->Canvas->CurrentTool, tlPen);
    ClickTool(tlSpray);
    for (int width = 1; width <= 5; ++width) {
        QApplication::processEvents();
        QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->WidthButtons[width]), Qt::LeftButton);
        EXPECT_EQ(Form->Canvas->LineWidth, width);
        for (int other = 1; other <= 5; ++other)
            EXPECT_EQ(Form->WidthButtons[other]->isChecked(), other == width) << width << " " << other;
    }
}

TEST_F(CanvasCommandsTest, AtFirstShowThePenDrawsOnePixelAndTheOtherToolsThree) {
    EXPECT_EQ(Form->Canvas->LineWidth, 1);
    ClickTool(tlLine);
    EXPECT_EQ(Form->Canvas->LineWidth, 3);
    EXPECT_TRUE(Form->WidthButtons[3]->isChecked());
}

TEST_F(CanvasCommandsTest, TheOptionsBarShowsWhatTheToolUses) {
    // The tool bar lays its buttons out when events are processed.
    auto shown = [&](QAction* a) {
        QApplication::processEvents();
        return ButtonOf(Form->ToolBar3, a)->isVisible();
    };
    EXPECT_FALSE(shown(Form->WidthButtons[1]));
    EXPECT_FALSE(shown(Form->ToolButton38));
    EXPECT_FALSE(shown(Form->ToolButton47));
    ClickTool(tlBrush);
    EXPECT_TRUE(shown(Form->WidthButtons[5]));
    EXPECT_FALSE(shown(Form->ToolButton39));
    ClickTool(tlRectangle);
    EXPECT_TRUE(shown(Form->WidthButtons[1]));
    EXPECT_TRUE(shown(Form->ToolButton38));
    EXPECT_TRUE(shown(Form->ToolButton39));
    EXPECT_FALSE(shown(Form->ToolButton47));
    ClickTool(tlText);
    EXPECT_FALSE(shown(Form->WidthButtons[1]));
    EXPECT_TRUE(shown(Form->ToolButton39));
    EXPECT_TRUE(shown(Form->ToolButton47));
}

TEST_F(CanvasCommandsTest, WidthAndFillButtonsSetTheCanvasAndFollowIt) {
    Open();
    ClickTool(tlRectangle);
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->WidthButtons[5]), Qt::LeftButton);
    EXPECT_EQ(Form->Canvas->LineWidth, 5);
    EXPECT_TRUE(Form->WidthButtons[5]->isChecked());
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->ToolButton39), Qt::LeftButton);
    EXPECT_TRUE(Form->Canvas->FillOn);
    EXPECT_EQ(Form->Canvas->FillIndex, Form->BackIndex);
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->ToolButton38), Qt::LeftButton);
    EXPECT_FALSE(Form->Canvas->FillOn);
    // A left-button fill switches the fill on, and the button follows.
    ClickTool(tlFill);
    ClickCanvas({2, 2});
    EXPECT_TRUE(Form->Canvas->FillOn);
    EXPECT_TRUE(Form->ToolButton39->isChecked());
}

TEST_F(CanvasCommandsTest, TheFontButtonTakesTheChosenFontInTheForeColour) {
    Open();
    ClickTool(tlText);
    TFont chosen;
    chosen.Name = "DejaVu Serif";
    chosen.Height = -20;
    chosen.Color = RGB(1, 2, 3);
    Dialogs.FontAnswers = {chosen};
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->ToolButton47), Qt::LeftButton);
    ASSERT_EQ(Dialogs.FontRequests.size(), 1u);
    EXPECT_EQ(Dialogs.FontRequests[0].Name, "DejaVu Sans");
    EXPECT_EQ(Form->Canvas->Font.Name, "DejaVu Serif");
    EXPECT_EQ(Form->Canvas->Font.Height, -20);
    EXPECT_EQ(Form->Canvas->Font.Color, Form->ForeColor);
    Dialogs.FontAnswers = {std::nullopt};
    Form->ToolButton47Click();
    EXPECT_EQ(Form->Canvas->Font.Height, -20);
}

TEST_F(CanvasCommandsTest, EachToolHasItsPointerShape) {
    for (int number = 1; number <= 15; ++number) {
        const QCursor cursor = RegisteredCursor(QStringLiteral("CURSOR%1").arg(number));
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << number;
        EXPECT_FALSE(cursor.pixmap().isNull()) << number;
    }
    EXPECT_EQ(ToolCursorName(tlPen), "CURSOR5");
    EXPECT_EQ(ToolCursorName(tlPolyline), "CURSOR3");
    EXPECT_EQ(ToolCursorName(tlMarqee), "CURSOR1");
    EXPECT_EQ(ToolCursorName(tlLasso), "CURSOR2");
    EXPECT_EQ(Form->ImageCover->cursor().pixmap().toImage(), RegisteredCursor("CURSOR5").pixmap().toImage());
    ClickTool(tlMoveImage);
    EXPECT_EQ(Form->ImageCover->cursor().shape(), Qt::SizeAllCursor);
}

// ---------------------------------------------------------------------------
// Pointer

TEST_F(CanvasCommandsTest, TheMouseOnTheCanvasPaintsTheFrameAndShowsThePosition) {
    Open();
    Form->ZoomIn1Click(); // zoom 2
    QTest::mousePress(Form->ImageCover, Qt::LeftButton, {}, QPoint(6, 6));
    QTest::mouseMove(Form->ImageCover, QPoint(17, 7));
    QTest::mouseRelease(Form->ImageCover, Qt::LeftButton, {}, QPoint(17, 7));
    for (int x = 3; x <= 8; ++x) EXPECT_EQ(FramePixel(x, 3), 0) << x;
    EXPECT_EQ(PaintedCount(), 6);
    EXPECT_EQ(Form->StatusPanelText(4), "8, 3");
    EXPECT_TRUE(Form->Modified);
    EXPECT_TRUE(Form->Undo1->isEnabled());
    // The picture on screen shows the stroke.
    EXPECT_EQ(Form->Image->Picture().pixel(5, 3), qRgb(0, 0, 0));
    EXPECT_EQ(Form->Image->Picture().pixel(5, 4), qRgb(255, 255, 255));
}

TEST_F(CanvasCommandsTest, RightButtonGetColorOnIndexSevenSetsTheBackColour) {
    Open();
    Frame().Pixels[std::size_t(4) * 20 + 3] = 7;
    Form->ShowFrame(&Frame());
    ClickTool(tlBrush);
    ClickTool(tlGetColor);
    ClickCanvas({3, 4}, Qt::RightButton);
    EXPECT_EQ(Form->BackIndex, 7);
    EXPECT_EQ(Form->BackColor, RGB(255, 255, 0));
    EXPECT_EQ(Form->ForeIndex, 0);
    EXPECT_EQ(Form->Canvas->CurrentTool, tlBrush);
    EXPECT_TRUE(Form->ToolButtons[tlBrush]->isChecked());
}

TEST_F(CanvasCommandsTest, RightButtonFillWithTheFillOffRecordsAnUndoStepOfCodeSix) {
    Open();
    ClickTool(tlFill);
    ASSERT_FALSE(Form->Canvas->FillOn);
    ClickCanvas({4, 4}, Qt::RightButton);
    EXPECT_EQ(PaintedCount(), 0);
    EXPECT_EQ(Form->UndoHistory->CanUndo(), 6);
    EXPECT_TRUE(Form->Undo1->isEnabled());
}

TEST_F(CanvasCommandsTest, TypingWithTheTextToolGoesThroughTheHiddenField) {
    Open(60, 30);
    Activate();
    ClickTool(tlText);
    QTest::mouseClick(Form->ImageCover, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(Form->Canvas->TextActive);
    EXPECT_TRUE(Form->Edit2->hasFocus());
    QTest::keyClicks(Form->Edit2, "Hi");
    EXPECT_EQ(Form->Canvas->TypedText, "Hi");
    EXPECT_EQ(PaintedCount(), 0);
    QTest::keyClick(Form->Edit2, Qt::Key_Right);
    QTest::keyClick(Form->Edit2, Qt::Key_Down);
    EXPECT_EQ(Form->Canvas->CurrentPoint, (TPoint{5, 5}));
    EXPECT_EQ(Form->Edit2->text(), "Hi"); // the keys moved the text, not the field's cursor
    Form->Timer1Timer();
    EXPECT_TRUE(Form->Canvas->CaretOn);
    // Choosing another tool commits the text.
    ClickTool(tlPen);
    EXPECT_GT(PaintedCount(), 0);
    EXPECT_EQ(Form->UndoHistory->CanUndo(), tlText);
    EXPECT_TRUE(Form->Edit2->text().isEmpty());
}

// ---------------------------------------------------------------------------
// Zoom

TEST_F(CanvasCommandsTest, ZoomStopsAtEightAndAtOne) {
    Open();
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    EXPECT_FALSE(Form->ZoomOut1->isEnabled());
    EXPECT_FALSE(Form->ActualSize1->isEnabled());
    Form->ZoomOut1Click();
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    for (int expected : {2, 4, 8}) {
        EXPECT_TRUE(Form->ZoomIn1->isEnabled());
        Form->ZoomIn1Click();
        EXPECT_EQ(Form->Canvas->Zoom, expected);
    }
    EXPECT_FALSE(Form->ZoomIn1->isEnabled());
    Form->ZoomIn1Click();
    EXPECT_EQ(Form->Canvas->Zoom, 8);
    EXPECT_EQ(Form->Image->size(), QSize(160, 128));
    Form->ZoomOut1Click();
    EXPECT_EQ(Form->Canvas->Zoom, 4);
    EXPECT_TRUE(Form->ActualSize1->isEnabled());
    Form->ActualSize1Click();
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    EXPECT_EQ(Form->Image->size(), QSize(20, 16));
}

TEST_F(CanvasCommandsTest, ZoomKeysAndTheViewMenuReachTheCommands) {
    Open();
    Activate();
    QTest::keyClick(Form.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Form->Canvas->Zoom, 2);
    QTest::keyClick(Form.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    EXPECT_TRUE(Form->View1->actions().contains(Form->ZoomIn1));
    EXPECT_TRUE(Form->View1->actions().contains(Form->ZoomOut1));
    EXPECT_TRUE(Form->View1->actions().contains(Form->ActualSize1));
    QTest::mouseClick(ButtonOf(Form->ToolBar1, Form->ZoomIn1), Qt::LeftButton);
    EXPECT_EQ(Form->Canvas->Zoom, 2);
    QTest::mouseClick(ButtonOf(Form->ToolBar1, Form->ActualSize1), Qt::LeftButton);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
}

TEST_F(CanvasCommandsTest, CtrlAndTheWheelZoom) {
    Open();
    QWidget* viewport = Form->ScrollBox3->viewport();
    const QPointF at(10, 10);
    QWheelEvent up(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &up);
    EXPECT_EQ(Form->Canvas->Zoom, 2);
    QWheelEvent down(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &down);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    QWheelEvent plain(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &plain);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
}

TEST_F(CanvasCommandsTest, WithoutAFrameTheCanvasShowsNothingAndZoomDoesNothing) {
    Open();
    Form->ZoomIn1Click();
    Dialogs.OnForm("GlobalForm", [](QDialog& d) { d.findChild<QPushButton*>("OKButton")->click(); });
    Form->New1Click();
    EXPECT_EQ(Form->CurrentFrame(), nullptr);
    EXPECT_TRUE(Form->Canvas->CanvasImage.Empty());
    EXPECT_FALSE(Form->ScrollBox4->isVisible());
    EXPECT_FALSE(Form->Image->isVisible());
    EXPECT_TRUE(Form->Image->Picture().isNull());
    for (QAction* a : {Form->ZoomIn1, Form->ZoomOut1, Form->ActualSize1, Form->Undo1, Form->Redo1})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    Form->ZoomIn1Click();
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    Form->Undo1Click();
    Form->ImageCoverMouseDown(Qt::LeftButton, QPoint(1, 1));
    Form->ImageCoverMouseUp(Qt::LeftButton, QPoint(1, 1));
    EXPECT_FALSE(Form->Modified);
}

// ---------------------------------------------------------------------------
// Undo and redo

TEST_F(CanvasCommandsTest, TwentyFiveStrokesAllowTwentyUndos) {
    Open(30, 30);
    for (int i = 0; i < 25; ++i) Stroke({i, 0}, {i, 5});
    int undone = 0;
    while (Form->Undo1->isEnabled() && undone < 30) {
        Form->Undo1Click();
        ++undone;
    }
    EXPECT_EQ(undone, 20);
    // The five oldest strokes stay; the rest are gone.
    EXPECT_EQ(FramePixel(4, 3), 0);
    EXPECT_EQ(FramePixel(5, 3), 1);
    EXPECT_TRUE(Form->Redo1->isEnabled());
}

TEST_F(CanvasCommandsTest, UndoAndRedoKeysStepThroughTheHistory) {
    Open();
    Activate();
    Stroke({1, 1}, {6, 1});
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(PaintedCount(), 0);
    EXPECT_EQ(Form->Canvas->CanvasImage.Index(3, 1), 1); // the canvas shows the undone frame
    EXPECT_TRUE(Form->Redo1->isEnabled());
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(PaintedCount(), 6);
    EXPECT_FALSE(Form->Redo1->isEnabled());
    EXPECT_TRUE(Form->Edit1->actions().contains(Form->Undo1));
    QTest::mouseClick(ButtonOf(Form->ToolBar1, Form->Undo1), Qt::LeftButton);
    EXPECT_EQ(PaintedCount(), 0);
    QTest::mouseClick(ButtonOf(Form->ToolBar1, Form->Redo1), Qt::LeftButton);
    EXPECT_EQ(PaintedCount(), 6);
}

TEST_F(CanvasCommandsTest, UndoThenAStrokeDisablesRedo) {
    Open();
    Stroke({1, 1}, {6, 1});
    Stroke({1, 3}, {6, 3});
    Form->Undo1Click();
    EXPECT_TRUE(Form->Redo1->isEnabled());
    Stroke({1, 5}, {6, 5});
    EXPECT_FALSE(Form->Redo1->isEnabled());
    Form->Redo1Click();
    EXPECT_EQ(FramePixel(3, 3), 1);
}

TEST_F(CanvasCommandsTest, SwitchingFramesClearsTheHistory) {
    Open(20, 16, 2);
    Stroke({1, 1}, {6, 1});
    EXPECT_TRUE(Form->Undo1->isEnabled());
    Form->ListView1->SelectRow(1);
    EXPECT_FALSE(Form->Undo1->isEnabled());
    Form->ListView1->SelectRow(0);
    EXPECT_FALSE(Form->Undo1->isEnabled());
    EXPECT_EQ(Form->UndoHistory->Count(), 1);
    Form->Undo1Click();
    EXPECT_EQ(FramePixel(3, 1), 0);
}

TEST_F(CanvasCommandsTest, UndoAfterMoveImageRestoresTheOffsetAndRefitsTheScreen) {
    Open(20, 16);
    ClickTool(tlMoveImage);
    QTest::mousePress(Form->ImageCover, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(Form->ImageCover, QPoint(10, 8));
    EXPECT_EQ(Form->Image->pos(), QPoint(6, 4));
    QTest::mouseRelease(Form->ImageCover, Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(Frame().Left, 5);
    EXPECT_EQ(Frame().Top, 3);
    EXPECT_EQ(Form->Document().ScreenWidth, 25);
    EXPECT_EQ(Form->Document().ScreenHeight, 19);
    EXPECT_EQ(Form->FrameInfoLines().value(0), " Image Offset: 5 by 3");
    Form->Undo1Click();
    EXPECT_EQ(Frame().Left, 0);
    EXPECT_EQ(Frame().Top, 0);
    EXPECT_EQ(Form->Document().ScreenWidth, 20);
    EXPECT_EQ(Form->Document().ScreenHeight, 16);
    EXPECT_EQ(Form->Image->pos(), QPoint(1, 1));
    EXPECT_EQ(Form->Shape1->size(), QSize(22, 18));
    Form->Redo1Click();
    EXPECT_EQ(Frame().Left, 5);
    EXPECT_EQ(Form->Document().ScreenWidth, 25);
}

TEST_F(CanvasCommandsTest, UndoWhileTypingTakesTheTextOffAndRedoBringsItBack) {
    Open(60, 30);
    ClickTool(tlText);
    ClickCanvas({2, 2});
    Form->Edit2->setText("Hi");
    EXPECT_EQ(PaintedCount(), 0);
    EXPECT_TRUE(Form->Undo1->isEnabled());
    Form->Undo1Click();
    EXPECT_EQ(PaintedCount(), 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(Form->Canvas->CanvasImage.Index(x, y), 1);
    EXPECT_FALSE(Form->Canvas->TextActive);
    EXPECT_TRUE(Form->Redo1->isEnabled());
    Form->Redo1Click();
    EXPECT_GT(PaintedCount(), 0);
    EXPECT_EQ(Form->UndoHistory->CanUndo(), tlText);
}

TEST_F(CanvasCommandsTest, CtrlZInTheTextFieldIsTheWindowsUndo) {
    Open(60, 30);
    Activate();
    ClickTool(tlText);
    QTest::mouseClick(Form->ImageCover, Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(Form->Edit2->hasFocus());
    QTest::keyClicks(Form->Edit2, "Hi");
    QTest::keyClick(Form->Edit2, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(Form->Canvas->TextActive);
    EXPECT_EQ(PaintedCount(), 0);
    QTest::keyClick(Form->Edit2, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_GT(PaintedCount(), 0);
}

TEST_F(CanvasCommandsTest, RedoWhileTypingDiscardsTheText) {
    Open(60, 30);
    ClickTool(tlBrush);
    Stroke({1, 20}, {30, 20});
    Form->Undo1Click();
    ClickTool(tlText);
    ClickCanvas({2, 2});
    Form->Edit2->setText("Hi");
    Form->Redo1Click();
    EXPECT_FALSE(Form->Canvas->TextActive);
    EXPECT_TRUE(Form->Canvas->TypedText.empty());
    EXPECT_EQ(FramePixel(10, 20), 0); // the brush stroke is back
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(FramePixel(x, y), 1) << x << "," << y;
    EXPECT_EQ(Form->UndoHistory->CanUndo(), tlBrush);
}

// ---------------------------------------------------------------------------
// Painted pixels reach the file

TEST_F(CanvasCommandsTest, ASaveAfterPaintingShowsThePaintedPixelsInImageMagick) {
    if (RunShell("command -v convert", TShellErrors::Discarded).Status != 0) GTEST_SKIP() << "no ImageMagick";
    Open(12, 8);
    Form->SetForeIndex(5); // red
    ClickTool(tlRectangle);
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->WidthButtons[1]), Qt::LeftButton);
    QTest::mouseClick(ButtonOf(Form->ToolBar3, Form->ToolButton39), Qt::LeftButton);
    Form->SetBackIndex(9); // lime inside
    Stroke({2, 1}, {8, 6});
    const std::string path = PathOf("painted.gif");
    ASSERT_TRUE(Form->SaveFile(path));
    const TShellRun run = RunShell("convert '" + path + "' -depth 8 rgb:-", TShellErrors::Discarded);
    ASSERT_EQ(run.Status, 0);
    ASSERT_EQ(run.Output.size(), 12u * 8u * 3u);
    auto rgb = [&](int x, int y) {
        const std::size_t at = (std::size_t(y) * 12 + x) * 3;
        return RGB(std::uint8_t(run.Output[at]), std::uint8_t(run.Output[at + 1]),
                   std::uint8_t(run.Output[at + 2]));
    };
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool edge =
                ((x == 2 || x == 7) && y >= 1 && y <= 5) || ((y == 1 || y == 5) && x >= 2 && x <= 7);
            const bool inside = x > 2 && x < 7 && y > 1 && y < 5;
            const TColor expected = edge ? RGB(255, 0, 0) : inside ? RGB(0, 255, 0) : RGB(255, 255, 255);
            EXPECT_EQ(rgb(x, y), expected) << x << "," << y;
        }
}

} // namespace
