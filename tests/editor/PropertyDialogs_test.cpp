// The "Global" and "Frame" dialogs, driven through their controls as a user would.
#include "ScriptedDialogs.h"
#include "editor/ColorSwatch.h"
#include "editor/FrameUnit.h"
#include "editor/GlobalUnit.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

TGlobalForm& AsGlobal(QDialog& d) {
    return static_cast<TGlobalForm&>(d);
}
TFrameForm& AsFrame(QDialog& d) {
    return static_cast<TFrameForm&>(d);
}

class GlobalDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Gif.ScreenWidth = 200;
        Gif.ScreenHeight = 150;
        Gif.BackgroundIndex = 3;
        for (int i = 0; i < 256; ++i) Gif.GlobalPalette[i] = {std::uint8_t(i), std::uint8_t(255 - i), 7, 0};
    }
    bool Run(bool force, TScriptedDialogs::TFormScript script) {
        Dialogs.OnForm("GlobalForm", std::move(script));
        return ShowGlobalProperties(Gif, Dialogs, force);
    }
    TGIFData Gif;
    TScriptedDialogs Dialogs;
};

TEST_F(GlobalDialogTest, UntouchedOkChangesNothingAndReturnsFalse) {
    Gif.Looping = true;
    Gif.LoopCount = 4;
    EXPECT_FALSE(Run(false, [](QDialog& d) { AsGlobal(d).OKButton->click(); }));
    EXPECT_TRUE(Gif.Looping);
    EXPECT_EQ(Gif.LoopCount, 4);
    EXPECT_EQ(Gif.BackgroundIndex, 3);
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"GlobalForm"});
}

TEST_F(GlobalDialogTest, FillsControlsFromTheDocument) {
    Gif.Looping = true;
    Gif.LoopCount = 2;
    Run(false, [](QDialog& d) {
        TGlobalForm& f = AsGlobal(d);
        EXPECT_EQ(f.windowTitle(), "Global");
        EXPECT_EQ(f.WidthEdit->value(), 200);
        EXPECT_EQ(f.HeightEdit->value(), 150);
        EXPECT_FALSE(f.WidthEdit->isEnabled());
        EXPECT_FALSE(f.HeightEdit->isEnabled());
        EXPECT_EQ(f.BackIndexEdit->value(), 3);
        EXPECT_EQ(f.BackIndexEdit->maximum(), 255);
        EXPECT_EQ(f.LoopingEdit->value(), 3);
        EXPECT_EQ(f.LoopingEdit->minimum(), 1);
        EXPECT_EQ(f.LoopingEdit->maximum(), 65535);
        EXPECT_FALSE(f.InfiniteCheck->isChecked());
        EXPECT_TRUE(f.LoopingEdit->isEnabled());
        EXPECT_EQ(f.BackSwatch->Color(), RGB(3, 252, 7));
        EXPECT_FALSE(f.Changed);
        f.CancelButton->click();
    });
}

TEST_F(GlobalDialogTest, NoGlobalTableLeavesTheSwatchEmptyUntilAnIndexIsPicked) {
    Gif.ScreenFlags = 0x03;
    Run(false, [](QDialog& d) {
        TGlobalForm& f = AsGlobal(d);
        EXPECT_EQ(f.BackSwatch->Color(), NoColor);
        f.BackIndexEdit->setValue(10);
        EXPECT_EQ(f.BackSwatch->Color(), RGB(10, 245, 7));
        EXPECT_TRUE(f.Changed);
        f.CancelButton->click();
    });
}

TEST_F(GlobalDialogTest, CancelAfterEditsReturnsFalse) {
    EXPECT_FALSE(Run(false, [](QDialog& d) {
        AsGlobal(d).BackIndexEdit->setValue(9);
        AsGlobal(d).CancelButton->click();
    }));
    EXPECT_EQ(Gif.BackgroundIndex, 3);
}

TEST_F(GlobalDialogTest, ForcedUntouchedOkWritesTheShownValues) {
    Gif.Looping = false;
    Gif.LoopCount = 77;
    EXPECT_TRUE(Run(true, [](QDialog& d) { AsGlobal(d).OKButton->click(); }));
    EXPECT_FALSE(Gif.Looping);
    EXPECT_EQ(Gif.LoopCount, 0);
    EXPECT_EQ(Gif.ScreenWidth, 200);
    EXPECT_EQ(Gif.BackgroundIndex, 3);
}

TEST_F(GlobalDialogTest, ForcedDialogStillHonoursCancel) {
    EXPECT_FALSE(Run(true, [](QDialog& d) { AsGlobal(d).CancelButton->click(); }));
}

TEST_F(GlobalDialogTest, InfiniteLoopingShowsCheckedWithTheFieldDisabled) {
    Gif.Looping = true;
    Gif.LoopCount = 0;
    EXPECT_TRUE(Run(false, [](QDialog& d) {
        TGlobalForm& f = AsGlobal(d);
        EXPECT_TRUE(f.InfiniteCheck->isChecked());
        EXPECT_FALSE(f.LoopingEdit->isEnabled());
        EXPECT_EQ(f.LoopingEdit->value(), 1);
        f.InfiniteCheck->click();
        EXPECT_TRUE(f.LoopingEdit->isEnabled());
        EXPECT_TRUE(f.Changed);
        f.OKButton->click();
    }));
    // One play: no looping block.
    EXPECT_FALSE(Gif.Looping);
    EXPECT_EQ(Gif.LoopCount, 0);
}

TEST_F(GlobalDialogTest, LoopingFieldCountsPlays) {
    EXPECT_TRUE(Run(false, [](QDialog& d) {
        AsGlobal(d).LoopingEdit->setValue(3);
        AsGlobal(d).OKButton->click();
    }));
    EXPECT_TRUE(Gif.Looping);
    EXPECT_EQ(Gif.LoopCount, 2);
    EXPECT_TRUE(Run(false, [](QDialog& d) {
        AsGlobal(d).InfiniteCheck->click();
        AsGlobal(d).OKButton->click();
    }));
    EXPECT_TRUE(Gif.Looping);
    EXPECT_EQ(Gif.LoopCount, 0);
}

TEST_F(GlobalDialogTest, LoopCount65535BecomesLoopCount65534) {
    Gif.Looping = true;
    Gif.LoopCount = 65535;
    EXPECT_TRUE(Run(false, [](QDialog& d) {
        EXPECT_EQ(AsGlobal(d).LoopingEdit->value(), 65535);
        AsGlobal(d).BackIndexEdit->setValue(4);
        AsGlobal(d).OKButton->click();
    }));
    EXPECT_EQ(Gif.LoopCount, 65534);
    EXPECT_EQ(Gif.BackgroundIndex, 4);
}

class FrameDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Gif.ScreenWidth = 20;
        Gif.ScreenHeight = 10;
        for (int i = 0; i < 256; ++i) Gif.GlobalPalette[i] = {std::uint8_t(i), 0, std::uint8_t(255 - i), 0};
        Frame = Gif.AddFrame(4, 3);
        Frame->Left = 2;
        Frame->Top = 5;
        Frame->Title = "first";
        Frame->Control->DelayTime = 7;
        for (int i = 0; i < 12; ++i) Frame->Pixels[i] = std::uint8_t(i);
        Gif.UpdateGlobalUsage();
    }
    bool Run(TGIFImageData* frame, TScriptedDialogs::TFormScript script) {
        Dialogs.OnForm("FrameForm", std::move(script));
        return ShowFrameProperties(Gif, frame, DefaultPalette(), Dialogs);
    }
    TGIFData Gif;
    TGIFImageData* Frame = nullptr;
    TScriptedDialogs Dialogs;
};

TEST_F(FrameDialogTest, UntouchedOkOnAnExistingFrameReturnsFalse) {
    EXPECT_FALSE(Run(Frame, [](QDialog& d) { AsFrame(d).OKButton->click(); }));
    EXPECT_EQ(Frame->Title, "first");
    EXPECT_EQ(Frame->Control->DelayTime, 7);
    EXPECT_EQ(Gif.Frames.size(), 1u);
}

TEST_F(FrameDialogTest, FillsControlsFromTheFrame) {
    Frame->Control->SetTransparent(true);
    Frame->Control->TransparentIndex = 9;
    Frame->SetInterlaced(true);
    Frame->Control->SetDisposal(3);
    Run(Frame, [](QDialog& d) {
        TFrameForm& f = AsFrame(d);
        EXPECT_EQ(f.windowTitle(), "Frame");
        EXPECT_EQ(f.TitleEdit->text(), "first");
        EXPECT_EQ(f.XEdit->value(), 2);
        EXPECT_EQ(f.YEdit->value(), 5);
        EXPECT_EQ(f.WEdit->value(), 4);
        EXPECT_EQ(f.HEdit->value(), 3);
        EXPECT_FALSE(f.WEdit->isEnabled());
        EXPECT_FALSE(f.HEdit->isEnabled());
        EXPECT_FALSE(f.LocalTableCheck->isChecked());
        EXPECT_TRUE(f.InterlacedCheck->isChecked());
        EXPECT_TRUE(f.TransparentCheck->isChecked());
        EXPECT_TRUE(f.TransIndexEdit->isEnabled());
        EXPECT_EQ(f.TransIndexEdit->value(), 9);
        EXPECT_EQ(f.TransSwatch->Color(), RGB(9, 0, 246));
        EXPECT_EQ(f.DelayEdit->value(), 7);
        ASSERT_EQ(f.DisposalCombo->count(), 4);
        EXPECT_EQ(f.DisposalCombo->itemText(2), "To backbround color");
        EXPECT_EQ(f.DisposalCombo->currentIndex(), 3);
        EXPECT_FALSE(f.Changed);
        f.CancelButton->click();
    });
}

TEST_F(FrameDialogTest, TransparentToggleEnablesTheIndexAndSwatch) {
    Run(Frame, [](QDialog& d) {
        TFrameForm& f = AsFrame(d);
        EXPECT_FALSE(f.TransIndexEdit->isEnabled());
        EXPECT_FALSE(f.TransSwatch->isEnabled());
        f.TransparentCheck->click();
        EXPECT_TRUE(f.TransIndexEdit->isEnabled());
        EXPECT_TRUE(f.TransSwatch->isEnabled());
        EXPECT_TRUE(f.Changed);
        f.TransIndexEdit->setValue(200);
        EXPECT_EQ(f.TransSwatch->Color(), RGB(200, 0, 55));
        f.OKButton->click();
    });
    EXPECT_TRUE(Frame->Control->Transparent());
    EXPECT_EQ(Frame->Control->TransparentIndex, 200);
    // The transparent index counts as used.
    EXPECT_EQ(Gif.IsGlobalColorUsed(200), 1);
}

TEST_F(FrameDialogTest, CancelKeepsTheFrame) {
    EXPECT_FALSE(Run(Frame, [](QDialog& d) {
        AsFrame(d).DelayEdit->setValue(99);
        AsFrame(d).CancelButton->click();
    }));
    EXPECT_EQ(Frame->Control->DelayTime, 7);
}

TEST_F(FrameDialogTest, ChangedFieldsAreWrittenAndTheTitleTrimmed) {
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        TFrameForm& f = AsFrame(d);
        f.TitleEdit->setText("   Hello world \t ");
        f.XEdit->setValue(11);
        f.YEdit->setValue(12);
        f.InterlacedCheck->click();
        f.DelayEdit->setValue(250);
        f.DisposalCombo->setCurrentIndex(1);
        f.OKButton->click();
    }));
    EXPECT_EQ(Frame->Title, "Hello world");
    EXPECT_EQ(Frame->Left, 11);
    EXPECT_EQ(Frame->Top, 12);
    EXPECT_TRUE(Frame->Interlaced());
    EXPECT_EQ(Frame->Control->DelayTime, 250);
    EXPECT_EQ(Frame->Control->Disposal(), 1);
    EXPECT_EQ(Frame->Width, 4);
}

TEST_F(FrameDialogTest, TitleSeparatorBytesAreDropped) {
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        AsFrame(d).TitleEdit->setText(QString::fromLatin1("a\x01"
                                                          "b",
                                                          3));
        AsFrame(d).OKButton->click();
    }));
    EXPECT_EQ(Frame->Title, "ab");
}

TEST_F(FrameDialogTest, UneditedTitleKeepsItsBytes) {
    Frame->Title = std::string("\xE9t\xE9", 3); // Latin-1 bytes, not valid UTF-8
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        AsFrame(d).DelayEdit->setValue(8);
        AsFrame(d).OKButton->click();
    }));
    EXPECT_EQ(Frame->Title, std::string("\xE9t\xE9", 3));
}

TEST_F(FrameDialogTest, DisposalFiveShowsNoMethodAndIsKept) {
    Frame->Control->SetDisposal(5);
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        EXPECT_EQ(AsFrame(d).DisposalCombo->currentIndex(), -1);
        AsFrame(d).DelayEdit->setValue(30);
        AsFrame(d).OKButton->click();
    }));
    EXPECT_EQ(Frame->Control->Disposal(), 5);
    EXPECT_EQ(Frame->Control->DelayTime, 30);
}

TEST_F(FrameDialogTest, LocalTableOnCopiesTheGlobalColoursAndOffKeepsThePixels) {
    const std::vector<std::uint8_t> pixels = Frame->Pixels;
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        AsFrame(d).LocalTableCheck->click();
        AsFrame(d).OKButton->click();
    }));
    ASSERT_TRUE(Frame->HasLocalTable());
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(Frame->LocalPalette[i].Red, Gif.GlobalPalette[i].Red);
        EXPECT_EQ(Frame->LocalPalette[i].Blue, Gif.GlobalPalette[i].Blue);
        EXPECT_EQ(Frame->Color(i), Gif.GlobalColor(i));
    }
    EXPECT_EQ(Frame->Pixels, pixels);
    EXPECT_EQ(Frame->LocalPalette[11].Used, 1);
    EXPECT_EQ(Frame->LocalPalette[12].Used, 0);

    // The local colours may now differ; turning the table off shows the global ones again.
    Frame->LocalPalette[3] = {1, 1, 1, 1};
    EXPECT_TRUE(Run(Frame, [](QDialog& d) {
        EXPECT_TRUE(AsFrame(d).LocalTableCheck->isChecked());
        AsFrame(d).LocalTableCheck->click();
        AsFrame(d).OKButton->click();
    }));
    EXPECT_FALSE(Frame->HasLocalTable());
    EXPECT_EQ(Frame->Pixels, pixels);
    EXPECT_EQ(Frame->Color(3), Gif.GlobalColor(3));
    EXPECT_EQ(Gif.IsGlobalColorUsed(11), 1);
}

TEST_F(FrameDialogTest, NewFrameShowsTheDefaults) {
    Run(nullptr, [](QDialog& d) {
        TFrameForm& f = AsFrame(d);
        EXPECT_EQ(f.TitleEdit->text(), "New Frame");
        EXPECT_EQ(f.XEdit->value(), 0);
        EXPECT_EQ(f.YEdit->value(), 0);
        EXPECT_EQ(f.WEdit->value(), 20);
        EXPECT_EQ(f.HEdit->value(), 10);
        EXPECT_TRUE(f.WEdit->isEnabled());
        EXPECT_TRUE(f.HEdit->isEnabled());
        EXPECT_FALSE(f.LocalTableCheck->isChecked());
        EXPECT_FALSE(f.InterlacedCheck->isChecked());
        EXPECT_FALSE(f.TransparentCheck->isChecked());
        EXPECT_FALSE(f.TransIndexEdit->isEnabled());
        EXPECT_EQ(f.TransIndexEdit->value(), 0);
        EXPECT_EQ(f.DelayEdit->value(), 10);
        EXPECT_EQ(f.DisposalCombo->currentIndex(), 2);
        f.CancelButton->click();
    });
    EXPECT_EQ(Gif.Frames.size(), 1u);
}

TEST_F(FrameDialogTest, UntouchedOkCreatesTheNewFrame) {
    EXPECT_TRUE(Run(nullptr, [](QDialog& d) { AsFrame(d).OKButton->click(); }));
    ASSERT_EQ(Gif.Frames.size(), 2u);
    const TGIFImageData& added = *Gif.Frames[1];
    EXPECT_EQ(added.Title, "New Frame");
    EXPECT_EQ(added.Width, 20);
    EXPECT_EQ(added.Height, 10);
    EXPECT_EQ(added.Control->DelayTime, 10);
    EXPECT_EQ(added.Control->Disposal(), 2);
    EXPECT_FALSE(added.Control->Transparent());
    EXPECT_FALSE(added.HasLocalTable());
    ASSERT_EQ(added.Pixels.size(), 200u);
    EXPECT_EQ(added.Pixels[0], 1);
    EXPECT_EQ(Gif.IsGlobalColorUsed(1), 1);
}

TEST_F(FrameDialogTest, NewFrameWithLocalTableGetsTheStandardColours) {
    EXPECT_TRUE(Run(nullptr, [](QDialog& d) {
        TFrameForm& f = AsFrame(d);
        f.TitleEdit->setText("  spaced  ");
        f.WEdit->setValue(3);
        f.HEdit->setValue(2);
        f.XEdit->setValue(30);
        f.LocalTableCheck->click();
        f.TransparentCheck->click();
        f.TransIndexEdit->setValue(5);
        f.OKButton->click();
    }));
    ASSERT_EQ(Gif.Frames.size(), 2u);
    const TGIFImageData& added = *Gif.Frames[1];
    EXPECT_EQ(added.Title, "spaced");
    EXPECT_EQ(added.Left, 30);
    EXPECT_EQ(added.PixelCount, 6);
    ASSERT_TRUE(added.HasLocalTable());
    const TDefaultPalette& standard = DefaultPalette();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(added.LocalPalette[i].Red, standard[i].Red);
        EXPECT_EQ(added.LocalPalette[i].Green, standard[i].Green);
        EXPECT_EQ(added.LocalPalette[i].Blue, standard[i].Blue);
    }
    EXPECT_EQ(added.LocalPalette[1].Used, 1);
    EXPECT_EQ(added.LocalPalette[5].Used, 1);
    EXPECT_EQ(added.LocalPalette[0].Used, 0);
}

TEST(DisposalNameTest, NamesTheFourMethodsAndNothingElse) {
    EXPECT_EQ(DisposalName(0), "None");
    EXPECT_EQ(DisposalName(1), "Do not remove");
    EXPECT_EQ(DisposalName(2), "To backbround color");
    EXPECT_EQ(DisposalName(3), "To previous state");
    EXPECT_EQ(DisposalName(4), "");
    EXPECT_EQ(DisposalName(-1), "");
}

} // namespace
