// The frame list's commands: the operations on the document, and the window's
// Frame menu, pop-up menu, keys, drag and drop within the list and files
// dropped from the desktop.
#include "EditorTestSupport.h"
#include "UserInput.h"

#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/FrameOperations.h"
#include "gifdata/GifData.h"

#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace {

// A frame of w x h at (left, top) whose pixels are all index fill.
TGIFImageData* AddFilled(TGIFData& gif, int w, int h, int left, int top, int fill) {
    TGIFImageData* frame = gif.AddFrame(w, h);
    frame->Left = std::uint16_t(left);
    frame->Top = std::uint16_t(top);
    std::fill(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(fill));
    return frame;
}

// Global colours that differ from each other.
void DistinctGlobalColours(TGIFData& gif) {
    for (int i = 0; i < 256; ++i)
        gif.GlobalPalette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(255 - i), 40, 0};
    gif.UpdateGlobalUsage();
}

// ---------------------------------------------------------------------------
// Operations on the document

TEST(FrameOperations, DuplicateAppendsTheCopyAtTheEndWithoutTheExtraBlocks) {
    TGIFData gif;
    for (int i = 0; i < 4; ++i) AddFilled(gif, 3, 2, i, 0, i);
    TGIFImageData& source = *gif.Frames[0];
    source.Title = "first";
    source.Left = 5;
    source.Top = 6;
    source.Pixels = {1, 2, 3, 4, 5, 6};
    source.SetHasLocalTable(true);
    source.LocalPalette[4] = {44, 45, 46, 0};
    source.Control->SetTransparent(true);
    source.Control->TransparentIndex = 2;
    source.Control->DelayTime = 33;
    source.Control->SetDisposal(3);
    source.SetInterlaced(true);
    source.Extensions.push_back(std::make_unique<TGIFCommentExtension>());

    TGIFImageData* copy = DuplicateFrame(gif, source);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(gif.Frames.size(), 5u);
    EXPECT_EQ(gif.Frames[4].get(), copy);
    EXPECT_EQ(gif.Frames[0].get(), &source);
    EXPECT_EQ(copy->Title, "first");
    EXPECT_EQ(copy->Left, 5);
    EXPECT_EQ(copy->Top, 6);
    EXPECT_EQ(copy->Width, 3);
    EXPECT_EQ(copy->Pixels, source.Pixels);
    EXPECT_TRUE(copy->HasLocalTable());
    EXPECT_EQ(copy->Color(4), RGB(44, 45, 46));
    EXPECT_EQ(copy->LocalPalette[4].Used, 1);
    EXPECT_EQ(copy->LocalPalette[9].Used, 0);
    EXPECT_TRUE(copy->Control->Transparent());
    EXPECT_EQ(copy->Control->TransparentIndex, 2);
    EXPECT_EQ(copy->Control->DelayTime, 33);
    EXPECT_EQ(copy->Control->Disposal(), 3);
    EXPECT_TRUE(copy->Interlaced());
    EXPECT_TRUE(copy->Extensions.empty());
    EXPECT_EQ(source.Extensions.size(), 1u);
}

TEST(FrameOperations, MergeDrawsLaterRowsOverEarlierOnesAtTheirOffsetsDifference) {
    TGIFData gif;
    DistinctGlobalColours(gif);
    for (int i = 0; i < 6; ++i) AddFilled(gif, 2, 2, 0, 0, 100 + i);
    TGIFImageData& target = *gif.Frames[2];
    target.Width = target.Height = 10;
    target.Left = 10;
    target.Top = 20;
    target.AllocatePixels();
    std::fill(target.Pixels.begin(), target.Pixels.end(), std::uint8_t(3));
    AddFilled(gif, 0, 0, 0, 0, 0); // keeps row indices honest: not selected
    gif.DeleteFrame(6);
    TGIFImageData& top = *gif.Frames[5];
    top.Width = 4;
    top.Height = 3;
    top.Left = 17; // 7 right of the target: the last column falls outside
    top.Top = 21;
    top.AllocatePixels();
    std::fill(top.Pixels.begin(), top.Pixels.end(), std::uint8_t(9));
    top.Pixels[0] = 4;
    top.Control->SetTransparent(true);
    top.Control->TransparentIndex = 4; // left out

    ASSERT_TRUE(MergeFrames(gif, {2, 5}));
    EXPECT_EQ(target.Left, 10);
    EXPECT_EQ(target.Width, 10);
    auto at = [&](int x, int y) { return int(target.Pixels[std::size_t(y * 10 + x)]); };
    EXPECT_EQ(at(7, 1), 3); // the transparent pixel of the upper frame
    EXPECT_EQ(at(8, 1), 9);
    EXPECT_EQ(at(9, 3), 9);
    EXPECT_EQ(at(7, 4), 3); // below the upper frame
    EXPECT_EQ(at(6, 2), 3); // left of it
    EXPECT_EQ(at(0, 0), 3);
    EXPECT_EQ(gif.IsGlobalColorUsed(9), 1);
    // The merged row itself is not changed or removed.
    EXPECT_EQ(gif.Frames.size(), 6u);
    EXPECT_EQ(top.Pixels[1], 9);
    EXPECT_FALSE(MergeFrames(gif, {2}));
    EXPECT_FALSE(MergeFrames(gif, {2, 9}));
}

TEST(FrameOperations, MergeTakesTheNearestColourOfTheTargetsPalette) {
    TGIFData gif;
    TGIFImageData* target = AddFilled(gif, 2, 1, 0, 0, 0);
    target->SetHasLocalTable(true);
    for (PaletteEntry& e : target->LocalPalette) e = {0, 0, 0, 0};
    target->LocalPalette[1] = {200, 0, 0, 0};
    target->LocalPalette[2] = {0, 0, 200, 0};
    TGIFImageData* upper = AddFilled(gif, 1, 1, 1, 0, 5);
    upper->SetHasLocalTable(true);
    upper->LocalPalette[5] = {10, 10, 250, 0};
    ASSERT_TRUE(MergeFrames(gif, {0, 1}));
    EXPECT_EQ(target->Pixels, (std::vector<std::uint8_t>{0, 2}));
    EXPECT_EQ(target->LocalPalette[2].Used, 1);
}

TEST(FrameOperations, TitlesAndExtraBlocksAreRemovedOnlyWhereThereAreAny) {
    TGIFData gif;
    AddFilled(gif, 1, 1, 0, 0, 0);
    AddFilled(gif, 1, 1, 0, 0, 0)->Title = "t";
    EXPECT_TRUE(RemoveAllFrameTitles(gif));
    EXPECT_TRUE(gif.Frames[1]->Title.empty());
    EXPECT_FALSE(RemoveAllFrameTitles(gif));

    EXPECT_FALSE(RemoveUnnecessaryExtensions(gif));
    gif.Frames[0]->Extensions.push_back(std::make_unique<TGIFCommentExtension>());
    gif.Frames[0]->Extensions.push_back(std::make_unique<TGIFApplicationExtension>());
    gif.Frames[0]->Control->DelayTime = 77;
    EXPECT_TRUE(RemoveUnnecessaryExtensions(gif));
    EXPECT_TRUE(gif.Frames[0]->Extensions.empty());
    EXPECT_EQ(gif.Frames[0]->Control->DelayTime, 77);
}

// ---------------------------------------------------------------------------
// The window

class FrameListWindow : public TMainFormTest {
  protected:
    // count frames of 4 x 3 whose pixels are index 10 + row, all at (0, 0).
    void MakeFrames(int count) {
        TGIFData& gif = Form->Document();
        DistinctGlobalColours(gif);
        for (int i = 0; i < count; ++i) AddFilled(gif, 4, 3, 0, 0, 10 + i);
        gif.UpdateGlobalUsage();
        Form->FillFrameList();
        Form->ListView1->SelectRow(0);
    }
    std::vector<int> Order() const {
        std::vector<int> fills;
        for (const auto& frame : Form->Document().Frames) fills.push_back(frame->Pixels[0] - 10);
        return fills;
    }
    QPoint RowCentre(int row) const {
        return Form->ListView1->visualItemRect(Form->ListView1->item(row)).center();
    }
    void CtrlClickRow(int row) {
        Form->ListView1->scrollToItem(Form->ListView1->item(row));
        QTest::mouseClick(Form->ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier, RowCentre(row));
    }
    // Drags the current row through the list's own drag data and drops it at row.
    void DragRowOnto(int row) {
        QWidget* viewport = Form->ListView1->viewport();
        std::unique_ptr<QMimeData> data(Form->ListView1->RowDragData());
        const QPointF at = RowCentre(row);
        QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        EXPECT_EQ(Form->ListView1->DropTargetRow, row); // the drop line is drawn over that row
        QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        EXPECT_EQ(Form->ListView1->DropTargetRow, -1);
    }
};

TEST_F(FrameListWindow, RowsAreCardsWithIndexBoxSelectionOutlineAndDropLine) {
    MakeFrames(3);
    Form->resize(900, 700);
    Form->show();
    Form->ListView1->SelectRow(1);
    Form->ListView1->DropTargetRow = 2;
    const QImage view = Form->ListView1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb blue = qRgb(0, 0, 255), box = qRgb(230, 230, 230);
    auto corner = [&](int row) {
        return Form->ListView1->visualItemRect(Form->ListView1->item(row)).topLeft();
    };
    for (int row = 0; row < 3; ++row) {
        const QPoint lt = corner(row);
        const int L = lt.x(), T = lt.y(), R = L + 128, B = T + 100;
        // The index box on the card, right of the digit.
        EXPECT_EQ(view.pixel(L + 25, B - 9), box) << row;
        // Selected row 1: a 3-pixel blue outline inside the card.
        EXPECT_EQ(view.pixel(L + 40, T + 3) == blue, row == 1) << row;
        EXPECT_EQ(view.pixel(R - 6, T + 50) == blue, row == 1) << row;
        EXPECT_EQ(view.pixel(L + 40, B - 7) == blue, row == 1) << row;
        // Drop target row 2: a blue line along the top.
        EXPECT_EQ(view.pixel(L + 40, T + 1) == blue, row == 2) << row;
    }
    Form->ListView1->DropTargetRow = -1;
}

TEST_F(FrameListWindow, CommandsCarryTheirCaptionsAndNeedAFrame) {
    EXPECT_EQ(Form->DeleteImage1->text(), "Delete Frame");
    EXPECT_EQ(Form->DeleteImage1->shortcut(), QKeySequence("Ctrl+Del"));
    EXPECT_EQ(Form->RemoveAllFrameTitles1->text(), "Remove All Frame Titles");
    EXPECT_EQ(Form->RemoveUnnecessaryExtensions1->text(), "Remove All Unnecessary Extensions");
    EXPECT_EQ(Form->MoveUp1->text(), "Move Up");
    EXPECT_EQ(Form->MoveDown1->toolTip(), "Move Down");
    EXPECT_EQ(Form->CloneFrame1->text(), "Duplicate");
    EXPECT_EQ(Form->Merge1->text(), "Merge");
    EXPECT_EQ(Form->AddImage1->shortcut(), QKeySequence("Ctrl+F"));
    const QList<QAction*> popup = Form->PopupMenu1->actions();
    ASSERT_EQ(popup.size(), 5);
    EXPECT_EQ(popup[0], Form->Global1);
    EXPECT_EQ(popup[1], Form->Properties1);
    EXPECT_TRUE(popup[2]->isSeparator());
    EXPECT_EQ(popup[3], Form->ResizeImage1);
    EXPECT_EQ(popup[4], Form->DeleteImage1);
    for (QAction* a : {Form->DeleteImage1, Form->Properties1, Form->MoveUp1, Form->MoveDown1,
                       Form->CloneFrame1, Form->Merge1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QAction* a : {Form->NewImage1, Form->AddImage1, Form->RemoveAllFrameTitles1,
                       Form->RemoveUnnecessaryExtensions1, Form->Global1})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    MakeFrames(3);
    EXPECT_TRUE(Form->DeleteImage1->isEnabled());
    EXPECT_FALSE(Form->MoveUp1->isEnabled());
    EXPECT_TRUE(Form->MoveDown1->isEnabled());
    Form->ListView1->SelectRow(2);
    EXPECT_TRUE(Form->MoveUp1->isEnabled());
    EXPECT_FALSE(Form->MoveDown1->isEnabled());
}

TEST_F(FrameListWindow, DeleteRemovesOnlyTheCurrentFrameAndShowsNone) {
    MakeFrames(4);
    Form->show();
    Form->ListView1->SelectRow(1);
    CtrlClickRow(2);
    ASSERT_EQ(Form->ListView1->SelectedRowCount(), 2);
    ClickMenuItem(Form->Image2, Form->DeleteImage1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Form->ListView1->count(), 3);
    EXPECT_EQ(Form->CurrentFrame(), nullptr);
    EXPECT_TRUE(Form->Image->isHidden());
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 3");
    EXPECT_FALSE(Form->DeleteImage1->isEnabled());

    // The Delete key on the list does the same, and so does the list's pop-up menu.
    Form->ListView1->SelectRow(0);
    QTest::keyClick(Form->ListView1, Qt::Key_Delete);
    EXPECT_EQ(Order(), (std::vector<int>{2, 3}));
    Form->ListView1->SelectRow(1);
    ClickMenuItem(Form->PopupMenu1, Form->DeleteImage1);
    EXPECT_EQ(Order(), (std::vector<int>{2}));
}

TEST_F(FrameListWindow, DeletingTheWidestFrameShrinksTheScreen) {
    MakeFrames(2);
    AddFilled(Form->Document(), 40, 30, 0, 0, 1);
    Form->FillFrameList();
    Form->ListView1->SelectRow(2);
    Form->FitLogicalScreen();
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 40 by 30");
    Form->DeleteImage1Click();
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 4 by 3");
}

TEST_F(FrameListWindow, MoveUpAndDownFromTheMenuTheToolBarAndTheKeys) {
    MakeFrames(4);
    Form->show();
    Form->ListView1->SelectRow(2);
    ClickMenuItem(Form->Image2, Form->MoveUp1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(Form->CurrentRow(), 1);
    EXPECT_EQ(Form->LastFrameIndex, 1);
    EXPECT_TRUE(Form->Modified);
    ClickToolButton(Form->ToolBar1, Form->MoveDown1);
    ClickToolButton(Form->ToolBar1, Form->MoveDown1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 2}));
    EXPECT_EQ(Form->CurrentRow(), 3);
    EXPECT_FALSE(Form->MoveDown1->isEnabled());
    QTest::keyClick(Form->ListView1, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Form->CurrentRow(), 2);
    QTest::keyClick(Form->ListView1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 2}));
    // At the ends nothing moves.
    Form->ListView1->SelectRow(0);
    Form->MoveUp1Click();
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 2}));
}

TEST_F(FrameListWindow, DroppingRowZeroOnRowThreeShiftsTheRowsBetweenUp) {
    MakeFrames(5);
    Form->show();
    Form->ListView1->SelectRow(0);
    DragRowOnto(3);
    EXPECT_EQ(Order(), (std::vector<int>{1, 2, 3, 0, 4}));
    EXPECT_EQ(Form->CurrentRow(), 3);
    EXPECT_EQ(Form->ListView1->SelectedRowCount(), 1);
    EXPECT_TRUE(Form->Modified);
}

TEST_F(FrameListWindow, DroppingOnASelectedRowDoesNothing) {
    MakeFrames(5);
    Form->show();
    Form->ListView1->SelectRow(1);
    CtrlClickRow(3);
    DragRowOnto(3);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_FALSE(Form->Modified);
    // Nor does a drop below the last row.
    Form->ListView1DragDrop(-1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(FrameListWindow, ADragFromElsewhereIsNotARowMove) {
    MakeFrames(3);
    Form->show();
    QMimeData text;
    text.setText(QStringLiteral("row"));
    QDragEnterEvent enter(RowCentre(1), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form->ListView1->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    // Another list's row data is refused as well.
    TFrameListView other;
    std::unique_ptr<QMimeData> foreign(other.RowDragData());
    EXPECT_FALSE(Form->ListView1->IsOwnDrag(foreign.get()));
}

TEST_F(FrameListWindow, DuplicateOfFrameZeroInFourFramesCreatesFrameFour) {
    MakeFrames(4);
    Form->show();
    ClickMenuItem(Form->Image2, Form->CloneFrame1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3, 0}));
    EXPECT_EQ(Form->CurrentRow(), 4);
    EXPECT_EQ(Form->ListView1->count(), 5);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 5");
}

TEST_F(FrameListWindow, MergeOfRowsTwoAndFiveDrawsFiveOverTwo) {
    MakeFrames(6);
    TGIFData& gif = Form->Document();
    TGIFImageData& target = *gif.Frames[2];
    target.Width = 8;
    target.Height = 6;
    target.Left = 2;
    target.Top = 1;
    target.AllocatePixels();
    std::fill(target.Pixels.begin(), target.Pixels.end(), std::uint8_t(12));
    gif.Frames[5]->Left = 5;
    gif.Frames[5]->Top = 4; // 3, 3 from the target
    Form->FillFrameList();
    Form->show();
    Form->ListView1->SelectRow(2);
    CtrlClickRow(5);
    ASSERT_EQ(Form->ListView1->SelectedRowCount(), 2);
    ClickMenuItem(Form->Image2, Form->Merge1);
    auto at = [&](int x, int y) { return int(target.Pixels[std::size_t(y * 8 + x)]); };
    EXPECT_EQ(at(3, 3), 15);
    EXPECT_EQ(at(6, 5), 15);
    EXPECT_EQ(at(7, 5), 12);
    EXPECT_EQ(at(2, 3), 12);
    EXPECT_EQ(at(3, 2), 12);
    EXPECT_EQ(gif.Frames.size(), 6u);
    EXPECT_EQ(Form->LastFrameIndex, 2);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->Image->Picture().pixel(3, 3) & 0xFFFFFF, QColor(15, 240, 40).rgb() & 0xFFFFFF); // shown
}

TEST_F(FrameListWindow, MergeWithOneRowExplainsHowToSelectMore) {
    MakeFrames(3);
    Form->show();
    Dialogs.MessageAnswers = {mrOk};
    ClickMenuItem(Form->Image2, Form->Merge1);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Please hold CTRL KEY to select more frames after current frame.");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Information");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtInformation);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(FrameListWindow, TitlesAndExtraBlocksGoFromTheMenu) {
    MakeFrames(2);
    Form->show();
    ClickMenuItem(Form->Image2, Form->RemoveAllFrameTitles1);
    ClickMenuItem(Form->Image2, Form->RemoveUnnecessaryExtensions1);
    EXPECT_FALSE(Form->Modified);
    Form->Document().Frames[1]->Title = "x";
    ClickMenuItem(Form->Image2, Form->RemoveAllFrameTitles1);
    EXPECT_TRUE(Form->Document().Frames[1]->Title.empty());
    EXPECT_TRUE(Form->Modified);
    Form->Modified = false;
    Form->Document().Frames[0]->Extensions.push_back(std::make_unique<TGIFCommentExtension>());
    ClickMenuItem(Form->Image2, Form->RemoveUnnecessaryExtensions1);
    EXPECT_TRUE(Form->Document().Frames[0]->Extensions.empty());
    EXPECT_TRUE(Form->Modified);
}

// ---------------------------------------------------------------------------
// Importing

std::string WritePng(const std::string& path, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

// Five frames of growing size with offsets, delays and a local palette on the second.
std::string WriteFiveFrameGif(const std::string& path) {
    TGIFData gif;
    for (int i = 0; i < 5; ++i) {
        TGIFImageData* frame = AddFilled(gif, 30 + 30 * i, 20 + 30 * i, 3 * i, 2 * i, i);
        frame->Control->DelayTime = std::uint16_t(50 + i);
    }
    gif.Frames[1]->SetHasLocalTable(true);
    gif.Frames[1]->LocalPalette[1] = {1, 2, 3, 0};
    gif.Frames[3]->Control->SetTransparent(true);
    gif.Frames[3]->Control->TransparentIndex = 3;
    gif.UpdateGlobalUsage();
    for (auto& f : gif.Frames) f->UpdateLocalUsage();
    gif.CompactPalettes();
    gif.ScreenWidth = 160;
    gif.ScreenHeight = 150;
    EXPECT_TRUE(gif.SaveToFile(path));
    return path;
}

TEST_F(FrameListWindow, ASingleWhitePictureBecomesTheMiddleOfItsBin) {
    Dialogs.OpenAnswers = {{WritePng(PathOf("white.png"), 6, 4, Qt::white)}};
    ClickMenuItem(Form->Image2, Form->AddImage1);
    ASSERT_EQ(Dialogs.OpenRequests.size(), 1u);
    EXPECT_EQ(
        Dialogs.OpenRequests[0].Filter,
        "All "
        "(*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png|"
        "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
        "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
        "Metafiles (*.wmf)|*.wmf|PNG Image File (*.png)|*.png");
    EXPECT_TRUE(Dialogs.OpenRequests[0].MultiSelect);
    EXPECT_TRUE(Dialogs.OpenRequests[0].MustExist);
    ASSERT_EQ(Form->Document().Frames.size(), 1u);
    const TGIFImageData& frame = *Form->Document().Frames[0];
    EXPECT_EQ(frame.Width, 6);
    EXPECT_EQ(frame.Height, 4);
    EXPECT_EQ(frame.Color(0), RGB(247, 247, 247));
    for (int e = 1; e < 256; ++e)
        EXPECT_EQ(frame.Color(e), RGB(7, (e >> 4) * 16 + 7, (e & 15) * 16 + 7)) << e;
    EXPECT_EQ(Form->CurrentRow(), 0);
    EXPECT_TRUE(Form->Modified);
}

TEST_F(FrameListWindow, AFiveFrameGifAddsFiveFramesAtTheOriginWithFullLocalPalettes) {
    Form->Document().ScreenWidth = Form->Document().ScreenHeight = 10;
    Dialogs.OpenAnswers = {{WriteFiveFrameGif(PathOf("five.gif"))}};
    Form->AddImage1Click();
    const TGIFData& gif = Form->Document();
    ASSERT_EQ(gif.Frames.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const TGIFImageData& frame = *gif.Frames[std::size_t(i)];
        EXPECT_EQ(frame.Left, 0);
        EXPECT_EQ(frame.Top, 0);
        EXPECT_EQ(frame.Width, 30 + 30 * i);
        EXPECT_TRUE(frame.HasLocalTable());
        EXPECT_EQ(frame.LocalTableSize(), 7); // 256 entries
        EXPECT_EQ(frame.Control->DelayTime,
                  gif.Frames[0]->Control->DelayTime); // the file's delays are not taken
    }
    EXPECT_EQ(gif.Frames[1]->Color(gif.Frames[1]->Pixels[0]), RGB(1, 2, 3)); // its own palette
    EXPECT_TRUE(gif.Frames[3]->Control->Transparent());
    EXPECT_EQ(gif.ScreenWidth, 150);
    EXPECT_EQ(gif.ScreenHeight, 140);
    EXPECT_EQ(Form->ListView1->count(), 5);
    EXPECT_EQ(Form->CurrentRow(), 4);
}

TEST_F(FrameListWindow, WhenTheSecondFileFailsTheFirstsFramesStayAndNoThirdIsRead) {
    const std::string first = WritePng(PathOf("a.png"), 3, 3, Qt::red);
    const std::string broken = PathOf("b.gif");
    WriteFileBytes(broken, {'G', 'I', 'F', '8', '9', 'a', 1});
    const std::string third = WritePng(PathOf("c.png"), 3, 3, Qt::blue);
    Dialogs.OpenAnswers = {{first, broken, third}};
    Dialogs.MessageAnswers = {mrOk};
    Form->AddImage1Click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u); // one message, naming the file; no second report from the reader
    EXPECT_EQ(Dialogs.Messages[0].Text, "Can not load file \"" + broken + "\"");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Form->Document().Frames.size(), 1u);
    EXPECT_EQ(Form->Document().Frames[0]->Color(Form->Document().Frames[0]->Pixels[0]), RGB(247, 7, 7));
    EXPECT_EQ(Form->ListView1->count(), 1);

    // An unknown extension ends the import without a word.
    Dialogs.OpenAnswers = {{third, PathOf("notes.txt"), first}};
    Form->AddImage1Click();
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    // Afterwards the reader's own reports are back.
    Dialogs.MessageAnswers = {mrOk};
    EXPECT_FALSE(Form->LoadFile(broken));
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
}

TEST_F(FrameListWindow, FilesDroppedFromTheDesktopAreImported) {
    Form->show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(WritePng(PathOf("one.png"), 5, 5, Qt::green))),
                  QUrl::fromLocalFile(QString::fromStdString(WriteFiveFrameGif(PathOf("five.gif"))))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &drop);
    EXPECT_EQ(Form->Document().Frames.size(), 6u);
    EXPECT_EQ(Form->ListView1->count(), 6);
    EXPECT_EQ(Form->CurrentRow(), 5);
    EXPECT_TRUE(Form->Modified);

    // Dropped on the list itself, too.
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(QString::fromStdString(PathOf("one.png")))});
    QDragEnterEvent listEnter(QPoint(10, 10), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form->ListView1->viewport(), &listEnter);
    EXPECT_TRUE(listEnter.isAccepted());
    QDropEvent listDrop(QPointF(10, 10), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form->ListView1->viewport(), &listDrop);
    EXPECT_EQ(Form->Document().Frames.size(), 7u);
    EXPECT_EQ(Order().size(), 7u);
}

TEST_F(FrameListWindow, AThousandFramesFillTheListAndScroll) {
    MakeFrames(1000);
    Form->show();
    EXPECT_EQ(Form->ListView1->count(), 1000);
    Form->ListView1->SelectRow(999);
    Form->ListView1->scrollToBottom();
    EXPECT_EQ(Form->CurrentRow(), 999);
    EXPECT_TRUE(Form->ListView1->viewport()->rect().intersects(
        Form->ListView1->visualItemRect(Form->ListView1->item(999))));
}

} // namespace
