#pragma once
// TSlideShowEffectForm: the dialog that sets one slide's transition (style,
// step, delay, image delay) while a small preview plays it, bringing in the
// sample picture and the slide in turns.

#include "generators/transitions/SlideShowGenerator.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QSpinBox;
class QTimer;
class TDialogs;
class TTransitionView;

class TSlideShowEffectForm : public QDialog {
  public:
    explicit TSlideShowEffectForm(QWidget* parent = nullptr);
    ~TSlideShowEffectForm() override;

    // Shows the record's values and the slide in the preview, ready to run.
    void Load(const TSlideRecord& record, const TBitmap& slide);
    // The values the controls hold now.
    TSlideRecord Values() const;
    // True once the user changed the style or a spin edit.
    bool Changed() const { return FChanged; }

    // --- handlers ---
    void ControlChange();
    void Timer1Timer();
    void TransitionView1Start();
    void TransitionView1Stop();

    QComboBox* ComboBox1; // "Effect Style:"
    QSpinBox* SpinEdit1;  // "Step (%):"
    QSpinBox* SpinEdit2;  // "Delay (ms):"
    QSpinBox* SpinEdit3;  // "Image Delay (ms):"
    TTransitionView* TransitionView1;
    QTimer* Timer1;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void ApplyToPreview();

    TBitmap FSample;
    TBitmap FSlide;
    bool FShowingSlide = true; // the picture the next run brings in is the slide
    bool FChanged = false;
    bool FLoading = false;
    bool FClosing = false; // the preview is not restarted while the dialog closes
};

// Runs the dialog for one slide. True when the user pressed "OK" after
// changing something; then record holds the new values. Otherwise record is
// left as it was.
bool EditSlideEffect(TDialogs& dialogs, TSlideRecord& record, const TBitmap& slide,
                     QWidget* parent = nullptr);
