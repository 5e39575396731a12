#include "editor/GlobalUnit.h"

#include "editor/ColorSwatch.h"
#include "editor/DialogParts.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QGridLayout>
#include <QLabel>

TGlobalForm::TGlobalForm(const TGIFData& document, QWidget* parent) : QDialog(parent), FDocument(document) {
    setObjectName(QStringLiteral("GlobalForm"));
    setWindowTitle(QStringLiteral("Global"));

    WidthEdit = NewSpin(this, "WidthEdit", 0, 65535);
    HeightEdit = NewSpin(this, "HeightEdit", 0, 65535);
    WidthEdit->setEnabled(false);
    HeightEdit->setEnabled(false);
    BackIndexEdit = NewSpin(this, "BackIndexEdit", 0, 255);
    BackSwatch = new TColorSwatch(this);
    BackSwatch->setObjectName(QStringLiteral("BackSwatch"));
    LoopingEdit = NewSpin(this, "LoopingEdit", 1, 65535);
    InfiniteCheck = NewCheck(this, "InfiniteCheck", "Infinite");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Logical Screen Width:"), this), 0, 0);
    grid->addWidget(WidthEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Logical Screen Height:"), this), 1, 0);
    grid->addWidget(HeightEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Background Color Index:"), this), 2, 0);
    grid->addWidget(BackIndexEdit, 2, 1);
    grid->addWidget(BackSwatch, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Looping:"), this), 3, 0);
    grid->addWidget(LoopingEdit, 3, 1);
    grid->addWidget(InfiniteCheck, 3, 2);
    const TOkCancel buttons = LayOutWithOkCancel(this, grid);
    OKButton = buttons.OK;
    CancelButton = buttons.Cancel;

    connect(WidthEdit, &QSpinBox::valueChanged, this, &TGlobalForm::EditChange);
    connect(HeightEdit, &QSpinBox::valueChanged, this, &TGlobalForm::EditChange);
    connect(LoopingEdit, &QSpinBox::valueChanged, this, &TGlobalForm::EditChange);
    connect(InfiniteCheck, &QCheckBox::toggled, this, &TGlobalForm::InfiniteClick);
    connect(BackIndexEdit, &QSpinBox::valueChanged, this, &TGlobalForm::BackIndexChange);
    connect(OKButton, &QPushButton::clicked, this, &TGlobalForm::OKClick);
}

void TGlobalForm::Fill() {
    WidthEdit->setValue(FDocument.ScreenWidth);
    HeightEdit->setValue(FDocument.ScreenHeight);
    BackIndexEdit->setValue(FDocument.BackgroundIndex);
    BackSwatch->SetColor(FDocument.BackgroundColor());
    if (FDocument.Looping) {
        // The field counts plays; a stored count of 65535 cannot be shown and stops at 65535.
        LoopingEdit->setValue(int(FDocument.LoopCount) + 1);
        InfiniteCheck->setChecked(FDocument.LoopCount == 0);
    } else {
        LoopingEdit->setValue(1);
        InfiniteCheck->setChecked(false);
    }
    LoopingEdit->setEnabled(!InfiniteCheck->isChecked());
}

void TGlobalForm::WriteBack(TGIFData& document) const {
    document.ScreenWidth = std::uint16_t(WidthEdit->value());
    document.ScreenHeight = std::uint16_t(HeightEdit->value());
    document.BackgroundIndex = std::uint8_t(BackIndexEdit->value());
    if (InfiniteCheck->isChecked()) {
        document.Looping = true;
        document.LoopCount = 0;
    } else if (LoopingEdit->value() == 1) {
        document.Looping = false;
        document.LoopCount = 0;
    } else {
        document.Looping = true;
        document.LoopCount = std::uint16_t(LoopingEdit->value() - 1);
    }
}

void TGlobalForm::EditChange() {
    Changed = true;
}

void TGlobalForm::InfiniteClick() {
    LoopingEdit->setEnabled(!InfiniteCheck->isChecked());
    Changed = true;
}

void TGlobalForm::BackIndexChange() {
    BackSwatch->SetColor(FDocument.GlobalColor(BackIndexEdit->value()));
    Changed = true;
}

void TGlobalForm::OKClick() {
    Accepted = true;
    accept();
}

bool ShowGlobalProperties(TGIFData& document, TDialogs& dialogs, bool force, QWidget* parent) {
    TGlobalForm form(document, parent);
    form.Fill();
    form.Accepted = false;
    form.Changed = false;
    dialogs.ShowModal(form);
    if (!form.Accepted || !(force || form.Changed)) return false;
    form.WriteBack(document);
    return true;
}
