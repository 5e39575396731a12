// The slide-show wizard, its effect dialog and the size prompt, driven as a
// user drives them: scripted answers for the dialogs, clicks on the buttons.
#include "generators/GeneratedDocument.h"
#include "generators/transitions/GetImageSizeUnit.h"
#include "generators/transitions/SlideShowSample.h"
#include "generators/transitions/TransitionStyles.h"
#include "generators/transitions/TransitionView.h"
#include "gifdata/GifData.h"

#include "generators/transitions/SlideShowTestSupport.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <set>

namespace {

const QColor Red(255, 0, 0), Blue(0, 0, 255), Green(0, 160, 0);

std::vector<int> Delays(const TGIFData& document) {
    std::vector<int> delays;
    for (const auto& frame : document.Frames) delays.push_back(frame->Control->DelayTime);
    return delays;
}

bool Near(TColor a, TColor b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

// --- The size prompt ---------------------------------------------------------------

TEST(GetImageSize, StartsFromTheGivenSizeAndReturnsTheEditedOne) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("GetImageSizeForm", [](QDialog& d) {
        auto& form = dynamic_cast<TGetImageSizeForm&>(d);
        EXPECT_EQ(form.windowTitle(), "Image Size");
        EXPECT_EQ(form.SpinEdit1->value(), 200);
        EXPECT_EQ(form.SpinEdit2->value(), 100);
        EXPECT_EQ(form.SpinEdit1->minimum(), 1);
        EXPECT_EQ(form.SpinEdit1->maximum(), 9999);
        EXPECT_EQ(form.SpinEdit2->minimum(), 1);
        EXPECT_EQ(form.SpinEdit2->maximum(), 9999);
        form.SpinEdit1->setValue(320);
        form.SpinEdit2->setValue(0); // below the range: the spin edit keeps 1
        form.OKButton->click();
    });
    int width = 200, height = 100;
    ASSERT_TRUE(GetImageSize(dialogs, "Image Size", width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 1);
}

TEST(GetImageSize, CancelKeepsTheSize) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("GetImageSizeForm", [](QDialog& d) {
        auto& form = dynamic_cast<TGetImageSizeForm&>(d);
        form.SpinEdit1->setValue(50);
        form.CancelButton->click();
    });
    int width = 200, height = 100;
    EXPECT_FALSE(GetImageSize(dialogs, "Image Size", width, height));
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 100);
}

// --- The wizard --------------------------------------------------------------------

class SlideShowWizard : public ::testing::Test {
  protected:
    void SetUp() override {
        SeedSlideShowStyles(7);
        ResetDocumentForGeneration(Document);
        Form = std::make_unique<TSlideShowForm>(Document, Dialogs);
        Form->SetFrameSize(200, 100);
    }
    TGIFData Document;
    TScriptedDialogs Dialogs;
    TPictureFolder Pictures;
    std::unique_ptr<TSlideShowForm> Form;
};

TEST_F(SlideShowWizard, OpensWithItsCaptionHintsHelpTextAndSize) {
    EXPECT_EQ(Form->windowTitle(), "Slide show style GIF");
    EXPECT_EQ(Form->ToolButton1->toolTip(), "Add Image");
    EXPECT_EQ(Form->ToolButton2->toolTip(), "Effect Style");
    EXPECT_EQ(Form->ToolButton3->toolTip(), "Delete Image");
    EXPECT_EQ(
        Form->HelpLabel->text(),
        "Please press the first button to add at least two images. Select a image, press the second button "
        "(or double click the image icon)  to edit effect style.");
    EXPECT_FALSE(Form->HelpLabel->isHidden());
    EXPECT_TRUE(Form->ScrollBox1->isHidden());
    EXPECT_EQ(Form->StatusText(), "Width: 200  Height: 100");
    EXPECT_EQ(Form->SizeLabel->text(), "Width: 200  Height: 100");
    EXPECT_EQ(Form->OKButton->text(), "OK");
    EXPECT_EQ(Form->CancelButton->text(), "Cancel");
    EXPECT_TRUE(Form->TransitionView1->Center());
    EXPECT_EQ(Form->TransitionView1->size(), QSize(200, 100));
}

TEST_F(SlideShowWizard, AddImageAsksWithThePictureFilter) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("a.png", 10, 10, Red)});
    ASSERT_EQ(Dialogs.OpenRequests.size(), 1u);
    EXPECT_EQ(
        Dialogs.OpenRequests[0].Filter,
        "All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png|JPEG "
        "Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
        "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|PNG Image File (*.png)|*.png");
    EXPECT_FALSE(Dialogs.OpenRequests[0].MultiSelect);
    ASSERT_EQ(Form->PictureCount(), 1);
    EXPECT_EQ(Form->ListView1->count(), 1);
    EXPECT_TRUE(Form->ListView1->item(0)->text().isEmpty());
    EXPECT_FALSE(Form->ListView1->item(0)->icon().isNull());
}

TEST_F(SlideShowWizard, CancelledOpenDialogAddsNothing) {
    Dialogs.OpenAnswers.push_back({});
    Form->ToolButton1->click();
    EXPECT_EQ(Form->PictureCount(), 0);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SlideShowWizard, PictureIsSqueezedToTheFrameSize) {
    AddPictures(*Form, Dialogs, {Pictures.Halves("wide.png", 400, 300, Red, Blue)});
    ASSERT_EQ(Form->PictureCount(), 1);
    const TBitmap& slide = Form->Slide(0).Bitmap;
    EXPECT_EQ(slide.Width(), 200);
    EXPECT_EQ(slide.Height(), 100);
    // Stretched over the whole frame, not fitted: the halves stay halves.
    EXPECT_EQ(slide.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(slide.Pixel(99, 99), RGB(255, 0, 0));
    EXPECT_EQ(slide.Pixel(100, 0), RGB(0, 0, 255));
    EXPECT_EQ(slide.Pixel(199, 99), RGB(0, 0, 255));
}

TEST_F(SlideShowWizard, NewRecordsHaveTheInitialValuesAndNeverStyle150) {
    const std::string file = Pictures.Solid("a.png", 4, 4, Red);
    Form->SetFrameSize(8, 4);
    std::vector<int> styles;
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(Form->AddPictureFile(file));
    for (int i = 0; i < Form->PictureCount(); ++i) {
        const TSlideRecord& r = Form->Record(i);
        EXPECT_GE(r.Style, 1);
        EXPECT_LE(r.Style, 149);
        EXPECT_EQ(r.Step, 10);
        EXPECT_EQ(r.Delay, 100);
        EXPECT_EQ(r.ImageDelay, 1000);
        styles.push_back(r.Style);
    }
    EXPECT_GT(std::set<int>(styles.begin(), styles.end()).size(), 20u); // drawn, not fixed

    // The same seed draws the same styles.
    SeedSlideShowStyles(7);
    TSlideShowForm again(Document, Dialogs);
    again.SetFrameSize(8, 4);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(again.AddPictureFile(file));
    for (int i = 0; i < 60; ++i) EXPECT_EQ(again.Record(i).Style, styles[std::size_t(i)]);
}

TEST(SlideShowRecords, StyleIsDrawnFromOneTo149) {
    std::mt19937 random(1);
    std::set<int> seen;
    for (int i = 0; i < 20000; ++i) seen.insert(NewSlideRecord(random).Style);
    EXPECT_EQ(seen.size(), 149u);
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 149);
}

TEST_F(SlideShowWizard, PictureThatCannotBeLoadedIsReportedAndNotAdded) {
    const std::string broken = Pictures.Path("broken.png");
    {
        std::ofstream out(broken, std::ios::binary);
        out << "not a picture at all";
    }
    Dialogs.MessageAnswers.push_back(mrOk);
    AddPictures(*Form, Dialogs, {broken});
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Can not load file \"" + broken + "\"");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_EQ(Form->PictureCount(), 0);
    EXPECT_EQ(Form->ListView1->count(), 0);
}

TEST_F(SlideShowWizard, DeletingTheMiddleOfThreeKeepsTheOthersInOrderWithTheirRecords) {
    AddPictures(*Form, Dialogs,
                {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("g.png", 8, 8, Green),
                 Pictures.Solid("b.png", 8, 8, Blue)});
    ASSERT_EQ(Form->PictureCount(), 3);
    for (int i = 0; i < 3; ++i) Form->Record(i) = TSlideRecord{10 + i, 20 + i, 300 + i, 4000 + i};
    SelectEntry(*Form, 1);
    Form->ToolButton3->click();
    ASSERT_EQ(Form->PictureCount(), 2);
    ASSERT_EQ(Form->ListView1->count(), 2);
    EXPECT_EQ(Form->Slide(0).Bitmap.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(Form->Slide(1).Bitmap.Pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(Form->Record(0).Style, 10);
    EXPECT_EQ(Form->Record(0).ImageDelay, 4000);
    EXPECT_EQ(Form->Record(1).Style, 12);
    EXPECT_EQ(Form->Record(1).Step, 22);
    EXPECT_EQ(Form->Record(1).Delay, 302);
    EXPECT_EQ(Form->Record(1).ImageDelay, 4002);
}

TEST_F(SlideShowWizard, DeletedPictureNeverComesBackInThePreview) {
    AddPictures(*Form, Dialogs,
                {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("g.png", 8, 8, Green),
                 Pictures.Solid("b.png", 8, 8, Blue)});
    // The newest picture is the one the preview brings in next.
    EXPECT_EQ(Form->TransitionView1->Picture(), Form->Slide(2).Bitmap);
    SelectEntry(*Form, 2);
    Form->ToolButton3->click();
    EXPECT_EQ(Form->TransitionView1->Picture(), Form->Slide(0).Bitmap);
    SelectEntry(*Form, 0);
    Form->ToolButton3->click();
    SelectEntry(*Form, 0);
    Form->ToolButton3->click();
    EXPECT_EQ(Form->PictureCount(), 0);
    EXPECT_FALSE(Form->Timer1->isActive());
    EXPECT_FALSE(Form->HelpLabel->isHidden());
}

TEST_F(SlideShowWizard, DeleteAndEffectStyleWithoutASelectionDoNothing) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("g.png", 8, 8, Green)});
    Form->ListView1->clearSelection();
    Form->ListView1->setCurrentRow(-1);
    Form->ToolButton3->click();
    Form->ToolButton2->click();
    EXPECT_EQ(Form->PictureCount(), 2);
    EXPECT_TRUE(Dialogs.FormsShown.empty());
}

TEST_F(SlideShowWizard, DoubleClickingAPictureOpensItsEffectStyle) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("g.png", 8, 8, Green)});
    Form->show();
    const TSlideRecord before = Form->Record(1);
    Dialogs.OnForm("SlideShowEffectForm", [](QDialog& d) {
        auto& effect = dynamic_cast<TSlideShowEffectForm&>(d);
        effect.SpinEdit3->setValue(4321);
        effect.OKButton->click();
    });
    const QRect second = Form->ListView1->visualItemRect(Form->ListView1->item(1));
    ASSERT_FALSE(second.isEmpty());
    QTest::mouseClick(Form->ListView1->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(Form->ListView1->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"SlideShowEffectForm"});
    EXPECT_EQ(Form->Record(1).ImageDelay, 4321);
    EXPECT_EQ(Form->Record(1).Style, before.Style);
    EXPECT_EQ(Form->Record(0).ImageDelay, 1000);
    Form->CancelButton->click();
}

TEST_F(SlideShowWizard, FewerThanTwoPicturesKeepTheWizardOpenWithAMessage) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("r.png", 8, 8, Red)});
    Dialogs.OnForm("SlideShowForm", [this](QDialog& d) {
        auto& form = dynamic_cast<TSlideShowForm&>(d);
        Dialogs.MessageAnswers.push_back(mrOk);
        form.OKButton->click();
        EXPECT_EQ(form.result(), 0); // still open
        EXPECT_TRUE(Document.Frames.empty());
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text, "Please add at least two images");
        EXPECT_EQ(Dialogs.Messages[0].Caption, "Information");
        EXPECT_EQ(Dialogs.Messages[0].Type, mtInformation);
        form.CancelButton->click();
    });
    EXPECT_FALSE(Form->Execute(200, 100));
    EXPECT_TRUE(Document.Frames.empty());
    EXPECT_EQ(Form->PictureCount(), 0); // closing frees the records
}

TEST_F(SlideShowWizard, TwoPicturesWithInitialRecordsGiveTwentyOneFrames) {
    Dialogs.OnForm("SlideShowForm", [this](QDialog& d) {
        auto& form = dynamic_cast<TSlideShowForm&>(d);
        AddPictures(form, Dialogs,
                    {Pictures.Solid("r.png", 30, 30, Red), Pictures.Solid("b.png", 50, 10, Blue)});
        form.OKButton->click();
        EXPECT_EQ(form.ProgressBar1->maximum(), 21);
        EXPECT_EQ(form.ProgressBar1->value(), 21);
    });
    ASSERT_TRUE(Form->Execute(200, 100));
    ASSERT_EQ(Document.Frames.size(), 21u);
    std::vector<int> expected{100};
    for (int pass = 0; pass < 2; ++pass) {
        expected.insert(expected.end(), 9, 10);
        expected.push_back(100);
    }
    EXPECT_EQ(Delays(Document), expected);
    for (const auto& frame : Document.Frames) {
        EXPECT_EQ(frame->Width, 200);
        EXPECT_EQ(frame->Height, 100);
    }
    const auto first = Document.Frames[0]->ToBitmap();
    const auto middle = Document.Frames[10]->ToBitmap();
    ASSERT_TRUE(first && middle);
    // Colour reduction maps a colour to the middle of its histogram bin: close, not equal.
    EXPECT_TRUE(Near(first->Pixel(100, 50), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(middle->Pixel(100, 50), RGB(0, 0, 255)));
}

TEST_F(SlideShowWizard, EffectsSetInTheDialogShapeTheAnimation) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("b.png", 8, 8, Blue)});
    // Picture 1 comes in with step 30 (4 frames), picture 0 with step 100 (one).
    SetEffect(*Form, Dialogs, 1, TSlideRecord{40, 30, 5, 2000});
    SetEffect(*Form, Dialogs, 0, TSlideRecord{3, 100, 100, 300});
    EXPECT_EQ(Form->Record(1).Step, 30);
    EXPECT_EQ(Form->Record(0).Step, 100);
    Form->OKButton->click();
    ASSERT_TRUE(Form->FramesAdded());
    // Delay 5 ms becomes 1 hundredth (5 / 10 = 0 is raised to 1).
    EXPECT_EQ(Delays(Document), (std::vector<int>{30, 1, 1, 1, 200, 30}));
}

TEST_F(SlideShowWizard, DroppedPictureFilesAreAdded) {
    const std::string red = Pictures.Solid("r.png", 8, 8, Red);
    const std::string blue = Pictures.Solid("b.bmp", 8, 8, Blue);
    const std::string text = Pictures.Path("notes.txt");
    std::ofstream(text) << "not a picture";
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(red)),
                  QUrl::fromLocalFile(QString::fromStdString(text)),
                  QUrl::fromLocalFile(QString::fromStdString(blue))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.get(), &drop);
    ASSERT_EQ(Form->PictureCount(), 2);
    EXPECT_EQ(Form->Slide(0).Bitmap.Pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(Form->Slide(1).Bitmap.Pixel(5, 5), RGB(0, 0, 255));
    EXPECT_TRUE(Dialogs.OpenRequests.empty());

    QMimeData none;
    none.setUrls({QUrl::fromLocalFile(QString::fromStdString(text))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &none, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(Form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST(SlideShowBounds, RefuseHugeFramesAndHugeFrameCounts) {
    std::vector<TSlide> slides(2);
    EXPECT_FALSE(SlideShowFitsBounds(slides, 4096, 4096)); // 21 frames of 16.8 M pixels together
    slides[0].Record.Step = slides[1].Record.Step = 100;   // 3 frames
    EXPECT_TRUE(SlideShowFitsBounds(slides, 4096, 4096));
    EXPECT_FALSE(SlideShowFitsBounds(slides, 4097, 4096));
    EXPECT_FALSE(SlideShowFitsBounds(slides, 9999, 9999));
    slides[0].Record.Step = slides[1].Record.Step = 1; // 201 frames
    EXPECT_TRUE(SlideShowFitsBounds(slides, 1000, 1000));
    EXPECT_FALSE(SlideShowFitsBounds(slides, 2000, 1000));
}

TEST_F(SlideShowWizard, SlideShowTooLargeToGenerateIsRefused) {
    const std::string file = Pictures.Solid("r.png", 8, 8, Red);
    Form->SetFrameSize(2000, 1000);
    ASSERT_TRUE(Form->AddPictureFile(file));
    ASSERT_TRUE(Form->AddPictureFile(file));
    Form->Record(0).Step = Form->Record(1).Step = 1;
    Dialogs.MessageAnswers.push_back(mrOk);
    Form->OKButton->click();
    EXPECT_TRUE(Document.Frames.empty());
    EXPECT_EQ(Form->result(), 0);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Information");
    EXPECT_NE(Dialogs.Messages[0].Text.find("201 frames of 2000 x 1000 pixels"), std::string::npos);
}

TEST_F(SlideShowWizard, FrameTooLargeForASlideShowIsRefusedBeforeLoading) {
    Form->SetFrameSize(9999, 9999);
    Dialogs.MessageAnswers.push_back(mrOk);
    EXPECT_FALSE(Form->AddPictureFile(Pictures.Solid("r.png", 8, 8, Red)));
    EXPECT_EQ(Form->PictureCount(), 0);
    EXPECT_EQ(Form->ListView1->count(), 0);
    EXPECT_FALSE(Form->Timer1->isActive());
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Information");
    EXPECT_NE(Dialogs.Messages[0].Text.find("9999 x 9999"), std::string::npos);
    // One row more than the largest frame allowed (4096 x 4096) is refused too.
    Form->SetFrameSize(4096, 4097);
    Dialogs.MessageAnswers.push_back(mrOk);
    EXPECT_FALSE(Form->AddPictureFile(Pictures.Solid("g.png", 8, 8, Green)));
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
}

TEST_F(SlideShowWizard, PreviewCyclesThroughThePicturesOnceTheTimerFires) {
    AddPictures(*Form, Dialogs, {Pictures.Solid("r.png", 8, 8, Red), Pictures.Solid("b.png", 8, 8, Blue)});
    for (int i = 0; i < 2; ++i) Form->Record(i) = TSlideRecord{1, 50, 0, 0};
    Form->show();
    // The first transition brings in picture 0, the second picture 1.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Form->ScrollBox1->isHidden(); }, 5000));
    EXPECT_TRUE(Form->HelpLabel->isHidden());
    bool sawRed = false, sawBlue = false;
    const bool both = QTest::qWaitFor(
        [&] {
            if (!Form->TransitionView1->Busy()) {
                const TBitmap& media = Form->TransitionView1->Media();
                if (!media.Empty()) {
                    sawRed = sawRed || media.Pixel(0, 0) == RGB(255, 0, 0);
                    sawBlue = sawBlue || media.Pixel(0, 0) == RGB(0, 0, 255);
                }
            }
            return sawRed && sawBlue;
        },
        10000);
    EXPECT_TRUE(both);
    EXPECT_TRUE(sawRed);
    EXPECT_TRUE(sawBlue);
    Form->CancelButton->click();
    EXPECT_FALSE(Form->Timer1->isActive());
    EXPECT_FALSE(Form->TransitionView1->Busy());
}

// --- The effect dialog ------------------------------------------------------------

TBitmap SolidSlide(TColor colour) {
    TBitmap slide(200, 100, pf24bit);
    slide.Fill(colour);
    return slide;
}

TEST(SlideShowEffect, ListsTheHundredFiftyStylesAndShowsTheRecord) {
    TSlideShowEffectForm form;
    EXPECT_EQ(form.windowTitle(), "Slide show effect style");
    ASSERT_EQ(form.ComboBox1->count(), 150);
    EXPECT_EQ(form.ComboBox1->itemText(0), QString("1-") + TransitionStyleName(1));
    EXPECT_EQ(form.ComboBox1->itemText(17), QString("18-") + TransitionStyleName(18));
    EXPECT_EQ(form.ComboBox1->itemText(149), QString("150-") + TransitionStyleName(150));
    EXPECT_EQ(form.SpinEdit1->minimum(), 1);
    EXPECT_EQ(form.SpinEdit1->maximum(), 100);
    EXPECT_EQ(form.SpinEdit2->minimum(), 0);
    EXPECT_EQ(form.SpinEdit2->maximum(), 999999);
    EXPECT_EQ(form.SpinEdit3->maximum(), 999999);
    EXPECT_EQ(form.TransitionView1->size(), QSize(194, 98));
    EXPECT_TRUE(form.TransitionView1->Stretch());
    EXPECT_FALSE(form.TransitionView1->AutoSize());

    form.Load(TSlideRecord{77, 25, 60, 1500}, SolidSlide(RGB(255, 0, 0)));
    EXPECT_EQ(form.ComboBox1->currentIndex(), 76);
    EXPECT_EQ(form.SpinEdit1->value(), 25);
    EXPECT_EQ(form.SpinEdit2->value(), 60);
    EXPECT_EQ(form.SpinEdit3->value(), 1500);
    EXPECT_FALSE(form.Changed());
    EXPECT_EQ(form.TransitionView1->Style(), 77);
    EXPECT_EQ(form.TransitionView1->Step(), 25);
    EXPECT_EQ(form.TransitionView1->Delay(), 60);
    EXPECT_EQ(form.Timer1->interval(), 1500);
    EXPECT_EQ(form.TransitionView1->Picture(), SolidSlide(RGB(255, 0, 0)));
}

TEST(SlideShowEffect, ChangesGoToThePreviewAtOnce) {
    TSlideShowEffectForm form;
    form.Load(TSlideRecord{}, SolidSlide(RGB(255, 0, 0)));
    form.ComboBox1->setCurrentIndex(119);
    form.SpinEdit1->setValue(33);
    form.SpinEdit2->setValue(7);
    form.SpinEdit3->setValue(250);
    EXPECT_TRUE(form.Changed());
    EXPECT_EQ(form.TransitionView1->Style(), 120);
    EXPECT_EQ(form.TransitionView1->Step(), 33);
    EXPECT_EQ(form.TransitionView1->Delay(), 7);
    EXPECT_EQ(form.Timer1->interval(), 250);
}

TEST(SlideShowEffect, OKWithoutChangesLeavesTheRecordUntouched) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("SlideShowEffectForm", [](QDialog& d) {
        auto& form = dynamic_cast<TSlideShowEffectForm&>(d);
        form.SpinEdit1->setValue(form.SpinEdit1->value()); // touched, not changed
        form.OKButton->click();
    });
    TSlideRecord record{12, 34, 56, 78};
    EXPECT_FALSE(EditSlideEffect(dialogs, record, SolidSlide(RGB(0, 0, 255))));
    EXPECT_EQ(record.Style, 12);
    EXPECT_EQ(record.Step, 34);
    EXPECT_EQ(record.Delay, 56);
    EXPECT_EQ(record.ImageDelay, 78);
}

TEST(SlideShowEffect, CancelAfterChangesLeavesTheRecordUntouched) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("SlideShowEffectForm", [](QDialog& d) {
        auto& form = dynamic_cast<TSlideShowEffectForm&>(d);
        form.SpinEdit1->setValue(90);
        form.CancelButton->click();
    });
    TSlideRecord record{12, 34, 56, 78};
    EXPECT_FALSE(EditSlideEffect(dialogs, record, SolidSlide(RGB(0, 0, 255))));
    EXPECT_EQ(record.Step, 34);
}

TEST(SlideShowEffect, OKAfterChangesCopiesAllFourValues) {
    TScriptedDialogs dialogs;
    dialogs.OnForm("SlideShowEffectForm", [](QDialog& d) {
        auto& form = dynamic_cast<TSlideShowEffectForm&>(d);
        form.ComboBox1->setCurrentIndex(149);
        form.OKButton->click();
    });
    TSlideRecord record{12, 34, 56, 78};
    EXPECT_TRUE(EditSlideEffect(dialogs, record, SolidSlide(RGB(0, 0, 255))));
    EXPECT_EQ(record.Style, 150);
    EXPECT_EQ(record.Step, 34);
    EXPECT_EQ(record.Delay, 56);
    EXPECT_EQ(record.ImageDelay, 78);
}

TEST(SlideShowEffect, PreviewAlternatesTheSampleAndTheSlide) {
    TSlideShowEffectForm form;
    const TBitmap slide = SolidSlide(RGB(255, 0, 0));
    form.Load(TSlideRecord{1, 100, 0, 0}, slide);
    std::vector<bool> slideShown; // per finished run: the slide (true) or the sample (false)
    form.TransitionView1->OnComplete = [&] {
        const TBitmap& media = form.TransitionView1->Media();
        slideShown.push_back(media.Pixel(0, 0) == RGB(255, 0, 0));
    };
    form.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return slideShown.size() >= 3; }, 10000));
    form.CancelButton->click();
    ASSERT_GE(slideShown.size(), 3u);
    EXPECT_TRUE(slideShown[0]);
    EXPECT_FALSE(slideShown[1]);
    EXPECT_TRUE(slideShown[2]);
}

TEST(SlideShowSample, IsA194By98PalettedLandscape) {
    const TBitmap sample = SlideShowSampleBitmap();
    EXPECT_EQ(sample.Width(), 194);
    EXPECT_EQ(sample.Height(), 98);
    EXPECT_EQ(sample.PixelFormat(), pf8bit);
    std::set<TColor> colours;
    for (int y = 0; y < sample.Height(); ++y)
        for (int x = 0; x < sample.Width(); ++x) colours.insert(sample.Pixel(x, y));
    EXPECT_GT(colours.size(), 40u);             // a picture, not a fill
    EXPECT_EQ(sample, SlideShowSampleBitmap()); // the same every time
}

} // namespace
