#pragma once
// The Preview page's picture area: hosts a TPreviewPlayer, wakes it with a
// timer when its next frame is due and shows its composition at 1:1, centred
// over the preview background colour (scrollable when larger than the page).

#include "editor/PreviewPlayer.h"

#include <QElapsedTimer>
#include <QScrollArea>
#include <QTimer>
#include <memory>

class QLabel;
class TGIFData;

class TPreviewArea : public QScrollArea {
    Q_OBJECT
  public:
    explicit TPreviewArea(QWidget* parent = nullptr);
    ~TPreviewArea() override;

    // Starts playing the animation (the first frame is shown at once) over the
    // background colour; a logical screen too large to compose shows a note instead.
    void Play(std::unique_ptr<TGIFData> animation, TColor background);
    // Stops and discards the player; the area shows only its background.
    void Stop();
    // The colour around the animation, and behind it until the next Play.
    void SetBackground(TColor background);

    // The player, none while stopped.
    TPreviewPlayer* Player() const { return FPlayer.get(); }
    // What the area shows of the animation (a null image while stopped).
    QImage Picture() const;
    // The note shown instead of a player (empty when none).
    QString Note() const;
    bool TimerActive() const { return FTimer.isActive(); }
    // Runs the player's step now, as the timer does.
    void TimerTick();

  private:
    void Schedule();

    std::unique_ptr<TPreviewPlayer> FPlayer;
    QTimer FTimer;
    QElapsedTimer FClock;
    QWidget* FPicture = nullptr;
    QLabel* FNote = nullptr;
};
