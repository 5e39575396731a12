#include "generators/text/TextEffectUnit.h"

#include "generators/ColorBox.h"
#include "generators/text/TextEffectKeyState.h"
#include "gifdata/GifData.h"
#include "platform/Canvas.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

const char* const PictureFilter =
    "All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|JPEG Image File "
    "(*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced "
    "Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";

// Font sizes and shadow offsets have no range of their own; these keep the
// supersampled text raster bounded and the offsets within their signed byte.
constexpr int MaxFontSize = 1000;
constexpr int MinOffset = -128;
constexpr int MaxOffset = 127;

const char* const PlacementModes[] = {"Tile", "Stretch", "Center", "Normal"};
const char* const GradientStyles[] = {"LeftToRight", "RightToLeft", "TopToBottom",
                                      "BottomToTop", "CenterToLR",  "CenterToTB"};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QSpinBox* NewSpin(QWidget* parent, const QString& name, const QString& accessible, int minimum, int maximum,
                  int value) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setAccessibleName(accessible);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    return spin;
}

QCheckBox* NewCheck(QWidget* parent, const char* name, const char* caption, bool checked) {
    auto* check = new QCheckBox(QString::fromLatin1(caption), parent);
    check->setObjectName(QString::fromLatin1(name));
    check->setAccessibleName(QString::fromLatin1(caption));
    check->setChecked(checked);
    return check;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromLatin1(caption));
    button->setAutoDefault(false);
    return button;
}

template <std::size_t N>
QComboBox* NewList(QWidget* parent, const char* name, const char* accessible, const char* const (&items)[N]) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(QString::fromLatin1(accessible));
    for (const char* item : items) list->addItem(QString::fromLatin1(item));
    return list;
}

QLabel* NewLabel(QWidget* parent, const char* text, QWidget* buddy = nullptr) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

// The grid of animated values: a label, then the Start and End controls.
class TAnimatedGrid {
  public:
    TAnimatedGrid(QWidget* parent, TDialogs& dialogs) : FParent(parent), FDialogs(dialogs) {
        FGroup = new QGroupBox(parent);
        FGrid = new QGridLayout(FGroup);
        FGrid->addWidget(NewLabel(FGroup, "Animation Start"), 0, 1);
        FGrid->addWidget(NewLabel(FGroup, "Animation End"), 0, 2);
    }
    QGroupBox* Group() const { return FGroup; }

    void AddSpins(const char* caption, const char* name, int minimum, int maximum,
                  const TTextEffectRange<int>& defaults, QSpinBox* (&spins)[2]) {
        const QString field = QString::fromLatin1(caption).chopped(1); // without the colon
        spins[0] = NewSpin(FGroup, QString::fromLatin1(name) + QStringLiteral("Start"),
                           field + QStringLiteral(" Start"), minimum, maximum, defaults.Start);
        spins[1] = NewSpin(FGroup, QString::fromLatin1(name) + QStringLiteral("End"),
                           field + QStringLiteral(" End"), minimum, maximum, defaults.End);
        AddRow(caption, spins[0], spins[1]);
    }

    void AddColors(const char* caption, const char* name, const TTextEffectRange<TColor>& defaults,
                   TColorBox* (&boxes)[2]) {
        const QString field = QString::fromLatin1(caption).chopped(1);
        boxes[0] = new TColorBox(FDialogs, defaults.Start, FGroup);
        boxes[0]->setObjectName(QString::fromLatin1(name) + QStringLiteral("Start"));
        boxes[0]->setAccessibleName(field + QStringLiteral(" Start"));
        boxes[1] = new TColorBox(FDialogs, defaults.End, FGroup);
        boxes[1]->setObjectName(QString::fromLatin1(name) + QStringLiteral("End"));
        boxes[1]->setAccessibleName(field + QStringLiteral(" End"));
        AddRow(caption, boxes[0], boxes[1]);
    }

  private:
    void AddRow(const char* caption, QWidget* start, QWidget* end) {
        const int row = FGrid->rowCount();
        FGrid->addWidget(NewLabel(FGroup, caption, start), row, 0);
        FGrid->addWidget(start, row, 1);
        FGrid->addWidget(end, row, 2);
    }

    QWidget* FParent;
    TDialogs& FDialogs;
    QGroupBox* FGroup;
    QGridLayout* FGrid;
};

} // namespace

// ---------------------------------------------------------------------------
// The preview panel

TTextEffectPreviewPanel::TTextEffectPreviewPanel(const TSmoothLabel& label, QWidget* parent)
    : QWidget(parent), FLabel(label) {
    setObjectName(QStringLiteral("Panel1"));
    setAccessibleName(QStringLiteral("Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTextEffectPreviewPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const TBitmap& bitmap = FLabel.Offscreen();
    if (bitmap.Empty() || bitmap.PixelFormat() != pf24bit) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    // The rendering is stored blue, green, red: shown without a copy.
    const QImage image(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.BytesPerLine(),
                       QImage::Format_BGR888);
    painter.drawImage(0, 0, image);
}

// ---------------------------------------------------------------------------
// The wizard

TTextEffectForm::TTextEffectForm(TDialogs& dialogs, QWidget* parent)
    : QDialog(parent), FDialogs(dialogs), FTexture(DefaultTexturePicture()) {
    setObjectName(QStringLiteral("TextEffectForm"));
    setWindowTitle(QStringLiteral("Text Effect"));
    FLoading = true;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateToolBar());

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Preview area"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setMinimumHeight(140);
    auto* content = new QWidget;
    Panel1 = new TTextEffectPreviewPanel(FLabel, content);
    ScrollBox1->setWidget(content);
    ScrollBox1->viewport()->installEventFilter(this);
    layout->addWidget(ScrollBox1, 1);
    WarningLabel = new QLabel(this);
    WarningLabel->setObjectName(QStringLiteral("WarningLabel"));
    WarningLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    WarningLabel->hide();
    layout->addWidget(WarningLabel);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setAccessibleName(QStringLiteral("Settings pages"));
    PageControl1->addTab(CreateGeneralPage(), QStringLiteral("General and Texture"));
    PageControl1->addTab(CreateGradientPage(), QStringLiteral("Gradient and Shadow"));
    layout->addWidget(PageControl1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setAccessibleName(QStringLiteral("OK"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAccessibleName(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(false);
    Timer1->setInterval(DelayEdit->value());
    connect(Timer1, &QTimer::timeout, this, &TTextEffectForm::Timer1Timer);
    connect(OKButton, &QPushButton::clicked, this, &TTextEffectForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TTextEffectForm::reject);

    // The label takes its fixed settings (centred, aqHigh, no border, opaque)
    // and the controls' values at every change, as the generator's label does.
    FLabel.OnInvalidate = [this] { Panel1->update(); };
    ConnectChanges();
    FLoading = false;
    FrameEditChange();
}

TTextEffectForm::~TTextEffectForm() {
    Timer1->stop();
    FLabel.OnInvalidate = nullptr;
}

QWidget* TTextEffectForm::CreateToolBar() {
    const TTextEffectSettings defaults;
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setAccessibleName(QStringLiteral("Text and frame size"));
    TextEdit = new QLineEdit(Q(defaults.Text), ToolBar1);
    TextEdit->setObjectName(QStringLiteral("TextEdit"));
    TextEdit->setAccessibleName(QStringLiteral("Text"));
    TextEdit->setMinimumWidth(200);
    WidthEdit = NewSpin(ToolBar1, QStringLiteral("WidthEdit"), QStringLiteral("Width"), 1, MaxFrameSide,
                        defaults.Width);
    HeightEdit = NewSpin(ToolBar1, QStringLiteral("HeightEdit"), QStringLiteral("Height"), 1, MaxFrameSide,
                         defaults.Height);
    ToolBar1->addWidget(NewLabel(ToolBar1, "  Text:", TextEdit));
    ToolBar1->addWidget(TextEdit);
    ToolBar1->addWidget(NewLabel(ToolBar1, "  Width:", WidthEdit));
    ToolBar1->addWidget(WidthEdit);
    ToolBar1->addWidget(NewLabel(ToolBar1, "  Height:", HeightEdit));
    ToolBar1->addWidget(HeightEdit);
    return ToolBar1;
}

QWidget* TTextEffectForm::CreateGeneralPage() {
    const TTextEffectSettings defaults;
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("GeneralPage"));
    auto* row = new QHBoxLayout(page);

    auto* fixed = new QGroupBox(page);
    auto* grid = new QGridLayout(fixed);
    FontButton = NewButton(fixed, "FontButton", "Font...");
    DelayEdit =
        NewSpin(fixed, QStringLiteral("DelayEdit"), QStringLiteral("Delay"), 10, 999999, defaults.Delay);
    FrameEdit = NewSpin(fixed, QStringLiteral("FrameEdit"), QStringLiteral("Frame"), 1, 999, defaults.Frames);
    FrameCountLabel = new QLabel(Q(TextEffectFrameCountText(defaults.Frames)), fixed);
    FrameCountLabel->setObjectName(QStringLiteral("FrameCountLabel"));
    FrameCountLabel->setAccessibleName(QStringLiteral("Frame count"));
    BackImageModeBox = NewList(fixed, "BackImageModeBox", "Back Image Mode", PlacementModes);
    BackImageModeBox->setCurrentIndex(int(defaults.BackImageMode));
    LoadBackImageButton = NewButton(fixed, "LoadBackImageButton", "Load Back Image...");
    ClearBackImageButton = NewButton(fixed, "ClearBackImageButton", "Clear Back Image...");
    VertMirrorCheck = NewCheck(fixed, "VertMirrorCheck", "Vert Mirror", defaults.VertMirror);
    HorzMirrorCheck = NewCheck(fixed, "HorzMirrorCheck", "Horz Mirror", defaults.HorzMirror);
    OutlineCheck = NewCheck(fixed, "OutlineCheck", "Outline", defaults.Outline);
    TextureEnabledCheck = NewCheck(fixed, "TextureEnabledCheck", "Texture Enabled", defaults.TextureEnabled);
    TextureModeBox = NewList(fixed, "TextureModeBox", "Texture Mode", PlacementModes);
    TextureModeBox->setCurrentIndex(int(defaults.TextureMode));
    TextureImageButton = NewButton(fixed, "TextureImageButton", "Texture Image...");

    grid->addWidget(NewLabel(fixed, "Font:", FontButton), 0, 0);
    grid->addWidget(FontButton, 0, 1);
    grid->addWidget(NewLabel(fixed, "Delay:", DelayEdit), 1, 0);
    grid->addWidget(DelayEdit, 1, 1);
    grid->addWidget(NewLabel(fixed, "Frame:", FrameEdit), 2, 0);
    grid->addWidget(FrameEdit, 2, 1);
    auto* count = new QHBoxLayout;
    count->addWidget(NewLabel(fixed, "x2-2="));
    count->addWidget(FrameCountLabel, 1);
    grid->addLayout(count, 2, 2);
    grid->addWidget(NewLabel(fixed, "Back Image Mode:", BackImageModeBox), 3, 0);
    grid->addWidget(BackImageModeBox, 3, 1);
    grid->addWidget(LoadBackImageButton, 4, 0);
    grid->addWidget(ClearBackImageButton, 4, 1);
    grid->addWidget(VertMirrorCheck, 5, 0);
    grid->addWidget(HorzMirrorCheck, 5, 1);
    grid->addWidget(OutlineCheck, 6, 0);
    grid->addWidget(TextureEnabledCheck, 6, 1);
    grid->addWidget(NewLabel(fixed, "Texture Mode:", TextureModeBox), 7, 0);
    grid->addWidget(TextureModeBox, 7, 1);
    grid->addWidget(TextureImageButton, 8, 1);
    grid->setRowStretch(9, 1);
    row->addWidget(fixed);

    TAnimatedGrid animated(page, FDialogs);
    animated.AddSpins("Font Size:", "FontSize", 1, MaxFontSize, defaults.FontSize, FontSizeEdit);
    animated.AddColors("Font Color:", "FontColor", defaults.FontColor, FontColorBox);
    animated.AddColors("Back Color:", "BackColor", defaults.BackColor, BackColorBox);
    animated.AddSpins("Angle:", "Angle", -360, 360, defaults.Angle, AngleEdit);
    animated.AddSpins("Alpha:", "Alpha", 0, 100, defaults.Alpha, AlphaEdit);
    animated.AddSpins("Spray:", "Spray", 0, 100, defaults.Spray, SprayEdit);
    animated.AddSpins("Blur:", "Blur", 0, 100, defaults.Blur, BlurEdit);
    animated.AddSpins("Noise:", "Noise", 0, 255, defaults.Noise, NoiseEdit);
    row->addWidget(animated.Group(), 1);
    return page;
}

QWidget* TTextEffectForm::CreateGradientPage() {
    const TTextEffectSettings defaults;
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("GradientPage"));
    auto* row = new QHBoxLayout(page);

    auto* fixed = new QGroupBox(page);
    auto* grid = new QGridLayout(fixed);
    GradientEnabledCheck =
        NewCheck(fixed, "GradientEnabledCheck", "Gradient Enabled", defaults.GradientEnabled);
    GradientStyleBox = NewList(fixed, "GradientStyleBox", "Gradient Style", GradientStyles);
    GradientStyleBox->setCurrentIndex(int(defaults.GradientStyle));
    ShadowEnabledCheck = NewCheck(fixed, "ShadowEnabledCheck", "Shadow Enabled", defaults.ShadowEnabled);
    grid->addWidget(GradientEnabledCheck, 0, 0, 1, 2);
    grid->addWidget(NewLabel(fixed, "Gradient Style:", GradientStyleBox), 1, 0);
    grid->addWidget(GradientStyleBox, 1, 1);
    grid->addWidget(ShadowEnabledCheck, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    row->addWidget(fixed);

    TAnimatedGrid animated(page, FDialogs);
    animated.AddColors("Start Color:", "StartColor", defaults.GradientStartColor, StartColorBox);
    animated.AddColors("End Color:", "EndColor", defaults.GradientEndColor, EndColorBox);
    animated.AddColors("Shadow Color:", "ShadowColor", defaults.ShadowColor, ShadowColorBox);
    animated.AddSpins("Shadow Alpha:", "ShadowAlpha", 0, 100, defaults.ShadowAlpha, ShadowAlphaEdit);
    animated.AddSpins("Shadow Blur:", "ShadowBlur", 0, 100, defaults.ShadowBlur, ShadowBlurEdit);
    animated.AddSpins("Shadow OffsetX:", "ShadowOffsetX", MinOffset, MaxOffset, defaults.ShadowOffsetX,
                      ShadowOffsetXEdit);
    animated.AddSpins("Shadow OffsetY:", "ShadowOffsetY", MinOffset, MaxOffset, defaults.ShadowOffsetY,
                      ShadowOffsetYEdit);
    row->addWidget(animated.Group(), 1);
    return page;
}

void TTextEffectForm::ConnectChanges() {
    connect(TextEdit, &QLineEdit::textChanged, this, &TTextEffectForm::ControlsChange);
    connect(WidthEdit, &QSpinBox::valueChanged, this, &TTextEffectForm::SizeChange);
    connect(HeightEdit, &QSpinBox::valueChanged, this, &TTextEffectForm::SizeChange);
    connect(DelayEdit, &QSpinBox::valueChanged, this, &TTextEffectForm::DelayEditChange);
    connect(FrameEdit, &QSpinBox::valueChanged, this, &TTextEffectForm::FrameEditChange);
    connect(FontButton, &QPushButton::clicked, this, &TTextEffectForm::FontButtonClick);
    connect(LoadBackImageButton, &QPushButton::clicked, this, &TTextEffectForm::LoadBackImageClick);
    connect(ClearBackImageButton, &QPushButton::clicked, this, &TTextEffectForm::ClearBackImageClick);
    connect(TextureImageButton, &QPushButton::clicked, this, &TTextEffectForm::TextureImageClick);
    for (QComboBox* list : {BackImageModeBox, TextureModeBox, GradientStyleBox})
        connect(list, &QComboBox::currentIndexChanged, this, &TTextEffectForm::ControlsChange);
    for (QCheckBox* check : {VertMirrorCheck, HorzMirrorCheck, OutlineCheck, TextureEnabledCheck,
                             GradientEnabledCheck, ShadowEnabledCheck})
        connect(check, &QCheckBox::toggled, this, &TTextEffectForm::ControlsChange);
    for (QSpinBox* const* pair : {FontSizeEdit, AngleEdit, AlphaEdit, SprayEdit, BlurEdit, NoiseEdit,
                                  ShadowAlphaEdit, ShadowBlurEdit, ShadowOffsetXEdit, ShadowOffsetYEdit})
        for (int i = 0; i < 2; ++i)
            connect(pair[i], &QSpinBox::valueChanged, this, &TTextEffectForm::ControlsChange);
    for (TColorBox* const* pair : {FontColorBox, BackColorBox, StartColorBox, EndColorBox, ShadowColorBox})
        for (int i = 0; i < 2; ++i)
            connect(pair[i], &TColorBox::ColorChanged, this, &TTextEffectForm::ControlsChange);
}

// ---------------------------------------------------------------------------
// Reading and setting the controls

TTextEffectSettings TTextEffectForm::Settings() const {
    TTextEffectSettings s;
    s.Text = TextEdit->text().toStdString();
    s.Width = WidthEdit->value();
    s.Height = HeightEdit->value();
    s.FontName = FFontChoice.FontName;
    s.Bold = FFontChoice.Bold;
    s.Italic = FFontChoice.Italic;
    s.Underline = FFontChoice.Underline;
    s.StrikeOut = FFontChoice.StrikeOut;
    s.Delay = DelayEdit->value();
    s.Frames = FrameEdit->value();
    s.BackImageMode = TBackGroundMode(std::clamp(BackImageModeBox->currentIndex(), 0, 3));
    s.BackImage = FBackImage;
    s.VertMirror = VertMirrorCheck->isChecked();
    s.HorzMirror = HorzMirrorCheck->isChecked();
    s.Outline = OutlineCheck->isChecked();
    s.TextureEnabled = TextureEnabledCheck->isChecked();
    s.TextureMode = TTextureMode(std::clamp(TextureModeBox->currentIndex(), 0, 3));
    s.Texture = FTexture;
    s.GradientEnabled = GradientEnabledCheck->isChecked();
    s.GradientStyle = TGradualStyle(std::clamp(GradientStyleBox->currentIndex(), 0, 5));
    s.ShadowEnabled = ShadowEnabledCheck->isChecked();
    auto spins = [](QSpinBox* const(&pair)[2]) {
        return TTextEffectRange<int>{pair[0]->value(), pair[1]->value()};
    };
    auto colors = [](TColorBox* const(&pair)[2]) {
        return TTextEffectRange<TColor>{pair[0]->Color(), pair[1]->Color()};
    };
    s.FontSize = spins(FontSizeEdit);
    s.FontColor = colors(FontColorBox);
    s.BackColor = colors(BackColorBox);
    s.Angle = spins(AngleEdit);
    s.Alpha = spins(AlphaEdit);
    s.Spray = spins(SprayEdit);
    s.Blur = spins(BlurEdit);
    s.Noise = spins(NoiseEdit);
    s.GradientStartColor = colors(StartColorBox);
    s.GradientEndColor = colors(EndColorBox);
    s.ShadowColor = colors(ShadowColorBox);
    s.ShadowAlpha = spins(ShadowAlphaEdit);
    s.ShadowBlur = spins(ShadowBlurEdit);
    s.ShadowOffsetX = spins(ShadowOffsetXEdit);
    s.ShadowOffsetY = spins(ShadowOffsetYEdit);
    return s;
}

void TTextEffectForm::SetSettings(const TTextEffectSettings& s) {
    FLoading = true;
    TextEdit->setText(Q(s.Text));
    WidthEdit->setValue(s.Width);
    HeightEdit->setValue(s.Height);
    FFontChoice.FontName = s.FontName;
    FFontChoice.Bold = s.Bold;
    FFontChoice.Italic = s.Italic;
    FFontChoice.Underline = s.Underline;
    FFontChoice.StrikeOut = s.StrikeOut;
    DelayEdit->setValue(s.Delay);
    FrameEdit->setValue(s.Frames);
    BackImageModeBox->setCurrentIndex(int(s.BackImageMode));
    FBackImage = s.BackImage;
    VertMirrorCheck->setChecked(s.VertMirror);
    HorzMirrorCheck->setChecked(s.HorzMirror);
    OutlineCheck->setChecked(s.Outline);
    TextureEnabledCheck->setChecked(s.TextureEnabled);
    TextureModeBox->setCurrentIndex(int(s.TextureMode));
    FTexture = s.Texture;
    GradientEnabledCheck->setChecked(s.GradientEnabled);
    GradientStyleBox->setCurrentIndex(int(s.GradientStyle));
    ShadowEnabledCheck->setChecked(s.ShadowEnabled);
    auto spins = [](QSpinBox*(&pair)[2], const TTextEffectRange<int>& range) {
        pair[0]->setValue(range.Start);
        pair[1]->setValue(range.End);
    };
    auto colors = [](TColorBox*(&pair)[2], const TTextEffectRange<TColor>& range) {
        pair[0]->SetColor(range.Start);
        pair[1]->SetColor(range.End);
    };
    spins(FontSizeEdit, s.FontSize);
    colors(FontColorBox, s.FontColor);
    colors(BackColorBox, s.BackColor);
    spins(AngleEdit, s.Angle);
    spins(AlphaEdit, s.Alpha);
    spins(SprayEdit, s.Spray);
    spins(BlurEdit, s.Blur);
    spins(NoiseEdit, s.Noise);
    colors(StartColorBox, s.GradientStartColor);
    colors(EndColorBox, s.GradientEndColor);
    colors(ShadowColorBox, s.ShadowColor);
    spins(ShadowAlphaEdit, s.ShadowAlpha);
    spins(ShadowBlurEdit, s.ShadowBlur);
    spins(ShadowOffsetXEdit, s.ShadowOffsetX);
    spins(ShadowOffsetYEdit, s.ShadowOffsetY);
    FLoading = false;
    FrameEditChange();
    DelayEditChange();
}

// ---------------------------------------------------------------------------
// Handlers

void TTextEffectForm::ControlsChange() {
    if (FLoading) return;
    // Settings the renderer cannot hold are not shown: the preview keeps the last ones.
    TTextEffectSettings settings = Settings();
    const std::string refusal = TextEffectTextRefusal(settings);
    WarningLabel->setText(Q(refusal));
    WarningLabel->setVisible(!refusal.empty());
    if (!refusal.empty()) return;
    FSettings = std::move(settings);
    const int last = std::max(0, FSettings.Frames - 1);
    FLabel.BeginUpdate();
    ConfigureTextEffectLabel(FLabel, FSettings);
    ApplyKeyState(FLabel, TextEffectKeyState(FSettings, std::clamp(FPreview.Index(), 0, last)));
    FLabel.EndUpdate();
    if (Panel1->size() != QSize(FLabel.Width(), FLabel.Height())) {
        Panel1->setFixedSize(FLabel.Width(), FLabel.Height());
        CenterPreview();
    }
    Panel1->update();
}

void TTextEffectForm::FrameEditChange() {
    FrameCountLabel->setText(Q(TextEffectFrameCountText(FrameEdit->value())));
    ControlsChange();
}

void TTextEffectForm::DelayEditChange() {
    Timer1->setInterval(DelayEdit->value());
    ControlsChange();
}

void TTextEffectForm::SizeChange() {
    ControlsChange();
}

void TTextEffectForm::CenterPreview() {
    QWidget* content = ScrollBox1->widget();
    const QSize area = ScrollBox1->viewport()->size();
    const QSize panel = Panel1->size();
    // Centred while it fits; a larger panel starts at the corner and scrolls.
    const int left = std::max(0, (area.width() - panel.width()) / 2);
    const int top = std::max(0, (area.height() - panel.height()) / 2);
    content->resize(std::max(area.width(), panel.width()), std::max(area.height(), panel.height()));
    Panel1->move(left, top);
}

bool TTextEffectForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::Resize) CenterPreview();
    return QDialog::eventFilter(watched, event);
}

void TTextEffectForm::ShowKeyState(int k) {
    ApplyKeyState(FLabel, TextEffectKeyState(FSettings, k));
}

void TTextEffectForm::Timer1Timer() {
    Timer1->stop();
    ShowKeyState(FPreview.Step(FSettings.Frames));
    if (FRunning && !FGenerating) Timer1->start();
}

void TTextEffectForm::FontButtonClick() {
    TFont font;
    const TSmoothLabelFont& shown = FLabel.Font();
    font.Name = FFontChoice.FontName;
    font.Style = (FFontChoice.Bold ? unsigned(fsBold) : 0u) | (FFontChoice.Italic ? unsigned(fsItalic) : 0u) |
                 (FFontChoice.Underline ? unsigned(fsUnderline) : 0u) |
                 (FFontChoice.StrikeOut ? unsigned(fsStrikeOut) : 0u);
    font.SetSize(shown.Size);
    font.Color = shown.Color;
    if (!FDialogs.ChooseFont(font)) return;
    // Size and colour stay those of the animated values.
    FFontChoice.FontName = font.Name;
    FFontChoice.Bold = font.Style & fsBold;
    FFontChoice.Italic = font.Style & fsItalic;
    FFontChoice.Underline = font.Style & fsUnderline;
    FFontChoice.StrikeOut = font.Style & fsStrikeOut;
    ControlsChange();
}

bool TTextEffectForm::LoadPicture(TSmoothPicture& picture) {
    TFileDialogOptions options;
    options.Filter = PictureFilter;
    options.MustExist = true;
    const std::vector<std::string> files = FDialogs.OpenDialog(options);
    if (files.empty()) return false;
    TSmoothPicture loaded;
    bool ok = false;
    try {
        ok = loaded.LoadFromFile(files.front());
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        FDialogs.MessageDlg("Can not open file \"" + files.front() + "\".", "Error", mtError, mbOK);
        return false;
    }
    picture = std::move(loaded);
    return true;
}

void TTextEffectForm::LoadBackImageClick() {
    if (LoadPicture(FBackImage)) ControlsChange();
}

void TTextEffectForm::ClearBackImageClick() {
    FBackImage.Clear();
    ControlsChange();
}

void TTextEffectForm::TextureImageClick() {
    if (LoadPicture(FTexture)) ControlsChange();
}

// ---------------------------------------------------------------------------
// Running and generating

bool TTextEffectForm::Run(TGIFData& document) {
    if (FRunning) return false; // one run at a time
    FDocument = &document;
    FFramesAdded = false;
    FPreview = TTextEffectPreview();
    SetBusy(false);
    ControlsChange();
    FRunning = true;
    Timer1->start(DelayEdit->value());
    FDialogs.ShowModal(*this);
    FRunning = false;
    Timer1->stop();
    FDocument = nullptr;
    return FFramesAdded;
}

void TTextEffectForm::SetBusy(bool busy) {
    for (QWidget* control : {static_cast<QWidget*>(ToolBar1), static_cast<QWidget*>(PageControl1),
                             static_cast<QWidget*>(OKButton), static_cast<QWidget*>(CancelButton)})
        control->setEnabled(!busy);
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void TTextEffectForm::OKButtonClick() {
    if (FGenerating || !FDocument) return;
    TTextEffectSettings settings = Settings();
    if (const std::string refusal = TextEffectRefusal(settings); !refusal.empty()) {
        FDialogs.MessageDlg(refusal, "Error", mtError, mbOK);
        return;
    }
    FSettings = std::move(settings);
    Timer1->stop();
    FGenerating = true;
    SetBusy(true);
    TGIFData& document = *FDocument;
    const std::size_t before = document.Frames.size();
    bool complete = false;
    try {
        // Between frames the window repaints and the progress shows; the
        // controls are disabled and closing is refused until the last frame.
        const int added = GenerateTextEffect(document, FSettings, [this](int done, int total) {
            if (OnProgress) OnProgress(done, total);
            QCoreApplication::processEvents();
        });
        if (added > 0) FFramesAdded = true;
        complete = true;
    } catch (const std::bad_alloc&) {
        while (document.Frames.size() > before) document.DeleteFrame(int(document.Frames.size()) - 1);
    }
    FGenerating = false;
    SetBusy(false);
    if (OnProgress) OnProgress(0, 0);
    if (!complete) {
        FDialogs.MessageDlg("Not enough memory to generate the animation.", "Error", mtError, mbOK);
        if (FRunning) Timer1->start();
        return;
    }
    accept();
}

void TTextEffectForm::reject() {
    if (FGenerating) return;
    QDialog::reject();
}

void TTextEffectForm::closeEvent(QCloseEvent* event) {
    if (FGenerating) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
