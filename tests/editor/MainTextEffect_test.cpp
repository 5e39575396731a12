// "New Text Effect GIF...": reached from the File menu and the tool bar, the
// wizard answered by script, the open document replaced by the animation.

#include "EditorTestSupport.h"

#include "editor/ComposeCanvas.h"
#include "editor/FrameListView.h"
#include "generators/ColorBox.h"
#include "generators/text/TextEffectUnit.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

namespace {

void ClickOK(QDialog& d) {
    d.findChild<QPushButton*>("OKButton")->click();
}

void ClickCancel(QDialog& d) {
    d.findChild<QPushButton*>("CancelButton")->click();
}

TShellRun RunCli(const std::string& arguments) {
    return RunShell(std::string("QT_QPA_PLATFORM=offscreen '") + FRAMELOOM_CLI + "' text-effect " +
                    arguments);
}

QAction* MenuItem(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions()) {
        if (a->text() == text) return a;
        if (a->menu())
            if (QAction* inner = MenuItem(a->menu(), text)) return inner;
    }
    return nullptr;
}

using MainTextEffect = TMainFormTest;

TEST_F(MainTextEffect, TheCommandSitsInTheFileMenuAndOnTheToolBar) {
    QAction* item = MenuItem(Form->File1, "New Text Effect GIF...");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item, Form->NewText1);
    EXPECT_EQ(Form->NewText1->toolTip(), "New Text Effect GIF");
    EXPECT_TRUE(Form->NewText1->isEnabled());
    EXPECT_FALSE(Form->NewText1->icon().isNull());
    EXPECT_NE(Form->ToolBar1->widgetForAction(Form->NewText1), nullptr);
    // The wizard exists from the start and belongs to the main window.
    ASSERT_NE(Form->TextEffectForm, nullptr);
    EXPECT_EQ(Form->TextEffectForm->parent(), Form.get());
}

TEST_F(MainTextEffect, OKFromTheMenuMakesTheSameFileAsTheCommandLine) {
    Dialogs.OnForm("TextEffectForm", ClickOK);
    MenuItem(Form->File1, "New Text Effect GIF...")->trigger();
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"TextEffectForm"});

    const TGIFData& gif = Form->Document();
    ASSERT_EQ(gif.Frames.size(), 18u);
    EXPECT_TRUE(gif.Looping);
    EXPECT_EQ(gif.LoopCount, 0);
    EXPECT_EQ(gif.ScreenWidth, 185);
    EXPECT_EQ(gif.ScreenHeight, 60);
    EXPECT_TRUE(Form->Modified);
    EXPECT_TRUE(Form->FileName.empty());
    EXPECT_EQ(Form->windowTitle(), "Frameloom");
    EXPECT_EQ(Form->Canvas->Zoom, 1);
    EXPECT_EQ(Form->ListView1->count(), 18);
    EXPECT_EQ(Form->CurrentRow(), 17);
    EXPECT_EQ(Form->CurrentFrame(), gif.Frames[17].get());
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 18");
    EXPECT_EQ(Form->StatusPanelText(3), "Looping: Infinite");
    EXPECT_EQ(Form->FrameInfoLines().value(5), " Delay: 10 (1/100 of a Second)");
    EXPECT_TRUE(Form->StatusBar1->currentMessage().isEmpty());

    const std::string ours = PathOf("wizard.gif"), theirs = PathOf("cli.gif");
    ASSERT_TRUE(Form->SaveFile(ours));
    const TShellRun run = RunCli("'" + theirs + "'");
    ASSERT_EQ(run.Status, 0) << run.Output;
    const TBytes a = ReadFileBytes(ours), b = ReadFileBytes(theirs);
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == b) << "the wizard's file (" << a.size() << " bytes) differs from the command line's ("
                        << b.size() << " bytes)";
}

TEST_F(MainTextEffect, EveryControlReachesTheFramesAsTheCommandLineOptionDoes) {
    Dialogs.ColorAnswers = {RGB(0x12, 0x34, 0x56)};
    Dialogs.OnForm("TextEffectForm", [](QDialog& d) {
        auto& f = static_cast<TTextEffectForm&>(d);
        f.TextEdit->setText("Wave");
        f.WidthEdit->setValue(120);
        f.HeightEdit->setValue(50);
        f.DelayEdit->setValue(70);
        f.FrameEdit->setValue(4);
        f.OutlineCheck->setChecked(true);
        f.HorzMirrorCheck->setChecked(true);
        f.GradientEnabledCheck->setChecked(true);
        f.GradientStyleBox->setCurrentIndex(5); // CenterToTB
        f.FontSizeEdit[0]->setValue(20);
        f.FontSizeEdit[1]->setValue(30);
        f.AngleEdit[1]->setValue(10);
        f.AlphaEdit[1]->setValue(60);
        f.BlurEdit[1]->setValue(40);
        f.StartColorBox[0]->ColorBoxSelect(TColorBox::CustomRow); // the chooser answers 123456
        f.EndColorBox[1]->SetColor(RGB(255, 255, 0));
        f.BackColorBox[0]->SetColor(RGB(255, 255, 255));
        f.ShadowColorBox[1]->SetColor(RGB(128, 0, 0));
        f.ShadowBlurEdit[0]->setValue(50);
        f.ShadowOffsetXEdit[0]->setValue(-3);
        f.ShadowOffsetYEdit[1]->setValue(7);
        ClickOK(d);
    });
    Form->NewText1->trigger();
    ASSERT_EQ(Form->Document().Frames.size(), 6u);
    EXPECT_EQ(Form->Document().Frames[0]->Control->DelayTime, 7);

    const std::string ours = PathOf("wizard.gif"), theirs = PathOf("cli.gif");
    ASSERT_TRUE(Form->SaveFile(ours));
    const TShellRun run = RunCli(
        "'" + theirs +
        "' --text Wave --width 120 --height 50 --delay 70 --frames 4 --outline --horz-mirror --gradient"
        " --gradient-style CenterToTB --start-size 20 --end-size 30 --end-angle 10 --end-alpha 60"
        " --end-blur 40 --start-gradient-start 123456 --end-gradient-end yellow --start-back-color white"
        " --end-shadow-color 800000 --start-shadow-blur 50 --start-shadow-offset-x -3"
        " --end-shadow-offset-y 7");
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_TRUE(ReadFileBytes(ours) == ReadFileBytes(theirs));
}

TEST_F(MainTextEffect, CancelAfterNoLeavesAnEmptyUnnamedUnmodifiedDocument) {
    const std::string sample = PathOf("sample.gif");
    std::filesystem::copy_file(SampleGifPath(), sample);
    ASSERT_TRUE(Form->LoadFile(sample));
    ASSERT_FALSE(Form->Document().Frames.empty());
    Form->Modified = true;
    Dialogs.MessageAnswers.push_back(mrNo);
    Dialogs.OnForm("TextEffectForm", [&](QDialog& d) {
        // The document is emptied before the wizard opens.
        EXPECT_TRUE(Form->Document().Frames.empty());
        EXPECT_EQ(Form->ListView1->count(), 0);
        ClickCancel(d);
    });
    Form->NewText1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Save changes to " + sample + " ?");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Confirm");
    const TGIFData& gif = Form->Document();
    EXPECT_TRUE(gif.Frames.empty());
    EXPECT_TRUE(Form->FileName.empty());
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Form->windowTitle(), "Frameloom");
    EXPECT_EQ(Form->ListView1->count(), 0);
    EXPECT_EQ(Form->CurrentFrame(), nullptr);
    EXPECT_TRUE(Form->FrameInfoLines().isEmpty());
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 0");
    EXPECT_TRUE(gif.Looping);
    EXPECT_EQ(gif.LoopCount, 0);
    EXPECT_EQ(gif.BackgroundIndex, 0);
    EXPECT_EQ(gif.AspectRatio, 0);
    EXPECT_FALSE(gif.GlobalSorted());
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(gif.GlobalPalette[i].Red, Form->DefaultPalette[i].Red) << i;
        EXPECT_EQ(gif.GlobalPalette[i].Blue, Form->DefaultPalette[i].Blue) << i;
        EXPECT_EQ(gif.GlobalPalette[i].Used, 0) << i;
    }
    // The file on disk was not touched.
    EXPECT_TRUE(ReadFileBytes(sample) == ReadFileBytes(SampleGifPath()));
}

TEST_F(MainTextEffect, CancelInTheSaveQuestionKeepsTheDocumentAndNeverOpensTheWizard) {
    const std::string sample = PathOf("sample.gif");
    std::filesystem::copy_file(SampleGifPath(), sample);
    ASSERT_TRUE(Form->LoadFile(sample));
    const std::size_t frames = Form->Document().Frames.size();
    Form->Modified = true;
    Dialogs.MessageAnswers.push_back(mrCancel);
    Form->NewText1->trigger();
    EXPECT_TRUE(Dialogs.FormsShown.empty());
    EXPECT_EQ(Form->Document().Frames.size(), frames);
    EXPECT_EQ(Form->FileName, sample);
    EXPECT_TRUE(Form->Modified);
}

TEST_F(MainTextEffect, TheToolBarButtonOpensTheSameWizardEveryTime) {
    QWidget* button = Form->ToolBar1->widgetForAction(Form->NewText1);
    ASSERT_NE(button, nullptr);
    TTextEffectForm* wizard = Form->TextEffectForm;
    Dialogs.OnForm("TextEffectForm", [&](QDialog& d) {
        EXPECT_EQ(&d, wizard);
        static_cast<TTextEffectForm&>(d).FrameEdit->setValue(3);
        ClickCancel(d);
    });
    Dialogs.OnForm("TextEffectForm", [&](QDialog& d) {
        EXPECT_EQ(&d, wizard);
        // The design of the last run is still there.
        EXPECT_EQ(static_cast<TTextEffectForm&>(d).FrameEdit->value(), 3);
        ClickOK(d);
    });
    for (int run = 0; run < 2; ++run) {
        const QPoint centre = button->rect().center();
        QMouseEvent press(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &press);
        QApplication::sendEvent(button, &release);
    }
    EXPECT_EQ(Dialogs.FormsShown.size(), 2u);
    EXPECT_EQ(Form->Document().Frames.size(), 4u);
    EXPECT_EQ(Form->CurrentRow(), 3);
}

TEST_F(MainTextEffect, TheCommandDoesNothingWhileTheWizardIsOpen) {
    Dialogs.OnForm("TextEffectForm", [&](QDialog& d) {
        Form->NewText1->trigger(); // e.g. a second window asking for it
        EXPECT_EQ(Dialogs.Messages.size(), 1u) << "only the first run asked about saving";
        EXPECT_EQ(Dialogs.FormsShown.size(), 1u);
        ClickOK(d);
    });
    Form->Modified = true; // a second run would have asked about saving
    Dialogs.MessageAnswers.push_back(mrNo);
    Form->NewText1->trigger();
    EXPECT_EQ(Dialogs.FormsShown.size(), 1u);
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Form->Document().Frames.size(), 18u);
}

TEST_F(MainTextEffect, GenerationShowsProgressAndRefusesToStartAgain) {
    QString seen;
    std::size_t framesWhileBusy = 0;
    Dialogs.OnForm("TextEffectForm", [&](QDialog& d) {
        // Runs at the first chance the generation gives the event loop.
        QTimer::singleShot(0, Form.get(), [&] {
            seen = Form->StatusBar1->currentMessage();
            framesWhileBusy = Form->Document().Frames.size();
            Form->NewText1->trigger(); // nothing happens: the wizard is busy
        });
        ClickOK(d);
    });
    Form->NewText1->trigger();
    EXPECT_EQ(seen, "Generating frame 1 of 18...");
    EXPECT_EQ(framesWhileBusy, 1u);
    EXPECT_EQ(Dialogs.FormsShown.size(), 1u);
    EXPECT_EQ(Form->Document().Frames.size(), 18u);
    EXPECT_TRUE(Form->StatusBar1->currentMessage().isEmpty());
    EXPECT_EQ(Form->StatusPanelText(2), "Frames: 18");
}

} // namespace
