#pragma once
// TSlideShowForm: the slide-show wizard. The user collects pictures (each
// squeezed to the frame size when added), sets each one's transition in the
// effect dialog and watches them cycle in a live preview; "OK" generates the
// animation into the document, one frame per transition step.

#include "generators/transitions/SlideShowGenerator.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTimer;
class QToolButton;
class TDialogs;
class TGIFData;
class TTransitionView;

// The file filter of "Add Image".
extern const char* const SlideShowPictureFilter;

// Seeds the random source of the initial styles (tests make them repeatable).
void SeedSlideShowStyles(std::uint32_t seed);

class TSlideShowForm : public QDialog {
  public:
    TSlideShowForm(TGIFData& document, TDialogs& dialogs, QWidget* parent = nullptr);
    ~TSlideShowForm() override;

    // Runs the wizard modally for a width x height slide show; true when
    // frames were added to the document.
    bool Execute(int width, int height);
    // The frame size (128 x 128 until Execute or SetFrameSize sets it).
    void SetFrameSize(int width, int height);
    int FrameWidth() const { return FWidth; }
    int FrameHeight() const { return FHeight; }

    // --- commands ---
    void ToolButton1Click(); // "Add Image"
    void ToolButton2Click(); // "Effect Style" (and a double click on a picture)
    void ToolButton3Click(); // "Delete Image"
    void OKButtonClick();    // generates
    void Timer1Timer();      // the preview's next transition
    // Loads a picture, squeezes it to the frame size and appends it with a
    // fresh record; says so and adds nothing when the file cannot be loaded.
    bool AddPictureFile(const std::string& path);

    // --- state ---
    int PictureCount() const { return int(FSlides.size()); }
    const TSlide& Slide(int index) const { return FSlides.at(std::size_t(index)); }
    TSlideRecord& Record(int index) { return FSlides.at(std::size_t(index)).Record; }
    bool FramesAdded() const { return FFramesAdded; }
    QString StatusText() const;

    // --- controls ---
    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
    QListWidget* ListView1;
    QScrollArea* ScrollBox1;
    TTransitionView* TransitionView1;
    QLabel* HelpLabel;
    QStatusBar* StatusBar1;
    QLabel* SizeLabel;
    QProgressBar* ProgressBar1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QTimer* Timer1;

  protected:
    void done(int result) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void LoadNextPicture();
    void TransitionView1Start();
    void TransitionView1Stop();
    void ShowProgress(int done, int total);
    void StopPreview();

    TGIFData& FDocument;
    TDialogs& FDialogs;
    std::vector<TSlide> FSlides; // slide i is list entry i
    int FWidth = 128;
    int FHeight = 128;
    int FPreviewIndex = 0;
    bool FGenerating = false;
    bool FFramesAdded = false;
    bool FClosing = false;
};

// Runs the wizard over the document; true when frames were added.
bool RunSlideShowWizard(TGIFData& document, TDialogs& dialogs, int width, int height,
                        QWidget* parent = nullptr);
