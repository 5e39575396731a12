// The window's selection commands: the Edit menu's "Copy", "Paste" and
// "Select All" through the system clipboard, the selection layer on the
// canvas, and the Frame menu's mirror and rotate on a floating selection.
#include "EditorTestSupport.h"
#include "UserInput.h"

#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/UndoHistory.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SelectionCommandsTest : public TShownMainFormTest {
  protected:
    void SetUp() override {
        TShownMainFormTest::SetUp();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        QGuiApplication::clipboard()->clear();
    }

    // Opens frames of w x h whose pixel (x, y) is 2 + (x + 7y) mod 40 in the first frame, blank in the
    // others.
    void Open(int w = 20, int h = 16, int frames = 1) {
        ASSERT_TRUE(Form->LoadFile(WriteBlankGif(PathOf("blank.gif"), w, h, frames)));
        TGIFImageData& frame = Frame();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) frame.Pixels[std::size_t(y * w + x)] = Pattern(x, y);
        Form->ShowFrame(&frame);
        Form->UndoHistory->StartHistory(&frame);
        // The marquee, as a user picks it from the tool palette.
        QToolButton* marquee = Form->ToolBar2->findChild<QToolButton*>("ToolButton2");
        ASSERT_NE(marquee, nullptr);
        QTest::mouseClick(marquee, Qt::LeftButton);
        ASSERT_EQ(Form->Canvas->CurrentTool, tlMarqee);
    }
    static std::uint8_t Pattern(int x, int y) { return std::uint8_t(2 + (x + 7 * y) % 40); }

    TGIFImageData& Frame() { return *Form->CurrentFrame(); }
    std::uint8_t At(int x, int y) { return Frame().Pixels[std::size_t(y) * Frame().Width + x]; }

    // A gesture on the canvas through the window's handlers, in frame pixels.
    void Gesture(const std::vector<TPoint>& path, Qt::KeyboardModifiers modifiers = {}) {
        const int z = Form->Canvas->Zoom;
        auto at = [z](TPoint p) { return QPoint(p.X * z, p.Y * z); };
        Form->ImageCoverMouseDown(Qt::LeftButton, at(path.front()), modifiers);
        for (std::size_t i = 1; i < path.size(); ++i)
            Form->ImageCoverMouseMove(at(path[i]), Qt::LeftButton, modifiers);
        Form->ImageCoverMouseUp(Qt::LeftButton, at(path.back()));
    }

    void PutOnClipboard(const QString& format, const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, format == "image/png" ? "PNG" : "BMP"));
        auto* data = new QMimeData;
        data->setData(format, bytes);
        QGuiApplication::clipboard()->setMimeData(data);
        QApplication::processEvents();
    }
};

TEST_F(SelectionCommandsTest, TheEditMenuHoldsCopyPasteAndSelectAllWithTheirKeys) {
    EXPECT_TRUE(Form->Edit1->actions().contains(Form->Copy1));
    EXPECT_TRUE(Form->Edit1->actions().contains(Form->Paste1));
    EXPECT_TRUE(Form->Edit1->actions().contains(Form->SelectAll1));
    EXPECT_EQ(Form->Copy1->text(), "Copy");
    EXPECT_EQ(Form->Copy1->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(Form->Paste1->shortcut(), QKeySequence("Ctrl+V"));
    EXPECT_EQ(Form->SelectAll1->text(), "Select All");
    EXPECT_EQ(Form->SelectAll1->shortcut(), QKeySequence("Ctrl+A"));
    // Without a frame, a selection or a picture on the clipboard, nothing is enabled.
    EXPECT_FALSE(Form->Copy1->isEnabled());
    EXPECT_FALSE(Form->Paste1->isEnabled());
    EXPECT_FALSE(Form->SelectAll1->isEnabled());
    Open();
    EXPECT_TRUE(Form->SelectAll1->isEnabled());
    EXPECT_FALSE(Form->Copy1->isEnabled());
    EXPECT_FALSE(Form->Paste1->isEnabled());
}

TEST_F(SelectionCommandsTest, CopyWithoutAFloatingSelectionLeavesTheClipboardAlone) {
    Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    Form->Copy1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
}

TEST_F(SelectionCommandsTest, SelectAllAndCopyPutTheFramesColoursOnTheClipboard) {
    Open(6, 4);
    QTest::keyClick(Form.get(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(Form->Canvas->Selection.Shown);
    EXPECT_EQ(Form->Canvas->CurrentTool, tlMarqee);
    EXPECT_TRUE(Form->Copy1->isEnabled());
    QTest::keyClick(Form.get(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(image.size(), QSize(6, 4));
    ASSERT_TRUE(data->hasFormat("image/png"));
    const QImage png = QImage::fromData(data->data("image/png"), "PNG");
    ASSERT_EQ(png.size(), QSize(6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const TColor colour = Frame().Color(Pattern(x, y));
            const QRgb expected = qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, expected & 0xFFFFFF) << x << "," << y;
            EXPECT_EQ(png.pixel(x, y), expected | 0xFF000000u) << x << "," << y;
        }
    EXPECT_TRUE(Form->Paste1->isEnabled());
}

TEST_F(SelectionCommandsTest, CopyAndPasteCarryASelectionToAnotherFrame) {
    Open(20, 16, 2);
    Gesture({{2, 3}, {6, 7}});
    Form->Copy1Click();
    Form->ListView1->setCurrentRow(1);
    QApplication::processEvents();
    ASSERT_EQ(Form->CurrentRow(), 1);
    EXPECT_FALSE(Form->Canvas->Selection.Shown);
    ClickToolButton(Form->ToolBar1, Form->Paste1);
    ASSERT_TRUE(Form->Canvas->Selection.Shown);
    EXPECT_TRUE(Form->Canvas->Selection.Lifted);
    EXPECT_EQ(Form->Canvas->Selection.Width(), 5 + 2);
    // Drag it to (10, 8) and paint it in with a click beside it.
    Gesture({{1, 1}, {11, 9}});
    Gesture({{0, 15}, {0, 15}});
    EXPECT_FALSE(Form->Canvas->Selection.Shown);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Frame().Color(At(10 + x, 8 + y)), Frame().Color(Pattern(2 + x, 3 + y)))
                << x << "," << y;
    EXPECT_EQ(At(0, 0), 1);
    // The paste is one undo step.
    Form->Undo1Click();
    EXPECT_EQ(At(10, 8), 1);
}

TEST_F(SelectionCommandsTest, ChoosingAnotherFramePaintsAFloatingSelectionIntoTheFrameItCameFrom) {
    Open(20, 16, 2);
    Gesture({{2, 3}, {6, 7}});
    Gesture({{3, 4}, {13, 4}});
    // The user clicks the second frame's card.
    const QRect card = Form->ListView1->visualItemRect(Form->ListView1->item(1));
    QTest::mouseClick(Form->ListView1->viewport(), Qt::LeftButton, {}, card.center());
    QApplication::processEvents();
    ASSERT_EQ(Form->CurrentRow(), 1);
    EXPECT_FALSE(Form->Canvas->Selection.Shown);
    EXPECT_FALSE(Form->ImageCopy->isVisible());
    for (std::uint8_t index : Frame().Pixels) ASSERT_EQ(index, 1);
    const TGIFImageData& first = *Form->Document().Frames[0];
    EXPECT_EQ(first.Pixels[std::size_t(3 * 20 + 12)], Pattern(2, 3));
    EXPECT_EQ(first.Pixels[std::size_t(3 * 20 + 2)], 1); // the erased source
}

TEST_F(SelectionCommandsTest, APictureFromAnotherProgramIsPastedInTheNearestColours) {
    Open();
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(250, 2, 1));         // near red
    picture.setPixel(2, 1, qRgb(1, 1, 1)); // near black
    PutOnClipboard("image/png", picture);
    EXPECT_TRUE(Form->Paste1->isEnabled());
    QTest::keyClick(Form.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(Form->Canvas->Selection.Shown);
    EXPECT_EQ(Form->Canvas->Selection.Width(), 5);
    Form->CommitPendingEdit();
    EXPECT_EQ(Frame().Color(At(0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(Frame().Color(At(2, 1)), RGB(0, 0, 0));
    EXPECT_EQ(At(3, 0), Pattern(3, 0));
}

TEST_F(SelectionCommandsTest, ABitmapPictureIsReadToo) {
    Open();
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    PutOnClipboard("image/bmp", picture);
    Form->Paste1Click();
    ASSERT_TRUE(Form->Canvas->Selection.Shown);
    Form->CommitPendingEdit();
    EXPECT_EQ(Frame().Color(At(1, 1)), RGB(0, 0, 0));
}

TEST_F(SelectionCommandsTest, APictureTooWideForAFrameIsRefusedWithAMessage) {
    Open();
    QImage wide(65534, 1, QImage::Format_RGB32);
    wide.fill(Qt::black);
    QGuiApplication::clipboard()->setImage(wide);
    QApplication::processEvents();
    Dialogs.MessageAnswers.push_back(mrOk);
    Form->Paste1Click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "The picture on the clipboard is too large to paste.");
    EXPECT_FALSE(Form->Canvas->Selection.Shown);
}

TEST_F(SelectionCommandsTest, TheLayerFollowsTheSelectionAndKeepsItsFramePositionWhenZooming) {
    Open();
    Gesture({{3, 4}, {12, 13}});
    ASSERT_TRUE(Form->ImageCopy->isVisible());
    int z = Form->Canvas->Zoom;
    EXPECT_EQ(Form->ImageCopy->geometry(),
              QRect(Form->Image->pos() + QPoint(2 * z, 3 * z), QSize(12 * z, 12 * z)));
    Gesture({{5, 5}, {7, 6}});
    EXPECT_EQ(Form->ImageCopy->pos(), Form->Image->pos() + QPoint(4 * z, 4 * z));
    Form->ZoomIn1Click();
    ASSERT_EQ(Form->Canvas->Zoom, 2 * z);
    z = Form->Canvas->Zoom;
    EXPECT_TRUE(Form->ImageCopy->isVisible());
    EXPECT_EQ(Form->ImageCopy->geometry(),
              QRect(Form->Image->pos() + QPoint(4 * z, 4 * z), QSize(12 * z, 12 * z)));
    // The pointer over the selection shows that it can be dragged.
    Form->ImageCoverMouseMove(QPoint(6 * z, 6 * z), Qt::NoButton);
    EXPECT_EQ(Form->ImageCover->cursor().shape(), Qt::SizeAllCursor);
    Form->ImageCoverMouseMove(QPoint(1 * z, 18 * z), Qt::NoButton);
    EXPECT_NE(Form->ImageCover->cursor().shape(), Qt::SizeAllCursor);
    // Painted in, the layer goes.
    Form->CommitPendingEdit();
    EXPECT_FALSE(Form->ImageCopy->isVisible());
    EXPECT_EQ(At(5, 5), Pattern(3, 4));
}

TEST_F(SelectionCommandsTest, UndoDropsTheSelectionAndBringsBackItsSource) {
    Open();
    const std::vector<std::uint8_t> original = Frame().Pixels;
    Gesture({{3, 4}, {8, 9}});
    Gesture({{5, 5}, {15, 5}});
    EXPECT_NE(Frame().Pixels, original);
    ASSERT_TRUE(Form->Undo1->isEnabled());
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(Form->Canvas->Selection.Shown);
    EXPECT_FALSE(Form->ImageCopy->isVisible());
    EXPECT_EQ(Frame().Pixels, original);
}

TEST_F(SelectionCommandsTest, MirrorFromTheFrameMenuTurnsOnlyTheFloatingSelection) {
    Open();
    const std::vector<std::uint8_t> original = Frame().Pixels;
    Gesture({{3, 4}, {7, 9}});
    ClickMenuItem(Form->Mirror1, Form->X1);
    EXPECT_EQ(Frame().Width, 20);
    EXPECT_TRUE(Form->Canvas->Selection.Shown);
    // The source is erased as one undo step; the history is not restarted.
    EXPECT_EQ(At(3, 4), 1);
    EXPECT_EQ(At(8, 4), Pattern(8, 4));
    EXPECT_EQ(Form->UndoHistory->Count(), 2);
    Form->CommitPendingEdit();
    EXPECT_EQ(At(3, 4), Pattern(7, 4));
    EXPECT_EQ(At(7, 9), Pattern(3, 9));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (x < 3 || x > 7 || y < 4 || y > 9) {
                ASSERT_EQ(At(x, y), original[std::size_t(y * 20 + x)]) << x << "," << y;
            }
        }
    }
}

TEST_F(SelectionCommandsTest, RotateFromTheFrameMenuTurnsTheSelectionAndItsLayer) {
    Open();
    Gesture({{3, 4}, {8, 6}});
    ClickMenuItem(Form->Rotate1, Form->N901);
    EXPECT_EQ(Frame().Width, 20);
    EXPECT_EQ(Frame().Height, 16);
    const int z = Form->Canvas->Zoom;
    EXPECT_EQ(Form->ImageCopy->size(), QSize(5 * z, 8 * z));
    EXPECT_EQ(Form->ImageCopy->pos(), Form->Image->pos() + QPoint(2 * z, 3 * z));
    Form->CommitPendingEdit();
    EXPECT_EQ(At(3, 4), Pattern(3, 6));
    EXPECT_EQ(At(3, 9), Pattern(8, 6));
}

} // namespace
