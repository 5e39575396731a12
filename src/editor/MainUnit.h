#pragma once
// The main window: holds the one open document from creation to destruction,
// and runs the file and view commands, the property dialogs and the read-only
// views (frame list, canvas, status bar, frame information, information tree).
//
// Every command is a public handler (Open1Click, Save1Click, ...) that works
// without a visible window; questions and dialogs go through TDialogs, so a
// test can run a command and check the document, the window and what was asked.

#include "gifdata/DefaultPalette.h"
#include "platform/Bitmap.h"

#include <QMainWindow>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class TDialogs;
class TFrameListView;
class TGIFData;
class TGIFImageData;
class TImageView;
class TShapeOutline;

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
    void OptimizeAnimation1Click(); // MainOptimizeCommand.cpp
    void Exit1Click();
    void oolBar1Click();
    void StatusBar2Click();
    void FrameList1Click();
    void NewImage1Click();
    void AddImage1Click();
    void Properties1Click();
    void Global1Click();

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

    // --- hooks that later editor features fill in ---
    // Pastes down a floating selection and commits typed text (compose canvas).
    void CommitPendingEdit();
    // Drops a floating selection and typed text without pasting (compose canvas).
    void CancelPendingEdit();
    // Redraws the palette strip for a frame or none.
    void DrawPalette(TGIFImageData* frame);
    // Undo history: cleared when another frame becomes current, then the frame's state is recorded.
    void ClearUndoHistory();
    void PushUndo(TGIFImageData* frame, int code);

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
    int Zoom = 2;
    int LastFrameIndex = -1;
    bool Closing = false;
    TDefaultPalette DefaultPalette{};
    std::string ProgramDir;
    // A file named on the command line: opened at first show instead of the last saved file.
    std::string StartFile;
    int ForeIndex = 0;
    int BackIndex = 1;
    TColor ForeColor = RGB(0, 0, 0);
    TColor BackColor = RGB(255, 255, 255);
    // The canvas image (the current frame as an 8-bit bitmap) and its backup copy.
    std::unique_ptr<TBitmap> CanvasImage;
    std::unique_ptr<TBitmap> CanvasBackup;

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
    QWidget* ImageCover;
    QTreeWidget* TreeView1;
    QPlainTextEdit* Memo1;
    QWidget* ScrollBox1; // the palette strip
    QStatusBar* StatusBar1;

    // --- commands as actions ---
    QMenu* File1;
    QMenu* Edit1;
    QMenu* Image2;
    QMenu* View1;
    QMenu* PopupMenu1;
    QAction* New1;
    QAction* Open1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* OptimizeAnimation1;
    QAction* Exit1;
    QAction* oolBar1;
    QAction* StatusBar2;
    QAction* FrameList1;
    QAction* NewImage1;
    QAction* AddImage1;
    QAction* Properties1;
    QAction* Global1;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void CreateActions();
    void CreateWidgets();
    void ListView1Change();
    void PageControl2Change();
    // Runs the save dialog, initialised with FileName; empty when cancelled.
    std::string AskSaveFileName();
    void SetColorIndices(TGIFImageData* frame);

    TDialogs& FDialogs;
    std::unique_ptr<TGIFData> GIF;
    QWidget* FScrollContent = nullptr;
    QLabel* FPanels[6] = {};
    bool FShown = false;
};
