// The text effect wizard: its controls, live preview and generation, driven
// through its handlers and controls with scripted dialogs.

#include "generators/text/TextEffectUnit.h"

#include "editor/ScriptedDialogs.h"
#include "generators/ColorBox.h"
#include "generators/GeneratedDocument.h"
#include "generators/text/TextEffectKeyState.h"
#include "gifdata/GifData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

std::string DataFile(const std::string& name) {
    return std::string(FRAMELOOM_TEST_DATA) + "/" + name;
}

void ClickOK(QDialog& d) {
    d.findChild<QPushButton*>("OKButton")->click();
}

void ClickCancel(QDialog& d) {
    d.findChild<QPushButton*>("CancelButton")->click();
}

// Frames compared by what a GIF file keeps of them: place, size, delay, colours of every pixel.
void ExpectSameFrames(const TGIFData& actual, const TGIFData& expected) {
    ASSERT_EQ(actual.Frames.size(), expected.Frames.size());
    for (std::size_t i = 0; i < actual.Frames.size(); ++i) {
        const TGIFImageData& a = *actual.Frames[i];
        const TGIFImageData& e = *expected.Frames[i];
        ASSERT_EQ(a.Width, e.Width) << i;
        ASSERT_EQ(a.Height, e.Height) << i;
        EXPECT_EQ(a.Control->DelayTime, e.Control->DelayTime) << i;
        bool same = true;
        for (int y = 0; y < a.Height && same; ++y)
            for (int x = 0; x < a.Width && same; ++x)
                same = a.Color(a.Pixels[std::size_t(y) * a.Width + x]) ==
                       e.Color(e.Pixels[std::size_t(y) * e.Width + x]);
        EXPECT_TRUE(same) << "frame " << i << " differs";
    }
}

class TextEffectForm : public ::testing::Test {
  protected:
    void SetUp() override { ResetDocumentForGeneration(Document); }

    // Runs the wizard on the document with one scripted answer to it.
    bool RunWith(TScriptedDialogs::TFormScript script) {
        Dialogs.OnForm("TextEffectForm", std::move(script));
        return Form.Run(Document);
    }

    TScriptedDialogs Dialogs;
    TTextEffectForm Form{Dialogs};
    TGIFData Document;
};

TEST_F(TextEffectForm, OpensWithTheDocumentedDefaults) {
    EXPECT_EQ(Form.windowTitle(), "Text Effect");
    EXPECT_EQ(Form.TextEdit->text(), "Text");
    EXPECT_EQ(Form.WidthEdit->value(), 185);
    EXPECT_EQ(Form.HeightEdit->value(), 60);
    EXPECT_EQ(Form.DelayEdit->value(), 100);
    EXPECT_EQ(Form.DelayEdit->minimum(), 10);
    EXPECT_EQ(Form.DelayEdit->maximum(), 999999);
    EXPECT_EQ(Form.FrameEdit->value(), 10);
    EXPECT_EQ(Form.FrameEdit->minimum(), 1);
    EXPECT_EQ(Form.FrameEdit->maximum(), 999);
    EXPECT_EQ(Form.FrameCountLabel->text(), "18 Frames");
    EXPECT_EQ(Form.BackImageModeBox->currentText(), "Stretch");
    EXPECT_EQ(Form.TextureModeBox->currentText(), "Tile");
    EXPECT_EQ(Form.GradientStyleBox->currentText(), "LeftToRight");
    EXPECT_EQ(Form.GradientStyleBox->count(), 6);
    EXPECT_FALSE(Form.VertMirrorCheck->isChecked());
    EXPECT_FALSE(Form.TextureEnabledCheck->isChecked());
    EXPECT_FALSE(Form.GradientEnabledCheck->isChecked());
    EXPECT_TRUE(Form.ShadowEnabledCheck->isChecked());
    EXPECT_EQ(Form.FontColorBox[0]->Color(), RGB(0, 255, 0));
    EXPECT_EQ(Form.FontColorBox[0]->currentText(), "Lime");
    EXPECT_EQ(Form.BackColorBox[1]->currentText(), "Gray");
    EXPECT_EQ(Form.ShadowOffsetYEdit[1]->value(), -5);
    EXPECT_EQ(Form.AngleEdit[0]->minimum(), -360);
    EXPECT_EQ(Form.NoiseEdit[1]->maximum(), 255);
    EXPECT_EQ(Form.PageControl1->tabText(0), "General and Texture");
    EXPECT_EQ(Form.PageControl1->tabText(1), "Gradient and Shadow");

    // Read back, the controls are the generator's defaults.
    const TTextEffectSettings read = Form.Settings(), defaults;
    EXPECT_EQ(read.FontName, "Impact");
    EXPECT_EQ(read.Texture, defaults.Texture);
    EXPECT_TRUE(read.BackImage.Empty());
    EXPECT_EQ(read.ShadowColor.Start, defaults.ShadowColor.Start);
    EXPECT_EQ(read.GradientEndColor.End, defaults.GradientEndColor.End);
    EXPECT_EQ(read.ShadowOffsetX.End, defaults.ShadowOffsetX.End);
}

TEST_F(TextEffectForm, EveryControlHasAnAccessibleName) {
    for (QWidget* w : Form.findChildren<QWidget*>()) {
        if (!qobject_cast<QSpinBox*>(w) && !qobject_cast<QComboBox*>(w) &&
            !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLineEdit*>(w))
            continue;
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QSpinBox*>(w->parentWidget()))
            continue;                                   // the spin's own edit
        if (w->inherits("QToolBarExtension")) continue; // Qt's own overflow button
        EXPECT_FALSE(w->accessibleName().isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
}

TEST_F(TextEffectForm, FrameCountTextIsTwiceTheStatesLessTwoAndAtLeastOne) {
    Form.FrameEdit->setValue(1);
    EXPECT_EQ(Form.FrameCountLabel->text(), "1 Frames");
    Form.FrameEdit->setValue(2);
    EXPECT_EQ(Form.FrameCountLabel->text(), "2 Frames");
    Form.FrameEdit->setValue(10);
    EXPECT_EQ(Form.FrameCountLabel->text(), "18 Frames");
}

TEST_F(TextEffectForm, OneStateGivesOneFrameAtTheStartValues) {
    Form.FrameEdit->setValue(1);
    Form.DelayEdit->setValue(10);
    EXPECT_TRUE(RunWith(ClickOK));
    ASSERT_EQ(Document.Frames.size(), 1u);
    EXPECT_EQ(Document.Frames[0]->Control->DelayTime, 1);
    EXPECT_EQ(Document.Frames[0]->Width, 185);
    EXPECT_EQ(Document.Frames[0]->Height, 60);
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"TextEffectForm"});
    EXPECT_EQ(Form.result(), QDialog::Accepted);

    TTextEffectSettings start;
    start.Frames = 1;
    start.Delay = 10;
    TGIFData expected;
    ResetDocumentForGeneration(expected);
    GenerateTextEffect(expected, start);
    ExpectSameFrames(Document, expected);
}

TEST_F(TextEffectForm, TwoStatesGiveTheStartAndTheEndFrame) {
    Form.FrameEdit->setValue(2);
    Form.DelayEdit->setValue(15);
    EXPECT_TRUE(RunWith(ClickOK));
    ASSERT_EQ(Document.Frames.size(), 2u);
    EXPECT_EQ(Document.Frames[1]->Control->DelayTime, 1);
    TTextEffectSettings end;
    end.Frames = 2;
    end.Delay = 15;
    TGIFData expected;
    ResetDocumentForGeneration(expected);
    GenerateTextEffect(expected, end);
    ExpectSameFrames(Document, expected);
}

TEST_F(TextEffectForm, DefaultsGiveEighteenFramesLikeTheGenerator) {
    EXPECT_TRUE(RunWith(ClickOK));
    EXPECT_TRUE(Form.FramesAdded());
    ASSERT_EQ(Document.Frames.size(), 18u);
    for (const auto& frame : Document.Frames) EXPECT_EQ(frame->Control->DelayTime, 10);
    TGIFData expected;
    ResetDocumentForGeneration(expected);
    GenerateTextEffect(expected, TTextEffectSettings{});
    ExpectSameFrames(Document, expected);
}

TEST_F(TextEffectForm, CancelAddsNothingAndReportsNoFrames) {
    EXPECT_FALSE(RunWith(ClickCancel));
    EXPECT_TRUE(Document.Frames.empty());
    EXPECT_FALSE(Form.FramesAdded());
    EXPECT_EQ(Form.result(), QDialog::Rejected);
}

TEST_F(TextEffectForm, ProgressIsToldAfterEveryFrameAndClearedAtTheEnd) {
    std::vector<std::pair<int, int>> told;
    Form.OnProgress = [&](int done, int total) { told.emplace_back(done, total); };
    Form.FrameEdit->setValue(3);
    EXPECT_TRUE(RunWith(ClickOK));
    EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}, {0, 0}}));
}

TEST_F(TextEffectForm, ClosingWhileGeneratingIsRefusedAndTheControlsAreDisabled) {
    Form.FrameEdit->setValue(3);
    bool checked = false;
    Form.OnProgress = [&](int done, int) {
        if (done != 1) return;
        checked = true;
        EXPECT_TRUE(Form.Generating());
        EXPECT_FALSE(Form.OKButton->isEnabled());
        EXPECT_FALSE(Form.CancelButton->isEnabled());
        EXPECT_FALSE(Form.PageControl1->isEnabled());
        Form.reject();        // Escape or the window's close button
        Form.OKButtonClick(); // a second OK does not start again
    };
    EXPECT_TRUE(RunWith(ClickOK));
    EXPECT_TRUE(checked);
    EXPECT_EQ(Document.Frames.size(), 4u);
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_TRUE(Form.OKButton->isEnabled());
}

TEST_F(TextEffectForm, AnAnimationBeyondTheBudgetIsRefusedWithAMessage) {
    Form.WidthEdit->setValue(TTextEffectForm::MaxFrameSide);
    Form.HeightEdit->setValue(TTextEffectForm::MaxFrameSide);
    Form.FrameEdit->setValue(999);
    Dialogs.MessageAnswers.push_back(mrOk);
    EXPECT_FALSE(RunWith([](QDialog& d) {
        ClickOK(d); // refused: the wizard stays open
        EXPECT_EQ(d.result(), 0);
        ClickCancel(d);
    }));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(
        Dialogs.Messages[0].Text,
        "The animation is too large: 1996 frames of 2048 x 2048 pixels. Use fewer frames or a smaller size.");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_TRUE(Document.Frames.empty());
    EXPECT_EQ(Form.WidthEdit->maximum(), TTextEffectForm::MaxFrameSide);
}

TEST_F(TextEffectForm, PreviewRunsFromTheLastStateDownAndBackUp) {
    Form.FrameEdit->setValue(4);
    std::vector<int> shown, sizes;
    for (int i = 0; i < 8; ++i) {
        Form.Timer1Timer();
        shown.push_back(Form.PreviewIndex());
        sizes.push_back(Form.PreviewLabel().Font().Size);
    }
    EXPECT_EQ(shown, (std::vector<int>{3, 2, 1, 0, 1, 2, 3, 2}));
    // Font size 36 -> 24 over four states: 36, 32, 28, 24.
    EXPECT_EQ(sizes, (std::vector<int>{24, 28, 32, 36, 32, 28, 24, 28}));
    // The preview shows exactly the frame the generator makes of that state.
    TSmoothLabel expected;
    const TTextEffectSettings settings = Form.Settings();
    ConfigureTextEffectLabel(expected, settings);
    ApplyKeyState(expected, TextEffectKeyState(settings, 2));
    EXPECT_TRUE(Form.PreviewLabel().Offscreen() == expected.Offscreen());
}

TEST_F(TextEffectForm, PreviewTimerRunsOnlyWhileTheWizardIsShownAtTheDelay) {
    Form.DelayEdit->setValue(250);
    EXPECT_EQ(Form.Timer1->interval(), 250);
    EXPECT_FALSE(Form.Timer1->isActive());
    RunWith([&](QDialog& d) {
        EXPECT_TRUE(Form.Timer1->isActive());
        EXPECT_EQ(Form.Timer1->interval(), 250);
        Form.Timer1Timer(); // restarts itself while shown
        EXPECT_TRUE(Form.Timer1->isActive());
        ClickCancel(d);
    });
    EXPECT_FALSE(Form.Timer1->isActive());
    Form.Timer1Timer();
    EXPECT_FALSE(Form.Timer1->isActive());
}

TEST_F(TextEffectForm, ControlsChangeThePreviewLive) {
    Form.TextEdit->setText("Hello");
    EXPECT_EQ(Form.PreviewLabel().Caption(), "Hello");
    Form.WidthEdit->setValue(240);
    Form.HeightEdit->setValue(90);
    EXPECT_EQ(Form.PreviewLabel().Width(), 240);
    EXPECT_EQ(Form.PreviewLabel().Height(), 90);
    EXPECT_EQ(Form.Panel1->size(), QSize(240, 90));
    Form.OutlineCheck->setChecked(true);
    EXPECT_TRUE(Form.PreviewLabel().FontEffect().Outline());
    Form.GradientStyleBox->setCurrentIndex(4);
    EXPECT_EQ(Form.PreviewLabel().FontEffect().Gradual().Style(), gsCenterToLR);
    Form.ShadowEnabledCheck->setChecked(false);
    EXPECT_FALSE(Form.PreviewLabel().FontEffect().Shadow().Enabled());
    Form.BackColorBox[0]->SetColor(RGB(255, 0, 0));
    EXPECT_EQ(Form.PreviewLabel().Color(), RGB(255, 0, 0)); // key state 0 shows the Start values
    EXPECT_EQ(Form.PreviewLabel().Offscreen().Pixel(0, 0), RGB(255, 0, 0));
}

TEST_F(TextEffectForm, PreviewPanelStaysCentredInItsArea) {
    Form.resize(900, 700);
    Form.show();
    QApplication::processEvents();
    auto expectCentred = [&] {
        const QSize area = Form.ScrollBox1->viewport()->size();
        const QSize panel = Form.Panel1->size();
        const QPoint at = Form.Panel1->mapTo(Form.ScrollBox1->viewport(), QPoint(0, 0));
        EXPECT_EQ(at, QPoint((area.width() - panel.width()) / 2, (area.height() - panel.height()) / 2));
    };
    expectCentred();
    Form.WidthEdit->setValue(301);
    Form.HeightEdit->setValue(41);
    expectCentred();
    Form.resize(1000, 760);
    QApplication::processEvents();
    expectCentred();
    Form.hide();
}

TEST_F(TextEffectForm, ABadBackgroundPictureKeepsThePreviousOneAndSaysSo) {
    QTemporaryDir folder;
    const std::string bad = folder.filePath("broken.jpg").toStdString();
    std::ofstream(bad) << "not a picture";
    Dialogs.OpenAnswers = {{DataFile("picture24.bmp")}, {bad}};
    Dialogs.MessageAnswers.push_back(mrOk);

    Form.LoadBackImageButton->click();
    const TSmoothPicture good = Form.Settings().BackImage;
    ASSERT_FALSE(good.Empty());
    EXPECT_TRUE(Form.PreviewLabel().Effect().BackGround() == good);
    Form.LoadBackImageButton->click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Can not open file \"" + bad + "\".");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_TRUE(Form.Settings().BackImage == good);
    EXPECT_TRUE(Form.PreviewLabel().Effect().BackGround() == good);
    EXPECT_EQ(
        Dialogs.OpenRequests[0].Filter,
        "All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|JPEG Image File "
        "(*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced "
        "Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");

    Form.ClearBackImageButton->click();
    EXPECT_TRUE(Form.Settings().BackImage.Empty());
    EXPECT_TRUE(Form.PreviewLabel().Effect().BackGround().Empty());
}

TEST_F(TextEffectForm, ABadTexturePictureKeepsTheBuiltInOne) {
    Dialogs.OpenAnswers = {{DataFile("missing.bmp")}};
    Dialogs.MessageAnswers.push_back(mrOk);
    const TSmoothPicture before = Form.Settings().Texture;
    Form.TextureImageButton->click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Can not open file \"" + DataFile("missing.bmp") + "\".");
    EXPECT_TRUE(Form.Settings().Texture == before);

    Dialogs.OpenAnswers = {{DataFile("picture.jpg")}};
    Form.TextureImageButton->click();
    EXPECT_FALSE(Form.Settings().Texture == before);
    EXPECT_FALSE(Form.TextureEnabledCheck->isChecked()) << "loading a texture does not switch it on";
    EXPECT_TRUE(Form.PreviewLabel().FontEffect().Texture().Picture() == Form.Settings().Texture);
}

TEST_F(TextEffectForm, ACancelledPictureDialogChangesNothing) {
    Dialogs.OpenAnswers = {{}};
    Form.LoadBackImageButton->click();
    EXPECT_TRUE(Form.Settings().BackImage.Empty());
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(TextEffectForm, CustomColoursComeFromTheColourChooser) {
    TColorBox& box = *Form.StartColorBox[0];
    Dialogs.ColorAnswers = {RGB(12, 34, 56), NoColor};
    box.ColorBoxSelect(TColorBox::CustomRow);
    EXPECT_EQ(box.Color(), RGB(12, 34, 56));
    EXPECT_EQ(box.currentIndex(), TColorBox::CustomRow);
    EXPECT_EQ(Form.Settings().GradientStartColor.Start, RGB(12, 34, 56));
    // Cancelling the chooser keeps the colour.
    box.ColorBoxSelect(TColorBox::CustomRow);
    EXPECT_EQ(box.Color(), RGB(12, 34, 56));
    EXPECT_TRUE(Dialogs.ColorAnswers.empty());

    // A colour without a name shows as the custom colour; a named one selects its row.
    box.SetColor(RGB(192, 192, 192));
    EXPECT_EQ(box.currentText(), "Silver");
    box.SetColor(RGB(1, 2, 3));
    EXPECT_EQ(box.currentIndex(), TColorBox::CustomRow);
}

TEST_F(TextEffectForm, NamedColoursArePickedWithTheKeyboard) {
    TColorBox& box = *Form.FontColorBox[1]; // Green
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&box, &down);
    EXPECT_EQ(box.currentText(), "Olive");
    EXPECT_EQ(box.Color(), RGB(128, 128, 0));
    EXPECT_EQ(Form.Settings().FontColor.End, RGB(128, 128, 0));
    // The list holds named colours and one custom entry, nothing that follows a system theme.
    EXPECT_EQ(box.count(), 21);
    EXPECT_EQ(box.itemText(TColorBox::CustomRow), "Custom...");
}

// A font chooser that answers with a serif face in bold and 72 points.
class TFontDialogs : public TScriptedDialogs {
  public:
    TFont Asked;
    bool ChooseFont(TFont& font) override {
        Asked = font;
        font.Name = "DejaVu Serif";
        font.Style = fsBold | fsItalic;
        font.SetSize(72);
        font.Color = RGB(1, 2, 3);
        return true;
    }
};

TEST(TextEffectFormFont, TheChosenFaceAndStyleStayWhileSizeAndColourFollowTheAnimation) {
    TFontDialogs dialogs;
    TTextEffectForm form(dialogs);
    form.FontButton->click();
    EXPECT_EQ(dialogs.Asked.Name, "Impact");
    EXPECT_EQ(dialogs.Asked.Size(), 36);
    const TTextEffectSettings s = form.Settings();
    EXPECT_EQ(s.FontName, "DejaVu Serif");
    EXPECT_TRUE(s.Bold);
    EXPECT_TRUE(s.Italic);
    EXPECT_FALSE(s.Underline);
    EXPECT_EQ(s.FontSize.Start, 36);
    EXPECT_EQ(form.PreviewLabel().Font().Name, "DejaVu Serif");
    EXPECT_EQ(form.PreviewLabel().Font().Size, 36);
    EXPECT_EQ(form.PreviewLabel().Font().Color, RGB(0, 255, 0));
}

TEST_F(TextEffectForm, SettingsReadBackWhatWasSet) {
    TTextEffectSettings s;
    s.Text = "Round";
    s.Width = 120;
    s.Frames = 5;
    s.Delay = 40;
    s.BackImageMode = bmTiled;
    s.TextureMode = tmCenter;
    s.GradientStyle = gsBottomToTop;
    s.Outline = s.HorzMirror = s.GradientEnabled = true;
    s.ShadowEnabled = false;
    s.FontSize = {20, 40};
    s.ShadowColor = {RGB(9, 8, 7), RGB(255, 255, 255)};
    s.ShadowOffsetY = {-128, 127};
    Form.SetSettings(s);
    const TTextEffectSettings r = Form.Settings();
    EXPECT_EQ(r.Text, "Round");
    EXPECT_EQ(r.Width, 120);
    EXPECT_EQ(r.Frames, 5);
    EXPECT_EQ(Form.FrameCountLabel->text(), "8 Frames");
    EXPECT_EQ(Form.Timer1->interval(), 40);
    EXPECT_EQ(r.BackImageMode, bmTiled);
    EXPECT_EQ(r.TextureMode, tmCenter);
    EXPECT_EQ(r.GradientStyle, gsBottomToTop);
    EXPECT_TRUE(r.Outline && r.HorzMirror && r.GradientEnabled && !r.ShadowEnabled && !r.VertMirror);
    EXPECT_EQ(r.FontSize.End, 40);
    EXPECT_EQ(r.ShadowColor.Start, RGB(9, 8, 7));
    EXPECT_EQ(Form.ShadowColorBox[1]->currentText(), "White");
    EXPECT_EQ(r.ShadowOffsetY.Start, -128);
    EXPECT_EQ(r.ShadowOffsetY.End, 127);
}

TEST_F(TextEffectForm, TheWizardCanRunAgainAndKeepsTheDesign) {
    Form.TextEdit->setText("Again");
    Form.FrameEdit->setValue(2);
    EXPECT_TRUE(RunWith(ClickOK));
    ResetDocumentForGeneration(Document);
    EXPECT_FALSE(RunWith([&](QDialog& d) {
        EXPECT_EQ(Form.TextEdit->text(), "Again");
        EXPECT_FALSE(Form.FramesAdded());
        EXPECT_EQ(Form.PreviewIndex(), 0);
        ClickCancel(d);
    }));
    EXPECT_TRUE(Document.Frames.empty());
}

} // namespace

namespace {

TEST(TextEffectRaster, GrowsWithTheLargerFontSizeTheTextAndTheTurn) {
    TTextEffectSettings s;
    const long long defaults = TextEffectRasterBytes(s);
    EXPECT_GT(defaults, 10'000);
    EXPECT_LT(defaults, 4'000'000);
    s.FontSize = {24, 72}; // the end size is the larger one now
    EXPECT_GT(TextEffectRasterBytes(s), 3 * defaults);
    s.Text = std::string(400, 'W');
    s.Angle = {0, 0};
    const long long flat = TextEffectRasterBytes(s);
    EXPECT_GT(flat, 64LL * 1024 * 1024);
    s.Angle = {0, 45};
    EXPECT_GT(TextEffectRasterBytes(s), 5 * flat);
    s.Text.clear();
    EXPECT_EQ(TextEffectRasterBytes(s), 0);
}

TEST_F(TextEffectForm, ATextTooLargeToDrawIsNotRenderedAndCannotBeGenerated) {
    Form.TextEdit->setText("Fine");
    Form.FontSizeEdit[0]->setValue(1000);
    Form.TextEdit->setText(QString(100, QLatin1Char('W')));
    EXPECT_FALSE(Form.WarningLabel->isHidden());
    EXPECT_EQ(Form.WarningLabel->text(),
              "The text is too large to draw. Use a shorter text or a smaller font size.");
    EXPECT_EQ(Form.PreviewLabel().Caption(), "Fine") << "the preview keeps the last text it could draw";
    Form.Timer1Timer(); // ticks go on with the last drawable settings
    EXPECT_EQ(Form.PreviewLabel().Caption(), "Fine");

    Dialogs.MessageAnswers.push_back(mrOk);
    EXPECT_FALSE(RunWith([&](QDialog& d) {
        ClickOK(d);
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text, Form.WarningLabel->text().toStdString());
        Form.FontSizeEdit[0]->setValue(36);
        EXPECT_TRUE(Form.WarningLabel->isHidden());
        EXPECT_EQ(Form.PreviewLabel().Caption(), std::string(100, 'W'));
        ClickCancel(d);
    }));
    EXPECT_TRUE(Document.Frames.empty());
}

} // namespace
