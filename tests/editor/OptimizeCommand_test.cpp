// "Optimize Animation..." in the File menu: asks with the estimated sizes,
// replaces the document only on OK, and the saved result shows the same frames.

#include "EditorTestSupport.h"
#include "support/ShellRun.h"

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "editor/FrameListView.h"
#include "gifdata/GifData.h"

namespace {

QAction* MenuAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

class OptimizeCommand : public TMainFormTest {
  protected:
    void OpenSample() {
        ASSERT_TRUE(std::filesystem::exists(SampleGifPath()));
        ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
        ASSERT_FALSE(Form->Modified);
    }
    void RunFromMenu() {
        QAction* action = MenuAction(Form->File1, QStringLiteral("Optimize Animation..."));
        ASSERT_NE(action, nullptr);
        action->trigger();
    }
};

TEST_F(OptimizeCommand, SitsInTheFileMenuRightAfterSaveAs) {
    const QList<QAction*> actions = Form->File1->actions();
    const int saveAs = int(actions.indexOf(Form->SaveAs1));
    ASSERT_GE(saveAs, 0);
    ASSERT_LT(saveAs + 1, actions.size());
    EXPECT_EQ(actions[saveAs + 1]->text(), QStringLiteral("Optimize Animation..."));
}

TEST_F(OptimizeCommand, OkReplacesTheDocumentWithASmallerOneShowingTheSameFrames) {
    OpenSample();
    const std::size_t frames = Form->Document().Frames.size();
    Dialogs.MessageAnswers.push_back(mrOk);
    RunFromMenu();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const TAskedMessage& asked = Dialogs.Messages[0];
    EXPECT_EQ(asked.Caption, "Optimize Animation");
    EXPECT_EQ(asked.Type, mtConfirmation);
    EXPECT_EQ(asked.Buttons, unsigned(mbOKCancel));
    EXPECT_NE(asked.Text.find("Estimated size before: "), std::string::npos) << asked.Text;
    EXPECT_NE(asked.Text.find("Estimated size after: "), std::string::npos) << asked.Text;
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->Document().Frames.size(), frames);
    EXPECT_EQ(Form->ListView1->count(), int(frames));
    EXPECT_EQ(Form->CurrentRow(), 0);

    const std::string saved = PathOf("optimized.gif");
    ASSERT_TRUE(Form->SaveFile(saved));
    EXPECT_LT(std::filesystem::file_size(saved), std::filesystem::file_size(SampleGifPath()));
    if (RunShell("command -v gifdiff", TShellErrors::Discarded).Status == 0) {
        const TShellRun diff = RunShell("gifdiff '" + SampleGifPath() + "' '" + saved + "'");
        EXPECT_EQ(diff.Status, 0) << diff.Output;
    }
}

TEST_F(OptimizeCommand, CancelLeavesTheDocumentAsItWas) {
    OpenSample();
    const std::string before = PathOf("before.gif"), after = PathOf("after.gif");
    ASSERT_TRUE(Form->SaveFile(before));
    Dialogs.MessageAnswers.push_back(mrCancel);
    RunFromMenu();
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_FALSE(Form->Modified);
    ASSERT_TRUE(Form->SaveFile(after));
    EXPECT_EQ(ReadFileBytes(before), ReadFileBytes(after));
}

TEST_F(OptimizeCommand, AnEmptyDocumentAsksNothing) {
    ASSERT_TRUE(Form->Document().Frames.empty()); // a window that opened nothing yet
    RunFromMenu();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

TEST_F(OptimizeCommand, ADocumentItCannotOptimizeIsReportedAndKept) {
    OpenSample();
    Form->Document().Frames[0]->Left = 5000; // beyond the logical screen until the views refit it
    Dialogs.MessageAnswers.push_back(mrOk);
    RunFromMenu();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "The animation cannot be optimized: A frame lies outside the logical screen.");
    EXPECT_EQ(Form->Document().Frames[0]->Left, 5000);
}

} // namespace
