// The palette strip and the colour commands: the grid picture, the commands on
// the document model, and the window's handlers reached through clicks.
#include "EditorTestSupport.h"
#include "UserInput.h"

#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/PaletteCommands.h"
#include "editor/PaletteGrid.h"
#include "editor/QtBitmap.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>

#include "support/ShellRun.h"

namespace {

const QColor Face(212, 208, 200);

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xFFFFFF;
}

TPaletteGridContent AllBlack() {
    TPaletteGridContent content;
    for (TPaletteCell& cell : content.Cells) cell.Color = RGB(0, 0, 0);
    return content;
}

// ---------------------------------------------------------------------------
// The grid picture

TEST(PaletteGridPicture, ForeOnZeroIsBlueAndBackOnOneIsGreen) {
    TPaletteGridContent content = AllBlack();
    content.ForeIndex = 0;
    content.BackIndex = 1;
    const QImage grid = DrawPaletteGrid(content, Face);
    ASSERT_EQ(grid.size(), QSize(480, 97));
    for (QPoint p : {QPoint(0, 0), QPoint(14, 0), QPoint(0, 12), QPoint(14, 12), QPoint(7, 12)})
        EXPECT_EQ(At(grid, p.x(), p.y()), Rgb(0, 0, 255)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(15, 0), QPoint(29, 0), QPoint(15, 12), QPoint(29, 12)})
        EXPECT_EQ(At(grid, p.x(), p.y()), Rgb(0, 128, 0)) << p.x() << "," << p.y();
    // Cell 2 has no outline of either colour: its corner shows the strip.
    EXPECT_EQ(At(grid, 30, 0), Face.rgb() & 0xFFFFFF);
    // The cell itself: black outline and fill of its colour.
    EXPECT_EQ(At(grid, 1, 1), Rgb(0, 0, 0));
}

TEST(PaletteGridPicture, ForeAndBackOnTheSameEntryOutlineItInRed) {
    TPaletteGridContent content = AllBlack();
    content.ForeIndex = content.BackIndex = 37; // column 5, row 1
    const QImage grid = DrawPaletteGrid(content, Face);
    const int x0 = 75, y0 = 12;
    for (QPoint p : {QPoint(x0, y0), QPoint(x0 + 14, y0), QPoint(x0, y0 + 12), QPoint(x0 + 14, y0 + 12)})
        EXPECT_EQ(At(grid, p.x(), p.y()), Rgb(255, 0, 0));
    // No blue or green anywhere.
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x) {
            ASSERT_NE(At(grid, x, y), Rgb(0, 0, 255));
            ASSERT_NE(At(grid, x, y), Rgb(0, 128, 0));
        }
}

TEST(PaletteGridPicture, UnusedEntriesCarryASilverDiagonalByExclusiveOr) {
    TPaletteGridContent content;
    content.Cells[33] = {RGB(10, 20, 30), false, false}; // x0 = 15, y0 = 12
    const QImage grid = DrawPaletteGrid(content, Face);
    const int x0 = 15, y0 = 12;
    const QRgb inverted = Rgb(10 ^ 192, 20 ^ 192, 30 ^ 192);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(At(grid, x0 + 5 + k, y0 + 4 + k), inverted) << k;
    EXPECT_EQ(At(grid, x0 + 10, y0 + 9), Rgb(10, 20, 30));   // the line's end point is left out
    EXPECT_EQ(At(grid, x0 + 1, y0 + 1), Rgb(255, 255, 255)); // unused: white outline

    content.MarkUnused = false;
    const QImage plain = DrawPaletteGrid(content, Face);
    EXPECT_EQ(At(plain, x0 + 5, y0 + 4), Rgb(10, 20, 30));
    EXPECT_EQ(At(plain, x0 + 1, y0 + 1), Rgb(255, 255, 255));
}

TEST(PaletteGridPicture, TheTransparentEntryCarriesASilverSquareOutline) {
    TPaletteGridContent content;
    content.Cells[0] = {RGB(100, 100, 100), true, true};
    const QImage grid = DrawPaletteGrid(content, Face);
    const QRgb inverted = Rgb(100 ^ 192, 100 ^ 192, 100 ^ 192);
    for (QPoint p : {QPoint(4, 3), QPoint(10, 3), QPoint(4, 9), QPoint(10, 9), QPoint(7, 3), QPoint(4, 6)})
        EXPECT_EQ(At(grid, p.x(), p.y()), inverted) << p.x() << "," << p.y();
    EXPECT_EQ(At(grid, 7, 6), Rgb(100, 100, 100)); // inside the square
    EXPECT_EQ(At(grid, 11, 10), Rgb(100, 100, 100));
    EXPECT_EQ(At(grid, 1, 1), Rgb(0, 0, 0)); // used: black outline
}

TEST(PaletteGridPicture, EmptyCellsAreOutlinedInWhiteOverTheStrip) {
    const QImage grid = DrawPaletteGrid(TPaletteGridContent{}, Face);
    EXPECT_EQ(At(grid, 1, 1), Rgb(255, 255, 255));
    EXPECT_EQ(At(grid, 7, 6), Face.rgb() & 0xFFFFFF);
}

TEST(PaletteGridPicture, CellsAreFoundByTheirFifteenByTwelveRectangles) {
    EXPECT_EQ(PaletteCellAt(0, 0), 0);
    EXPECT_EQ(PaletteCellAt(14, 11), 0);
    EXPECT_EQ(PaletteCellAt(15, 11), 1);
    EXPECT_EQ(PaletteCellAt(0, 12), 32);
    EXPECT_EQ(PaletteCellAt(479, 95), 255);
    EXPECT_EQ(PaletteCellAt(0, 96), -1);
    EXPECT_EQ(PaletteCellAt(480, 0), -1);
    EXPECT_EQ(PaletteCellAt(-1, 0), -1);
}

// ---------------------------------------------------------------------------
// The commands on the document

// A 16 x 16 frame using every index 0..255 once; local palette when asked.
TGIFImageData* AddEveryIndexFrame(TGIFData& gif, bool local) {
    TGIFImageData* frame = gif.AddFrame(16, 16);
    for (int i = 0; i < 256; ++i) frame->Pixels[std::size_t(i)] = std::uint8_t(i);
    if (local) {
        frame->SetHasLocalTable(true);
        for (int i = 0; i < 256; ++i)
            frame->LocalPalette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(255 - i), 7, 0};
        frame->UpdateLocalUsage();
    }
    gif.UpdateGlobalUsage();
    return frame;
}

TEST(PaletteCommands, StandardColorsChangeNothingWhenEveryEntryIsUsed) {
    TGIFData gif;
    TGIFImageData* frame = AddEveryIndexFrame(gif, true);
    const TPalette before = frame->LocalPalette;
    EXPECT_FALSE(UseStandardColors(*frame, DefaultPalette()));
    EXPECT_EQ(frame->LocalPalette, before);
}

TEST(PaletteCommands, StandardColorsFillOnlyTheUnusedEntries) {
    TGIFData gif;
    TGIFImageData* frame = gif.AddFrame(2, 1);
    frame->Pixels = {4, 9};
    for (PaletteEntry& e : gif.GlobalPalette) e = {1, 2, 3, 0};
    gif.UpdateGlobalUsage(); // 4, 9 and the background 0 are used
    EXPECT_TRUE(UseStandardColors(*frame, DefaultPalette()));
    for (int i : {0, 4, 9}) EXPECT_EQ(frame->Color(i), RGB(1, 2, 3)) << i;
    EXPECT_EQ(frame->Color(5), RGB(255, 0, 0));
    EXPECT_EQ(frame->Color(255), RGB(240, 240, 240));
}

TEST(PaletteCommands, ReplaceGlobalPaletteGivesTheFrameItsColoursFromTheGlobalTable) {
    TGIFData gif;
    TGIFImageData* frame = AddEveryIndexFrame(gif, true);
    TGIFImageData* other = gif.AddFrame(1, 1);
    other->Pixels = {200};
    ASSERT_TRUE(ReplaceGlobalPalette(gif, *frame));
    EXPECT_FALSE(frame->HasLocalTable());
    for (int i = 0; i < 256; ++i) EXPECT_EQ(frame->Color(i), RGB(i, 255 - i, 7));
    EXPECT_EQ(other->Color(200), RGB(200, 55, 7));
    EXPECT_EQ(gif.IsGlobalColorUsed(17), 1);
    EXPECT_FALSE(ReplaceGlobalPalette(gif, *frame)); // no local palette any more
}

TEST(PaletteCommands, CreateThenReplaceLeavesTheGlobalPaletteUnchanged) {
    TGIFData gif;
    TGIFImageData* frame = gif.AddFrame(2, 2);
    for (int i = 0; i < 256; ++i)
        gif.GlobalPalette[std::size_t(i)] = {std::uint8_t(i), 3, std::uint8_t(i / 2), 0};
    gif.UpdateGlobalUsage();
    const TPalette before = gif.GlobalPalette;
    ASSERT_TRUE(CreateLocalPalette(gif, *frame));
    EXPECT_TRUE(frame->HasLocalTable());
    EXPECT_EQ(frame->LocalPalette[1].Used, 1); // the frame's pixels are index 1
    EXPECT_FALSE(CreateLocalPalette(gif, *frame));
    ASSERT_TRUE(ReplaceGlobalPalette(gif, *frame));
    EXPECT_FALSE(frame->HasLocalTable());
    EXPECT_EQ(gif.GlobalPalette, before);
}

TEST(PaletteCommands, PickingTheSameColourIsNoChange) {
    TScriptedDialogs dialogs;
    TColor color = RGB(9, 8, 7);
    dialogs.ColorAnswers = {RGB(9, 8, 7), NoColor, RGB(1, 2, 3)};
    EXPECT_FALSE(PickColor(dialogs, color));
    EXPECT_FALSE(PickColor(dialogs, color)); // cancelled
    EXPECT_EQ(color, RGB(9, 8, 7));
    EXPECT_TRUE(PickColor(dialogs, color));
    EXPECT_EQ(color, RGB(1, 2, 3));
}

// ---------------------------------------------------------------------------
// The window

class PaletteWindow : public TMainFormTest {
  protected:
    // Frame 0 on the global table, frame 1 with a local table and a transparent entry 1.
    std::string WriteGif() {
        TBytes b = GifHeader(5, 3, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}});
        AppendZeroImage(b, 0, 0);
        Append(b, {0x21, 0xF9, 0x04, 0x01, 0x0A, 0x00, 0x01, 0x00});
        AppendZeroImage(b, 3, 1, {{1, 2, 3}, {4, 5, 6}});
        AppendTrailer(b);
        const std::string path = PathOf("pal.gif");
        WriteFileBytes(path, b);
        return path;
    }
    void Open() {
        ASSERT_TRUE(Form->LoadFile(WriteGif()));
        ASSERT_EQ(Form->CurrentRow(), 0);
    }
    const QImage& Grid() const { return Form->ScrollBox1->Image1->Picture(); }
    TPaletteGrid* GridWidget() const { return Form->ScrollBox1->Image1; }
    QString Caption() const { return Form->ScrollBox1->Label3->text(); }
    QPoint CellCentre(int i) const { return {15 * (i % 32) + 7, 12 * (i / 32) + 6}; }
};

TEST_F(PaletteWindow, TheStripShowsTheCurrentFramesPaletteWithForeAndBackMarked) {
    EXPECT_EQ(Caption(), "[Global]");
    Form->DrawPalette(nullptr);
    EXPECT_EQ(Caption(), "[-----]");
    Open();
    EXPECT_EQ(Caption(), "[Global]");
    EXPECT_EQ(Form->ForeIndex, 0);
    EXPECT_EQ(Form->BackIndex, 1);
    EXPECT_EQ(At(Grid(), 0, 0), Rgb(0, 0, 255));
    EXPECT_EQ(At(Grid(), 15, 0), Rgb(0, 128, 0));
    EXPECT_EQ(At(Grid(), 7, 6), Rgb(10, 20, 30));
    EXPECT_EQ(Form->ScrollBox1->ScrollBox2->Color(), RGB(10, 20, 30));
    // Entry 1 is unused: the standard white, with the unused diagonal.
    EXPECT_EQ(Form->ScrollBox1->ScrollBox6->Color(), RGB(255, 255, 255));
    EXPECT_EQ(At(Grid(), 15 + 5, 4), Rgb(255 ^ 192, 255 ^ 192, 255 ^ 192));

    Form->ListView1->SelectRow(1);
    EXPECT_EQ(Caption(), "[Local]");
    EXPECT_EQ(At(Grid(), 7, 6), Rgb(1, 2, 3));
    EXPECT_EQ(At(Grid(), 15 + 4, 3), Rgb(4 ^ 192, 5 ^ 192, 6 ^ 192)); // the transparent entry

    // "Mark Unused Colors" from the View menu takes the diagonals away and back.
    Form->ListView1->SelectRow(0);
    ClickMenuItem(Form->View1, Form->MarkUnusedColors1);
    EXPECT_FALSE(Form->MarkUnusedColors1->isChecked());
    EXPECT_EQ(At(Grid(), 15 + 5, 4), Rgb(255, 255, 255));
    ClickMenuItem(Form->View1, Form->MarkUnusedColors1);
    EXPECT_TRUE(Form->MarkUnusedColors1->isChecked());
    EXPECT_EQ(At(Grid(), 15 + 5, 4), Rgb(255 ^ 192, 255 ^ 192, 255 ^ 192));
}

TEST_F(PaletteWindow, PressesPickForeAndBackAndTheSameEntryTurnsRed) {
    Open();
    Form->show();
    QTest::mouseClick(GridWidget(), Qt::LeftButton, {}, CellCentre(3));
    EXPECT_EQ(Form->ForeIndex, 3);
    EXPECT_EQ(Form->PressedCell, 3);
    EXPECT_EQ(Form->ForeColor, RGB(192, 192, 192)); // unused: the standard colour of entry 3
    QTest::mouseClick(GridWidget(), Qt::RightButton, {}, CellCentre(3));
    EXPECT_EQ(Form->BackIndex, 3);
    EXPECT_EQ(At(Grid(), 45, 0), Rgb(255, 0, 0));
    // Entry 0 lost its blue outline: the strip shows there.
    EXPECT_EQ(At(Grid(), 0, 0), GridWidget()->palette().color(QPalette::Window).rgb() & 0xFFFFFF);
    EXPECT_FALSE(Form->Modified);

    // The labels describe the entry under the pointer.
    QTest::mouseMove(GridWidget(), CellCentre(0));
    Form->Image1MouseMove(CellCentre(0).x(), CellCentre(0).y());
    EXPECT_EQ(Form->ScrollBox1->Label4->text(), "Index: 0");
    EXPECT_EQ(Form->ScrollBox1->Label5->text(), "R: 10");
    EXPECT_EQ(Form->ScrollBox1->Label6->text(), "G: 20");
    EXPECT_EQ(Form->ScrollBox1->Label7->text(), "B: 30");
    EXPECT_EQ(Form->ScrollBox1->Label1->text(), "Used");
    Form->Image1MouseMove(CellCentre(40).x(), CellCentre(40).y());
    EXPECT_EQ(Form->ScrollBox1->Label1->text(), "Not Used");
}

TEST_F(PaletteWindow, APressBelowTheLastRowMissesAndADoubleClickThenAsksNothing) {
    Open();
    Form->show();
    QTest::mouseClick(GridWidget(), Qt::LeftButton, {}, CellCentre(5));
    ASSERT_EQ(Form->PressedCell, 5);
    QTest::mousePress(GridWidget(), Qt::LeftButton, {}, QPoint(20, 96));
    EXPECT_EQ(Form->PressedCell, -1);
    EXPECT_EQ(Form->ForeIndex, 5);
    Form->Image1DblClick();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u); // an unscripted colour chooser would fail the test
    EXPECT_FALSE(Form->Modified);
}

TEST_F(PaletteWindow, ADoubleClickEditsTheEntryAndEveryGlobalFrameFollows) {
    Open();
    Form->show();
    // A right double click only picks the back colour.
    QTest::mouseDClick(GridWidget(), Qt::RightButton, {}, CellCentre(2));
    EXPECT_EQ(Form->BackIndex, 2);
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
    Dialogs.ColorAnswers = {RGB(200, 100, 50)};
    QTest::mouseDClick(GridWidget(), Qt::LeftButton, {}, CellCentre(0));
    EXPECT_TRUE(Dialogs.ColorAnswers.empty());
    EXPECT_EQ(Form->Document().GlobalColor(0), RGB(200, 100, 50));
    EXPECT_EQ(Form->ForeColor, RGB(200, 100, 50));
    EXPECT_EQ(At(Grid(), 7, 6), Rgb(200, 100, 50));
    EXPECT_EQ(Form->Image->Picture().pixel(0, 0) & 0xFFFFFF, Rgb(200, 100, 50)); // the canvas shows it
    EXPECT_TRUE(Form->Modified);
}

TEST_F(PaletteWindow, TheSameColourAgainChangesNothing) {
    Open();
    Form->show();
    const TPalette before = Form->Document().GlobalPalette;
    Dialogs.ColorAnswers = {RGB(10, 20, 30)};
    ClickMenuItem(Form->Color1, Form->EditCurrentColor1);
    EXPECT_TRUE(Dialogs.ColorAnswers.empty());
    EXPECT_EQ(Form->Document().GlobalPalette, before);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(PaletteWindow, TheSwatchesAndMenuItemsEditForeAndBackInTheFramesOwnPalette) {
    Open();
    Form->show();
    Form->ListView1->SelectRow(1); // local palette
    Dialogs.ColorAnswers = {RGB(9, 9, 9)};
    QTest::mouseClick(Form->ScrollBox1->ScrollBox6, Qt::LeftButton);
    EXPECT_EQ(Form->Document().Frames[1]->LocalPalette[1].Red, 9);
    EXPECT_EQ(Form->BackColor, RGB(9, 9, 9));
    EXPECT_EQ(Form->Document().GlobalColor(1), RGB(255, 255, 255)); // global untouched
    Dialogs.ColorAnswers = {RGB(7, 7, 7)};
    QTest::mouseClick(Form->ScrollBox1->ScrollBox2, Qt::LeftButton);
    EXPECT_EQ(Form->Document().Frames[1]->Color(0), RGB(7, 7, 7));
    Dialogs.ColorAnswers = {RGB(6, 6, 6)};
    ClickMenuItem(Form->Color1, Form->EditCurrentBackColor1);
    EXPECT_EQ(Form->BackColor, RGB(6, 6, 6));
    EXPECT_EQ(Form->ScrollBox1->ScrollBox6->Color(), RGB(6, 6, 6));
    EXPECT_TRUE(Form->Modified);
}

TEST_F(PaletteWindow, StandardColorsOnAFullyUsedPaletteChangeNothing) {
    TGIFData made;
    AddEveryIndexFrame(made, true);
    ASSERT_TRUE(made.SaveToFile(PathOf("full.gif")));
    ASSERT_TRUE(Form->LoadFile(PathOf("full.gif")));
    Form->show();
    const TPalette before = Form->Document().Frames[0]->LocalPalette;
    ClickMenuItem(Form->Color1, Form->UseStandardColorsForNouseColors1);
    EXPECT_EQ(Form->Document().Frames[0]->LocalPalette, before);
    EXPECT_FALSE(Form->Modified);

    // On a palette with unused entries they take the standard colours.
    Open();
    Form->Document().GlobalPalette[7] = {1, 1, 1, 0};
    ClickMenuItem(Form->Color1, Form->UseStandardColorsForNouseColors1);
    EXPECT_EQ(Form->Document().GlobalColor(7), RGB(255, 255, 0));
    EXPECT_EQ(Form->Document().GlobalColor(0), RGB(10, 20, 30));
    EXPECT_TRUE(Form->Modified);
}

TEST_F(PaletteWindow, ReplaceGlobalPaletteShowsGlobalWithTheFormerLocalColours) {
    Open();
    Form->show();
    Form->ListView1->SelectRow(1);
    // Thumbnails are drawn as rows come into view; make sure frame 0 has one.
    Form->Document().Frames[0]->RenderThumbnail();
    const QImage frame0Before = ToQImage(*Form->Document().Frames[0]->Thumbnail);
    EXPECT_FALSE(Form->CreateLocalPalette1->isEnabled());
    ASSERT_TRUE(Form->MoveLocalColorsToGlobal1->isEnabled());
    ClickMenuItem(Form->Color1, Form->MoveLocalColorsToGlobal1);
    EXPECT_EQ(Caption(), "[Global]");
    EXPECT_FALSE(Form->Document().Frames[1]->HasLocalTable());
    EXPECT_EQ(At(Grid(), 7, 6), Rgb(1, 2, 3));
    EXPECT_EQ(Form->Document().GlobalColor(1), RGB(4, 5, 6));
    // Frame 0 uses the global palette too: its look changed with it.
    EXPECT_EQ(Form->Document().Frames[0]->Color(0), RGB(1, 2, 3));
    EXPECT_NE(ToQImage(*Form->Document().Frames[0]->Thumbnail), frame0Before);
    EXPECT_TRUE(Form->Modified);
    EXPECT_TRUE(Form->CreateLocalPalette1->isEnabled());
    EXPECT_FALSE(Form->MoveLocalColorsToGlobal1->isEnabled());
}

TEST_F(PaletteWindow, CreateThenReplaceThroughTheMenuLeavesTheGlobalPaletteAsItWas) {
    Open();
    Form->show();
    const TPalette before = Form->Document().GlobalPalette;
    ClickMenuItem(Form->Color1, Form->CreateLocalPalette1);
    EXPECT_EQ(Caption(), "[Local]");
    EXPECT_TRUE(Form->Document().Frames[0]->HasLocalTable());
    EXPECT_TRUE(Form->Modified);
    ClickMenuItem(Form->Color1, Form->MoveLocalColorsToGlobal1);
    EXPECT_FALSE(Form->Document().Frames[0]->HasLocalTable());
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(Form->Document().GlobalPalette[std::size_t(i)].Red, before[std::size_t(i)].Red);
        EXPECT_EQ(Form->Document().GlobalPalette[std::size_t(i)].Blue, before[std::size_t(i)].Blue);
    }
}

TEST_F(PaletteWindow, ReplacingWithoutAGlobalTableSavesTheFramesColours) {
    // A file with no global table: the frame's colours live in its local table only.
    TGIFData made;
    made.ScreenFlags = 0x00;
    TGIFImageData* frame = made.AddFrame(3, 1);
    frame->Pixels = {0, 5, 9};
    frame->SetHasLocalTable(true);
    frame->SetLocalTableSize(3);
    frame->LocalPalette[0] = {11, 12, 13, 0};
    frame->LocalPalette[5] = {51, 52, 53, 0};
    frame->LocalPalette[9] = {91, 92, 93, 0};
    ASSERT_TRUE(made.SaveToFile(PathOf("local.gif")));
    ASSERT_TRUE(Form->LoadFile(PathOf("local.gif")));
    ASSERT_FALSE(Form->Document().HasGlobalTable());
    Form->MoveLocalColorsToGlobal1Click();
    EXPECT_TRUE(Form->Document().HasGlobalTable());
    EXPECT_EQ(Form->Document().GlobalTableSize(), 3); // 16 entries hold index 9
    ASSERT_TRUE(Form->SaveFile(PathOf("saved.gif")));

    TGIFData back;
    ASSERT_TRUE(back.LoadFromFile(PathOf("saved.gif")));
    ASSERT_TRUE(back.HasGlobalTable());
    ASSERT_EQ(back.Frames.size(), 1u);
    const TGIFImageData& read = *back.Frames[0];
    EXPECT_FALSE(read.HasLocalTable());
    EXPECT_EQ(read.Color(read.Pixels[0]), RGB(11, 12, 13));
    EXPECT_EQ(read.Color(read.Pixels[1]), RGB(51, 52, 53));
    EXPECT_EQ(read.Color(read.Pixels[2]), RGB(91, 92, 93));
    // ImageMagick reads the same three colours.
    const TShellRun magick = RunShell("convert '" + PathOf("saved.gif") + "' -depth 8 txt:-");
    ASSERT_EQ(magick.Status, 0) << magick.Output;
    for (const char* colour : {"(11,12,13)", "(51,52,53)", "(91,92,93)"})
        EXPECT_NE(magick.Output.find(colour), std::string::npos) << colour << "\n" << magick.Output;
}

TEST_F(PaletteWindow, ColorMenuNeedsAFrame) {
    for (QAction* a :
         {Form->EditCurrentColor1, Form->EditCurrentBackColor1, Form->UseStandardColorsForNouseColors1,
          Form->MoveLocalColorsToGlobal1, Form->CreateLocalPalette1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(Form->EditCurrentColor1->text(), "Edit Current Fore Color...");
    EXPECT_EQ(Form->EditCurrentBackColor1->text(), "Edit Current Back Color...");
    EXPECT_EQ(Form->UseStandardColorsForNouseColors1->text(), "Standard Colors");
    EXPECT_EQ(Form->MoveLocalColorsToGlobal1->text(), "Replace Global Palette");
    EXPECT_EQ(Form->CreateLocalPalette1->text(), "Create Local Palette");
    EXPECT_EQ(Form->MarkUnusedColors1->text(), "Mark Unused Colors");
    EXPECT_TRUE(Form->MarkUnusedColors1->isChecked());
    Open();
    EXPECT_TRUE(Form->EditCurrentColor1->isEnabled());
    EXPECT_TRUE(Form->CreateLocalPalette1->isEnabled());
    EXPECT_FALSE(Form->MoveLocalColorsToGlobal1->isEnabled());
    // Without a frame the commands do nothing.
    Form->ListView1->clearSelection();
    EXPECT_FALSE(Form->EditCurrentColor1->isEnabled());
    Form->EditCurrentColor1Click();
    Form->UseStandardColorsForNouseColors1Click();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(PaletteWindow, TheMarkerShowsOverACellAndHides) {
    Form->show();
    Form->MarkPaletteCell(33);
    QLabel* marker = Form->ScrollBox1->Image6;
    EXPECT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->pos(), GridWidget()->pos() + QPoint(15, 12));
    Form->MarkPaletteCell(256);
    EXPECT_FALSE(marker->isVisible());
    Form->MarkPaletteCell(0);
    QTest::mouseMove(GridWidget(), CellCentre(2));
    Form->Image1MouseMove(2, 2);
    EXPECT_FALSE(marker->isVisible());
    // A move over the empty canvas area hides it too.
    Form->MarkPaletteCell(4);
    QWidget* area = Form->ScrollBox3->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), area->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &move);
    EXPECT_FALSE(marker->isVisible());
}

// ---------------------------------------------------------------------------
// Enabling follows every command

TEST_F(PaletteWindow, FramePropertiesIsEnabledEverywhereAfterNewTheFrameMenuAndNewFrame) {
    Form->show();
    Dialogs.OnForm("GlobalForm", [](QDialog& d) { d.findChild<QPushButton*>("OKButton")->click(); });
    ClickMenuItem(Form->findChild<QMenu*>("New2"), Form->New1);
    ASSERT_EQ(Dialogs.FormsShown.size(), 1u);
    EXPECT_FALSE(ToolButtonOf(Form->ToolBar1, Form->Properties1)->isEnabled());
    OpenAndCloseMenu(Form->Image2);
    Dialogs.OnForm("FrameForm", [](QDialog& d) {
        d.findChild<QSpinBox*>("WEdit")->setValue(8);
        d.findChild<QPushButton*>("OKButton")->click();
    });
    ClickToolButton(Form->ToolBar1, Form->NewImage1);
    ASSERT_EQ(Form->Document().Frames.size(), 1u);
    ASSERT_EQ(Form->CurrentRow(), 0);
    EXPECT_TRUE(ToolButtonOf(Form->ToolBar1, Form->Properties1)->isEnabled());
    EXPECT_TRUE(Form->PopupMenu1->actions().contains(Form->Properties1));
    EXPECT_TRUE(Form->Properties1->isEnabled());
    EXPECT_TRUE(Form->EditCurrentColor1->isEnabled());
    // And the button opens the dialog.
    Dialogs.OnForm("FrameForm", [](QDialog& d) { d.findChild<QPushButton*>("CancelButton")->click(); });
    ClickToolButton(Form->ToolBar1, Form->Properties1);
    EXPECT_EQ(Dialogs.FormsShown.back(), "FrameForm");
    EXPECT_EQ(Dialogs.FormsShown.size(), 3u);
    Form->Modified = false;
}

} // namespace
