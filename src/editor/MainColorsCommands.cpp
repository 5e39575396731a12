// Frame > Colors: how pictures become frames ("Add Frame From File...", files
// dropped on the window, the text-effect and slide-show generators). The
// choice is kept in the settings file and applies to every such path at once.
#include "editor/MainUnit.h"

#include "editor/ColorSettings.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

void TMainForm::CreateColorsMenu() {
    Colors1 = new QMenu(QStringLiteral("Colors"), this);
    Colors1->setObjectName(QStringLiteral("Colors1"));
    auto item = [this](QActionGroup* group, const char* name, const char* caption, const char* hint,
                       void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), group);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setStatusTip(QString::fromUtf8(hint));
        connect(a, &QAction::triggered, this, handler);
        Colors1->addAction(a);
        return a;
    };
    auto* reductions = new QActionGroup(this);
    ColorsStandard1 = item(reductions, "ColorsStandard1", "Standard",
                           "Pictures take the standard 256 colours", &TMainForm::ColorsStandard1Click);
    ColorsExact1 = item(reductions, "ColorsExact1", "Exact",
                        "Pictures of up to 256 colours keep them exactly; others as High quality",
                        &TMainForm::ColorsExact1Click);
    ColorsQuality1 = item(reductions, "ColorsQuality1", "High quality",
                          "Pictures take 256 colours chosen for them", &TMainForm::ColorsQuality1Click);
    Colors1->addSeparator();
    auto* ditherings = new QActionGroup(this);
    DitherNone1 = item(ditherings, "DitherNone1", "No Dithering", "Each pixel takes its nearest colour",
                       &TMainForm::DitherNone1Click);
    DitherFS1 = item(ditherings, "DitherFS1", "Floyd-Steinberg Dithering",
                     "The error of each pixel is spread to its neighbours", &TMainForm::DitherFS1Click);
    DitherOrdered1 = item(ditherings, "DitherOrdered1", "Ordered Dithering",
                          "Colours between palette entries are mixed in a regular pattern",
                          &TMainForm::DitherOrdered1Click);

    // Right after "Add Frame From File...".
    const QList<QAction*> items = Image2->actions();
    const qsizetype at = items.indexOf(AddImage1);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    Image2->insertMenu(before, Colors1)->setObjectName(QStringLiteral("Colors1Item"));
}

void TMainForm::LoadColorChoice() {
    SetPictureColorChoice(ReadColorChoice(SettingsFileName()));
    UpdateColorsMenu();
}

void TMainForm::UpdateColorsMenu() {
    const TColorChoice& choice = PictureColorChoice();
    ColorsStandard1->setChecked(choice.Reduction == crStandard);
    ColorsExact1->setChecked(choice.Reduction == crExact);
    ColorsQuality1->setChecked(choice.Reduction == crQuality);
    DitherNone1->setChecked(choice.Dither == dtNone);
    DitherFS1->setChecked(choice.Dither == dtFloydSteinberg);
    DitherOrdered1->setChecked(choice.Dither == dtOrdered);
    // The standard reduction never dithers.
    for (QAction* a : {DitherNone1, DitherFS1, DitherOrdered1}) a->setEnabled(choice.Reduction != crStandard);
}

void TMainForm::ChooseColors(TColorReduction reduction, TDithering dithering) {
    SetPictureColorChoice({reduction, dithering});
    // An unwritable settings file still leaves the choice in force until the program ends.
    WriteColorChoice(SettingsFileName(), PictureColorChoice());
    UpdateColorsMenu();
}

void TMainForm::ColorsStandard1Click() {
    ChooseColors(crStandard, PictureColorChoice().Dither);
}
void TMainForm::ColorsExact1Click() {
    ChooseColors(crExact, PictureColorChoice().Dither);
}
void TMainForm::ColorsQuality1Click() {
    ChooseColors(crQuality, PictureColorChoice().Dither);
}
void TMainForm::DitherNone1Click() {
    ChooseColors(PictureColorChoice().Reduction, dtNone);
}
void TMainForm::DitherFS1Click() {
    ChooseColors(PictureColorChoice().Reduction, dtFloydSteinberg);
}
void TMainForm::DitherOrdered1Click() {
    ChooseColors(PictureColorChoice().Reduction, dtOrdered);
}
