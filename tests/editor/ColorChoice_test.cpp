// Frame > Colors: the reduction pictures take on their way to frames, kept in
// the settings file and honoured by "Add Frame From File...".
#include "EditorTestSupport.h"
#include "ScriptedDialogs.h"
#include "UserInput.h"

#include "editor/ColorSettings.h"
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

class ColorChoiceWindow : public TMainFormTest {
  protected:
    void TearDown() override {
        TMainFormTest::TearDown();
        SetPictureColorChoice({}); // the choice is the program's; later tests start from the default
    }
    std::string Settings() const { return PathOf("Frameloom.ini"); }
    // White with a dark blue square.
    std::string WritePicture() const {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 5; y < 15; ++y)
            for (int x = 5; x < 15; ++x) image.setPixel(x, y, qRgb(0x12, 0x34, 0x56));
        const std::string path = PathOf("two.png");
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }
    void Choose(QAction* action) {
        ClickMenuItem(Form->Image2, Form->Colors1->menuAction());
        ClickMenuItem(Form->Colors1, action);
    }
};

TEST(ColorSettingsFile, TheChoiceReadsBackAndUnknownWordsReadAsStandard) {
    QTemporaryDir folder;
    const std::string ini = folder.filePath("Frameloom.ini").toStdString();
    EXPECT_EQ(ReadColorChoice(ini), (TColorChoice{crStandard, dtNone})); // no file yet
    for (TColorReduction r : {crStandard, crExact, crQuality})
        for (TDithering d : {dtNone, dtFloydSteinberg, dtOrdered}) {
            ASSERT_TRUE(WriteColorChoice(ini, {r, d}));
            EXPECT_EQ(ReadColorChoice(ini), (TColorChoice{r, d}));
        }
    EXPECT_EQ(TIniFile(ini).ReadString("COLORS", "Reduction"), "quality");
    EXPECT_EQ(TIniFile(ini).ReadString("COLORS", "Dither"), "ordered");
    TIniFile(ini).WriteString("COLORS", "Reduction", "best");
    TIniFile(ini).WriteString("COLORS", "Dither", "lots");
    EXPECT_EQ(ReadColorChoice(ini), (TColorChoice{crStandard, dtNone}));
}

TEST_F(ColorChoiceWindow, TheColorsMenuFollowsTheFrameMenuAndStartsAtStandard) {
    const QList<QAction*> items = Form->Image2->actions();
    const qsizetype add = items.indexOf(Form->AddImage1);
    ASSERT_GE(add, 0);
    ASSERT_LT(add + 1, items.size());
    EXPECT_EQ(items[add + 1], Form->Colors1->menuAction());
    EXPECT_EQ(Form->Colors1->title(), "Colors");
    EXPECT_TRUE(Form->ColorsStandard1->isChecked());
    EXPECT_TRUE(Form->DitherNone1->isChecked());
    EXPECT_FALSE(Form->DitherFS1->isEnabled()); // the standard reduction never dithers
    for (QAction* a : {Form->ColorsStandard1, Form->ColorsExact1, Form->ColorsQuality1, Form->DitherNone1,
                       Form->DitherFS1, Form->DitherOrdered1})
        EXPECT_FALSE(a->text().isEmpty());
}

TEST_F(ColorChoiceWindow, AChoiceIsSavedAndTheNextWindowStartsWithIt) {
    Choose(Form->ColorsQuality1);
    EXPECT_TRUE(Form->DitherFS1->isEnabled());
    Choose(Form->DitherOrdered1);
    EXPECT_EQ(PictureColorChoice(), (TColorChoice{crQuality, dtOrdered}));
    EXPECT_EQ(TIniFile(Settings()).ReadString("COLORS", "Reduction"), "quality");
    EXPECT_EQ(TIniFile(Settings()).ReadString("COLORS", "Dither"), "ordered");

    Form.reset();
    SetPictureColorChoice({});
    Form = std::make_unique<TMainForm>(Dialogs, Dir());
    EXPECT_EQ(PictureColorChoice(), (TColorChoice{crQuality, dtOrdered}));
    EXPECT_TRUE(Form->ColorsQuality1->isChecked());
    EXPECT_TRUE(Form->DitherOrdered1->isChecked());
    EXPECT_FALSE(Form->ColorsStandard1->isChecked());
}

TEST_F(ColorChoiceWindow, AddFrameFromFileKeepsExactColoursWhenChosen) {
    const std::string picture = WritePicture();
    Dialogs.OpenAnswers = {{picture}};
    ClickMenuItem(Form->Image2, Form->AddImage1); // standard: bin middles
    Choose(Form->ColorsExact1);
    Dialogs.OpenAnswers = {{picture}};
    ClickMenuItem(Form->Image2, Form->AddImage1);
    ASSERT_EQ(Form->Document().Frames.size(), 2u);
    const std::unique_ptr<TBitmap> standard = Form->Document().Frames[0]->ToBitmap();
    const std::unique_ptr<TBitmap> exact = Form->Document().Frames[1]->ToBitmap();
    ASSERT_TRUE(standard && exact);
    EXPECT_EQ(standard->Pixel(0, 0), RGB(247, 247, 247));
    QImage source(QString::fromStdString(picture));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const QRgb p = source.pixel(x, y);
            ASSERT_EQ(exact->Pixel(x, y), RGB(qRed(p), qGreen(p), qBlue(p))) << x << "," << y;
        }
}

} // namespace
