#include "flash/SWFPreviewPlayer.h"

#include "flash/SWFPlayer.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

// Our player's 32-bit frames (B, G, R, 255) are QImage's RGB32 bytes on every
// little-endian machine; copied row by row since the strides may differ.
QImage ToImage(const TBitmap& frame) {
    QImage image(frame.Width(), frame.Height(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < frame.Height(); ++y) {
        const std::uint8_t* src = frame.ScanLine(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < frame.Width(); ++x, src += 4) dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return image;
}

} // namespace

TSWFPlayer::TSWFPlayer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SWFPlayer"));
    setAccessibleName(QStringLiteral("Flash movie"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TSWFPlayer::NextFrame);
}

TSWFPlayer::~TSWFPlayer() = default;

void TSWFPlayer::SetMovie(const std::string& path) {
    Stop();
    FPlayer.reset();
    FPicture = QImage();
    FMovie = path;
    auto player = std::make_unique<TSWFMoviePlayer>(TSWFFile::FromFile(path));
    if (player->FrameCount() == 0) throw std::runtime_error("The movie " + path + " has no frames to show.");
    FPlayer = std::move(player);
    ShowMovieFrame(0);
}

void TSWFPlayer::Play() {
    if (!FPlayer) return;
    Timer1->start(FrameInterval());
}

void TSWFPlayer::Stop() {
    Timer1->stop();
}

bool TSWFPlayer::Playing() const {
    return Timer1->isActive();
}

int TSWFPlayer::FrameCount() const {
    return FPlayer ? FPlayer->FrameCount() : 0;
}

int TSWFPlayer::FrameInterval() const {
    // A rate of 0 has no interval; such a movie plays at one frame a second.
    const double rate = FPlayer ? FPlayer->FrameRate() : 0.0;
    return rate > 0 ? std::max(1, int(std::lround(1000.0 / rate))) : 1000;
}

void TSWFPlayer::NextFrame() {
    if (!FPlayer) return;
    const int next = FCurrentFrame + 1 < FPlayer->FrameCount() ? FCurrentFrame + 1 : 0;
    try {
        ShowMovieFrame(next);
    } catch (const std::exception&) {
        // A frame that cannot be drawn now could not be drawn on the next
        // round either: the movie stops on the last frame it showed.
        Stop();
    }
}

void TSWFPlayer::ShowMovieFrame(int n) {
    FPicture = ToImage(FPlayer->RenderFrame(n));
    FCurrentFrame = n;
    update();
}

void TSWFPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FPicture.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), FPicture);
}
