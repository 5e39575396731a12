#include "generators/transitions/SlideShowUnit.h"

#include "generators/transitions/SlideShowEffectUnit.h"
#include "generators/transitions/TransitionView.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"
#include "platform/PictureDecoders.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <new>
#include <random>

const char* const SlideShowPictureFilter =
    "All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png|JPEG Image "
    "File "
    "(*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced "
    "Metafiles "
    "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|PNG Image File (*.png)|*.png";

namespace {

const char* const HelpText = "Please press the first button to add at least two images. Select a image, "
                             "press the second button (or double "
                             "click the image icon)  to edit effect style.";

constexpr int ThumbnailWidth = 96;
constexpr int ThumbnailHeight = 72;

std::mt19937& StyleRandom() {
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

// The slide scaled into a thumbnail, its aspect ratio kept.
QIcon SlideThumbnail(const TBitmap& slide) {
    QPixmap pixmap(ThumbnailWidth, ThumbnailHeight);
    pixmap.fill(Qt::transparent);
    if (slide.Empty() || slide.PixelFormat() != pf24bit) return QIcon(pixmap);
    const QImage image(slide.Bits(), slide.Width(), slide.Height(), slide.BytesPerLine(),
                       QImage::Format_BGR888);
    const QImage scaled =
        image.scaled(ThumbnailWidth - 2, ThumbnailHeight - 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&pixmap);
    const int x = (ThumbnailWidth - scaled.width()) / 2, y = (ThumbnailHeight - scaled.height()) / 2;
    painter.drawImage(x, y, scaled);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(x - 1, y - 1, scaled.width() + 1, scaled.height() + 1);
    return QIcon(pixmap);
}

enum TWizardIcon { wiAdd, wiEffect, wiDelete };

// The wizard's tool button pictures, drawn here: a picture with a plus, a
// picture half wiped by the next one, a picture with a cross.
QIcon WizardIcon(TWizardIcon kind) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(120, 170, 230));
    p.drawRect(QRectF(2.5, 4.5, 17, 13));
    p.setBrush(QColor(70, 150, 60));
    p.drawPolygon(
        QPolygonF({QPointF(3, 17), QPointF(9, 10), QPointF(14, 14), QPointF(19, 9), QPointF(19, 17)}));
    switch (kind) {
    case wiAdd:
        p.setPen(QPen(QColor(0, 140, 0), 3));
        p.drawLine(QPointF(18, 12), QPointF(18, 22));
        p.drawLine(QPointF(13, 17), QPointF(23, 17));
        break;
    case wiEffect:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 190, 40));
        p.drawRect(QRectF(11, 5, 8.5, 12));
        p.setPen(QPen(QColor(200, 60, 30), 2));
        p.drawLine(QPointF(11, 3), QPointF(11, 20));
        break;
    case wiDelete:
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(QPointF(13, 12), QPointF(22, 21));
        p.drawLine(QPointF(22, 12), QPointF(13, 21));
        break;
    }
    return QIcon(pixmap);
}

QToolButton* WizardButton(QWidget* parent, const char* name, const char* hint, TWizardIcon icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAccessibleName(QString::fromLatin1(hint));
    button->setIcon(WizardIcon(icon));
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    return button;
}

// The local picture files among dropped URLs.
std::vector<std::string> DroppedPictureFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = url.toLocalFile().toStdString();
        if (IsPictureFileName(path)) files.push_back(path);
    }
    return files;
}

} // namespace

void SeedSlideShowStyles(std::uint32_t seed) {
    StyleRandom().seed(seed);
}

TSlideShowForm::TSlideShowForm(TGIFData& document, TDialogs& dialogs, QWidget* parent)
    : QDialog(parent), FDocument(document), FDialogs(dialogs) {
    setObjectName(QStringLiteral("SlideShowForm"));
    setWindowTitle(QStringLiteral("Slide show style GIF"));
    setAcceptDrops(true);
    resize(680, 440);

    ToolButton1 = WizardButton(this, "ToolButton1", "Add Image", wiAdd);
    ToolButton2 = WizardButton(this, "ToolButton2", "Effect Style", wiEffect);
    ToolButton3 = WizardButton(this, "ToolButton3", "Delete Image", wiDelete);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    tools->addWidget(ToolButton1);
    tools->addWidget(ToolButton2);
    tools->addWidget(ToolButton3);
    tools->addStretch();
    connect(ToolButton1, &QToolButton::clicked, this, &TSlideShowForm::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TSlideShowForm::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TSlideShowForm::ToolButton3Click);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    ListView1 = new QListWidget(splitter);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Images"));
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setMovement(QListView::Static);
    ListView1->setDragDropMode(QAbstractItemView::NoDragDrop);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setIconSize(QSize(ThumbnailWidth, ThumbnailHeight));
    ListView1->setSpacing(4);
    ListView1->setMinimumWidth(ThumbnailWidth + 40);
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] { ToolButton2Click(); });

    auto* previewPanel = new QWidget(splitter);
    previewPanel->setObjectName(QStringLiteral("Panel1"));
    HelpLabel = new QLabel(QString::fromLatin1(HelpText), previewPanel);
    HelpLabel->setObjectName(QStringLiteral("HelpLabel"));
    HelpLabel->setWordWrap(true);
    HelpLabel->setAlignment(Qt::AlignCenter);
    HelpLabel->setMargin(16);
    ScrollBox1 = new QScrollArea(previewPanel);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Preview"));
    ScrollBox1->setAlignment(Qt::AlignCenter); // the preview stays centred in its area
    ScrollBox1->setWidgetResizable(false);
    TransitionView1 = new TTransitionView;
    TransitionView1->setObjectName(QStringLiteral("TransitionView1"));
    TransitionView1->setAccessibleName(QStringLiteral("Slide show preview"));
    TransitionView1->SetCenter(true);
    TransitionView1->resize(FWidth, FHeight);
    ScrollBox1->setWidget(TransitionView1);
    ScrollBox1->hide();
    auto* previewLayout = new QVBoxLayout(previewPanel);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(HelpLabel);
    previewLayout->addWidget(ScrollBox1);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ThumbnailWidth + 60, 520});
    TransitionView1->OnStart = [this](TBitmap&, TBitmap&) { TransitionView1Start(); };
    TransitionView1->OnStop = [this] { TransitionView1Stop(); };

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TSlideShowForm::Timer1Timer);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    SizeLabel = new QLabel(StatusBar1);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Generating frames"));
    ProgressBar1->setFormat(QStringLiteral("Frame %v of %m"));
    ProgressBar1->setMaximumWidth(220);
    ProgressBar1->hide();
    StatusBar1->addWidget(SizeLabel, 1);
    StatusBar1->addPermanentWidget(ProgressBar1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &TSlideShowForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 0);
    layout->addLayout(tools);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    SetFrameSize(FWidth, FHeight);
}

TSlideShowForm::~TSlideShowForm() {
    Timer1->stop();
    TransitionView1->OnStart = nullptr;
    TransitionView1->OnStop = nullptr;
}

void TSlideShowForm::SetFrameSize(int width, int height) {
    FWidth = std::max(1, width);
    FHeight = std::max(1, height);
    TransitionView1->resize(FWidth, FHeight);
    SizeLabel->setText(StatusText());
}

QString TSlideShowForm::StatusText() const {
    return QStringLiteral("Width: %1  Height: %2").arg(FWidth).arg(FHeight);
}

bool TSlideShowForm::Execute(int width, int height) {
    SetFrameSize(width, height);
    FFramesAdded = false;
    FClosing = false;
    FDialogs.ShowModal(*this);
    return FFramesAdded;
}

// --- Collecting pictures ---------------------------------------------------------

void TSlideShowForm::ToolButton1Click() {
    TFileDialogOptions options;
    options.Filter = SlideShowPictureFilter;
    options.MustExist = true;
    const std::vector<std::string> files = FDialogs.OpenDialog(options);
    if (!files.empty()) AddPictureFile(files.front());
}

bool TSlideShowForm::AddPictureFile(const std::string& path) {
    if ((long long)FWidth * FHeight > MaxSlideShowFramePixels) {
        // Each picture and each step of the preview would take hundreds of megabytes.
        FDialogs.MessageDlg(
            QStringLiteral("A frame of %1 x %2 pixels is too large for a slide show. Please use a "
                           "frame of at most %3 pixels.")
                .arg(FWidth)
                .arg(FHeight)
                .arg(MaxSlideShowFramePixels)
                .toStdString(),
            "Information", mtInformation, mbOK);
        return false;
    }
    TSlide slide;
    try {
        TBitmap picture;
        std::string reason;
        if (!LoadPictureFile(path, picture, reason)) {
            FDialogs.MessageDlg("Can not load file \"" + path + "\"", "Error", mtError, mbOK);
            return false;
        }
        // Transparent parts show over white, as on a fresh bitmap.
        slide.Bitmap = StretchToFrame(FlattenPicture(picture, RGB(255, 255, 255)), FWidth, FHeight);
        slide.Record = NewSlideRecord(StyleRandom());
        FSlides.push_back(std::move(slide));
    } catch (const std::bad_alloc&) {
        FDialogs.MessageDlg("Can not load file \"" + path + "\"", "Error", mtError, mbOK);
        return false;
    }
    auto* item = new QListWidgetItem(SlideThumbnail(FSlides.back().Bitmap), QString(), ListView1);
    item->setData(Qt::AccessibleTextRole, QStringLiteral("Image %1").arg(FSlides.size()));
    if (!TransitionView1->Busy() && !FGenerating) Timer1->start();
    LoadNextPicture();
    return true;
}

void TSlideShowForm::ToolButton3Click() {
    const int row = ListView1->currentRow();
    if (row < 0 || row >= PictureCount() || !ListView1->currentItem()->isSelected()) return;
    FSlides.erase(FSlides.begin() + row);
    delete ListView1->takeItem(row);
    for (int i = 0; i < ListView1->count(); ++i)
        ListView1->item(i)->setData(Qt::AccessibleTextRole, QStringLiteral("Image %1").arg(i + 1));
    if (FSlides.empty()) {
        StopPreview();
        return;
    }
    // The preview holds the picture of its next run: keep it pointing at the
    // same picture, or at the one after a deleted one.
    const int loaded = FPreviewIndex - 1;
    if (row < loaded) {
        --FPreviewIndex;
    } else if (row == loaded) {
        FPreviewIndex = row;
        LoadNextPicture();
    }
}

void TSlideShowForm::ToolButton2Click() {
    const int row = ListView1->currentRow();
    if (row < 0 || row >= PictureCount() || !ListView1->currentItem()->isSelected()) return;
    EditSlideEffect(FDialogs, FSlides[std::size_t(row)].Record, FSlides[std::size_t(row)].Bitmap, this);
}

void TSlideShowForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!FGenerating && !DroppedPictureFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TSlideShowForm::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedPictureFiles(event->mimeData());
    if (files.empty() || FGenerating) return;
    event->acceptProposedAction();
    for (const std::string& file : files)
        if (!AddPictureFile(file)) break;
}

// --- The preview -------------------------------------------------------------------

// The next picture for the preview, with the settings of the slide before it:
// as this runs from OnStart, after the component took its copy of the picture,
// the transition bringing in picture k runs with record k and the pause after
// it lasts record k's image delay.
void TSlideShowForm::LoadNextPicture() {
    if (FSlides.empty()) return;
    const int n = PictureCount();
    if (FPreviewIndex >= n) FPreviewIndex = 0;
    TransitionView1->SetPicture(FSlides[std::size_t(FPreviewIndex)].Bitmap);
    const TSlideRecord& r = FSlides[std::size_t(FPreviewIndex == 0 ? n - 1 : FPreviewIndex - 1)].Record;
    Timer1->setInterval(r.ImageDelay);
    TransitionView1->SetStep(r.Step);
    TransitionView1->SetDelay(r.Delay);
    TransitionView1->SetStyle(r.Style);
    ++FPreviewIndex;
}

void TSlideShowForm::Timer1Timer() {
    Timer1->stop();
    if (FGenerating || FClosing || FSlides.empty()) return;
    ScrollBox1->show();
    HelpLabel->hide();
    TransitionView1->Stop();
    try {
        TransitionView1->Execute();
    } catch (const std::bad_alloc&) {
        // Without memory for the preview's bitmaps the preview pauses; generating may still work.
        Timer1->stop();
    }
}

void TSlideShowForm::TransitionView1Start() {
    Timer1->stop();
    if (!FGenerating) LoadNextPicture();
}

void TSlideShowForm::TransitionView1Stop() {
    if (!FSlides.empty() && !TransitionView1->Busy() && !FGenerating && !FClosing) Timer1->start();
}

void TSlideShowForm::StopPreview() {
    Timer1->stop();
    TransitionView1->Stop();
    Timer1->stop();
    FPreviewIndex = 0;
    if (FSlides.empty()) {
        TransitionView1->Clear();
        ScrollBox1->hide();
        HelpLabel->show();
    }
}

// --- Generating --------------------------------------------------------------------

void TSlideShowForm::OKButtonClick() {
    if (FGenerating) return;
    if (PictureCount() < 2) {
        FDialogs.MessageDlg("Please add at least two images", "Information", mtInformation, mbOK);
        return;
    }
    if (!SlideShowFitsBounds(FSlides, FWidth, FHeight)) {
        FDialogs.MessageDlg(
            QStringLiteral("%1 frames of %2 x %3 pixels are too many to generate. Please use a "
                           "larger step, fewer images or a smaller size.")
                .arg(SlideShowFrameCount(FSlides))
                .arg(FWidth)
                .arg(FHeight)
                .toStdString(),
            "Information", mtInformation, mbOK);
        return;
    }
    FGenerating = true;
    Timer1->stop();
    TransitionView1->Stop();
    Timer1->stop();
    const std::size_t before = FDocument.Frames.size();
    bool added = false;
    try {
        added = GenerateSlideShow(FDocument, FWidth, FHeight, FSlides,
                                  [this](int done, int total) { ShowProgress(done, total); });
    } catch (const std::bad_alloc&) {
        while (FDocument.Frames.size() > before) FDocument.DeleteFrame(int(FDocument.Frames.size()) - 1);
        FGenerating = false;
        ProgressBar1->hide();
        SizeLabel->setText(StatusText());
        FDialogs.MessageDlg("Not enough memory to generate the slide show.", "Error", mtError, mbOK);
        return;
    }
    FGenerating = false;
    FFramesAdded = FFramesAdded || added;
    accept();
}

void TSlideShowForm::ShowProgress(int done, int total) {
    ProgressBar1->setMaximum(total);
    ProgressBar1->setValue(done);
    if (!ProgressBar1->isVisible()) ProgressBar1->show();
    SizeLabel->setText(StatusText() + QStringLiteral("  Generating..."));
    // Generation runs on this thread: paint the status bar now, without letting
    // other events in.
    if (StatusBar1->isVisible()) StatusBar1->repaint();
}

void TSlideShowForm::done(int result) {
    FClosing = true;
    StopPreview();
    // The records and pictures live only while the wizard is open.
    FSlides.clear();
    ListView1->clear();
    QDialog::done(result);
}

bool RunSlideShowWizard(TGIFData& document, TDialogs& dialogs, int width, int height, QWidget* parent) {
    TSlideShowForm form(document, dialogs, parent);
    return form.Execute(width, height);
}
