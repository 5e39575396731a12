#pragma once
// The text effect wizard: the user designs one line of anti-aliased text, its
// start and end appearance, and watches the morph play in a live preview;
// "OK" generates the animation into the document the wizard was run on.
//
// The wizard's state is its controls: Settings() reads them into the
// generator's settings, the preview label shows those settings at the
// preview's key state, and generating hands them to GenerateTextEffect.

#include "generators/text/SmoothLabel.h"
#include "generators/text/TextEffectGenerator.h"
#include "generators/text/TextEffectSettings.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolBar;
class TColorBox;
class TDialogs;
class TGIFData;

// The preview panel: shows the label's rendering at the label's size.
class TTextEffectPreviewPanel : public QWidget {
    Q_OBJECT
  public:
    TTextEffectPreviewPanel(const TSmoothLabel& label, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const TSmoothLabel& FLabel;
};

class TTextEffectForm : public QDialog {
    Q_OBJECT
  public:
    // The preview shows one whole frame: its sides are bounded (the animation
    // as a whole is bounded by the generator).
    static constexpr int MaxFrameSide = 2048;

    explicit TTextEffectForm(TDialogs& dialogs, QWidget* parent = nullptr);
    ~TTextEffectForm() override;

    // Shows the wizard modally with the preview running over a document the
    // caller has emptied; true when at least one frame was added to it.
    bool Run(TGIFData& document);
    // Told after each generated frame (frames done, total); the main window
    // shows it in its status bar.
    std::function<void(int done, int total)> OnProgress;

    // The controls read into the generator's settings.
    TTextEffectSettings Settings() const;
    // Sets every control from settings (pictures included).
    void SetSettings(const TTextEffectSettings& settings);

    // --- handlers ---
    void Timer1Timer();
    void OKButtonClick();
    void FontButtonClick();
    void LoadBackImageClick();
    void ClearBackImageClick();
    void TextureImageClick();
    // Any control changed: the preview shows the new settings.
    void ControlsChange();
    void FrameEditChange();
    void DelayEditChange();
    void SizeChange();
    // Keeps the preview panel centred in its scroll area.
    void CenterPreview();

    // --- queries ---
    const TSmoothLabel& PreviewLabel() const { return FLabel; }
    int PreviewIndex() const { return FPreview.Index(); }
    bool FramesAdded() const { return FFramesAdded; }
    bool Generating() const { return FGenerating; }
    // Shown by Run and not yet closed.
    bool Running() const { return FRunning; }

    // --- controls (object names as the program's documentation names them) ---
    QToolBar* ToolBar1;
    QLineEdit* TextEdit;
    QSpinBox* WidthEdit;
    QSpinBox* HeightEdit;
    QTabWidget* PageControl1;
    QPushButton* FontButton;
    QSpinBox* DelayEdit;
    QSpinBox* FrameEdit;
    QLabel* FrameCountLabel;
    QComboBox* BackImageModeBox;
    QPushButton* LoadBackImageButton;
    QPushButton* ClearBackImageButton;
    QCheckBox* VertMirrorCheck;
    QCheckBox* HorzMirrorCheck;
    QCheckBox* OutlineCheck;
    QCheckBox* TextureEnabledCheck;
    QComboBox* TextureModeBox;
    QPushButton* TextureImageButton;
    QCheckBox* GradientEnabledCheck;
    QComboBox* GradientStyleBox;
    QCheckBox* ShadowEnabledCheck;
    // The animated values: Start and End of each.
    QSpinBox* FontSizeEdit[2];
    TColorBox* FontColorBox[2];
    TColorBox* BackColorBox[2];
    QSpinBox* AngleEdit[2];
    QSpinBox* AlphaEdit[2];
    QSpinBox* SprayEdit[2];
    QSpinBox* BlurEdit[2];
    QSpinBox* NoiseEdit[2];
    TColorBox* StartColorBox[2];
    TColorBox* EndColorBox[2];
    TColorBox* ShadowColorBox[2];
    QSpinBox* ShadowAlphaEdit[2];
    QSpinBox* ShadowBlurEdit[2];
    QSpinBox* ShadowOffsetXEdit[2];
    QSpinBox* ShadowOffsetYEdit[2];
    QScrollArea* ScrollBox1;
    // Says why the preview stopped following the controls (a text too large to draw).
    QLabel* WarningLabel;
    TTextEffectPreviewPanel* Panel1;
    QTimer* Timer1;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* CreateToolBar();
    QWidget* CreateGeneralPage();
    QWidget* CreateGradientPage();
    void ConnectChanges();
    // Loads a picture chosen in the open dialog into picture; says so when it cannot.
    bool LoadPicture(TSmoothPicture& picture);
    void ShowKeyState(int k);
    void SetBusy(bool busy);

    TDialogs& FDialogs;
    TSmoothLabel FLabel;
    TTextEffectPreview FPreview;
    // Pictures are not controls: the loaded background and texture.
    TSmoothPicture FBackImage;
    TSmoothPicture FTexture;
    // Face and style from the font dialog.
    TTextEffectSettings FFontChoice;
    TGIFData* FDocument = nullptr;
    bool FFramesAdded = false;
    // The settings the preview shows, read from the controls at their last change.
    TTextEffectSettings FSettings;
    bool FRunning = false;
    bool FGenerating = false;
    bool FLoading = false;
};
