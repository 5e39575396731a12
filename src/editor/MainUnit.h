#pragma once
// The main window: holds the one open document from creation to destruction,
// and runs the file and view commands, the property dialogs and the read-only
// views (frame list, canvas, status bar, frame information, information tree).
//
// Every command is a public handler (Open1Click, Save1Click, ...) that works
// without a visible window; questions and dialogs go through TDialogs, so a
// test can run a command and check the document, the window and what was asked.

#include "editor/PreviewPlayer.h"
#include "gifdata/DefaultPalette.h"
#include "platform/Bitmap.h"
#include "platform/ColorQuantizer.h"

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QTimer;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class TDialogs;
class TFrameListView;
class TGIFData;
class TGIFImageData;
class TComposeCanvas;
class TComposeHost;
class TImageView;
class TPointerLayer;
class TPaletteStrip;
class TPreviewArea;
class TShapeOutline;
class TUndoHistory;
class TTextEffectForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    // programDir: the folder holding Sample.gif and the settings; empty means the
    // folder of the running program.
    explicit TMainForm(TDialogs& dialogs, std::string programDir = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- commands (menu items and tool buttons) ---
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void SaveAsSWF1Click();
    void OptimizeAnimation1Click(); // MainOptimizeCommand.cpp
    void Exit1Click();
    void oolBar1Click();
    void StatusBar2Click();
    void FrameList1Click();
    void NewImage1Click();
    void AddImage1Click();
    void ColorsStandard1Click();
    void ColorsExact1Click();
    void ColorsQuality1Click();
    void DitherNone1Click();
    void DitherFS1Click();
    void DitherOrdered1Click();
    void Properties1Click();
    void Global1Click();
    // Compose canvas and undo (MainCanvasCommands.cpp).
    void ZoomIn1Click();
    void ZoomOut1Click();
    void ActualSize1Click();
    void Undo1Click();
    void Redo1Click();
    // Edit menu: the floating selection and the clipboard (MainClipboardCommands.cpp).
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    // A tool palette button: selects the tool of that number.
    void SelectTool(int tool);
    // The options bar: width buttons (ToolButton33..37), fill off (38), on (39), "Font" (47).
    void LineWidthClick(int width);
    void ToolButton38Click();
    void ToolButton39Click();
    void ToolButton47Click();
    // Frame menu and the frame list (MainFrameCommands.cpp)
    void DeleteImage1Click();
    void RemoveAllFrameTitles1Click();
    void RemoveUnnecessaryExtensions1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    void CloneFrame1Click();
    void Merge1Click();
    // Frame menu: mirror, rotate, resize and crop (MainTransformCommands.cpp)
    void X1Click();
    void Vertically1Click();
    void N901Click();
    void N180degrees1Click();
    void N270degrees1Click();
    void ResizeImage1Click();
    void Crop1Click();
    // A row dragged within the list was dropped on row target (-1: on no row).
    void ListView1DragDrop(int target);
    // Picture files dropped on the window: imported like "Add Frame From File...".
    void FormDragDrop(const std::vector<std::string>& files);
    // Steps after the file dialog of "Add Frame From File...": import, report, refresh.
    void ImportFiles(const std::vector<std::string>& files);
    // Color menu and the palette strip (MainPaletteCommands.cpp)
    void EditCurrentColor1Click();
    void EditCurrentBackColor1Click();
    void UseStandardColorsForNouseColors1Click();
    void MoveLocalColorsToGlobal1Click();
    void CreateLocalPalette1Click();
    void MarkUnusedColors1Click();
    void Image1MouseDown(int x, int y, Qt::MouseButton button);
    void Image1MouseMove(int x, int y);
    void Image1DblClick();

    // --- enabling ---
    // Enables every menu item, tool button and pop-up item from the document and
    // the current frame; runs after every command and every change of the current frame.
    void UpdateActions();

    // --- preview and frame export (MainPreviewCommands.cpp) ---
    void ExportImage1Click();
    void ExportAllImages1Click();
    // "Preview Background Color..." and the preview's "Change Background Color...".
    void PreviewBackgroundColor1Click();
    // Plays a fresh copy of the document when the Preview page is active; discards the player otherwise.
    void RefreshPreviewPage();
    // Enabling of the preview and export commands; runs after the current frame changes.
    void UpdatePreviewActions();
    TColor PreviewBackground = DefaultPreviewBackground;
    TPreviewArea* PreviewArea = nullptr;
    QMenu* PopupMenu2 = nullptr; // the preview picture's context menu
    QAction* ExportImage1 = nullptr;
    QAction* ExportAllImages1 = nullptr;
    QAction* PreviewBackgroundColor1 = nullptr;
    QAction* ChangeBackgroundColor1 = nullptr;
    void NewText1Click();
    void NewMorph1Click();
    void Help2Click();
    void WhatsNew1Click();
    void About1Click();
    // The one-shot start-up timer: the "What's New?" notes once per program version.
    void Timer2Timer();

    // --- document lifecycle ---
    // The "Save changes" prompt: true when the caller may go on.
    bool ConfirmSave();
    bool LoadFile(const std::string& path);
    bool SaveFile(const std::string& path);

    // --- views, refreshed at the end of every command ---
    void FillFrameList();
    void ShowFrame(TGIFImageData* frame);
    void CenterCanvas();
    // Makes the logical screen the bounding box of the frames; true when it changed.
    bool FitLogicalScreen();
    void UpdateStatusBar();
    void ShowFrameInfo(TGIFImageData* frame);
    void BuildInfoTree();
    void OptimizePalettes();
    // The frame list's change notification: shows the current frame, fresh.
    void CurrentFrameChanged();
    void BuildDefaultPalette();

    // --- window events ---
    void FormShow();
    bool FormCloseQuery();
    void FormClose();

    // --- the compose canvas (MainCanvasCommands.cpp) ---
    // Pastes down a floating selection and commits typed text.
    void CommitPendingEdit();
    // Drops a floating selection and typed text without pasting.
    void CancelPendingEdit();
    // Copies the canvas into the current frame and records an undo step with the code.
    void CommitCanvas(int code);
    // Pen and text colour from the fore colour, fill from the back colour (while
    // the fill is on); redraws a text preview.
    void ApplyCanvasColors();
    // Enabling and pressed states of the canvas's commands and buttons; run by UpdateActions.
    void UpdateCanvasActions();
    // Places, shows or hides the selection layer ImageCopy after the floating selection.
    void ShowSelectionLayer();
    // Canvas pointer events, in pixels of the pointer layer.
    void ImageCoverMouseDown(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers modifiers = {});
    void ImageCoverMouseMove(QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {});
    void ImageCoverMouseUp(Qt::MouseButton button, QPoint at);
    void Edit2Change();
    // Arrow keys move the text; true when the key was used.
    bool Edit2KeyDown(int key);
    void Timer1Timer();

    // --- palette strip ---
    // Redraws the palette strip for a frame or none.
    void DrawPalette(TGIFImageData* frame);
    // The fore and back colours: palette indices of the current frame (nothing happens without one).
    void SetForeIndex(int index);
    void SetBackIndex(int index);
    // The palette entry under grid point (x, y); -1 without a current frame or outside the cells.
    int PaletteIndexAt(int x, int y) const;
    // Shows the marker over palette cell index; any other value hides it.
    void MarkPaletteCell(int index);
    // The colour chooser from color: true, with the new colour, only when a different colour was confirmed.
    bool PickColor(TColor& color);

    // --- queries ---
    TGIFData& Document() { return *GIF; }
    // The first selected row's frame; none when nothing is selected.
    TGIFImageData* CurrentFrame() const;
    int CurrentRow() const;
    QString StatusPanelText(int panel) const;
    QStringList FrameInfoLines() const;
    std::string SettingsFileName() const;

    // --- editor state ---
    std::string FileName;
    bool Modified = false;
    QString BaseCaption;
    int LastFrameIndex = -1;
    bool Closing = false;
    TDefaultPalette DefaultPalette{};
    std::string ProgramDir;
    // The program version, from the build; the start-up notes are tied to it.
    std::string FileVersion;
    // A file named on the command line: opened at first show instead of the last saved file.
    std::string StartFile;
    int ForeIndex = 0;
    int BackIndex = 1;
    TColor ForeColor = RGB(0, 0, 0);
    TColor BackColor = RGB(255, 255, 255);
    // The undo history of the current frame.
    std::unique_ptr<TUndoHistory> UndoHistory;
    // The canvas: the current frame's pixels, zoom, tools (CanvasImage, Zoom, CurrentTool, ...).
    std::unique_ptr<TComposeCanvas> Canvas;
    // The palette cell of the last press on the grid; -1 when the press missed the cells.
    int PressedCell = -1;
    bool MarkUnusedColors = true;

    // --- widgets (object names as the program's documentation names them) ---
    QToolBar* ToolBar1;
    TFrameListView* ListView1;
    QSplitter* Splitter1;
    QTabWidget* PageControl2;
    QWidget* ComposePage;
    QWidget* PreviewPage;
    QWidget* GlobalInfoPage;
    QScrollArea* ScrollBox3;
    QWidget* ScrollBox4;
    TShapeOutline* Shape1;
    TImageView* Image;
    TShapeOutline* Shape2;
    TImageView* ImageCopy = nullptr; // the floating selection
    TPointerLayer* ImageCover;
    QLineEdit* Edit2 = nullptr;  // the hidden field that takes the text tool's typing
    QWidget* ToolBar2 = nullptr; // the tool palette: a grid of tool buttons
    QWidget* ToolBar3 = nullptr; // the tool options: a column of option buttons
    QActionGroup* ToolGroup = nullptr;
    QAction* ToolButtons[17] = {};   // by tool number (1 to 16)
    QAction* WidthButtons[6] = {};   // ToolButton33..37 by width 1 to 5
    QAction* ToolButton38 = nullptr; // fill off
    QAction* ToolButton39 = nullptr; // fill on
    QAction* ToolButton47 = nullptr; // "Font"
    QWidget* WidthSeparator = nullptr;
    QWidget* FillSeparator = nullptr;
    QTimer* Timer1 = nullptr;
    QTreeWidget* TreeView1;
    QPlainTextEdit* Memo1;
    TPaletteStrip* ScrollBox1; // the palette strip
    QStatusBar* StatusBar1;

    // --- commands as actions ---
    QMenu* File1;
    QMenu* Edit1;
    QMenu* Image2;
    QMenu* Color1;
    QMenu* View1;
    QMenu* PopupMenu1;
    QAction* New1;
    QAction* Open1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* SaveAsSWF1;
    QAction* OptimizeAnimation1;
    QAction* Exit1;
    QAction* oolBar1;
    QAction* StatusBar2;
    QAction* FrameList1;
    QAction* NewImage1;
    QAction* AddImage1;
    QMenu* Colors1 = nullptr; // Frame > Colors: how pictures become frames
    QAction* ColorsStandard1 = nullptr;
    QAction* ColorsExact1 = nullptr;
    QAction* ColorsQuality1 = nullptr;
    QAction* DitherNone1 = nullptr;
    QAction* DitherFS1 = nullptr;
    QAction* DitherOrdered1 = nullptr;
    QAction* Properties1;
    QAction* Global1;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QAction* ActualSize1 = nullptr;
    QAction* DeleteImage1;
    QAction* RemoveAllFrameTitles1;
    QAction* RemoveUnnecessaryExtensions1;
    QAction* MoveUp1;
    QAction* MoveDown1;
    QAction* CloneFrame1;
    QAction* Merge1;
    QMenu* Rotate1 = nullptr;
    QMenu* Mirror1 = nullptr;
    QAction* N901 = nullptr;
    QAction* N180degrees1 = nullptr;
    QAction* N270degrees1 = nullptr;
    QAction* X1 = nullptr;
    QAction* Vertically1 = nullptr;
    QAction* ResizeImage1 = nullptr;
    QAction* Crop1 = nullptr;
    QAction* EditCurrentColor1;
    QAction* EditCurrentBackColor1;
    QAction* UseStandardColorsForNouseColors1;
    QAction* MoveLocalColorsToGlobal1;
    QAction* CreateLocalPalette1;
    QAction* MarkUnusedColors1;
    QAction* NewText1;
    // The text effect wizard, created with the window and reused for every run.
    TTextEffectForm* TextEffectForm;
    QAction* NewMorph1;
    QMenu* Help1;
    QAction* Help2;
    QAction* WhatsNew1;
    QAction* About1;
    QTimer* Timer2; // the start-up notes check

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void FormCreate();
    void CreateActions();
    void CreateWidgets();
    void CreatePreviewActions(); // MainPreviewCommands.cpp
    void CreateHelpMenu();
    // START/DefaultFile of the settings; an unreadable settings file is reported and reads as empty.
    std::string ReadDefaultFile();
    void ListView1Change();
    void PageControl2Change();
    // Runs the save dialog, initialised with FileName; empty when cancelled.
    std::string AskSaveFileName();
    void SetColorIndices(TGIFImageData* frame);
    void CreateCanvasActions();
    void CreateClipboardActions();
    // The tool palette and options bar beside the canvas; returns their panel.
    QWidget* CreateToolPanel();
    void UpdateToolButtons();
    bool CanvasEventFilter(QObject* watched, QEvent* event);
    friend class TMainCanvasHost;
    static std::unique_ptr<TComposeHost> MakeCanvasHost(TMainForm& form);
    std::unique_ptr<TComposeHost> FCanvasHost;
    void CreatePaletteActions();
    void CreateFrameActions();
    // Frame > Colors (MainColorsCommands.cpp)
    void CreateColorsMenu();
    void LoadColorChoice();
    void UpdateColorsMenu();
    void ChooseColors(TColorReduction reduction, TDithering dithering);
    void CreateTransformActions();
    // Mirrors or rotates the current frame's picture by a TTransformKind.
    void TransformCurrentFrame(int kind);
    void ConnectFrameList();
    // The codec's error report as this window's message box.
    void InstallIOErrorHandler();
    // Moves the current row's frame to row target and makes it current again.
    void MoveCurrentFrame(int target);
    void CreatePaletteStrip(QWidget* parent);
    // Every action runs UpdateActions after its handler.
    void WireUpdateActions();
    // Re-reads ForeColor and BackColor from the frame's palette.
    void ReadColors(TGIFImageData* frame);
    // The shared colour editing of the grid's double click and the two Edit commands.
    void EditPaletteEntry(int index);

    TDialogs& FDialogs;
    std::unique_ptr<TGIFData> GIF;
    // The file being read or written, named in the I/O error box's details.
    std::string IOFileName;
    QWidget* FScrollContent = nullptr;
    // The PictureVersion of the floating selection that ImageCopy shows.
    unsigned FShownSelectionVersion = 0;
    // Whether the clipboard offers a picture, followed as the clipboard changes.
    bool FClipboardHasPicture = false;
    QLabel* FPanels[6] = {};
    bool FShown = false;
};
