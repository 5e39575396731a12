// The Preview page and the export commands of the main window, reached the
// way a user reaches them: the page's tab, the menu items, the context menu.
#include "EditorTestSupport.h"

#include "editor/ComposeCanvas.h"
#include "editor/FrameListView.h"
#include "editor/PreviewPage.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TestUser.h"

namespace {

namespace fs = std::filesystem;

// Runs the event loop until done() holds or the time is up; true when it held.
template <typename TCondition> bool WaitFor(TCondition done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A left click at a point of a widget, as the window system delivers it.
void Click(QWidget* widget, QPoint at) {
    const QPointF local(at), global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

QAction* MenuAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

// Two 4 x 3 frames over an 8-entry global table; every pixel of frame 0 is
// index 2 and of frame 1 index 5 (so slots 0 and 1 are free for compaction);
// delay 1, looping forever; frame 1 sits at (2, 1) and is 2 x 2.
std::string WriteIndexTwoGif(const std::string& path) {
    TGIFData doc;
    doc.ScreenWidth = 4;
    doc.ScreenHeight = 3;
    doc.ScreenFlags = 0x80 | 0x02;
    doc.Looping = true;
    for (int i = 0; i < 8; ++i)
        doc.GlobalPalette[std::size_t(i)] = {std::uint8_t(30 * i), std::uint8_t(200 - 20 * i), 77, 0};
    TGIFImageData* first = doc.AddFrame(4, 3);
    std::fill(first->Pixels.begin(), first->Pixels.end(), std::uint8_t(2));
    first->Control->DelayTime = 1;
    first->Control->SetDisposal(1);
    TGIFImageData* second = doc.AddFrame(2, 2);
    second->Left = 2;
    second->Top = 1;
    std::fill(second->Pixels.begin(), second->Pixels.end(), std::uint8_t(5));
    second->Control->DelayTime = 1;
    EXPECT_TRUE(doc.SaveToFile(path));
    return path;
}

class MainPreviewTest : public TMainFormTest {
  protected:
    void SetUp() override {
        TMainFormTest::SetUp();
        Form->resize(900, 700);
        Form->show();
    }
    void ClickTab(int index) {
        QTabBar* tabs = Form->PageControl2->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        Click(tabs, tabs->tabRect(index).center());
        ASSERT_EQ(Form->PageControl2->currentIndex(), index);
    }
    QImage Shown() const { return Form->PreviewArea->Picture(); }
};

TEST_F(MainPreviewTest, SwitchingToPreviewCompactsThePalettesAndPlaysTheSavedCopyCentred) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    const TColor colour2 = Form->Document().GlobalColor(2);
    const TColor colour5 = Form->Document().GlobalColor(5);
    Form->ListView1->SelectRow(1);
    ASSERT_EQ(Form->Canvas->CanvasImage.Index(0, 0), 5);
    EXPECT_EQ(Form->PreviewArea->Player(), nullptr);

    ClickTab(1);
    // The same compaction a save performs: the highest used colour fills the
    // lowest free slot (0 is the background's), and the compose view shows
    // the moved index.
    EXPECT_EQ(Form->Document().Frames[1]->Pixels[0], 1);
    EXPECT_EQ(Form->Document().Frames[0]->Pixels[0], 2);
    EXPECT_EQ(Form->Document().GlobalColor(1), colour5);
    EXPECT_EQ(Form->Canvas->CanvasImage.Index(0, 0), 1);
    EXPECT_EQ(Form->Canvas->CanvasImage.Pixel(0, 0), colour5);

    TPreviewPlayer* player = Form->PreviewArea->Player();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->ShownFrame(), 0);
    EXPECT_EQ(player->Background(), RGB(166, 202, 240));
    const QImage shown = Shown();
    ASSERT_EQ(shown.size(), QSize(4, 3));
    EXPECT_EQ(shown.pixel(3, 2), qRgb(GetRValue(colour2), GetGValue(colour2), GetBValue(colour2)));
    const QWidget* picture = Form->PreviewArea->widget();
    EXPECT_EQ(picture->size(), QSize(4, 3));
    const QRect viewport = Form->PreviewArea->viewport()->rect();
    EXPECT_LE(std::abs(picture->geometry().center().x() - viewport.center().x()), 1);
    EXPECT_LE(std::abs(picture->geometry().center().y() - viewport.center().y()), 1);
    EXPECT_TRUE(Form->PreviewArea->TimerActive());

    // Editing the document does not reach the copy; leaving the page discards it.
    Form->Document().Frames[0]->Pixels[0] = 7;
    EXPECT_EQ(player->Animation().Frames[0]->Pixels[0], 2);
    ClickTab(0);
    EXPECT_EQ(Form->PreviewArea->Player(), nullptr);
    EXPECT_FALSE(Form->PreviewArea->TimerActive());
}

TEST_F(MainPreviewTest, TheTimerPlaysTheFramesPassAfterPass) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    ClickTab(1);
    ASSERT_NE(Form->PreviewArea->Player(), nullptr);
    EXPECT_TRUE(WaitFor([this] { return Form->PreviewArea->Player()->Pass() >= 3; }, 10000));
    // Frame 1 at (2, 1) over frame 0, which is kept.
    EXPECT_TRUE(WaitFor([this] { return Form->PreviewArea->Player()->ShownFrame() == 1; }, 10000));
    const QImage shown = Shown();
    const TColor colour5 = Form->PreviewArea->Player()->Animation().GlobalColor(1); // 5 before compaction
    EXPECT_EQ(shown.pixel(3, 2), qRgb(GetRValue(colour5), GetGValue(colour5), GetBValue(colour5)));
    EXPECT_NE(shown.pixel(0, 0), shown.pixel(3, 2));
}

TEST_F(MainPreviewTest, AnEmptyDocumentShowsOnlyThePreviewBackground) {
    TBytes b = GifHeader(6, 5, {{1, 2, 3}, {4, 5, 6}});
    AppendTrailer(b);
    WriteFileBytes(PathOf("empty.gif"), b);
    ASSERT_TRUE(Form->LoadFile(PathOf("empty.gif")));
    ASSERT_TRUE(Form->Document().Frames.empty());
    ClickTab(1);
    ASSERT_NE(Form->PreviewArea->Player(), nullptr);
    EXPECT_TRUE(Form->PreviewArea->Player()->Finished());
    const QImage shown = Shown();
    ASSERT_EQ(shown.size(), QSize(6, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(shown.pixel(x, y), qRgb(166, 202, 240));
}

TEST_F(MainPreviewTest, ALogicalScreenTooLargeToComposeShowsANoteInstead) {
    TBytes b = GifHeader(5000, 5000, {{1, 2, 3}, {4, 5, 6}});
    AppendZeroImage(b, 4998, 4998);
    AppendTrailer(b);
    WriteFileBytes(PathOf("huge.gif"), b);
    ASSERT_TRUE(Form->LoadFile(PathOf("huge.gif")));
    ClickTab(1);
    EXPECT_EQ(Form->PreviewArea->Player(), nullptr);
    EXPECT_EQ(Form->PreviewArea->Note(), "The animation is too large to preview (5000 x 5000 pixels).");
    EXPECT_TRUE(Shown().isNull());
    ClickTab(0);
    EXPECT_TRUE(Form->PreviewArea->Note().isEmpty());
}

TEST_F(MainPreviewTest, OpeningAFileWhileThePreviewShowsPlaysTheNewFile) {
    TBytes b = GifHeader(6, 5, {{1, 2, 3}, {4, 5, 6}});
    AppendTrailer(b);
    WriteFileBytes(PathOf("empty.gif"), b);
    ASSERT_TRUE(Form->LoadFile(PathOf("empty.gif")));
    ClickTab(1);
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    ASSERT_NE(Form->PreviewArea->Player(), nullptr);
    EXPECT_EQ(Form->PreviewArea->Player()->Animation().Frames.size(), 2u);
    EXPECT_EQ(Shown().size(), QSize(4, 3));
}

TEST_F(MainPreviewTest, TheBackgroundColourIsOnlyStoredOnAnotherPageAndRestartsAShowingPreview) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    QAction* viewCommand = MenuAction(Form->View1, "Preview Background Color...");
    ASSERT_NE(viewCommand, nullptr);
    Dialogs.ColorAnswers = {RGB(1, 2, 3)};
    viewCommand->trigger();
    EXPECT_EQ(Form->PreviewBackground, RGB(1, 2, 3));
    EXPECT_EQ(Form->PreviewArea->Player(), nullptr);

    ClickTab(1);
    ASSERT_NE(Form->PreviewArea->Player(), nullptr);
    EXPECT_EQ(Form->PreviewArea->Player()->Background(), RGB(1, 2, 3));
    ASSERT_TRUE(WaitFor([this] { return Form->PreviewArea->Player()->Pass() >= 2; }, 10000));

    // The preview's context menu: the same command; the animation starts again.
    QAction* contextCommand = MenuAction(Form->PopupMenu2, "Change Background Color...");
    ASSERT_NE(contextCommand, nullptr);
    EXPECT_EQ(Form->PreviewArea->contextMenuPolicy(), Qt::CustomContextMenu);
    Dialogs.ColorAnswers = {RGB(200, 100, 50)};
    contextCommand->trigger();
    ASSERT_NE(Form->PreviewArea->Player(), nullptr);
    EXPECT_EQ(Form->PreviewArea->Player()->Background(), RGB(200, 100, 50));
    EXPECT_EQ(Form->PreviewArea->Player()->Pass(), 1);
    EXPECT_EQ(Form->PreviewArea->Player()->ShownFrame(), 0);
    EXPECT_EQ(Form->PreviewArea->viewport()->palette().color(QPalette::Window), QColor(200, 100, 50));

    // Cancelling the chooser changes nothing.
    Dialogs.ColorAnswers = {NoColor};
    viewCommand->trigger();
    EXPECT_EQ(Form->PreviewBackground, RGB(200, 100, 50));
}

TEST_F(MainPreviewTest, TheExportCommandsSitInTheFileMenuAboveExit) {
    QStringList texts;
    for (QAction* a : Form->File1->actions())
        if (!a->isSeparator()) texts << a->text();
    const qsizetype image = texts.indexOf("Export Image...");
    ASSERT_GE(image, 0);
    EXPECT_EQ(texts.value(image + 1), "Export All Images...");
    EXPECT_EQ(texts.value(image + 2), "Exit");
}

TEST_F(MainPreviewTest, ExportImageNeedsACurrentFrameAndABareNameBecomesABitmap) {
    QAction* command = MenuAction(Form->File1, "Export Image...");
    ASSERT_NE(command, nullptr);
    EXPECT_FALSE(command->isEnabled());
    command->trigger();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);

    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    Form->ListView1->SelectRow(1);
    EXPECT_TRUE(command->isEnabled());
    Dialogs.SaveAnswers = {PathOf("pic")};
    command->trigger();
    ASSERT_EQ(Dialogs.SaveRequests.size(), 1u);
    EXPECT_EQ(Dialogs.SaveRequests[0].Filter, "Bitmaps (*.bmp)|*.bmp|PNG Image File (*.png)|*.png");
    EXPECT_EQ(Dialogs.SaveRequests[0].DefaultExt, "bmp");
    const TBytes bytes = ReadFileBytes(PathOf("pic.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[18], 2); // the current frame alone: 2 x 2
    EXPECT_EQ(bytes[22], 2);
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(Dialogs.Messages.size(), 0u);

    // Cancelling the dialog writes nothing.
    Dialogs.SaveAnswers = {""};
    command->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), 0u);
}

TEST_F(MainPreviewTest, ExportAllImagesNumbersTheFilesAfterTheChosenName) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    QAction* command = MenuAction(Form->File1, "Export All Images...");
    ASSERT_NE(command, nullptr);
    Dialogs.SaveAnswers = {PathOf("pic"), PathOf("shot.v2.bmp"), PathOf("anim.png")};
    command->trigger();
    command->trigger();
    command->trigger();
    for (const char* name :
         {"pic_1.bmp", "pic_2.bmp", "shot_1.bmp", "shot_2.bmp", "anim_1.png", "anim_2.png"})
        EXPECT_TRUE(fs::exists(PathOf(name))) << name;
    EXPECT_FALSE(fs::exists(PathOf("pic_3.bmp")));
    EXPECT_FALSE(fs::exists(PathOf("pic_1.1")));
    const TBytes png = ReadFileBytes(PathOf("anim_2.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(Dialogs.Messages.size(), 0u);
}

TEST_F(MainPreviewTest, FramesWithoutPixelsAreSkippedAndTheUserIsToldHowMany) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    Form->Document().Frames[1]->FreePixels();
    Dialogs.SaveAnswers = {PathOf("pic.bmp")};
    Dialogs.MessageAnswers = {mrOk};
    MenuAction(Form->File1, "Export All Images...")->trigger();
    EXPECT_TRUE(fs::exists(PathOf("pic_1.bmp")));
    EXPECT_FALSE(fs::exists(PathOf("pic_2.bmp")));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "1 frame has no pixels and was skipped.");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtInformation);

    Form->ListView1->SelectRow(1);
    Dialogs.SaveAnswers = {PathOf("one.bmp")};
    Dialogs.MessageAnswers = {mrOk};
    MenuAction(Form->File1, "Export Image...")->trigger();
    EXPECT_FALSE(fs::exists(PathOf("one.bmp")));
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[1].Text, "1 frame has no pixels and was skipped.");
}

TEST_F(MainPreviewTest, AFileThatCannotBeWrittenIsReported) {
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    Dialogs.SaveAnswers = {PathOf("missing/pic.bmp")};
    Dialogs.MessageAnswers = {mrOk};
    MenuAction(Form->File1, "Export All Images...")->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_EQ(Dialogs.Messages[0].Text.rfind("Cannot write " + PathOf("missing/pic_1.bmp") + ": ", 0), 0u);
}

TEST_F(MainPreviewTest, ExportImageOverAWriteProtectedFileNamesTheChosenFileAndKeepsIt) {
    TTestUser user;
    if (!FindTestUser(user)) GTEST_SKIP() << "needs root to act as a second user, whom permissions bind";
    ASSERT_TRUE(Form->LoadFile(WriteIndexTwoGif(PathOf("two.gif"))));
    const std::string path = PathOf("ro.bmp");
    WriteFileBytes(path, {'o', 'l', 'd'});
    ASSERT_EQ(::chown(Dir().c_str(), user.Uid, user.Gid), 0);
    ASSERT_EQ(::chown(path.c_str(), user.Uid, user.Gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    Dialogs.SaveAnswers = {path};
    Dialogs.MessageAnswers = {mrOk};
    {
        TActAs as(user);
        ASSERT_TRUE(as.Ok());
        MenuAction(Form->File1, "Export Image...")->trigger();
    }
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Text, "Cannot write " + path + ": Permission denied");
    EXPECT_EQ(ReadFileBytes(path), TBytes({'o', 'l', 'd'}));
}

TEST_F(MainPreviewTest, ExportAllImagesOnAnEmptyDocumentAsksNothing) {
    QAction* command = MenuAction(Form->File1, "Export All Images...");
    ASSERT_NE(command, nullptr);
    command->trigger();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

} // namespace
