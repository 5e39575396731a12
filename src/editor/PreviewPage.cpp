#include "editor/PreviewPage.h"

#include "editor/QtBitmap.h"
#include "gifdata/GifData.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The player's composition, painted without a copy.
class TPreviewPicture : public QWidget {
  public:
    explicit TPreviewPicture(QWidget* parent) : QWidget(parent) {}
    const TPreviewPlayer* Player = nullptr;

    QImage Image() const {
        if (!Player || Player->Composition().Empty()) return {};
        const TBitmap& picture = Player->Composition();
        return QImage(picture.Bits(), picture.Width(), picture.Height(), picture.BytesPerLine(),
                      QImage::Format_BGR888);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QImage image = Image();
        if (image.isNull()) return;
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
};

} // namespace

TPreviewArea::TPreviewArea(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("PreviewArea"));
    setAccessibleName(QStringLiteral("Preview"));
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    auto* picture = new TPreviewPicture(this);
    picture->setObjectName(QStringLiteral("PreviewImage"));
    picture->setAccessibleName(QStringLiteral("Animation preview"));
    picture->resize(0, 0);
    setWidget(picture);
    FPicture = picture;
    FNote = new QLabel(viewport());
    FNote->setObjectName(QStringLiteral("PreviewNote"));
    FNote->setWordWrap(true);
    FNote->setMargin(12);
    FNote->hide();
    viewport()->setAutoFillBackground(true);
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TPreviewArea::TimerTick);
    FClock.start();
    SetBackground(DefaultPreviewBackground);
}

TPreviewArea::~TPreviewArea() {
    Stop();
}

void TPreviewArea::SetBackground(TColor background) {
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Window, ToQColor(background));
    viewport()->setPalette(colours);
    viewport()->update();
}

void TPreviewArea::Play(std::unique_ptr<TGIFData> animation, TColor background) {
    Stop();
    SetBackground(background);
    if (!animation) return;
    if (!TPreviewPlayer::ScreenFits(animation->ScreenWidth, animation->ScreenHeight)) {
        FNote->setText(QStringLiteral("The animation is too large to preview (%1 x %2 pixels).")
                           .arg(animation->ScreenWidth)
                           .arg(animation->ScreenHeight));
        FNote->resize(viewport()->width(), FNote->sizeHint().height());
        FNote->show();
        return;
    }
    FPlayer = std::make_unique<TPreviewPlayer>(std::move(animation), background,
                                               [this] { return std::int64_t(FClock.elapsed()); });
    auto* picture = static_cast<TPreviewPicture*>(FPicture);
    picture->Player = FPlayer.get();
    picture->resize(FPlayer->Composition().Width(), FPlayer->Composition().Height());
    TimerTick();
}

void TPreviewArea::Stop() {
    FTimer.stop();
    static_cast<TPreviewPicture*>(FPicture)->Player = nullptr;
    FPicture->resize(0, 0);
    FPlayer.reset();
    FNote->hide();
    FNote->clear();
}

void TPreviewArea::TimerTick() {
    if (!FPlayer) return;
    FPlayer->Step([this] { FPicture->repaint(); });
    Schedule();
}

void TPreviewArea::Schedule() {
    if (!FPlayer || FPlayer->Finished()) return;
    const std::int64_t wait = FPlayer->NextDue() - std::int64_t(FClock.elapsed());
    FTimer.start(int(std::clamp<std::int64_t>(wait, 0, std::int64_t(1) << 30)));
}

QImage TPreviewArea::Picture() const {
    return static_cast<const TPreviewPicture*>(FPicture)->Image();
}

QString TPreviewArea::Note() const {
    return FNote->isHidden() ? QString() : FNote->text();
}
