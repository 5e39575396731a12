#include "editor/ResizeImageUnit.h"

#include "editor/DialogParts.h"
#include "editor/ImageTransforms.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace {
QLabel* LabelFor(QWidget* parent, const char* caption, QWidget* field) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setBuddy(field);
    field->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
    return label;
}
} // namespace

TResizeImageForm::TResizeImageForm(TDialogs& dialogs, QWidget* parent) : QDialog(parent), FDialogs(dialogs) {
    setObjectName(QStringLiteral("ResizeImageForm"));
    setWindowTitle(QStringLiteral("Resize Image"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Resize"), QStringLiteral("Stretch")});
    ComboBox1->setCurrentIndex(-1);
    WidthEdit = NewSpin(this, "WidthEdit", 1, 9999);
    HeightEdit = NewSpin(this, "HeightEdit", 1, 9999);

    auto* grid = new QGridLayout;
    grid->addWidget(LabelFor(this, "Operate:", ComboBox1), 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(LabelFor(this, "Width:", WidthEdit), 1, 0);
    grid->addWidget(WidthEdit, 1, 1);
    grid->addWidget(LabelFor(this, "Height:", HeightEdit), 2, 0);
    grid->addWidget(HeightEdit, 2, 1);
    const TOkCancel buttons = LayOutWithOkCancel(this, grid);
    OKButton = buttons.OK;
    CancelButton = buttons.Cancel;
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(WidthEdit, &QSpinBox::valueChanged, this, &TResizeImageForm::EditChange);
    connect(HeightEdit, &QSpinBox::valueChanged, this, &TResizeImageForm::EditChange);
    connect(OKButton, &QPushButton::clicked, this, &TResizeImageForm::OKClick);
}

void TResizeImageForm::Fill(int width, int height) {
    FWatching = false;
    WidthEdit->setValue(width);
    HeightEdit->setValue(height);
    Changed = false;
    FWatching = true;
}

void TResizeImageForm::EditChange() {
    if (FWatching) Changed = true;
}

void TResizeImageForm::OKClick() {
    if (ComboBox1->currentIndex() < 0) {
        FDialogs.MessageDlg("Please select the operation.", "Infomation", mtInformation, mbOK);
        ComboBox1->setFocus();
        return;
    }
    accept();
}

int ResizeDialog(int& width, int& height, TDialogs& dialogs, QWidget* parent) {
    TResizeImageForm form(dialogs, parent);
    form.Fill(width, height);
    if (dialogs.ShowModal(form) != QDialog::Accepted || !form.Changed) return roNone;
    width = form.WidthEdit->value();
    height = form.HeightEdit->value();
    return form.ComboBox1->currentIndex();
}
