#include "editor/MainUnit.h"

#include "editor/CanvasIcons.h"
#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/FrameUnit.h"
#include "editor/GlobalUnit.h"
#include "editor/LogicalScreen.h"
#include "editor/MainSlideShowCommand.h"
#include "editor/PaletteGrid.h"
#include "editor/QtBitmap.h"
#include "editor/ToolIcons.h"
#include "editor/UndoHistory.h"
#include "generators/text/TextEffectUnit.h"
#include "gifdata/GifData.h"
#include "gifdata/GifRaster.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

const char* const SettingsName = "Frameloom.ini";
const char* const OpenFilter = "GIF files|*.gif";
const char* const SaveFilter = "GIF files (*.gif)|*.gif";

// The window whose message box shows the codec's errors (the newest one).
TMainForm* IOErrorWindow = nullptr;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString YesNo(bool value) {
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

// Moves everything a load produced from source into target and the old content
// into source, so the document object itself stays the same.
void AdoptDocument(TGIFData& target, TGIFData& source) {
    std::swap(target.Signature, source.Signature);
    std::swap(target.Version, source.Version);
    std::swap(target.ScreenWidth, source.ScreenWidth);
    std::swap(target.ScreenHeight, source.ScreenHeight);
    std::swap(target.ScreenFlags, source.ScreenFlags);
    std::swap(target.BackgroundIndex, source.BackgroundIndex);
    std::swap(target.AspectRatio, source.AspectRatio);
    std::swap(target.LoopCount, source.LoopCount);
    std::swap(target.Looping, source.Looping);
    std::swap(target.Frames, source.Frames);
    std::swap(target.ThumbnailTemplate, source.ThumbnailTemplate);
    std::swap(target.TitleExtension, source.TitleExtension);
    std::swap(target.GlobalPalette, source.GlobalPalette);
    for (auto& frame : target.Frames) frame->Owner = &target;
    for (auto& frame : source.Frames) frame->Owner = &source;
}

QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text) {
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, text);
    return item;
}

void AddControlNodes(QTreeWidgetItem* parent, const TGIFGraphicControlExtension& control) {
    AddNode(parent, QStringLiteral("Disposal Method: %1").arg(control.Disposal()));
    AddNode(parent, QStringLiteral("Use Input Flag: ") + YesNo(control.UserInput()));
    AddNode(parent, QStringLiteral("Delay Time: %1").arg(control.DelayTime));
    AddNode(parent, QStringLiteral("Transparent Color Index: %1").arg(control.TransparentIndex));
}

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

TMainForm::TMainForm(TDialogs& dialogs, std::string programDir, QWidget* parent)
    : QMainWindow(parent), ProgramDir(std::move(programDir)), FDialogs(dialogs) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Frameloom"));
    RegisterThumbnailRenderer();
    UndoHistory = std::make_unique<TUndoHistory>();
    FCanvasHost = MakeCanvasHost(*this);
    Canvas = std::make_unique<TComposeCanvas>(*FCanvasHost, *UndoHistory);
    CreateActions();
    CreateWidgets();
    CreateHelpMenu();
    FormCreate();
    WireUpdateActions();
    UpdateActions();
    InstallIOErrorHandler();
    IOErrorWindow = this;
}

void TMainForm::InstallIOErrorHandler() {
    // The codec's error report becomes the program's message box.
    SetIOErrorHandler([this](const std::string& reason) {
        std::string details = reason;
        if (!IOFileName.empty()) details += "\n\nFile: " + IOFileName;
        FDialogs.DetailedMessageDlg("Error", "I/O Error", mtError, mbOK, details);
    });
}

TMainForm::~TMainForm() {
    if (IOErrorWindow == this) {
        SetIOErrorHandler(nullptr);
        IOErrorWindow = nullptr;
    }
    // Rows refer to frames: empty the list before the document goes.
    Closing = true;
    ListView1->clear();
}

void TMainForm::FormCreate() {
    std::srand(unsigned(std::time(nullptr)));
    BuildDefaultPalette();
    UndoHistory->ClearUndo();
    Closing = false;
    Modified = false;
    if (ProgramDir.empty()) ProgramDir = QCoreApplication::applicationDirPath().toStdString();
    while (ProgramDir.size() > 1 && (ProgramDir.back() == '/' || ProgramDir.back() == '\\'))
        ProgramDir.pop_back();
    LoadColorChoice();
    ScrollBox4->move(0, 0);
    Canvas->Zoom = 2;
    BaseCaption = windowTitle();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    GIF = std::make_unique<TGIFData>();
    Canvas->LoadFrame(nullptr);
    RegisterToolCursors();
    Canvas->LineWidth = 3;
    Canvas->CornerSize = {16, 16};
}

void TMainForm::CreateActions() {
    CreateCanvasActions();
    CreateClipboardActions();
    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    New1 = action("New1", "New GIF...", &TMainForm::New1Click);
    New1->setToolTip(QStringLiteral("New GIF"));
    New1->setIcon(ToolIcon(tiNewGif));
    NewMorph1 = action("NewMorph1", "New Slide Show Style GIF...", &TMainForm::NewMorph1Click);
    NewMorph1->setToolTip(QStringLiteral("New Slide Show Style GIF"));
    NewMorph1->setIcon(SlideShowToolIcon());
    Open1 = action("Open1", "Open...", &TMainForm::Open1Click);
    Open1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Open1->setToolTip(QStringLiteral("Open"));
    Open1->setIcon(ToolIcon(tiOpen));
    Save1 = action("Save1", "Save", &TMainForm::Save1Click);
    Save1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    Save1->setToolTip(QStringLiteral("Save"));
    Save1->setIcon(ToolIcon(tiSave));
    SaveAs1 = action("SaveAs1", "Save As...", &TMainForm::SaveAs1Click);
    OptimizeAnimation1 =
        action("OptimizeAnimation1", "Optimize Animation...", &TMainForm::OptimizeAnimation1Click);
    SaveAsSWF1 = action("SaveAsSWF1", "Save As Flash Movie (SWF)...", &TMainForm::SaveAsSWF1Click);
    Exit1 = action("Exit1", "Exit", &TMainForm::Exit1Click);
    Exit1->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    oolBar1 = action("oolBar1", "Tool Bar", &TMainForm::oolBar1Click);
    StatusBar2 = action("StatusBar2", "Status Bar", &TMainForm::StatusBar2Click);
    FrameList1 = action("FrameList1", "Frame List", &TMainForm::FrameList1Click);
    for (QAction* a : {oolBar1, StatusBar2, FrameList1}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    NewImage1 = action("NewImage1", "New Frame", &TMainForm::NewImage1Click);
    NewImage1->setToolTip(QStringLiteral("New Frame"));
    NewImage1->setIcon(ToolIcon(tiNewFrame));
    AddImage1 = action("AddImage1", "Add Frame From File...", &TMainForm::AddImage1Click);
    AddImage1->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    AddImage1->setToolTip(QStringLiteral("Add Frame From File"));
    AddImage1->setIcon(ToolIcon(tiAddFrame));
    Properties1 = action("Properties1", "Frame Properties...", &TMainForm::Properties1Click);
    Properties1->setToolTip(QStringLiteral("Frame Properties"));
    Properties1->setIcon(ToolIcon(tiFrameProperties));
    Global1 = action("Global1", "Global Properties...", &TMainForm::Global1Click);
    Global1->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    Global1->setToolTip(QStringLiteral("Global Properties"));
    Global1->setIcon(ToolIcon(tiGlobalProperties));
    NewText1 = action("NewText1", "New Text Effect GIF...", &TMainForm::NewText1Click);
    NewText1->setToolTip(QStringLiteral("New Text Effect GIF"));
    NewText1->setIcon(ToolIcon(tiNewTextEffect));
    TextEffectForm = new TTextEffectForm(FDialogs, this);

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    QMenu* newMenu = File1->addMenu(QStringLiteral("New"));
    newMenu->setObjectName(QStringLiteral("New2"));
    newMenu->addAction(New1);
    newMenu->addAction(NewText1);
    newMenu->addAction(NewMorph1);
    File1->addAction(Open1);
    File1->addAction(Save1);
    File1->addAction(SaveAs1);
    File1->addAction(OptimizeAnimation1);
    File1->addAction(SaveAsSWF1);
    File1->addSeparator();
    File1->addAction(Exit1);
    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->addAction(Undo1);
    Edit1->addAction(Redo1);
    Edit1->addSeparator();
    Edit1->addAction(Copy1);
    Edit1->addAction(Paste1);
    Edit1->addAction(SelectAll1);
    Edit1->addSeparator();
    Edit1->addAction(Global1);
    Image2 = menuBar()->addMenu(QStringLiteral("F&rame"));
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->addAction(NewImage1);
    Image2->addAction(AddImage1);
    Image2->addAction(Properties1);
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    View1->addAction(oolBar1);
    View1->addAction(StatusBar2);
    View1->addAction(FrameList1);
    View1->addSeparator();
    View1->addAction(ZoomIn1);
    View1->addAction(ZoomOut1);
    View1->addAction(ActualSize1);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(Global1);
    PopupMenu1->addAction(Properties1);
    CreateFrameActions();
    CreateTransformActions();
    PopupMenu1->addAction(DeleteImage1);
    CreatePaletteActions();
}

void TMainForm::CreateWidgets() {
    ToolBar1 = addToolBar(QStringLiteral("Tool Bar"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(28, 28));
    ToolBar1->setMovable(false);
    ToolBar1->toggleViewAction()->setVisible(false);
    ToolBar1->addAction(New1);
    ToolBar1->addAction(NewText1);
    ToolBar1->addAction(NewMorph1);
    ToolBar1->addAction(Open1);
    ToolBar1->addAction(Save1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(NewImage1);
    ToolBar1->addAction(AddImage1);
    ToolBar1->addAction(Properties1);
    ToolBar1->addAction(Global1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Undo1);
    ToolBar1->addAction(Redo1);
    ToolBar1->addAction(Copy1);
    ToolBar1->addAction(Paste1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ZoomIn1);
    ToolBar1->addAction(ZoomOut1);
    ToolBar1->addAction(ActualSize1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    ListView1 = new TFrameListView(Splitter1);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
    connect(ListView1, &QListWidget::itemSelectionChanged, this, &TMainForm::ListView1Change);
    connect(ListView1, &TFrameListView::SelectionChanging, this, [this] {
        if (!Closing) CommitPendingEdit();
    });
    ConnectFrameList();

    auto* right = new QSplitter(Qt::Vertical, Splitter1);
    right->setObjectName(QStringLiteral("Splitter2"));
    PageControl2 = new QTabWidget(right);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));

    ComposePage = new QWidget;
    ComposePage->setObjectName(QStringLiteral("ComposePage"));
    ScrollBox3 = new QScrollArea(ComposePage);
    ScrollBox3->setObjectName(QStringLiteral("ScrollBox3"));
    ScrollBox3->setWidgetResizable(false);
    FScrollContent = new QWidget;
    FScrollContent->setObjectName(QStringLiteral("ScrollContent"));
    ScrollBox3->setWidget(FScrollContent);
    ScrollBox3->viewport()->installEventFilter(this);
    ScrollBox4 = new QWidget(FScrollContent);
    ScrollBox4->setObjectName(QStringLiteral("ScrollBox4"));
    ScrollBox4->setAutoFillBackground(true);
    Shape1 = new TShapeOutline(Qt::black, ScrollBox4);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Image = new TImageView(ScrollBox4);
    Image->setObjectName(QStringLiteral("Image"));
    Shape2 = new TShapeOutline(palette().color(QPalette::Highlight), ScrollBox4);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    ImageCopy = new TImageView(ScrollBox4);
    ImageCopy->setObjectName(QStringLiteral("ImageCopy"));
    ImageCopy->setAttribute(Qt::WA_TransparentForMouseEvents);
    ImageCover = new TPointerLayer(ScrollBox4);
    ImageCover->setObjectName(QStringLiteral("ImageCover"));
    for (QWidget* layer :
         {static_cast<QWidget*>(Shape1), static_cast<QWidget*>(Image), static_cast<QWidget*>(Shape2),
          static_cast<QWidget*>(ImageCopy), static_cast<QWidget*>(ImageCover)})
        layer->hide();
    ScrollBox4->hide();
    auto* composeLayout = new QHBoxLayout(ComposePage);
    composeLayout->setContentsMargins(0, 0, 0, 0);
    composeLayout->setSpacing(0);
    composeLayout->addWidget(ScrollBox3, 1);
    composeLayout->addWidget(CreateToolPanel(), 0);
    PageControl2->addTab(ComposePage, QStringLiteral("Compose"));

    PreviewPage = new QWidget;
    PreviewPage->setObjectName(QStringLiteral("PreviewPage"));
    PageControl2->addTab(PreviewPage, QStringLiteral("Preview"));
    CreatePreviewActions();

    GlobalInfoPage = new QWidget;
    GlobalInfoPage->setObjectName(QStringLiteral("GlobalInfoPage"));
    TreeView1 = new QTreeWidget(GlobalInfoPage);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* infoLayout = new QVBoxLayout(GlobalInfoPage);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    infoLayout->addWidget(TreeView1);
    PageControl2->addTab(GlobalInfoPage, QStringLiteral("Global Info"));
    connect(PageControl2, &QTabWidget::currentChanged, this, &TMainForm::PageControl2Change);

    auto* strip = new QWidget(right);
    strip->setObjectName(QStringLiteral("Panel2"));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(strip);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumWidth(240);
    CreatePaletteStrip(strip);
    stripLayout->addWidget(Memo1, 1);
    stripLayout->addWidget(ScrollBox1, 2);
    strip->setFixedHeight(120);
    right->setStretchFactor(0, 1);
    right->setStretchFactor(1, 0);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({TFrameListView::ThumbnailWidth + 30, 1000});
    setCentralWidget(Splitter1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
    const int widths[6] = {180, 150, 100, 100, 80, 50};
    const char* captions[6] = {"Logical Screen:", "Back Color Index:", "Frames:", "Loop:", "", ""};
    for (int i = 0; i < 6; ++i) {
        FPanels[i] = new QLabel(QString::fromLatin1(captions[i]), StatusBar1);
        FPanels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        FPanels[i]->setMinimumWidth(widths[i]); // and wider when a text needs it
        FPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        StatusBar1->addWidget(FPanels[i]);
    }
}

// ---------------------------------------------------------------------------
// Window events

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    FShown = true;
    const std::string defaultFile = ReadDefaultFile();
    setWindowTitle(BaseCaption);
    PageControl2->setCurrentWidget(ComposePage);
    LineWidthClick(1);
    DrawPalette(nullptr);
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string sample = (fs::path(ProgramDir) / "Sample.gif").string();
    if (!StartFile.empty())
        LoadFile(StartFile);
    else if (!defaultFile.empty() && fs::is_regular_file(defaultFile, ec))
        LoadFile(defaultFile);
    else if (fs::is_regular_file(sample, ec))
        LoadFile(sample);
    // The pen draws 1 pixel wide; the other tools start with width 3.
    Canvas->LineWidth = 3;
    SelectTool(tlPen);
    CurrentFrameChanged();
    Timer2->start();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::FormCloseQuery() {
    return ConfirmSave();
}

void TMainForm::FormClose() {
    Closing = true;
    UndoHistory->ClearUndo();
    Canvas->CanvasBackup = TBitmap();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (CanvasEventFilter(watched, event)) return true;
    if (watched == ScrollBox3->viewport() && event->type() == QEvent::Resize)
        CenterCanvas(); // ScrollBox3Resize
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Commands

void TMainForm::New1Click() {
    if (!ConfirmSave()) return;
    if (!ShowGlobalProperties(*GIF, FDialogs, true, this)) return;
    ListView1->clear();
    while (!GIF->Frames.empty()) GIF->DeleteFrame(int(GIF->Frames.size()) - 1);
    GIF->SetGlobalSorted(false);
    GIF->AspectRatio = 0;
    for (int i = 0; i < 256; ++i) {
        GIF->GlobalPalette[i].Red = DefaultPalette[i].Red;
        GIF->GlobalPalette[i].Green = DefaultPalette[i].Green;
        GIF->GlobalPalette[i].Blue = DefaultPalette[i].Blue;
        GIF->GlobalPalette[i].Used = 0;
    }
    Canvas->Zoom = 1;
    FillFrameList();
    ShowFrame(nullptr);
    FileName.clear();
    setWindowTitle(BaseCaption);
    Modified = false;
    UpdateStatusBar();
}

void TMainForm::Open1Click() {
    if (!ConfirmSave()) return;
    TFileDialogOptions options;
    options.Filter = OpenFilter;
    options.FileName = FileName;
    const std::vector<std::string> files = FDialogs.OpenDialog(options);
    if (!files.empty()) LoadFile(files.front());
}

void TMainForm::Save1Click() {
    if (!FileName.empty()) {
        SaveFile(FileName);
        return;
    }
    const std::string name = AskSaveFileName();
    if (!name.empty()) SaveFile(name);
}

void TMainForm::SaveAs1Click() {
    const std::string name = AskSaveFileName();
    if (!name.empty()) SaveFile(name);
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::oolBar1Click() {
    const bool show = ToolBar1->isHidden();
    ToolBar1->setVisible(show);
    oolBar1->setChecked(show);
}

void TMainForm::StatusBar2Click() {
    const bool show = StatusBar1->isHidden();
    StatusBar1->setVisible(show);
    StatusBar2->setChecked(show);
}

void TMainForm::FrameList1Click() {
    // The splitter hides its handle together with the list.
    const bool show = ListView1->isHidden();
    ListView1->setVisible(show);
    FrameList1->setChecked(show);
}

void TMainForm::NewImage1Click() {
    CommitPendingEdit();
    if (!ShowFrameProperties(*GIF, nullptr, DefaultPalette, FDialogs, this)) return;
    Modified = true;
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    FillFrameList();
    UpdateStatusBar();
    if (ListView1->count() > 0) {
        ListView1->SelectRow(ListView1->count() - 1);
        ListView1->scrollToBottom();
    }
}

void TMainForm::Properties1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    CommitPendingEdit();
    if (!ShowFrameProperties(*GIF, frame, DefaultPalette, FDialogs, this)) return;
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    LastFrameIndex = -1;
    CurrentFrameChanged();
    frame->RenderThumbnail();
    ListView1->viewport()->update();
    Modified = true;
}

void TMainForm::Global1Click() {
    CommitPendingEdit();
    if (!ShowGlobalProperties(*GIF, FDialogs, false, this)) return;
    GIF->UpdateGlobalUsage();
    GIF->RefreshThumbnails();
    ListView1->viewport()->update();
    if (TGIFImageData* frame = CurrentFrame()) {
        ShowFrame(frame);
        DrawPalette(frame);
    }
    UpdateStatusBar();
    Modified = true;
}

// ---------------------------------------------------------------------------
// Document lifecycle

bool TMainForm::ConfirmSave() {
    if (!Modified) return true;
    const std::string text =
        FileName.empty() ? "Save changes to file ?" : "Save changes to " + FileName + " ?";
    switch (FDialogs.MessageDlg(text, "Confirm", mtConfirmation, mbYesNoCancel)) {
    case mrNo:
        return true;
    case mrYes: {
        if (!FileName.empty()) return SaveFile(FileName);
        const std::string name = AskSaveFileName();
        return !name.empty() && SaveFile(name);
    }
    default:
        return false;
    }
}

std::string TMainForm::AskSaveFileName() {
    TFileDialogOptions options;
    options.Filter = SaveFilter;
    options.DefaultExt = "gif";
    options.FileName = FileName;
    return FDialogs.SaveDialog(options);
}

bool TMainForm::LoadFile(const std::string& path) {
    CancelPendingEdit();
    const int previousRow = CurrentRow();
    ListView1->clear();
    CurrentFrameChanged();

    // The file is read into a document of its own and taken over only when the
    // whole file was read: a failed open leaves the open document as it was, so a
    // later Save can never write a half-read file over the document's own file.
    auto loaded = std::make_unique<TGIFData>();
    IOFileName = path;
    const bool ok = loaded->LoadFromFile(path);
    IOFileName.clear();
    if (ok) {
        AdoptDocument(*GIF, *loaded);
        loaded.reset();
        for (PaletteEntry& entry : GIF->GlobalPalette) {
            if (entry.Used) continue;
            const std::size_t i = std::size_t(&entry - GIF->GlobalPalette.data());
            entry.Red = DefaultPalette[i].Red;
            entry.Green = DefaultPalette[i].Green;
            entry.Blue = DefaultPalette[i].Blue;
        }
        for (auto& frame : GIF->Frames) {
            if (!frame->HasLocalTable()) continue;
            for (int i = 0; i < 256; ++i) {
                if (frame->LocalPalette[i].Used) continue;
                frame->LocalPalette[i].Red = DefaultPalette[i].Red;
                frame->LocalPalette[i].Green = DefaultPalette[i].Green;
                frame->LocalPalette[i].Blue = DefaultPalette[i].Blue;
            }
        }
        FillFrameList(); // the list draws each thumbnail as its row comes into view
        FileName = path;
        setWindowTitle(BaseCaption + QStringLiteral(" - ") + Q(path));
        LastFrameIndex = -1;
        Canvas->Zoom = 1;
        if (ListView1->count() > 0) ListView1->SelectRow(0);
        if (PageControl2->currentWidget() == GlobalInfoPage) BuildInfoTree();
        RefreshPreviewPage();
        Modified = false;
    } else {
        loaded.reset();
        FillFrameList();
        LastFrameIndex = -1;
        if (previousRow >= 0 && previousRow < ListView1->count()) ListView1->SelectRow(previousRow);
    }
    CancelPendingEdit();
    UpdateStatusBar();
    return ok;
}

bool TMainForm::SaveFile(const std::string& path) {
    CommitPendingEdit();
    OptimizePalettes();
    IOFileName = path;
    const bool saved = GIF->SaveToFile(path);
    IOFileName.clear();
    if (!saved) return false;
    FileName = path;
    setWindowTitle(BaseCaption + QStringLiteral(" - ") + Q(path));
    Modified = false;
    // Remembering the file for the next start is a convenience; the save itself succeeded.
    TIniFile(SettingsFileName()).WriteString("START", "DefaultFile", FileName);
    return true;
}

void TMainForm::OptimizePalettes() {
    if (!GIF->CompactPalettes()) return;
    if (TGIFImageData* frame = CurrentFrame()) {
        ShowFrame(frame);
        DrawPalette(frame);
    }
}

// ---------------------------------------------------------------------------
// Views

void TMainForm::FillFrameList() {
    const bool hadRows = ListView1->count() > 0;
    ListView1->clear();
    for (auto& frame : GIF->Frames) ListView1->AddFrameRow(frame.get());
    // Emptying the list drops its selection without a notification; the views follow it here.
    if (hadRows) CurrentFrameChanged();
}

TGIFImageData* TMainForm::CurrentFrame() const {
    return ListView1->FrameAt(ListView1->FirstSelectedRow());
}

int TMainForm::CurrentRow() const {
    return ListView1->FirstSelectedRow();
}

void TMainForm::ListView1Change() {
    if (Closing) return;
    CurrentFrameChanged();
}

void TMainForm::CurrentFrameChanged() {
    if (Closing) return;
    TGIFImageData* frame = CurrentFrame();
    if (!frame) {
        ShowFrameInfo(nullptr);
        DrawPalette(nullptr);
        Canvas->DropSelection();
        ShowFrame(nullptr);
        LastFrameIndex = -1;
        // The history belonged to a frame that is no longer current.
        UndoHistory->ClearUndo();
        UpdateActions();
        return;
    }
    const int index = CurrentRow();
    UpdateActions();
    if (index == LastFrameIndex) return;
    LastFrameIndex = index;
    // A floating selection belongs to the frame it was made on.
    Canvas->DropSelection();
    UndoHistory->ClearUndo();
    SetColorIndices(frame);
    UndoHistory->PushUndo(frame, 0);
    ShowFrame(frame);
    ShowFrameInfo(frame);
    UpdateCanvasActions();
}

void TMainForm::SetColorIndices(TGIFImageData* frame) {
    // Palette index 0 paints, index 1 erases; both are re-applied every time.
    ForeIndex = 0;
    ForeColor = frame->Color(0);
    BackIndex = 1;
    BackColor = frame->Color(1);
    DrawPalette(frame);
    ApplyCanvasColors();
}

void TMainForm::ShowFrame(TGIFImageData* frame) {
    if (!frame) {
        // Nothing of the last frame stays on screen, not even the panel's colour.
        Canvas->LoadFrame(nullptr);
        Image->SetPicture({});
        Image->hide();
        ImageCover->hide();
        Shape1->hide();
        Shape2->hide();
        ImageCopy->hide();
        ScrollBox4->hide();
        return;
    }
    const int z = Canvas->Zoom;
    QPalette panelPalette = ScrollBox4->palette();
    const QColor background = ToQColor(GIF->BackgroundColor());
    panelPalette.setColor(QPalette::Window,
                          background.isValid() ? background : palette().color(QPalette::Window));
    ScrollBox4->setPalette(panelPalette);

    Canvas->LoadFrame(frame);
    Image->SetPicture(ToQImage(Canvas->CanvasImage));

    const QRect imageRect(frame->Left * z + 1, frame->Top * z + 1, frame->Width * z, frame->Height * z);
    Image->setGeometry(imageRect);
    Shape2->setGeometry(imageRect.adjusted(-1, -1, 1, 1));
    const QSize panel(GIF->ScreenWidth * z + 2, GIF->ScreenHeight * z + 2);
    Shape1->setGeometry(QRect(QPoint(0, 0), panel));
    ScrollBox4->resize(panel);
    ImageCover->setGeometry(imageRect);
    Shape1->show();
    Image->show();
    Shape2->show();
    ImageCover->show();
    ScrollBox4->show();
    Shape1->lower();
    ShowSelectionLayer();
    ImageCover->raise();
    CenterCanvas();
    Canvas->RedrawText();
}

void TMainForm::CenterCanvas() {
    const QSize client = ScrollBox3->viewport()->size();
    const QSize panel = ScrollBox4->size();
    int x = ScrollBox4->x(), y = ScrollBox4->y();
    if (panel.width() < client.width()) {
        ScrollBox3->horizontalScrollBar()->setValue(0);
        x = (client.width() - panel.width()) / 2;
    } else if (x > 0) {
        x = 0;
    }
    if (panel.height() < client.height()) {
        ScrollBox3->verticalScrollBar()->setValue(0);
        y = (client.height() - panel.height()) / 2;
    } else if (y > 0) {
        y = 0;
    }
    FScrollContent->resize(std::max(client.width(), x + panel.width()),
                           std::max(client.height(), y + panel.height()));
    ScrollBox4->move(x, y);
}

bool TMainForm::FitLogicalScreen() {
    const bool changed = ::FitLogicalScreen(*GIF);
    UpdateStatusBar();
    return changed;
}

void TMainForm::UpdateStatusBar() {
    FPanels[0]->setText(
        QStringLiteral("Logical Screen: %1 by %2").arg(GIF->ScreenWidth).arg(GIF->ScreenHeight));
    FPanels[1]->setText(QStringLiteral("Back Color Index: %1").arg(GIF->BackgroundIndex));
    FPanels[2]->setText(QStringLiteral("Frames: %1").arg(GIF->Frames.size()));
    if (GIF->Looping)
        FPanels[3]->setText(GIF->LoopCount == 0 ? QStringLiteral("Looping: Infinite")
                                                : QStringLiteral("Looping: %1").arg(int(GIF->LoopCount) + 1));
    else
        FPanels[3]->setText(QStringLiteral("Looping: 1"));
}

QString TMainForm::StatusPanelText(int panel) const {
    return panel >= 0 && panel < 6 ? FPanels[panel]->text() : QString();
}

void TMainForm::ShowFrameInfo(TGIFImageData* frame) {
    Memo1->clear();
    if (!frame) return;
    const auto trueFalse = [](bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); };
    const QStringList lines = {
        QStringLiteral(" Image Offset: %1 by %2").arg(frame->Left).arg(frame->Top),
        QStringLiteral(" Image Size: %1 by %2").arg(frame->Width).arg(frame->Height),
        QStringLiteral(" Interlaced: ") + trueFalse(frame->Interlaced()),
        QStringLiteral(" Tranparent: ") + trueFalse(frame->Control->Transparent()),
        QStringLiteral(" Tranparent Color Index: %1").arg(frame->Control->TransparentIndex),
        QStringLiteral(" Delay: %1 (1/100 of a Second)").arg(frame->Control->DelayTime),
        QStringLiteral(" Removal Method: ") + Q(DisposalName(frame->Control->Disposal())),
    };
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TMainForm::FrameInfoLines() const {
    const QString text = Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TMainForm::BuildInfoTree() {
    TreeView1->setUpdatesEnabled(false);
    TreeView1->clear();
    auto* root = new QTreeWidgetItem(TreeView1);
    root->setText(0, QStringLiteral("Global"));
    const TGIFData& gif = *GIF;
    AddNode(root,
            QStringLiteral("Version: ") + Latin1(gif.Signature) + QLatin1Char(' ') + Latin1(gif.Version));
    AddNode(root, QStringLiteral("Logical Screen: %1, %2").arg(gif.ScreenWidth).arg(gif.ScreenHeight));
    AddNode(root, QStringLiteral("Global Color Table: ") + YesNo(gif.HasGlobalTable()));
    AddNode(root, QStringLiteral("Color Resolution: %1").arg(gif.ColorResolution()));
    AddNode(root, QStringLiteral("Sort Flag: ") + YesNo(gif.GlobalSorted()));
    AddNode(root, QStringLiteral("Size of Color Table: %1").arg(gif.GlobalTableSize()));
    AddNode(root, QStringLiteral("Background Color Index: %1").arg(gif.BackgroundIndex));
    AddNode(root, QStringLiteral("Pixel Aspect Radio: %1").arg(gif.AspectRatio));
    QTreeWidgetItem* frames = AddNode(root, QStringLiteral("Frames"));
    for (std::size_t i = 0; i < gif.Frames.size(); ++i) {
        const TGIFImageData& frame = *gif.Frames[i];
        QTreeWidgetItem* node = AddNode(frames, QStringLiteral("Frame %1").arg(i));
        AddNode(node, QStringLiteral("Size: Left %1, Top %2, Width %3, Height %4")
                          .arg(frame.Left)
                          .arg(frame.Top)
                          .arg(frame.Width)
                          .arg(frame.Height));
        AddNode(node, QStringLiteral("Color Table Flag: ") + YesNo(frame.HasLocalTable()));
        AddNode(node, QStringLiteral("Interlace: ") + YesNo(frame.Interlaced()));
        AddNode(node, QStringLiteral("Sort Flag: ") + YesNo(frame.LocalSorted()));
        AddNode(node, QStringLiteral("Size of Color Table: %1").arg(frame.LocalTableSize()));
        QTreeWidgetItem* extensions = AddNode(node, QStringLiteral("Extensions"));
        AddControlNodes(AddNode(extensions, QStringLiteral("Graphic Control")), *frame.Control);
        for (const auto& block : frame.Extensions) {
            switch (block->Label) {
            case 0x01:
                AddNode(extensions, QStringLiteral("Plain Text"));
                break;
            case 0xF9:
                AddControlNodes(AddNode(extensions, QStringLiteral("Graphic Control")),
                                static_cast<const TGIFGraphicControlExtension&>(*block));
                break;
            case 0xFE:
                AddNode(extensions, QStringLiteral("Comment"));
                break;
            case 0xFF: {
                const auto& app = static_cast<const TGIFApplicationExtension&>(*block);
                QTreeWidgetItem* item = AddNode(extensions, QStringLiteral("Application"));
                AddNode(item, QStringLiteral("Application Identifier: ") + Latin1(app.Identifier));
                AddNode(item, QStringLiteral("Authentication Code: ") + Latin1(app.AuthCode));
                QString data = QStringLiteral("Data: ");
                for (unsigned char byte : app.Data)
                    data += QStringLiteral("%1 ").arg(unsigned(byte), 2, 16, QLatin1Char('0')).toUpper();
                AddNode(item, data);
                break;
            }
            default:
                break;
            }
        }
    }
    root->setExpanded(true);
    TreeView1->setUpdatesEnabled(true);
}

void TMainForm::PageControl2Change() {
    CommitPendingEdit();
    RefreshPreviewPage();
    if (PageControl2->currentWidget() == GlobalInfoPage) BuildInfoTree();
}

void TMainForm::BuildDefaultPalette() {
    DefaultPalette = ::BuildDefaultPalette();
}

std::string TMainForm::SettingsFileName() const {
    return SettingsFilePath(ProgramDir, SettingsName);
}
