#include "generators/transitions/SlideShowEffectUnit.h"

#include "generators/transitions/SlideShowSample.h"
#include "generators/transitions/TransitionStyles.h"
#include "generators/transitions/TransitionView.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

QSpinBox* EffectSpin(QWidget* parent, const char* name, const char* label, int minimum, int maximum) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(minimum, maximum);
    spin->setAccessibleName(QString::fromLatin1(label));
    return spin;
}

} // namespace

TSlideShowEffectForm::TSlideShowEffectForm(QWidget* parent)
    : QDialog(parent), FSample(SlideShowSampleBitmap()) {
    setObjectName(QStringLiteral("SlideShowEffectForm"));
    setWindowTitle(QStringLiteral("Slide show effect style"));

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("Effect Style:"));
    ComboBox1->setMaxVisibleItems(20);
    for (int i = 1; i <= TransitionStyleCount; ++i)
        ComboBox1->addItem(QString::number(i) + QLatin1Char('-') +
                           QString::fromLatin1(TransitionStyleName(i)));
    SpinEdit1 = EffectSpin(this, "SpinEdit1", "Step (%):", 1, 100);
    SpinEdit2 = EffectSpin(this, "SpinEdit2", "Delay (ms):", 0, 999999);
    SpinEdit3 = EffectSpin(this, "SpinEdit3", "Image Delay (ms):", 0, 999999);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Effect Style:"), ComboBox1);
    fields->addRow(QStringLiteral("Step (%):"), SpinEdit1);
    fields->addRow(QStringLiteral("Delay (ms):"), SpinEdit2);
    fields->addRow(QStringLiteral("Image Delay (ms):"), SpinEdit3);

    TransitionView1 = new TTransitionView(this);
    TransitionView1->setObjectName(QStringLiteral("TransitionView1"));
    TransitionView1->setAccessibleName(QStringLiteral("Effect preview"));
    TransitionView1->SetAutoSize(false);
    TransitionView1->SetStretch(true);
    TransitionView1->setFixedSize(SlideShowSampleWidth, SlideShowSampleHeight);
    TransitionView1->OnStart = [this](TBitmap&, TBitmap&) { TransitionView1Start(); };
    TransitionView1->OnStop = [this] { TransitionView1Stop(); };

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TSlideShowEffectForm::Timer1Timer);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addSpacing(8);
    top->addWidget(TransitionView1, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TSlideShowEffectForm::ControlChange);
    for (QSpinBox* spin : {SpinEdit1, SpinEdit2, SpinEdit3})
        connect(spin, &QSpinBox::valueChanged, this, &TSlideShowEffectForm::ControlChange);
}

TSlideShowEffectForm::~TSlideShowEffectForm() {
    Timer1->stop();
    TransitionView1->OnStart = nullptr;
    TransitionView1->OnStop = nullptr;
}

void TSlideShowEffectForm::Load(const TSlideRecord& record, const TBitmap& slide) {
    FLoading = true;
    FSlide = slide;
    FShowingSlide = true;
    TransitionView1->SetPicture(FSlide);
    ComboBox1->setCurrentIndex(std::clamp(record.Style, 1, TransitionStyleCount) - 1);
    SpinEdit1->setValue(record.Step);
    SpinEdit2->setValue(record.Delay);
    SpinEdit3->setValue(record.ImageDelay);
    ApplyToPreview();
    FLoading = false;
    FChanged = false;
}

TSlideRecord TSlideShowEffectForm::Values() const {
    TSlideRecord record;
    record.Style = ComboBox1->currentIndex() + 1;
    record.Step = SpinEdit1->value();
    record.Delay = SpinEdit2->value();
    record.ImageDelay = SpinEdit3->value();
    return record;
}

void TSlideShowEffectForm::ApplyToPreview() {
    const TSlideRecord values = Values();
    TransitionView1->SetStyle(values.Style);
    TransitionView1->SetStep(values.Step);
    TransitionView1->SetDelay(values.Delay);
    Timer1->setInterval(values.ImageDelay);
}

void TSlideShowEffectForm::ControlChange() {
    if (FLoading) return;
    FChanged = true;
    ApplyToPreview();
    // The running transition ends almost at once, so the new values show soon.
    if (TransitionView1->Busy()) TransitionView1->SetProgress(99);
}

void TSlideShowEffectForm::Timer1Timer() {
    Timer1->stop();
    TransitionView1->Stop();
    try {
        TransitionView1->Execute();
    } catch (const std::bad_alloc&) {
        Timer1->stop(); // no memory for the preview's bitmaps: the preview pauses
    }
}

void TSlideShowEffectForm::TransitionView1Start() {
    Timer1->stop();
    // The component has its copy of the picture; the next run brings in the other one.
    FShowingSlide = !FShowingSlide;
    TransitionView1->SetPicture(FShowingSlide ? FSlide : FSample);
}

void TSlideShowEffectForm::TransitionView1Stop() {
    if (isVisible() && !FClosing) Timer1->start();
}

void TSlideShowEffectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FClosing = false;
    // The first run starts as soon as the dialog is up; the pauses come after each run.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !FClosing && !TransitionView1->Busy()) Timer1Timer();
    });
}

void TSlideShowEffectForm::done(int result) {
    FClosing = true;
    Timer1->stop();
    TransitionView1->Stop();
    QDialog::done(result);
}

bool EditSlideEffect(TDialogs& dialogs, TSlideRecord& record, const TBitmap& slide, QWidget* parent) {
    TSlideShowEffectForm form(parent);
    form.Load(record, slide);
    if (dialogs.ShowModal(form) != QDialog::Accepted || !form.Changed()) return false;
    record = form.Values();
    return true;
}
