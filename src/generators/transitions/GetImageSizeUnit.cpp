#include "generators/transitions/GetImageSizeUnit.h"

#include "platform/Dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* SizeSpin(QWidget* parent, const char* name, const char* label) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(1, 9999);
    spin->setAccessibleName(QString::fromLatin1(label));
    return spin;
}

} // namespace

TGetImageSizeForm::TGetImageSizeForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GetImageSizeForm"));
    SpinEdit1 = SizeSpin(this, "SpinEdit1", "Width:");
    SpinEdit2 = SizeSpin(this, "SpinEdit2", "Height:");
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Width:"), SpinEdit1);
    fields->addRow(QStringLiteral("Height:"), SpinEdit2);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool GetImageSize(TDialogs& dialogs, const std::string& caption, int& width, int& height, QWidget* parent) {
    TGetImageSizeForm form(parent);
    form.setWindowTitle(QString::fromStdString(caption));
    form.SpinEdit1->setValue(width);
    form.SpinEdit2->setValue(height);
    if (dialogs.ShowModal(form) != QDialog::Accepted) return false;
    // A value typed but not yet confirmed by the spin edit counts as entered.
    form.SpinEdit1->interpretText();
    form.SpinEdit2->interpretText();
    width = form.SpinEdit1->value();
    height = form.SpinEdit2->value();
    return true;
}
