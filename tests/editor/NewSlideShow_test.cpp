// "New Slide Show Style GIF...": reached from the File menu and the tool bar,
// with the size prompt and the wizard answered from a script; the animation
// becomes the open document, byte for byte what frameloom-cli slideshow makes.
#include "EditorTestSupport.h"
#include "editor/FrameListView.h"
#include "generators/transitions/GetImageSizeUnit.h"
#include "generators/transitions/SlideShowTestSupport.h"
#include "gifdata/GifData.h"

#include "support/ShellRun.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// The File menu's action with that text, found as a user finds it (submenus included).
QAction* FileMenuAction(TMainForm& form, const QString& text) {
    for (QAction* action : form.File1->actions()) {
        if (action->text() == text) return action;
        if (QMenu* sub = action->menu())
            for (QAction* inner : sub->actions())
                if (inner->text() == text) return inner;
    }
    return nullptr;
}

class NewSlideShow : public TMainFormTest {
  protected:
    void AnswerSize(int width, int height) {
        Dialogs.OnForm("GetImageSizeForm", [width, height](QDialog& d) {
            auto& form = dynamic_cast<TGetImageSizeForm&>(d);
            EXPECT_EQ(form.windowTitle(), "Image Size");
            EXPECT_EQ(form.SpinEdit1->value(), 200);
            EXPECT_EQ(form.SpinEdit2->value(), 100);
            form.SpinEdit1->setValue(width);
            form.SpinEdit2->setValue(height);
            form.OKButton->click();
        });
    }
    // The wizard: the pictures added, their styles set, then OK.
    void AnswerWizard(std::vector<std::string> files, std::vector<TSlideRecord> records) {
        Dialogs.OnForm("SlideShowForm", [this, files, records](QDialog& d) {
            auto& wizard = dynamic_cast<TSlideShowForm&>(d);
            EXPECT_EQ(
                wizard.StatusText(),
                QStringLiteral("Width: %1  Height: %2").arg(wizard.FrameWidth()).arg(wizard.FrameHeight()));
            AddPictures(wizard, Dialogs, files);
            for (std::size_t i = 0; i < records.size(); ++i) SetEffect(wizard, Dialogs, int(i), records[i]);
            wizard.OKButton->click();
        });
    }
    TPictureFolder Pictures;
};

TEST_F(NewSlideShow, FromTheFileMenuTheAnimationBecomesTheOpenDocument) {
    QAction* item = FileMenuAction(*Form, "New Slide Show Style GIF...");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item, Form->NewMorph1);
    EXPECT_TRUE(item->isEnabled());
    AnswerSize(200, 100);
    const std::string red = Pictures.Solid("red.png", 40, 30, QColor(255, 0, 0));
    const std::string blue = Pictures.Halves("halves.bmp", 400, 300, QColor(0, 0, 255), QColor(255, 255, 0));
    AnswerWizard({red, blue}, {TSlideRecord{7, 10, 100, 1000}, TSlideRecord{51, 10, 100, 1000}});
    item->trigger();

    TGIFData& doc = Form->Document();
    ASSERT_EQ(doc.Frames.size(), 21u);
    EXPECT_EQ(doc.ScreenWidth, 200);
    EXPECT_EQ(doc.ScreenHeight, 100);
    EXPECT_TRUE(Form->Modified);
    EXPECT_TRUE(Form->FileName.empty());
    EXPECT_EQ(Form->windowTitle(), Form->BaseCaption);
    EXPECT_EQ(Form->ListView1->count(), 21);
    EXPECT_EQ(Form->CurrentRow(), 20); // the last frame is the current one
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 21");
    EXPECT_TRUE(doc.Looping);
    EXPECT_EQ(doc.LoopCount, 0);

    // Saved as the editor saves, it is the file frameloom-cli slideshow writes
    // from the same pictures and records.
    const std::string ours = PathOf("ours.gif");
    ASSERT_TRUE(Form->SaveFile(ours));
    const std::string theirs = PathOf("cli.gif");
    const TShellRun run =
        RunShell(std::string("QT_QPA_PLATFORM=offscreen '") + FRAMELOOM_CLI + "' slideshow '" + theirs +
                 "' --size 200x100 '" + red + ":7:10:100:1000' '" + blue + ":51:10:100:1000'");
    ASSERT_EQ(run.Status, 0) << run.Output;
    const TBytes a = ReadFileBytes(ours), b = ReadFileBytes(theirs);
    EXPECT_GT(a.size(), 100u);
    EXPECT_TRUE(a == b) << "editor " << a.size() << " bytes, cli " << b.size() << " bytes";
}

TEST_F(NewSlideShow, ToolBarButtonAsksToSaveThenCancelInTheSizePromptLeavesAnEmptyDocument) {
    ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
    ASSERT_FALSE(Form->Document().Frames.empty());
    Form->Modified = true;
    QWidget* button = Form->ToolBar1->widgetForAction(Form->NewMorph1);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(Form->NewMorph1->toolTip(), "New Slide Show Style GIF");
    Dialogs.MessageAnswers.push_back(mrNo);
    Dialogs.OnForm("GetImageSizeForm",
                   [](QDialog& d) { dynamic_cast<TGetImageSizeForm&>(d).CancelButton->click(); });
    Form->show();
    QTest::mouseClick(button, Qt::LeftButton);

    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Save changes to " + SampleGifPath() + " ?");
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"GetImageSizeForm"});
    EXPECT_TRUE(Form->Document().Frames.empty());
    EXPECT_EQ(Form->ListView1->count(), 0);
    EXPECT_FALSE(Form->Modified);
    EXPECT_TRUE(Form->FileName.empty());
    EXPECT_EQ(Form->windowTitle(), Form->BaseCaption);
}

TEST_F(NewSlideShow, CancelInTheSaveQuestionChangesNothing) {
    ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
    const std::size_t frames = Form->Document().Frames.size();
    Form->Modified = true;
    Dialogs.MessageAnswers.push_back(mrCancel);
    Form->NewMorph1->trigger();
    EXPECT_EQ(Form->Document().Frames.size(), frames);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->FileName, SampleGifPath());
    EXPECT_TRUE(Dialogs.FormsShown.empty());
}

TEST_F(NewSlideShow, CancelInTheWizardLeavesTheEmptiedDocumentUnmodified) {
    ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
    AnswerSize(64, 32);
    Dialogs.OnForm("SlideShowForm", [this](QDialog& d) {
        auto& wizard = dynamic_cast<TSlideShowForm&>(d);
        EXPECT_EQ(wizard.FrameWidth(), 64);
        EXPECT_EQ(wizard.FrameHeight(), 32);
        AddPictures(wizard, Dialogs, {Pictures.Solid("a.png", 8, 8, QColor(9, 9, 9))});
        wizard.CancelButton->click();
    });
    Form->NewMorph1->trigger();
    EXPECT_TRUE(Form->Document().Frames.empty());
    EXPECT_FALSE(Form->Modified);
    EXPECT_TRUE(Form->FileName.empty());
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 0");
}

TEST_F(NewSlideShow, StepsChosenInTheEffectDialogReachTheDocument) {
    AnswerSize(20, 10);
    AnswerWizard(
        {Pictures.Solid("a.png", 8, 8, QColor(255, 0, 0)), Pictures.Solid("b.png", 8, 8, QColor(0, 0, 255))},
        {TSlideRecord{7, 100, 100, 500}, TSlideRecord{7, 30, 5, 2000}});
    Form->NewMorph1->trigger();
    std::vector<int> delays;
    for (const auto& frame : Form->Document().Frames) delays.push_back(frame->Control->DelayTime);
    EXPECT_EQ(delays, (std::vector<int>{50, 1, 1, 1, 200, 50}));
    EXPECT_EQ(Form->Document().ScreenWidth, 20);
    EXPECT_EQ(Form->Document().ScreenHeight, 10);
}

} // namespace
