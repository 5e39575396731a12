#include "editor/FrameUnit.h"

#include "editor/ColorSwatch.h"
#include "editor/DialogParts.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

// Leading and trailing blanks and control characters removed.
std::string TrimBlanks(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
    return s.substr(begin, end - begin);
}

} // namespace

std::string DisposalName(int disposal) {
    switch (disposal) {
    case 0:
        return "None";
    case 1:
        return "Do not remove";
    case 2:
        return "To backbround color";
    case 3:
        return "To previous state";
    default:
        return {};
    }
}

TFrameForm::TFrameForm(TGIFData& document, TGIFImageData* frame, QWidget* parent)
    : QDialog(parent), FDocument(document), FFrame(frame) {
    setObjectName(QStringLiteral("FrameForm"));
    setWindowTitle(QStringLiteral("Frame"));

    TitleEdit = new QLineEdit(this);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    XEdit = NewSpin(this, "XEdit", 0, 65535);
    YEdit = NewSpin(this, "YEdit", 0, 65535);
    WEdit = NewSpin(this, "WEdit", 0, 65535);
    HEdit = NewSpin(this, "HEdit", 0, 65535);
    LocalTableCheck = NewCheck(this, "LocalTableCheck", "Local Color Table");
    InterlacedCheck = NewCheck(this, "InterlacedCheck", "Interlaced");
    TransparentCheck = NewCheck(this, "TransparentCheck", "Transparent");
    TransIndexEdit = NewSpin(this, "TransIndexEdit", 0, 255);
    TransSwatch = new TColorSwatch(this);
    TransSwatch->setObjectName(QStringLiteral("TransSwatch"));
    DelayEdit = NewSpin(this, "DelayEdit", 0, 65535);
    DisposalCombo = new QComboBox(this);
    DisposalCombo->setObjectName(QStringLiteral("DisposalCombo"));
    for (int i = 0; i < 4; ++i) DisposalCombo->addItem(QString::fromStdString(DisposalName(i)));

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Title:"), this), row, 0);
    grid->addWidget(TitleEdit, row++, 1, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Image Offset:"), this), row, 0);
    grid->addWidget(new QLabel(QStringLiteral("X:"), this), row, 1);
    grid->addWidget(XEdit, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("Y:"), this), row, 3);
    grid->addWidget(YEdit, row++, 4);
    grid->addWidget(new QLabel(QStringLiteral("Image Size:"), this), row, 0);
    grid->addWidget(new QLabel(QStringLiteral("W:"), this), row, 1);
    grid->addWidget(WEdit, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("H:"), this), row, 3);
    grid->addWidget(HEdit, row++, 4);
    grid->addWidget(LocalTableCheck, row, 0);
    grid->addWidget(InterlacedCheck, row++, 2, 1, 3);
    grid->addWidget(TransparentCheck, row++, 0);
    grid->addWidget(new QLabel(QStringLiteral("Transparent Color Index:"), this), row, 0);
    grid->addWidget(TransIndexEdit, row, 2);
    grid->addWidget(TransSwatch, row++, 3);
    grid->addWidget(new QLabel(QStringLiteral("Delay:"), this), row, 0);
    grid->addWidget(DelayEdit, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("(1/100 of a Sec)"), this), row++, 3, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Removal Method:"), this), row, 0);
    grid->addWidget(DisposalCombo, row++, 2, 1, 3);
    const TOkCancel buttons = LayOutWithOkCancel(this, grid);
    OKButton = buttons.OK;
    CancelButton = buttons.Cancel;

    connect(TitleEdit, &QLineEdit::textChanged, this, &TFrameForm::EditChange);
    for (QSpinBox* spin : {XEdit, YEdit, WEdit, HEdit, DelayEdit})
        connect(spin, &QSpinBox::valueChanged, this, &TFrameForm::EditChange);
    connect(DisposalCombo, &QComboBox::currentIndexChanged, this, &TFrameForm::EditChange);
    connect(InterlacedCheck, &QCheckBox::toggled, this, &TFrameForm::EditChange);
    connect(LocalTableCheck, &QCheckBox::toggled, this, &TFrameForm::EditChange);
    connect(TransparentCheck, &QCheckBox::toggled, this, &TFrameForm::TransparentClick);
    connect(TransIndexEdit, &QSpinBox::valueChanged, this, &TFrameForm::TransIndexChange);
    connect(OKButton, &QPushButton::clicked, this, &TFrameForm::OKClick);
}

void TFrameForm::Fill() {
    if (FFrame) {
        FFilledTitle = FFrame->Title;
        TitleEdit->setText(QString::fromUtf8(FFrame->Title.data(), qsizetype(FFrame->Title.size())));
        XEdit->setValue(FFrame->Left);
        YEdit->setValue(FFrame->Top);
        WEdit->setValue(FFrame->Width);
        HEdit->setValue(FFrame->Height);
        WEdit->setEnabled(false);
        HEdit->setEnabled(false);
        LocalTableCheck->setChecked(FFrame->HasLocalTable());
        TransparentCheck->setChecked(FFrame->Control->Transparent());
        TransIndexEdit->setValue(FFrame->Control->TransparentIndex);
        InterlacedCheck->setChecked(FFrame->Interlaced());
        DelayEdit->setValue(FFrame->Control->DelayTime);
        const int disposal = FFrame->Control->Disposal();
        DisposalCombo->setCurrentIndex(disposal <= 3 ? disposal : -1);
        TransparentClick();
        TransSwatch->SetColor(FFrame->Color(TransIndexEdit->value()));
    } else {
        TitleEdit->setText(QStringLiteral("New Frame"));
        XEdit->setValue(0);
        YEdit->setValue(0);
        WEdit->setValue(FDocument.ScreenWidth);
        HEdit->setValue(FDocument.ScreenHeight);
        WEdit->setEnabled(true);
        HEdit->setEnabled(true);
        LocalTableCheck->setChecked(false);
        InterlacedCheck->setChecked(false);
        TransparentCheck->setChecked(false);
        TransIndexEdit->setValue(0);
        DelayEdit->setValue(10);
        DisposalCombo->setCurrentIndex(2);
        TransparentClick();
    }
}

std::string TFrameForm::TitleBytes() const {
    const QString text = TitleEdit->text();
    // A title that was not edited keeps its bytes, whatever their encoding.
    std::string bytes =
        FFrame && text == QString::fromUtf8(FFilledTitle.data(), qsizetype(FFilledTitle.size()))
            ? FFilledTitle
            : text.toUtf8().toStdString();
    bytes = TrimBlanks(bytes);
    // The title block separates titles with 0x00 and ends them with 0x01; either byte
    // inside a title would shift every later frame's title when the file is read again.
    std::erase_if(bytes, [](char c) { return c == '\0' || c == '\x01'; });
    return bytes;
}

void TFrameForm::WriteBack(const TDefaultPalette& defaults) {
    const int disposal = DisposalCombo->currentIndex(); // -1: none selected, the frame keeps its value
    if (!FFrame) {
        TGIFImageData* frame = FDocument.AddFrame(WEdit->value(), HEdit->value());
        frame->Title = TitleBytes();
        frame->Left = std::uint16_t(XEdit->value());
        frame->Top = std::uint16_t(YEdit->value());
        frame->SetHasLocalTable(LocalTableCheck->isChecked());
        if (frame->HasLocalTable()) {
            for (int i = 0; i < 256; ++i) {
                frame->LocalPalette[i].Red = defaults[i].Red;
                frame->LocalPalette[i].Green = defaults[i].Green;
                frame->LocalPalette[i].Blue = defaults[i].Blue;
            }
        }
        frame->Control->SetTransparent(TransparentCheck->isChecked());
        frame->Control->TransparentIndex = std::uint8_t(TransIndexEdit->value());
        frame->SetInterlaced(InterlacedCheck->isChecked());
        frame->Control->DelayTime = std::uint16_t(DelayEdit->value());
        if (disposal >= 0) frame->Control->SetDisposal(disposal);
        frame->RenderThumbnail();
        frame->UpdateLocalUsage();
        if (frame->HasLocalTable())
            frame->UpdateLocalUsage();
        else
            FDocument.UpdateGlobalUsage();
        FFrame = frame;
        return;
    }
    TGIFImageData* frame = FFrame;
    frame->Title = TitleBytes();
    frame->Left = std::uint16_t(XEdit->value());
    frame->Top = std::uint16_t(YEdit->value());
    frame->Control->SetTransparent(TransparentCheck->isChecked());
    frame->Control->TransparentIndex = std::uint8_t(TransIndexEdit->value());
    if (!frame->HasLocalTable() && LocalTableCheck->isChecked()) {
        // The new local table starts as a copy of the global one, so the picture looks the same.
        for (int i = 0; i < 256; ++i) {
            frame->LocalPalette[i].Red = FDocument.GlobalPalette[i].Red;
            frame->LocalPalette[i].Green = FDocument.GlobalPalette[i].Green;
            frame->LocalPalette[i].Blue = FDocument.GlobalPalette[i].Blue;
        }
    }
    frame->SetHasLocalTable(LocalTableCheck->isChecked());
    frame->SetInterlaced(InterlacedCheck->isChecked());
    frame->Control->DelayTime = std::uint16_t(DelayEdit->value());
    if (disposal >= 0) frame->Control->SetDisposal(disposal);
    FDocument.UpdateGlobalUsage();
    frame->UpdateLocalUsage();
}

void TFrameForm::EditChange() {
    Changed = true;
}

void TFrameForm::TransparentClick() {
    const bool on = TransparentCheck->isChecked();
    TransIndexEdit->setEnabled(on);
    TransSwatch->setEnabled(on);
    Changed = true;
}

void TFrameForm::TransIndexChange() {
    if (FFrame) TransSwatch->SetColor(FFrame->Color(TransIndexEdit->value()));
    Changed = true;
}

void TFrameForm::OKClick() {
    Accepted = true;
    accept();
}

bool ShowFrameProperties(TGIFData& document, TGIFImageData* frame, const TDefaultPalette& defaults,
                         TDialogs& dialogs, QWidget* parent) {
    TFrameForm form(document, frame, parent);
    form.Fill();
    form.Accepted = false;
    form.Changed = false;
    dialogs.ShowModal(form);
    if (!form.Accepted) return false;
    if (frame && !form.Changed) return false;
    form.WriteBack(defaults);
    return true;
}
