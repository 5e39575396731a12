#pragma once
// The "Flash Movie Preview" window: a small tool window at the movie's pixel
// size hosting our player; any key or a click closes it.

#include <QDialog>
#include <string>

class TDialogs;
class TSWFPlayer;

class TSWFPreviewForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSWFPreviewForm(QWidget* parent = nullptr);

    // Hosts a player on the movie at path with a client area of width x height
    // pixels. Raises std::exception with the reason when the movie cannot be played.
    void LoadMovie(const std::string& path, int width, int height);

    void FormKeyDown();
    void FormClick();

    TSWFPlayer* Player;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// Shows the movie at path in the preview window until a key or a click closes
// it. A movie that cannot be played is reported in a message box instead.
void ShowPreview(const std::string& path, int width, int height, TDialogs& dialogs,
                 QWidget* parent = nullptr);
