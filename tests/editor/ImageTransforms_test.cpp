// Mirroring, rotating, resizing and cropping a frame's picture: the bitmap
// functions on their own, and the Frame menu's commands on the open document.
#include "EditorTestSupport.h"
#include "UserInput.h"

#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/CropImageUnit.h"
#include "editor/FrameListView.h"
#include "editor/ImageTransforms.h"
#include "editor/ResizeImageUnit.h"
#include "editor/UndoHistory.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// An 8-bit w x h bitmap whose pixel (x, y) is index (x + 10 * y) mod 256.
TBitmap Numbered(int w, int h) {
    TBitmap b(w, h, pf8bit);
    std::vector<TColor> palette;
    for (int i = 0; i < 256; ++i) palette.push_back(RGB(i, i, i));
    b.SetPalette(palette);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetIndex(x, y, std::uint8_t((x + 10 * y) % 256));
    return b;
}

std::uint8_t Expected(int x, int y) {
    return std::uint8_t((x + 10 * y) % 256);
}

} // namespace

// ---------------------------------------------------------------------------
// TransformBitmap

TEST(TransformBitmap, RefusesAMissingOrEmptyBitmapAndUnknownKinds) {
    EXPECT_FALSE(TransformBitmap(nullptr, tkMirrorHorizontally));
    TBitmap empty;
    EXPECT_FALSE(TransformBitmap(&empty, tkRotate90));
    TBitmap b = Numbered(3, 2);
    const TBitmap before = b;
    EXPECT_FALSE(TransformBitmap(&b, -1));
    EXPECT_FALSE(TransformBitmap(&b, 5));
    EXPECT_EQ(b, before);
}

TEST(TransformBitmap, MirrorHorizontallyKeepsTheMiddleColumnOfAnOddWidth) {
    TBitmap b = Numbered(5, 3);
    ASSERT_TRUE(TransformBitmap(&b, tkMirrorHorizontally));
    ASSERT_EQ(b.Width(), 5);
    ASSERT_EQ(b.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(b.Index(x, y), Expected(4 - x, y)) << x << "," << y;
    for (int y = 0; y < 3; ++y) EXPECT_EQ(b.Index(2, y), Expected(2, y));
}

TEST(TransformBitmap, MirrorVerticallyKeepsTheMiddleRowOfAnOddHeight) {
    TBitmap b = Numbered(4, 5);
    ASSERT_TRUE(TransformBitmap(&b, tkMirrorVertically));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Index(x, y), Expected(x, 4 - y));
}

TEST(TransformBitmap, MirrorTwiceGivesTheSameBitmap) {
    TBitmap b = Numbered(6, 4);
    const TBitmap before = b;
    ASSERT_TRUE(TransformBitmap(&b, tkMirrorHorizontally));
    EXPECT_NE(b, before);
    ASSERT_TRUE(TransformBitmap(&b, tkMirrorHorizontally));
    EXPECT_EQ(b, before);
}

TEST(TransformBitmap, Rotate90TurnsClockwiseAndSwapsTheSize) {
    TBitmap b = Numbered(3, 2);
    const std::vector<TColor> palette = b.Palette();
    ASSERT_TRUE(TransformBitmap(&b, tkRotate90));
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.Palette(), palette);
    // Source rows 0: 0 1 2 and 1: 10 11 12; clockwise the left column, read upwards, is the top row.
    EXPECT_EQ(b.Index(0, 0), 10);
    EXPECT_EQ(b.Index(1, 0), 0);
    EXPECT_EQ(b.Index(0, 2), 12);
    EXPECT_EQ(b.Index(1, 2), 2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(b.Index(x, y), Expected(y, 1 - x));
}

TEST(TransformBitmap, Rotate180ReversesRowsAndColumns) {
    TBitmap b = Numbered(4, 3);
    ASSERT_TRUE(TransformBitmap(&b, tkRotate180));
    ASSERT_EQ(b.Width(), 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Index(x, y), Expected(3 - x, 2 - y));
}

TEST(TransformBitmap, Rotate270UndoesRotate90) {
    TBitmap b = Numbered(7, 3);
    const TBitmap before = b;
    ASSERT_TRUE(TransformBitmap(&b, tkRotate270));
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Index(x, y), Expected(6 - y, x));
    ASSERT_TRUE(TransformBitmap(&b, tkRotate90));
    EXPECT_EQ(b, before);
}

TEST(TransformBitmap, FourQuarterTurnsGiveTheSameBitmap) {
    TBitmap b = Numbered(5, 2);
    const TBitmap before = b;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(TransformBitmap(&b, tkRotate90));
    EXPECT_EQ(b, before);
}

TEST(TransformBitmap, WorksOnTrueColourPixelsToo) {
    TBitmap b(2, 1, pf24bit);
    b.SetPixel(0, 0, RGB(1, 2, 3));
    b.SetPixel(1, 0, RGB(4, 5, 6));
    ASSERT_TRUE(TransformBitmap(&b, tkRotate90));
    ASSERT_EQ(b.Width(), 1);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(b.Pixel(0, 1), RGB(4, 5, 6));
}

TEST(TransformFrame, RotatesTheFrameAboutItsTopLeftCorner) {
    TGIFData gif;
    TGIFImageData* frame = gif.AddFrame(3, 2);
    frame->Left = 4;
    frame->Top = 6;
    for (int i = 0; i < 6; ++i) frame->Pixels[std::size_t(i)] = std::uint8_t(i);
    ASSERT_TRUE(TransformFrame(*frame, tkRotate90));
    EXPECT_EQ(frame->Width, 2);
    EXPECT_EQ(frame->Height, 3);
    EXPECT_EQ(frame->Left, 4);
    EXPECT_EQ(frame->Top, 6);
    EXPECT_EQ(frame->Pixels, (std::vector<std::uint8_t>{3, 0, 4, 1, 5, 2}));
}

// ---------------------------------------------------------------------------
// The Frame menu's mirror and rotate on the open document

class TransformCommandsTest : public TShownMainFormTest {
  protected:
    // Opens one w x h frame at (left, top) whose pixel (x, y) is (x + 10 * y) mod 256.
    void Open(int w, int h, int left = 0, int top = 0) {
        ASSERT_TRUE(Form->LoadFile(WriteBlankGif(PathOf("blank.gif"), w, h)));
        TGIFImageData* frame = Form->CurrentFrame();
        ASSERT_NE(frame, nullptr);
        frame->Left = std::uint16_t(left);
        frame->Top = std::uint16_t(top);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) frame->Pixels[std::size_t(y * w + x)] = Expected(x, y);
        Form->FitLogicalScreen();
        Form->ShowFrame(frame);
        Form->UndoHistory->StartHistory(frame);
        Form->Modified = false;
    }

    TGIFImageData& Frame() { return *Form->CurrentFrame(); }
    std::uint8_t At(int x, int y) { return Frame().Pixels[std::size_t(y) * Frame().Width + x]; }

    // Two strokes with the pen, so the history holds steps to undo.
    void PaintTwice() {
        const int z = Form->Canvas->Zoom;
        for (int i = 0; i < 2; ++i) {
            Form->ImageCoverMouseDown(Qt::LeftButton, QPoint(z * i, 0));
            Form->ImageCoverMouseUp(Qt::LeftButton, QPoint(z * i, 0));
        }
        ASSERT_NE(Form->UndoHistory->CanUndo(), 0);
    }

    void ExpectHistoryRestarted() {
        EXPECT_EQ(Form->UndoHistory->Count(), 1);
        EXPECT_EQ(Form->UndoHistory->Position(), 0);
        EXPECT_EQ(Form->UndoHistory->CanUndo(), 0);
        EXPECT_FALSE(Form->Undo1->isEnabled());
        const TUndoData& base = Form->UndoHistory->At(0);
        EXPECT_EQ(base.Code, 0);
        EXPECT_EQ(base.Width, Frame().Width);
        EXPECT_EQ(base.Pixels, Frame().Pixels);
    }
};

TEST_F(TransformCommandsTest, MenuItemsSitUnderRotateAndMirrorOnTheFrameMenu) {
    EXPECT_EQ(Form->Rotate1->title(), "Rotate");
    EXPECT_EQ(Form->Mirror1->title(), "Mirror");
    EXPECT_TRUE(Form->Image2->actions().contains(Form->Rotate1->menuAction()));
    EXPECT_TRUE(Form->Image2->actions().contains(Form->Mirror1->menuAction()));
    QStringList rotate, mirror;
    for (QAction* a : Form->Rotate1->actions()) rotate << a->text();
    for (QAction* a : Form->Mirror1->actions()) mirror << a->text();
    EXPECT_EQ(rotate, QStringList({"90 Degrees", "180 Degrees", "270 Degrees"}));
    EXPECT_EQ(mirror, QStringList({"Horizontally", "Vertically"}));
}

TEST_F(TransformCommandsTest, CommandsAreDisabledWithoutACurrentFrameAndDoNothing) {
    Form->UpdateActions();
    ASSERT_EQ(Form->CurrentFrame(), nullptr);
    for (QAction* a : {Form->Rotate1->menuAction(), Form->Mirror1->menuAction(), Form->N901,
                       Form->N180degrees1, Form->N270degrees1, Form->X1, Form->Vertically1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    Form->N901Click();
    Form->X1Click();
    EXPECT_FALSE(Form->Modified);
    Open(4, 3);
    Form->UpdateActions();
    for (QAction* a : {Form->Rotate1->menuAction(), Form->Mirror1->menuAction(), Form->N901, Form->X1})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
}

TEST_F(TransformCommandsTest, Rotate90OfA30By10FrameGivesA10By30FrameAtTheSameOffset) {
    Open(30, 10, 5, 5);
    ClickMenuItem(Form->Rotate1, Form->N901);
    ASSERT_EQ(Frame().Width, 10);
    ASSERT_EQ(Frame().Height, 30);
    EXPECT_EQ(Frame().Left, 5);
    EXPECT_EQ(Frame().Top, 5);
    EXPECT_EQ(Form->Document().ScreenWidth, 15);
    EXPECT_EQ(Form->Document().ScreenHeight, 35);
    // The top row is the source's left column read from bottom to top.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(x, 0), Expected(0, 9 - x)) << x;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(At(x, y), Expected(y, 9 - x));
    EXPECT_EQ(Form->Canvas->CanvasImage.Width(), 10);
    EXPECT_EQ(Form->Canvas->CanvasImage.Height(), 30);
    EXPECT_EQ(Form->Image->width(), 10 * Form->Canvas->Zoom);
    EXPECT_TRUE(Form->Modified);
    EXPECT_TRUE(Form->FrameInfoLines().contains(" Image Size: 10 by 30"));
}

TEST_F(TransformCommandsTest, Rotate270ThroughTheMenuTurnsCounterClockwise) {
    Open(6, 4, 2, 3);
    ClickMenuItem(Form->Rotate1, Form->N270degrees1);
    ASSERT_EQ(Frame().Width, 4);
    ASSERT_EQ(Frame().Height, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(At(x, y), Expected(5 - y, x));
}

TEST_F(TransformCommandsTest, Rotate180ThroughTheMenuKeepsTheSize) {
    Open(6, 4);
    ClickMenuItem(Form->Rotate1, Form->N180degrees1);
    ASSERT_EQ(Frame().Width, 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(At(x, y), Expected(5 - x, 3 - y));
}

TEST_F(TransformCommandsTest, MirroringWidth5KeepsColumn2) {
    Open(5, 4);
    ClickMenuItem(Form->Mirror1, Form->X1);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(At(2, y), Expected(2, y));
        EXPECT_EQ(At(0, y), Expected(4, y));
        EXPECT_EQ(At(4, y), Expected(0, y));
    }
    EXPECT_TRUE(Form->Modified);
}

TEST_F(TransformCommandsTest, MirrorVerticallyThroughTheMenuFlipsTheRows) {
    Open(3, 5);
    ClickMenuItem(Form->Mirror1, Form->Vertically1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) ASSERT_EQ(At(x, y), Expected(x, 4 - y));
}

TEST_F(TransformCommandsTest, RotatingASquareFrameKeepsItsPixelCountAndScreen) {
    Open(8, 8, 1, 2);
    const std::vector<std::uint8_t> before = Frame().Pixels;
    const std::uint8_t* const buffer = Frame().Pixels.data();
    Form->N901Click();
    EXPECT_EQ(Frame().Pixels.size(), 64u);
    EXPECT_EQ(Frame().Width, 8);
    EXPECT_EQ(Frame().Height, 8);
    EXPECT_EQ(Frame().Pixels.data(), buffer); // only the pixels moved, into the same buffer
    EXPECT_NE(Frame().Pixels, before);
    EXPECT_EQ(Form->Document().ScreenWidth, 9);
    EXPECT_EQ(Form->Document().ScreenHeight, 10);
}

TEST_F(TransformCommandsTest, EveryRotationAndMirrorRestartsTheUndoHistory) {
    Open(6, 4);
    for (auto handler : {&TMainForm::X1Click, &TMainForm::Vertically1Click, &TMainForm::N901Click,
                         &TMainForm::N180degrees1Click, &TMainForm::N270degrees1Click}) {
        PaintTwice();
        (Form.get()->*handler)();
        ExpectHistoryRestarted();
        // Undo is refused: the transform cannot be taken back.
        const std::vector<std::uint8_t> after = Frame().Pixels;
        Form->Undo1Click();
        EXPECT_EQ(Frame().Pixels, after);
    }
}

TEST_F(TransformCommandsTest, TypedTextIsCommittedBeforeTheFrameTurns) {
    Open(20, 12);
    Form->SelectTool(tlText);
    const int z = Form->Canvas->Zoom;
    Form->ImageCoverMouseDown(Qt::LeftButton, QPoint(2 * z, 2 * z));
    Form->ImageCoverMouseUp(Qt::LeftButton, QPoint(2 * z, 2 * z));
    Form->Edit2->setText(QStringLiteral("W"));
    ASSERT_TRUE(Form->Canvas->TextActive);
    const std::vector<std::uint8_t> plain = Frame().Pixels;
    Form->X1Click();
    EXPECT_FALSE(Form->Canvas->TextActive);
    // Mirroring back shows the text was written into the frame.
    Form->X1Click();
    EXPECT_NE(Frame().Pixels, plain);
}

// ---------------------------------------------------------------------------
// Resizing

TEST(ResizedBitmap, ResizeCutsAtTheRightAndBottom) {
    const TBitmap source = Numbered(5, 4);
    const TBitmap cut = ResizedBitmap(source, 3, 2, roResize);
    ASSERT_EQ(cut.Width(), 3);
    ASSERT_EQ(cut.Height(), 2);
    EXPECT_EQ(cut.Palette(), source.Palette());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(cut.Index(x, y), Expected(x, y));
}

TEST(ResizedBitmap, ResizeAddsBlankAreaNearestWhite) {
    const TBitmap source = Numbered(2, 2);
    const TBitmap grown = ResizedBitmap(source, 4, 3, roResize);
    ASSERT_EQ(grown.Width(), 4);
    EXPECT_EQ(grown.Index(1, 1), Expected(1, 1));
    // The grey ramp's white is index 255.
    EXPECT_EQ(grown.Index(2, 0), 255);
    EXPECT_EQ(grown.Index(3, 2), 255);
    EXPECT_EQ(grown.Index(0, 2), 255);
}

TEST(ResizedBitmap, StretchCopiesOneSourceIndexPerPixel) {
    const TBitmap source = Numbered(2, 2);
    const TBitmap doubled = ResizedBitmap(source, 4, 6, roStretch);
    ASSERT_EQ(doubled.Width(), 4);
    ASSERT_EQ(doubled.Height(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(doubled.Index(x, y), Expected(x / 2, y / 3)) << x << "," << y;
    const TBitmap halved = ResizedBitmap(Numbered(6, 4), 3, 2, roStretch);
    // Each target pixel takes the source pixel under its centre: columns 1, 3, 5 and rows 1, 3.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(halved.Index(x, y), Expected(2 * x + 1, 2 * y + 1));
}

TEST(ResizedBitmap, RefusesBadSizesAndOperations) {
    const TBitmap source = Numbered(2, 2);
    EXPECT_TRUE(ResizedBitmap(source, 0, 2, roResize).Empty());
    EXPECT_TRUE(ResizedBitmap(source, 2, 70000, roStretch).Empty());
    EXPECT_TRUE(ResizedBitmap(source, 3, 3, roNone).Empty());
    EXPECT_TRUE(ResizedBitmap(TBitmap(), 3, 3, roResize).Empty());
}

namespace {
TResizeImageForm& AsResize(QDialog& d) {
    return static_cast<TResizeImageForm&>(d);
}
} // namespace

TEST(ResizeDialog, ShowsTheFieldsWithNoOperationChosen) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("ResizeImageForm", [](QDialog& d) {
        TResizeImageForm& f = AsResize(d);
        EXPECT_EQ(f.windowTitle(), "Resize Image");
        EXPECT_EQ(f.ComboBox1->currentIndex(), -1);
        ASSERT_EQ(f.ComboBox1->count(), 2);
        EXPECT_EQ(f.ComboBox1->itemText(0), "Resize");
        EXPECT_EQ(f.ComboBox1->itemText(1), "Stretch");
        EXPECT_EQ(f.WidthEdit->value(), 30);
        EXPECT_EQ(f.HeightEdit->value(), 10);
        EXPECT_EQ(f.WidthEdit->minimum(), 1);
        EXPECT_EQ(f.WidthEdit->maximum(), 9999);
        EXPECT_EQ(f.HeightEdit->maximum(), 9999);
        EXPECT_TRUE(f.OKButton->isDefault());
        EXPECT_FALSE(f.WidthEdit->accessibleName().isEmpty());
        f.CancelButton->click();
    });
    int w = 30, h = 10;
    EXPECT_EQ(ResizeDialog(w, h, dialogs), roNone);
    EXPECT_EQ(w, 30);
}

TEST(ResizeDialog, OkWithoutAnOperationShowsTheMessageAndStaysOpen) {
    TScriptedDialogs dialogs;
    dialogs.MessageAnswers.push_back(mrOk);
    dialogs.OnForm("ResizeImageForm", [&dialogs](QDialog& d) {
        TResizeImageForm& f = AsResize(d);
        f.WidthEdit->setValue(12);
        f.OKButton->click();
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_EQ(dialogs.Messages[0].Text, "Please select the operation.");
        EXPECT_EQ(dialogs.Messages[0].Caption, "Infomation");
        EXPECT_EQ(dialogs.Messages[0].Type, mtInformation);
        EXPECT_EQ(f.result(), 0); // not closed
        f.ComboBox1->setCurrentIndex(0);
        f.OKButton->click();
        EXPECT_EQ(f.result(), QDialog::Accepted);
    });
    int w = 30, h = 10;
    EXPECT_EQ(ResizeDialog(w, h, dialogs), roResize);
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 10);
}

TEST(ResizeDialog, StretchWithoutTouchingTheFieldsReturnsNothingToDo) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("ResizeImageForm", [](QDialog& d) {
        TResizeImageForm& f = AsResize(d);
        f.ComboBox1->setCurrentIndex(1);
        f.OKButton->click();
    });
    int w = 30, h = 10;
    EXPECT_EQ(ResizeDialog(w, h, dialogs), roNone);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(TransformCommandsTest, StretchWithoutTouchingTheFieldsChangesNothing) {
    Open(6, 4);
    const std::vector<std::uint8_t> before = Frame().Pixels;
    Dialogs.OnForm("ResizeImageForm", [](QDialog& d) {
        AsResize(d).ComboBox1->setCurrentIndex(1);
        AsResize(d).OKButton->click();
    });
    ClickMenuItem(Form->Image2, Form->ResizeImage1);
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"ResizeImageForm"});
    EXPECT_EQ(Frame().Width, 6);
    EXPECT_EQ(Frame().Pixels, before);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(TransformCommandsTest, ResizeFromTheFrameMenuCutsThePicture) {
    Open(6, 4, 3, 3);
    PaintTwice();
    const int steps = Form->UndoHistory->Count();
    Dialogs.OnForm("ResizeImageForm", [](QDialog& d) {
        TResizeImageForm& f = AsResize(d);
        f.ComboBox1->setCurrentIndex(0);
        f.WidthEdit->setValue(4);
        f.HeightEdit->setValue(9);
        f.OKButton->click();
    });
    ClickMenuItem(Form->Image2, Form->ResizeImage1);
    ASSERT_EQ(Frame().Width, 4);
    ASSERT_EQ(Frame().Height, 9);
    EXPECT_EQ(Frame().Left, 3);
    // Rows 2 and 3 were not painted; the columns beyond 4 are cut.
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(At(x, y), Expected(x, y));
    // The added rows take the palette's white.
    const int white = Form->Canvas->CanvasImage.NearestIndex(RGB(255, 255, 255));
    EXPECT_EQ(At(0, 8), white);
    EXPECT_EQ(Form->Document().ScreenHeight, 12);
    EXPECT_EQ(Form->Canvas->CanvasImage.Height(), 9);
    EXPECT_TRUE(Form->Modified);
    // The history is left alone, but its old snapshots no longer fit the frame.
    EXPECT_EQ(Form->UndoHistory->Count(), steps);
    const std::vector<std::uint8_t> after = Frame().Pixels;
    Form->Undo1Click();
    EXPECT_EQ(Frame().Pixels, after);
}

TEST_F(TransformCommandsTest, StretchFromTheListPopupScalesThePicture) {
    Open(3, 2);
    Dialogs.OnForm("ResizeImageForm", [](QDialog& d) {
        TResizeImageForm& f = AsResize(d);
        f.ComboBox1->setCurrentIndex(1);
        f.WidthEdit->setValue(6);
        f.HeightEdit->setValue(4);
        f.OKButton->click();
    });
    ClickMenuItem(Form->PopupMenu1, Form->ResizeImage1);
    ASSERT_EQ(Frame().Width, 6);
    ASSERT_EQ(Frame().Height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, y), Expected(x / 2, y / 2));
    EXPECT_EQ(Form->Document().ScreenWidth, 6);
}

// ---------------------------------------------------------------------------
// Cropping

TEST(CroppedBitmap, KeepsTheRectangleInclusiveInEitherOrder) {
    const TBitmap source = Numbered(12, 14);
    const TBitmap part = CroppedBitmap(source, 10, 12, 3, 4);
    ASSERT_EQ(part.Width(), 8);
    ASSERT_EQ(part.Height(), 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(part.Index(x, y), Expected(x + 3, y + 4));
}

TEST(CroppedBitmap, AreaBeyondThePictureIsBlank) {
    const TBitmap part = CroppedBitmap(Numbered(4, 3), 2, 1, 4, 3);
    ASSERT_EQ(part.Width(), 3);
    ASSERT_EQ(part.Height(), 3);
    EXPECT_EQ(part.Index(0, 0), Expected(2, 1));
    EXPECT_EQ(part.Index(1, 1), Expected(3, 2));
    EXPECT_EQ(part.Index(2, 0), 255);
    EXPECT_EQ(part.Index(0, 2), 255);
}

namespace {
TCropImageForm& AsCrop(QDialog& d) {
    return static_cast<TCropImageForm&>(d);
}
} // namespace

class CropFormTest : public ::testing::Test {
  protected:
    TBitmap Picture = Numbered(40, 30);
    TCropImageForm Form{Picture};
    // Columns 10..29 and rows 10..23; the middles are at (20, 17).
    void SetUp() override { Form.SetRect(10, 10, 30, 24); }
};

TEST_F(CropFormTest, FieldsShowTheLastColumnAndRowInside) {
    EXPECT_EQ(Form.windowTitle(), "Crop Image");
    EXPECT_EQ(Form.X0Edit->value(), 10);
    EXPECT_EQ(Form.Y0Edit->value(), 10);
    EXPECT_EQ(Form.X1Edit->value(), 29);
    EXPECT_EQ(Form.Y1Edit->value(), 23);
    EXPECT_EQ(Form.X1Edit->maximum(), 40);
    EXPECT_EQ(Form.Y1Edit->maximum(), 30);
    EXPECT_EQ(Form.SizeLabel->text(), "40 x 30");
    EXPECT_TRUE(Form.OKButton->isDefault());
    Form.X1Edit->setValue(24);
    EXPECT_EQ(Form.X1, 25);
    Form.Y0Edit->setValue(2);
    EXPECT_EQ(Form.Y0, 2);
}

TEST_F(CropFormTest, HitTestTriesCornersThenMiddlesThenInside) {
    EXPECT_EQ(Form.HitTest(10, 10), chTopLeft);
    EXPECT_EQ(Form.HitTest(7, 13), chTopLeft); // 3 pixels of tolerance, inclusive
    EXPECT_EQ(Form.HitTest(33, 7), chTopRight);
    EXPECT_EQ(Form.HitTest(30, 24), chBottomRight);
    EXPECT_EQ(Form.HitTest(10, 24), chBottomLeft);
    EXPECT_EQ(Form.HitTest(10, 17), chLeft);
    EXPECT_EQ(Form.HitTest(30, 17), chRight);
    EXPECT_EQ(Form.HitTest(20, 10), chTop);
    EXPECT_EQ(Form.HitTest(20, 24), chBottom);
    EXPECT_EQ(Form.HitTest(20, 17), chMove);
    EXPECT_EQ(Form.HitTest(6, 10), chOutside);
    EXPECT_EQ(Form.HitTest(35, 28), chOutside);
    // In a low rectangle the left middle lies within reach of the corner: the corner wins.
    Form.SetRect(10, 10, 30, 14);
    EXPECT_EQ(Form.HitTest(10, 12), chTopLeft);
    EXPECT_EQ(TCropImageForm::HitCursor(chMove), Qt::SizeAllCursor);
    EXPECT_EQ(TCropImageForm::HitCursor(chTopLeft), Qt::SizeFDiagCursor);
    EXPECT_EQ(TCropImageForm::HitCursor(chBottomLeft), Qt::SizeBDiagCursor);
    EXPECT_EQ(TCropImageForm::HitCursor(chRight), Qt::SizeHorCursor);
    EXPECT_EQ(TCropImageForm::HitCursor(chTop), Qt::SizeVerCursor);
    EXPECT_EQ(TCropImageForm::HitCursor(chOutside), Qt::ArrowCursor);
}

TEST_F(CropFormTest, MovingKeepsTheSizeAndStopsAtThePictureEdges) {
    Form.PictureMouseDown(Qt::LeftButton, 20, 17);
    Form.PictureMouseMove(23, 18, true);
    EXPECT_EQ(Form.X0, 13);
    EXPECT_EQ(Form.Y0, 11);
    EXPECT_EQ(Form.X1, 33);
    EXPECT_EQ(Form.Y1, 25);
    EXPECT_EQ(Form.X0Edit->value(), 13);
    EXPECT_EQ(Form.X1Edit->value(), 32);
    Form.PictureMouseMove(0, 0, true); // far to the top left
    EXPECT_EQ(Form.X0, 0);
    EXPECT_EQ(Form.Y0, 0);
    EXPECT_EQ(Form.X1, 20);
    EXPECT_EQ(Form.Y1, 14);
    Form.PictureMouseMove(200, 200, true); // far to the bottom right
    EXPECT_EQ(Form.X1, 40);
    EXPECT_EQ(Form.Y1, 30);
    EXPECT_EQ(Form.X0, 20);
    EXPECT_EQ(Form.Y0, 16);
    Form.PictureMouseUp();
    Form.PictureMouseMove(0, 0, true);
    EXPECT_EQ(Form.X0, 20);
}

TEST_F(CropFormTest, HandlesChangeTheirSidesAndKeepTwoPixels) {
    Form.PictureMouseDown(Qt::LeftButton, 30, 24); // bottom right
    Form.PictureMouseMove(35, 28, true);
    EXPECT_EQ(Form.X1, 35);
    EXPECT_EQ(Form.Y1, 28);
    EXPECT_EQ(Form.X0, 10);
    EXPECT_EQ(Form.Y0, 10);
    Form.PictureMouseMove(0, 0, true);
    EXPECT_EQ(Form.X1, 12);
    EXPECT_EQ(Form.Y1, 12);
    Form.PictureMouseMove(500, 500, true);
    EXPECT_EQ(Form.X1, 40);
    EXPECT_EQ(Form.Y1, 30);
    Form.PictureMouseUp();
    Form.SetRect(10, 10, 30, 24);
    Form.PictureMouseDown(Qt::LeftButton, 20, 10); // top middle: only y0 moves
    Form.PictureMouseMove(24, 2, true);
    EXPECT_EQ(Form.X0, 10);
    EXPECT_EQ(Form.X1, 30);
    EXPECT_EQ(Form.Y0, 2);
    Form.PictureMouseMove(24, -50, true);
    EXPECT_EQ(Form.Y0, 0);
    Form.PictureMouseUp();
}

TEST_F(CropFormTest, OnlyTheLeftButtonDragsAndOutsideDoesNothing) {
    Form.PictureMouseDown(Qt::RightButton, 20, 17);
    Form.PictureMouseMove(23, 18, true);
    EXPECT_EQ(Form.X0, 10);
    Form.PictureMouseDown(Qt::LeftButton, 38, 28);
    Form.PictureMouseMove(30, 20, true);
    EXPECT_EQ(Form.X0, 10);
    EXPECT_EQ(Form.Y1, 24);
}

TEST_F(CropFormTest, DragsWithTheMouseOnThePicture) {
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    QTest::mousePress(Form.Image1, Qt::LeftButton, {}, QPoint(20, 17));
    QMouseEvent move(QEvent::MouseMove, QPointF(22, 20), Form.Image1->mapToGlobal(QPointF(22, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.Image1, &move);
    QTest::mouseRelease(Form.Image1, Qt::LeftButton, {}, QPoint(22, 20));
    EXPECT_EQ(Form.X0, 12);
    EXPECT_EQ(Form.Y0, 13);
    // The top edge is drawn by exclusive-or with grey 128 over the picture (index 146 is grey 146).
    EXPECT_EQ(qRed(Form.Image1->Shown().pixel(16, 13)), 146 ^ 128);
    EXPECT_EQ(Form.Image1->Shown().pixel(38, 2), Form.Original().pixel(38, 2));
}

TEST_F(TransformCommandsTest, CropKeepsTheRectangleWhereItWasOnTheScreen) {
    Open(30, 30, 20, 20);
    PaintTwice();
    Dialogs.OnForm("CropImageForm", [](QDialog& d) {
        TCropImageForm& f = AsCrop(d);
        // The top-left quarter to start with.
        EXPECT_EQ(f.X0Edit->value(), 0);
        EXPECT_EQ(f.X1Edit->value(), 14);
        EXPECT_EQ(f.Y1Edit->value(), 14);
        f.X0Edit->setValue(3);
        f.Y0Edit->setValue(4);
        f.X1Edit->setValue(10);
        f.Y1Edit->setValue(12);
        f.OKButton->click();
    });
    ClickMenuItem(Form->Image2, Form->Crop1);
    ASSERT_EQ(Frame().Width, 8);
    ASSERT_EQ(Frame().Height, 9);
    EXPECT_EQ(Frame().Left, 23);
    EXPECT_EQ(Frame().Top, 24);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(x, y), Expected(x + 3, y + 4));
    EXPECT_EQ(Form->Document().ScreenWidth, 31);
    EXPECT_EQ(Form->Document().ScreenHeight, 33);
    EXPECT_TRUE(Form->Modified);
    ExpectHistoryRestarted();
    EXPECT_EQ(Form->Canvas->CanvasImage.Width(), 8);
}

TEST_F(TransformCommandsTest, CancelledCropChangesNothing) {
    Open(10, 10);
    Dialogs.OnForm("CropImageForm", [](QDialog& d) { AsCrop(d).CancelButton->click(); });
    Form->UpdateActions();
    EXPECT_TRUE(Form->Crop1->isEnabled());
    Form->Crop1Click();
    EXPECT_EQ(Frame().Width, 10);
    EXPECT_FALSE(Form->Modified);
}
