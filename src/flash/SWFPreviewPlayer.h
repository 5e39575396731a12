#pragma once
// The player control of the preview window: plays an SWF file with our own
// player at the movie's frame rate, looping, one pixel per stage pixel.

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

class QTimer;
class TSWFMoviePlayer;

class TSWFPlayer : public QWidget {
    Q_OBJECT
  public:
    explicit TSWFPlayer(QWidget* parent = nullptr);
    ~TSWFPlayer() override;

    // Loads the movie at path and shows its first frame. Raises std::exception
    // with the reason when the movie cannot be played; the control then shows nothing.
    void SetMovie(const std::string& path);
    const std::string& Movie() const { return FMovie; }

    // Starts and stops the frame timer (interval: one frame at the movie's rate).
    void Play();
    void Stop();
    bool Playing() const;
    // The timer's work: shows the next frame, after the last one the first again.
    void NextFrame();

    int FrameCount() const;
    int CurrentFrame() const { return FCurrentFrame; }
    // Milliseconds per frame at the movie's rate.
    int FrameInterval() const;
    // The picture of the current frame at the stage's size.
    const QImage& Picture() const { return FPicture; }

    QTimer* Timer1;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowMovieFrame(int n);

    std::string FMovie;
    std::unique_ptr<TSWFMoviePlayer> FPlayer;
    int FCurrentFrame = 0;
    QImage FPicture;
};
