// The main window's document lifecycle and views, run through its handlers.
#include "EditorTestSupport.h"

#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/FrameUnit.h"
#include "editor/GlobalUnit.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

namespace {

namespace fs = std::filesystem;
using Colours = std::vector<std::array<int, 3>>;

void ClickOK(QDialog& d) {
    d.findChild<QPushButton*>("OKButton")->click();
}

void ClickCancel(QDialog& d) {
    d.findChild<QPushButton*>("CancelButton")->click();
}

// Two 2 x 2 frames: frame 0 on the 4-entry global table, frame 1 at (3, 1) with a local table.
std::string WriteTwoFrameGif(const std::string& path) {
    TBytes b = GifHeader(5, 3, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}});
    AppendZeroImage(b, 0, 0);
    AppendZeroImage(b, 3, 1, {{1, 2, 3}, {4, 5, 6}});
    AppendTrailer(b);
    WriteFileBytes(path, b);
    return path;
}

std::vector<std::string> TreeTexts(const QTreeWidgetItem* item) {
    std::vector<std::string> texts{item->text(0).toStdString()};
    for (int i = 0; i < item->childCount(); ++i) {
        const auto below = TreeTexts(item->child(i));
        texts.insert(texts.end(), below.begin(), below.end());
    }
    return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

using MainFormTest = TMainFormTest;

TEST_F(MainFormTest, WidgetsCarryTheirNamesAndTheToolBarItsHints) {
    for (const char* name :
         {"ListView1", "PageControl2", "ScrollBox3", "ScrollBox4", "Image", "ImageCover", "Shape1", "Shape2",
          "TreeView1", "Memo1", "ScrollBox1", "StatusBar1", "ToolBar1"})
        EXPECT_NE(Form->findChild<QWidget*>(name), nullptr) << name;
    QTabWidget* pages = Form->PageControl2;
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "Compose");
    EXPECT_EQ(pages->tabText(1), "Preview");
    EXPECT_EQ(pages->tabText(2), "Global Info");
    QStringList hints;
    for (QAction* a : Form->ToolBar1->actions())
        if (!a->isSeparator()) hints << a->toolTip();
    EXPECT_EQ(hints, QStringList({"New GIF", "New Text Effect GIF", "New Slide Show Style GIF", "Open",
                                  "Save", "New Frame", "Add Frame From File", "Frame Properties",
                                  "Global Properties", "Undo", "Redo", "Copy", "Paste", "Zoom In", "Zoom Out",
                                  "Actual Size", "Move Up", "Move Down"}));
    EXPECT_EQ(Form->Open1->text(), "Open...");
    EXPECT_EQ(Form->Open1->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(Form->Save1->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(Form->Exit1->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(Form->Global1->shortcut(), QKeySequence("Ctrl+G"));
    EXPECT_EQ(Form->New1->text(), "New GIF...");
    EXPECT_EQ(Form->SaveAs1->text(), "Save As...");
    EXPECT_EQ(Form->windowTitle(), "Frameloom");
    EXPECT_EQ(Form->Canvas->Zoom, 2);
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen:");
    EXPECT_EQ(Form->StatusPanelText(3), "Loop:");
    EXPECT_EQ(Form->DefaultPalette, DefaultPalette());
}

TEST_F(MainFormTest, ClosingAnUnmodifiedDocumentAsksNothing) {
    Form->show();
    EXPECT_TRUE(Form->close());
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
    EXPECT_TRUE(Form->Closing);
}

TEST_F(MainFormTest, CancellingTheSaveDialogOfAModifiedUntitledDocumentKeepsTheWindow) {
    Form->show();
    Form->Modified = true;
    Dialogs.MessageAnswers = {mrYes};
    Dialogs.SaveAnswers = {""};
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_FALSE(Form->Closing);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Save changes to file ?");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Confirm");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtConfirmation);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, mbYesNoCancel);
    ASSERT_EQ(Dialogs.SaveRequests.size(), 1u);
    EXPECT_EQ(Dialogs.SaveRequests[0].Filter, "GIF files (*.gif)|*.gif");
    // Cancel in the question itself keeps it open too.
    Dialogs.MessageAnswers = {mrCancel};
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    Form->Modified = false;
}

TEST_F(MainFormTest, NoInTheSaveQuestionClosesWithoutSaving) {
    const std::string path = WriteTwoFrameGif(PathOf("two.gif"));
    ASSERT_TRUE(Form->LoadFile(path));
    const TBytes before = ReadFileBytes(path);
    Form->Modified = true;
    Dialogs.MessageAnswers = {mrNo};
    EXPECT_TRUE(Form->close());
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Save changes to " + path + " ?");
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(MainFormTest, ExitRunsTheCloseQuery) {
    Form->show();
    Form->Modified = true;
    Dialogs.MessageAnswers = {mrCancel};
    Form->Exit1Click();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    Form->Modified = false;
    Form->Exit1Click();
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(MainFormTest, NewLeavesAnEmptyUntitledDocumentOverTheStandardColours) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Dialogs.OnForm("GlobalForm", [](QDialog& d) {
        d.findChild<QCheckBox*>("InfiniteCheck")->click();
        ClickOK(d);
    });
    Form->New1Click();
    const TGIFData& gif = Form->Document();
    EXPECT_TRUE(gif.Frames.empty());
    EXPECT_EQ(Form->ListView1->count(), 0);
    EXPECT_EQ(Form->FileName, "");
    EXPECT_EQ(Form->windowTitle(), "Frameloom");
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 0");
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: Infinite");
    EXPECT_TRUE(gif.Looping);
    const TDefaultPalette& standard = DefaultPalette();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(gif.GlobalPalette[i],
                  (PaletteEntry{standard[i].Red, standard[i].Green, standard[i].Blue, 0}))
            << "entry " << i;
    }
    EXPECT_FALSE(gif.GlobalSorted());
    EXPECT_EQ(gif.AspectRatio, 0);
    EXPECT_FALSE(Form->Image->isVisibleTo(Form.get()));
    EXPECT_TRUE(Form->FrameInfoLines().isEmpty());
}

TEST_F(MainFormTest, NewIsAbandonedByCancelInTheGlobalDialogOrTheSaveQuestion) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Dialogs.OnForm("GlobalForm", ClickCancel);
    Form->New1Click();
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    EXPECT_EQ(Form->ListView1->count(), 2);

    Form->Modified = true;
    Dialogs.MessageAnswers = {mrCancel};
    Form->New1Click();
    EXPECT_EQ(Dialogs.FormsShown.size(), 1u); // the global dialog was not shown again
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    EXPECT_TRUE(Form->Modified);
    Form->Modified = false;
}

TEST_F(MainFormTest, OpenShowsTheFramesAndFillsUnusedEntriesWithTheStandardColours) {
    const std::string path = WriteTwoFrameGif(PathOf("two.gif"));
    Dialogs.OpenAnswers = {{path}};
    Form->Open1Click();
    ASSERT_EQ(Dialogs.OpenRequests.size(), 1u);
    EXPECT_EQ(Dialogs.OpenRequests[0].Filter, "GIF files|*.gif");
    const TGIFData& gif = Form->Document();
    ASSERT_EQ(gif.Frames.size(), 2u);
    EXPECT_EQ(Form->FileName, path);
    EXPECT_EQ(Form->windowTitle().toStdString(), "Frameloom - " + path);
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    // Used entries keep the file's colours; unused ones, inside or beyond the file's table, take the standard
    // ones.
    const TDefaultPalette& standard = DefaultPalette();
    EXPECT_EQ(gif.GlobalColor(0), RGB(10, 20, 30));
    for (int i : {1, 2, 3, 4, 100, 255})
        EXPECT_EQ(gif.GlobalColor(i), RGB(standard[i].Red, standard[i].Green, standard[i].Blue)) << i;
    const TGIFImageData& local = *gif.Frames[1];
    EXPECT_EQ(local.Color(0), RGB(1, 2, 3));
    EXPECT_EQ(local.Color(1), RGB(255, 255, 255));
    // Rows, current frame and views.
    EXPECT_EQ(Form->ListView1->count(), 2);
    EXPECT_EQ(Form->ListView1->FrameAt(1), gif.Frames[1].get());
    EXPECT_EQ(Form->CurrentRow(), 0);
    EXPECT_EQ(Form->LastFrameIndex, 0);
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 5 by 3");
    EXPECT_EQ(Form->StatusPanelText(1), "Back Color Index: 0");
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 2");
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: 1");
    EXPECT_EQ(Form->FrameInfoLines().value(0), " Image Offset: 0 by 0");
    EXPECT_EQ(Form->ForeIndex, 0);
    EXPECT_EQ(Form->BackIndex, 1);
    EXPECT_EQ(Form->ForeColor, RGB(10, 20, 30));
}

TEST_F(MainFormTest, SelectingAnotherRowShowsThatFrameAtItsOffset) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Form->ListView1->SelectRow(1);
    EXPECT_EQ(Form->LastFrameIndex, 1);
    EXPECT_EQ(Form->FrameInfoLines().value(0), " Image Offset: 3 by 1");
    // Zoom 1: the image sits one pixel inside the logical screen's outline.
    EXPECT_EQ(Form->Image->geometry(), QRect(4, 2, 2, 2));
    EXPECT_EQ(Form->Shape2->geometry(), QRect(3, 1, 4, 4));
    EXPECT_EQ(Form->Shape1->geometry(), QRect(0, 0, 7, 5));
    EXPECT_EQ(Form->ScrollBox4->size(), QSize(7, 5));
    EXPECT_EQ(Form->ImageCover->geometry(), Form->Image->geometry());
    EXPECT_EQ(Form->Canvas->CanvasImage.Width(), 2);
    EXPECT_EQ(Form->Canvas->CanvasImage.Pixel(1, 1), RGB(1, 2, 3));
    EXPECT_EQ(Form->Canvas->CanvasBackup, Form->Canvas->CanvasImage);
    // Several rows selected: the first one is current.
    Form->ListView1->item(0)->setSelected(true);
    EXPECT_EQ(Form->CurrentRow(), 0);
    EXPECT_EQ(Form->LastFrameIndex, 0);
    EXPECT_EQ(Form->ListView1->SelectedRowCount(), 2);
}

TEST_F(MainFormTest, ZoomScalesTheCanvasAndSmallCanvasesAreCentred) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Form->resize(900, 700);
    Form->show();
    Form->Canvas->Zoom = 4;
    Form->ShowFrame(Form->Document().Frames[1].get());
    EXPECT_EQ(Form->Image->geometry(), QRect(13, 5, 8, 8));
    EXPECT_EQ(Form->ScrollBox4->size(), QSize(22, 14));
    const QSize client = Form->ScrollBox3->viewport()->size();
    EXPECT_EQ(Form->ScrollBox4->pos(), QPoint((client.width() - 22) / 2, (client.height() - 14) / 2));
}

TEST_F(MainFormTest, AFailedOpenReportsAnIOErrorAndKeepsTheOpenDocument) {
    const std::string good = WriteTwoFrameGif(PathOf("two.gif"));
    ASSERT_TRUE(Form->LoadFile(good));
    Form->ListView1->SelectRow(1);
    TBytes bad = GifHeader(5, 3, {{0, 0, 0}, {1, 1, 1}});
    Append(bad, {0x21, 0x02, 0x00}); // an extension label the format does not have
    WriteFileBytes(PathOf("bad.gif"), bad);
    Dialogs.MessageAnswers = {mrOk};
    EXPECT_FALSE(Form->LoadFile(PathOf("bad.gif")));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "I/O Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    // The box's details say why, and which file.
    EXPECT_NE(Dialogs.Messages[0].Details.find("\n\nFile: " + PathOf("bad.gif")), std::string::npos)
        << Dialogs.Messages[0].Details;
    EXPECT_GT(Dialogs.Messages[0].Details.find("File: "), 0u); // the reason comes first
    EXPECT_EQ(Form->FileName, good);
    EXPECT_EQ(Form->windowTitle().toStdString(), "Frameloom - " + good);
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    EXPECT_EQ(Form->ListView1->count(), 2);
    EXPECT_EQ(Form->CurrentRow(), 1);
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 2");
    // A later save writes the document that is shown, not a half-read one.
    ASSERT_TRUE(Form->SaveFile(good));
    TGIFData reread;
    ASSERT_TRUE(reread.LoadFromFile(good));
    EXPECT_EQ(reread.Frames.size(), 2u);

    Dialogs.MessageAnswers = {mrOk};
    EXPECT_FALSE(Form->LoadFile(PathOf("missing.gif")));
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
}

TEST_F(MainFormTest, FitLogicalScreenShrinksTheScreenToTheFrames) {
    TGIFData& gif = Form->Document();
    gif.ScreenWidth = 100;
    gif.ScreenHeight = 100;
    gif.AddFrame(40, 30);
    gif.AddFrame(40, 30);
    Form->FillFrameList();
    Form->ListView1->SelectRow(0);
    // Any command that fits the screen, here an edit of the frame's delay.
    Dialogs.OnForm("FrameForm", [](QDialog& d) {
        d.findChild<QSpinBox*>("DelayEdit")->setValue(20);
        ClickOK(d);
    });
    Form->Properties1Click();
    EXPECT_EQ(gif.ScreenWidth, 40);
    EXPECT_EQ(gif.ScreenHeight, 30);
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 40 by 30");
    EXPECT_TRUE(Form->Modified);
    EXPECT_FALSE(Form->FitLogicalScreen());
    Form->Modified = false;
}

TEST_F(MainFormTest, LoopPanelCountsPlays) {
    TGIFData& gif = Form->Document();
    gif.Looping = true;
    gif.LoopCount = 0;
    Form->UpdateStatusBar();
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: Infinite");
    gif.LoopCount = 2;
    Form->UpdateStatusBar();
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: 3");
    gif.LoopCount = 65535;
    Form->UpdateStatusBar();
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: 65536");
    gif.Looping = false;
    Form->UpdateStatusBar();
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: 1");
}

TEST_F(MainFormTest, FrameInformationListsTheFrame) {
    TGIFData& gif = Form->Document();
    TGIFImageData* frame = gif.AddFrame(7, 9);
    frame->Left = 3;
    frame->Top = 4;
    frame->SetInterlaced(true);
    frame->Control->SetTransparent(true);
    frame->Control->TransparentIndex = 12;
    frame->Control->DelayTime = 250;
    frame->Control->SetDisposal(3);
    Form->ShowFrameInfo(frame);
    EXPECT_EQ(Form->FrameInfoLines(),
              QStringList({" Image Offset: 3 by 4", " Image Size: 7 by 9", " Interlaced: True",
                           " Tranparent: True", " Tranparent Color Index: 12",
                           " Delay: 250 (1/100 of a Second)", " Removal Method: To previous state"}));
    frame->Control->SetDisposal(5);
    Form->ShowFrameInfo(frame);
    EXPECT_EQ(Form->FrameInfoLines().value(6), " Removal Method: ");
    Form->ShowFrameInfo(nullptr);
    EXPECT_TRUE(Form->FrameInfoLines().isEmpty());
}

TEST_F(MainFormTest, SaveAsksForANameAndCompletesIt) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Form->FileName.clear();
    Dialogs.SaveAnswers = {PathOf("copy")};
    Form->Save1Click();
    const std::string saved = PathOf("copy.gif");
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(Form->FileName, saved);
    EXPECT_EQ(Form->windowTitle().toStdString(), "Frameloom - " + saved);
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(TIniFile(Form->SettingsFileName()).ReadString("START", "DefaultFile"), saved);
    EXPECT_EQ(Form->SettingsFileName(), PathOf("Frameloom.ini"));
    // With a name, Save asks nothing; Save As always asks, starting from the name.
    Form->Modified = true;
    Form->Save1Click();
    EXPECT_EQ(Dialogs.SaveRequests.size(), 1u);
    EXPECT_FALSE(Form->Modified);
    Dialogs.SaveAnswers = {""};
    Form->SaveAs1Click();
    ASSERT_EQ(Dialogs.SaveRequests.size(), 2u);
    EXPECT_EQ(Dialogs.SaveRequests[1].FileName, saved);
    EXPECT_EQ(Form->FileName, saved);
}

TEST_F(MainFormTest, AFailedSaveChangesNothingAndStopsTheClose) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    const std::string name = Form->FileName;
    Form->Modified = true;
    Dialogs.MessageAnswers = {mrOk};
    EXPECT_FALSE(Form->SaveFile(PathOf("no-such-folder/out.gif")));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "I/O Error");
    EXPECT_EQ(Dialogs.Messages[0].Details,
              "Cannot create file \"" + PathOf("no-such-folder/out.gif") +
                  "\". No such file or directory\n\nFile: " + PathOf("no-such-folder/out.gif"));
    EXPECT_EQ(Form->FileName, name);
    EXPECT_TRUE(Form->Modified);
    EXPECT_FALSE(fs::exists(Form->SettingsFileName()));

    Form->FileName = PathOf("no-such-folder/out.gif");
    Dialogs.MessageAnswers = {mrYes, mrOk};
    EXPECT_FALSE(Form->ConfirmSave());
    Form->Modified = false;
}

TEST_F(MainFormTest, OpenEditSaveAndReopenKeepsTheEdits) {
    const std::string path = WriteTwoFrameGif(PathOf("two.gif"));
    Dialogs.OpenAnswers = {{path}};
    Form->Open1Click();
    ASSERT_EQ(Form->CurrentRow(), 0);
    Dialogs.OnForm("FrameForm", [](QDialog& d) {
        d.findChild<QLineEdit*>("TitleEdit")->setText("  opening  ");
        d.findChild<QSpinBox*>("DelayEdit")->setValue(25);
        d.findChild<QComboBox*>("DisposalCombo")->setCurrentIndex(1);
        d.findChild<QCheckBox*>("TransparentCheck")->click();
        d.findChild<QSpinBox*>("TransIndexEdit")->setValue(1);
        ClickOK(d);
    });
    Form->Properties1Click();
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->FrameInfoLines().value(5), " Delay: 25 (1/100 of a Second)");
    Dialogs.OnForm("GlobalForm", [](QDialog& d) {
        d.findChild<QSpinBox*>("LoopingEdit")->setValue(4);
        ClickOK(d);
    });
    Form->Global1Click();
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: 4");
    Form->Save1Click();
    EXPECT_FALSE(Form->Modified);

    ASSERT_TRUE(Form->LoadFile(path));
    const TGIFData& gif = Form->Document();
    ASSERT_EQ(gif.Frames.size(), 2u);
    const TGIFImageData& first = *gif.Frames[0];
    EXPECT_EQ(first.Title, "opening");
    EXPECT_EQ(first.Control->DelayTime, 25);
    EXPECT_EQ(first.Control->Disposal(), 1);
    EXPECT_TRUE(first.Control->Transparent());
    EXPECT_EQ(first.Color(0), RGB(10, 20, 30));
    EXPECT_TRUE(gif.Looping);
    EXPECT_EQ(gif.LoopCount, 3);
    EXPECT_EQ(gif.Frames[1]->Left, 3);
    EXPECT_EQ(gif.Frames[1]->Color(0), RGB(1, 2, 3));
    // The file as another program reads it.
    const std::string info = RunShell("gifsicle --info '" + path + "'").Output;
    EXPECT_NE(info.find("2 images"), std::string::npos) << info;
    EXPECT_NE(info.find("loop count 3"), std::string::npos) << info;
    EXPECT_NE(info.find("disposal asis delay 0.25s"), std::string::npos) << info;
}

TEST_F(MainFormTest, NewFrameAppendsAndSelectsIt) {
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Dialogs.OnForm("FrameForm", [](QDialog& d) {
        d.findChild<QSpinBox*>("WEdit")->setValue(8);
        ClickOK(d);
    });
    Form->NewImage1Click();
    const TGIFData& gif = Form->Document();
    ASSERT_EQ(gif.Frames.size(), 3u);
    EXPECT_EQ(gif.Frames[2]->Title, "New Frame");
    EXPECT_EQ(gif.Frames[2]->Width, 8);
    EXPECT_EQ(gif.Frames[2]->Height, 3);
    EXPECT_EQ(Form->ListView1->count(), 3);
    EXPECT_EQ(Form->CurrentRow(), 2);
    EXPECT_TRUE(Form->Modified);
    // The screen grew to the new frame.
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 8 by 3");
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 3");

    Form->Modified = false;
    Dialogs.OnForm("FrameForm", ClickCancel);
    Form->NewImage1Click();
    EXPECT_EQ(gif.Frames.size(), 3u);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(MainFormTest, AddFrameFromFileImportsUntilAFileFails) {
    const std::string gif = WriteTwoFrameGif(PathOf("two.gif"));
    const std::string broken = PathOf("broken.png");
    WriteFileBytes(broken, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x01});
    const std::string never = WriteTwoFrameGif(PathOf("never.gif"));
    Dialogs.OpenAnswers = {{gif, broken, never}};
    Dialogs.MessageAnswers = {mrOk};
    Form->AddImage1Click();
    ASSERT_EQ(Dialogs.OpenRequests.size(), 1u);
    EXPECT_TRUE(Dialogs.OpenRequests[0].MultiSelect);
    EXPECT_EQ(
        Dialogs.OpenRequests[0].Filter.rfind("All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png)|", 0),
        0u);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Can not load file \"" + broken + "\"");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    // The first file's two frames arrived; the file after the broken one was not read.
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    EXPECT_EQ(Form->ListView1->count(), 2);
    EXPECT_EQ(Form->CurrentRow(), 1);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 2");

    Form->Modified = false;
    Dialogs.OpenAnswers = {{}};
    Form->AddImage1Click();
    EXPECT_EQ(Form->Document().Frames.size(), 2u);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(MainFormTest, PropertyCommandsNeedAChangeOrAFrame) {
    Form->Properties1Click(); // no frame: nothing is asked
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
    ASSERT_TRUE(Form->LoadFile(WriteTwoFrameGif(PathOf("two.gif"))));
    Dialogs.OnForm("FrameForm", ClickOK);
    Form->Properties1Click();
    Dialogs.OnForm("GlobalForm", ClickOK);
    Form->Global1Click();
    EXPECT_FALSE(Form->Modified);
    Dialogs.OnForm("GlobalForm", [](QDialog& d) {
        d.findChild<QSpinBox*>("BackIndexEdit")->setValue(2);
        ClickOK(d);
    });
    Form->Global1Click();
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->StatusPanelText(1), "Back Color Index: 2");
    EXPECT_EQ(Form->Document().IsGlobalColorUsed(2), 1);
    Form->Modified = false;
}

TEST_F(MainFormTest, ViewCommandsToggleTheirPartsAndCheckMarks) {
    Form->show();
    Form->oolBar1Click();
    EXPECT_TRUE(Form->ToolBar1->isHidden());
    EXPECT_FALSE(Form->oolBar1->isChecked());
    Form->oolBar1Click();
    EXPECT_FALSE(Form->ToolBar1->isHidden());
    EXPECT_TRUE(Form->oolBar1->isChecked());
    Form->StatusBar2Click();
    EXPECT_TRUE(Form->StatusBar1->isHidden());
    EXPECT_FALSE(Form->StatusBar2->isChecked());
    Form->FrameList1->trigger(); // through the menu item
    EXPECT_TRUE(Form->ListView1->isHidden());
    EXPECT_FALSE(Form->FrameList1->isChecked());
    Form->FrameList1->trigger();
    EXPECT_FALSE(Form->ListView1->isHidden());
    EXPECT_TRUE(Form->FrameList1->isChecked());
}

TEST_F(MainFormTest, InformationTreeDescribesTheFile) {
    TBytes b = GifHeader(5, 3, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}});
    Append(b, {0x21, 0xFE, 0x02, 'h', 'i', 0x00}); // comment
    Append(b,
           {0x21, 0xFF, 0x0B, 'S', 'O', 'M', 'E', 'A', 'P', 'P', 'X', '1', '.', '0', 0x02, 0x01, 0xAB, 0x00});
    AppendZeroImage(b, 1, 0);
    AppendTrailer(b);
    WriteFileBytes(PathOf("ext.gif"), b);
    ASSERT_TRUE(Form->LoadFile(PathOf("ext.gif")));
    Form->PageControl2->setCurrentWidget(Form->GlobalInfoPage);
    ASSERT_EQ(Form->TreeView1->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = Form->TreeView1->topLevelItem(0);
    EXPECT_TRUE(root->isExpanded());
    const auto texts = TreeTexts(root);
    for (const char* expected : {"Global",
                                 "Version: GIF 89a",
                                 "Logical Screen: 5, 3",
                                 "Global Color Table: Yes",
                                 "Color Resolution: 0",
                                 "Sort Flag: No",
                                 "Size of Color Table: 1",
                                 "Background Color Index: 0",
                                 "Pixel Aspect Radio: 0",
                                 "Frames",
                                 "Frame 0",
                                 "Size: Left 1, Top 0, Width 2, Height 2",
                                 "Color Table Flag: No",
                                 "Interlace: No",
                                 "Size of Color Table: 0",
                                 "Extensions",
                                 "Graphic Control",
                                 "Disposal Method: 2",
                                 "Use Input Flag: No",
                                 "Delay Time: 10",
                                 "Transparent Color Index: 0",
                                 "Comment",
                                 "Application",
                                 "Application Identifier: SOMEAPPX",
                                 "Authentication Code: 1.0",
                                 "Data: 01 AB "})
        EXPECT_TRUE(Contains(texts, expected)) << expected;
}

TEST_F(MainFormTest, FirstShowOpensTheLastSavedFileElseTheSample) {
    // Nothing to open: the empty document, and no questions.
    Form->FormShow();
    EXPECT_TRUE(Form->Document().Frames.empty());
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);

    fs::copy_file(SampleGifPath(), PathOf("Sample.gif"));
    auto second = std::make_unique<TMainForm>(Dialogs, Dir());
    second->FormShow();
    EXPECT_EQ(second->FileName, PathOf("Sample.gif"));
    EXPECT_GE(second->Document().Frames.size(), 2u);
    EXPECT_EQ(second->CurrentRow(), 0);
    EXPECT_EQ(second->PageControl2->currentWidget(), second->ComposePage);

    const std::string saved = WriteTwoFrameGif(PathOf("last.gif"));
    ASSERT_TRUE(TIniFile(PathOf("Frameloom.ini")).WriteString("START", "DefaultFile", saved));
    auto third = std::make_unique<TMainForm>(Dialogs, Dir());
    third->FormShow();
    EXPECT_EQ(third->FileName, saved);
    EXPECT_EQ(third->Document().Frames.size(), 2u);

    // A last file that no longer exists falls back to the sample.
    fs::remove(saved);
    auto fourth = std::make_unique<TMainForm>(Dialogs, Dir());
    fourth->FormShow();
    EXPECT_EQ(fourth->FileName, PathOf("Sample.gif"));
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

TEST_F(MainFormTest, TheSampleIsALoopingColourfulAnimation) {
    ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
    const TGIFData& gif = Form->Document();
    EXPECT_EQ(gif.Frames.size(), 12u);
    EXPECT_EQ(gif.ScreenWidth, 160);
    EXPECT_EQ(gif.ScreenHeight, 120);
    EXPECT_TRUE(gif.Looping);
    EXPECT_EQ(gif.LoopCount, 0);
    for (const auto& frame : gif.Frames) {
        EXPECT_TRUE(frame->HasPixels());
        EXPECT_EQ(frame->Control->DelayTime, 10);
    }
    // Successive frames differ: it moves.
    EXPECT_NE(gif.Frames[0]->Pixels, gif.Frames[1]->Pixels);
}

} // namespace
