// The main window's compose canvas commands: pointer events, tools and their
// options, zoom, undo and redo. The work is done by TComposeCanvas and
// TUndoHistory; the handlers here read the controls, call them and refresh.
#include "editor/CanvasIcons.h"
#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/MainUnit.h"
#include "editor/UndoHistory.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <new>

namespace {

const char* const ToolHints[LastTool + 1] = {
    "",      "Marqee",    "Lasso",           "Get color", "Pen",      "Brush",   "Fill", "Spray",     "Line",
    "Curve", "Rectangle", "Round rectangle", "Ellipse",   "Polyline", "Polygon", "Text", "Move Image"};

// The tool palette buttons' object names, by tool number.
const char* const ToolButtonNames[LastTool + 1] = {"",
                                                   "ToolButton2",
                                                   "ToolButton3",
                                                   "ToolButton20",
                                                   "ToolButton21",
                                                   "ToolButton22",
                                                   "ToolButton23",
                                                   "ToolButton24",
                                                   "ToolButton25",
                                                   "ToolButton26",
                                                   "ToolButton27",
                                                   "ToolButton28",
                                                   "ToolButton29",
                                                   "ToolButton48",
                                                   "ToolButton30",
                                                   "ToolButton31",
                                                   "ToolButton32"};

// Runs a canvas handler; a canvas too large for the memory left ends the
// gesture instead of taking the window down.
template <typename F> void Guarded(TComposeCanvas& canvas, F&& work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        canvas.MouseState = 0;
        canvas.RestoreBackup();
    }
}

TPointerButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return pbLeft;
    case Qt::RightButton:
        return pbRight;
    default:
        return pbMiddle;
    }
}

} // namespace

// The window as the canvas's host.
class TMainCanvasHost : public TComposeHost {
  public:
    explicit TMainCanvasHost(TMainForm& form) : Form(form) {}

    TGIFImageData* ComposeFrame() const override { return Form.CurrentFrame(); }

    void CanvasChanged(const TRect& area) override {
        Form.Image->UpdateArea(Form.Canvas->CanvasImage, area.Left, area.Top, area.Right, area.Bottom);
    }

    void CanvasCommitted(TGIFImageData& frame) override {
        Form.Modified = true;
        Form.ListView1->viewport()->update();
        Form.DrawPalette(&frame);
    }

    void SelectionChanged() override { Form.ShowSelectionLayer(); }

    void MarkPaletteCell(int index) override { Form.MarkPaletteCell(index); }

    void ColorPicked(TPointerButton button, int index) override {
        if (button == pbRight)
            Form.SetBackIndex(index);
        else
            Form.SetForeIndex(index);
    }

    void ToolStateChanged() override {
        if (Form.ToolBar3) Form.UpdateToolButtons();
    }

    void ImageDragged(TPoint offset) override {
        const int z = Form.Canvas->Zoom;
        Form.Image->move(offset.X * z + 1, offset.Y * z + 1);
        Form.Shape2->move(offset.X * z, offset.Y * z);
    }

    void ImageDropped(TGIFImageData& frame, bool moved) override {
        if (moved && Form.FitLogicalScreen()) {
            Form.Document().RefreshThumbnails();
            Form.ListView1->viewport()->update();
        }
        Form.ShowFrame(&frame);
        Form.ShowFrameInfo(&frame);
    }

    void TextEntryChanged() override {
        const QString text = QString::fromStdString(Form.Canvas->TypedText);
        if (Form.Edit2->text() != text) {
            const QSignalBlocker quiet(Form.Edit2);
            Form.Edit2->setText(text);
        }
        if (Form.Canvas->TextActive) Form.Edit2->setFocus();
    }

    void TextCaretAt(TPoint point) override {
        const int z = Form.Canvas->Zoom;
        Form.Edit2->move(Form.Image->x() + point.X * z, Form.Image->y() + point.Y * z);
    }

  private:
    TMainForm& Form;
};

std::unique_ptr<TComposeHost> TMainForm::MakeCanvasHost(TMainForm& form) {
    return std::make_unique<TMainCanvasHost>(form);
}

// ---------------------------------------------------------------------------
// Actions and widgets

void TMainForm::CreateCanvasActions() {
    auto action = [this](const char* name, const char* caption, const char* hint, TCanvasCommandIcon icon,
                         const char* keys, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromUtf8(hint));
        a->setIcon(CanvasCommandIcon(icon));
        if (keys) a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    Undo1 = action("Undo1", "Undo", "Undo", ciUndo, "Ctrl+Z", &TMainForm::Undo1Click);
    Redo1 = action("Redo1", "Redo", "Redo", ciRedo, "Ctrl+Alt+Z", &TMainForm::Redo1Click);
    ZoomIn1 = action("ZoomIn1", "Zoom In", "Zoom In", ciZoomIn, "Ctrl+I", &TMainForm::ZoomIn1Click);
    ZoomOut1 = action("ZoomOut1", "Zoom Out", "Zoom Out", ciZoomOut, "Ctrl+U", &TMainForm::ZoomOut1Click);
    // "Save" keeps Ctrl+S; actual size takes Ctrl+0 as in most viewers.
    ActualSize1 = action("ActualSize1", "Actual Size", "Actual Size", ciActualSize, "Ctrl+0",
                         &TMainForm::ActualSize1Click);
    for (QAction* a : {Undo1, Redo1, ZoomIn1, ZoomOut1, ActualSize1}) a->setEnabled(false);
}

namespace {
// A flat, checkable button showing an action, as tool palettes have them.
QToolButton* ToolButtonFor(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(action->objectName());
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    button->setAccessibleName(action->toolTip());
    return button;
}

QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

QWidget* TMainForm::CreateToolPanel() {
    auto* panel = new QWidget(ComposePage);
    panel->setObjectName(QStringLiteral("ToolPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);

    // The tool palette: two columns of grouped check buttons.
    ToolBar2 = new QWidget(panel);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setAccessibleName(QStringLiteral("Tools"));
    auto* grid = new QGridLayout(ToolBar2);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    ToolGroup = new QActionGroup(this);
    ToolGroup->setExclusive(true);
    int cell = 0;
    for (int tool = FirstTool; tool <= LastTool; ++tool) {
        if (!Canvas->HasTool(tool)) continue;
        auto* a = new QAction(DrawingToolIcon(tool), QString::fromLatin1(ToolHints[tool]), this);
        a->setObjectName(QString::fromLatin1(ToolButtonNames[tool]));
        a->setToolTip(QString::fromLatin1(ToolHints[tool]));
        a->setCheckable(true);
        ToolGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, tool] { SelectTool(tool); });
        ToolButtons[tool] = a;
        grid->addWidget(ToolButtonFor(a, ToolBar2), cell / 2, cell % 2);
        ++cell;
    }
    layout->addWidget(ToolBar2);

    // The options: widths, fill, font, each group shown for the tools that use it.
    ToolBar3 = new QWidget(panel);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setAccessibleName(QStringLiteral("Tool Options"));
    auto* column = new QVBoxLayout(ToolBar3);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    auto* widths = new QActionGroup(this);
    for (int width = 1; width <= 5; ++width) {
        auto* a = new QAction(LineWidthIcon(width), QStringLiteral("Line Width %1").arg(width), this);
        a->setObjectName(QStringLiteral("ToolButton%1").arg(32 + width));
        a->setToolTip(QStringLiteral("Line Width %1").arg(width));
        a->setCheckable(true);
        widths->addAction(a);
        connect(a, &QAction::triggered, this, [this, width] { LineWidthClick(width); });
        WidthButtons[width] = a;
        column->addWidget(ToolButtonFor(a, ToolBar3), 0, Qt::AlignHCenter);
    }
    WidthSeparator = Separator(ToolBar3);
    column->addWidget(WidthSeparator);
    auto* fills = new QActionGroup(this);
    ToolButton38 = new QAction(FillIcon(false), QStringLiteral("No Fill"), this);
    ToolButton38->setObjectName(QStringLiteral("ToolButton38"));
    ToolButton39 = new QAction(FillIcon(true), QStringLiteral("Fill"), this);
    ToolButton39->setObjectName(QStringLiteral("ToolButton39"));
    for (QAction* a : {ToolButton38, ToolButton39}) {
        a->setCheckable(true);
        a->setToolTip(a->text());
        fills->addAction(a);
        column->addWidget(ToolButtonFor(a, ToolBar3), 0, Qt::AlignHCenter);
    }
    connect(ToolButton38, &QAction::triggered, this, &TMainForm::ToolButton38Click);
    connect(ToolButton39, &QAction::triggered, this, &TMainForm::ToolButton39Click);
    FillSeparator = Separator(ToolBar3);
    column->addWidget(FillSeparator);
    ToolButton47 = new QAction(QStringLiteral("Font"), this);
    ToolButton47->setObjectName(QStringLiteral("ToolButton47"));
    ToolButton47->setToolTip(QStringLiteral("Font"));
    connect(ToolButton47, &QAction::triggered, this, &TMainForm::ToolButton47Click);
    column->addWidget(ToolButtonFor(ToolButton47, ToolBar3), 0, Qt::AlignHCenter);
    layout->addWidget(ToolBar3);
    layout->addStretch(1);

    // The pointer layer and the hidden text field live on the canvas panel.
    ImageCover->setAccessibleName(QStringLiteral("Canvas"));
    connect(ImageCover, &TPointerLayer::MouseDown, this, &TMainForm::ImageCoverMouseDown);
    connect(ImageCover, &TPointerLayer::MouseMove, this, &TMainForm::ImageCoverMouseMove);
    connect(ImageCover, &TPointerLayer::MouseUp, this, &TMainForm::ImageCoverMouseUp);
    Edit2 = new QLineEdit(ScrollBox4);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setAccessibleName(QStringLiteral("Text"));
    Edit2->setFrame(false);
    Edit2->setFixedSize(1, 1);
    Edit2->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette quiet = Edit2->palette();
    quiet.setColor(QPalette::Base, Qt::transparent);
    quiet.setColor(QPalette::Text, Qt::transparent);
    Edit2->setPalette(quiet);
    Edit2->installEventFilter(this);
    connect(Edit2, &QLineEdit::textChanged, this, &TMainForm::Edit2Change);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
    UpdateToolButtons();
    return panel;
}

void TMainForm::UpdateToolButtons() {
    const int tool = Canvas->CurrentTool;
    if (tool >= FirstTool && tool <= LastTool && ToolButtons[tool]) ToolButtons[tool]->setChecked(true);
    const unsigned options = TComposeCanvas::ToolOptions(tool);
    for (int width = 1; width <= 5; ++width) {
        WidthButtons[width]->setVisible(options & toWidths);
        WidthButtons[width]->setChecked(width == std::min(Canvas->LineWidth, 5));
    }
    ToolButton38->setVisible(options & toFill);
    ToolButton39->setVisible(options & toFill);
    (Canvas->FillOn ? ToolButton39 : ToolButton38)->setChecked(true);
    ToolButton47->setVisible(options & toFont);
    WidthSeparator->setVisible((options & toWidths) && (options & (toFill | toFont)));
    FillSeparator->setVisible((options & toFill) && (options & toFont));
    for (QToolButton* button : ToolBar3->findChildren<QToolButton*>())
        button->setVisible(button->defaultAction() && button->defaultAction()->isVisible());
    ImageCover->setCursor(ToolCursor(tool));
}

void TMainForm::UpdateCanvasActions() {
    const TGIFImageData* frame = CurrentFrame();
    Copy1->setEnabled(frame && Canvas->Selection.Shown);
    Paste1->setEnabled(frame && FClipboardHasPicture);
    SelectAll1->setEnabled(frame != nullptr);
    const int z = Canvas->Zoom;
    ZoomIn1->setEnabled(frame && z < 8);
    ZoomOut1->setEnabled(frame && z > 1);
    ActualSize1->setEnabled(frame && z != 1);
    const bool typing = Canvas->CurrentTool == tlText && Canvas->TextActive && !Canvas->TypedText.empty();
    Undo1->setEnabled(frame && (UndoHistory->CanUndo() != 0 || typing));
    Redo1->setEnabled(frame && UndoHistory->CanRedo() != 0);
    UpdateToolButtons();
}

namespace {
// The floating selection's picture as the layer shows it: the pixels outside
// the selection transparent, the frame and the selection as they are.
QImage SelectionImage(const TFloatingSelection& selection) {
    const TBitmap& picture = selection.Picture;
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* from = picture.ScanLine(y);
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint8_t* p = from + x * 4;
            to[x] = qRgba(p[2], p[1], p[0], p[3] == fpKey ? 0 : 255);
        }
    }
    return image;
}
} // namespace

void TMainForm::ShowSelectionLayer() {
    const TFloatingSelection& selection = Canvas->Selection;
    if (!selection.Shown || selection.Picture.Empty() || !CurrentFrame() || Image->isHidden()) {
        ImageCopy->hide();
        return;
    }
    if (FShownSelectionVersion != selection.PictureVersion || ImageCopy->Picture().isNull()) {
        ImageCopy->SetPicture(SelectionImage(selection));
        FShownSelectionVersion = selection.PictureVersion;
    }
    // The layer sits on the frame pixels it covers, whatever the zoom.
    const int z = Canvas->Zoom;
    ImageCopy->setGeometry(Image->x() + selection.Left * z, Image->y() + selection.Top * z,
                           selection.Width() * z, selection.Height() * z);
    ImageCopy->show();
    ImageCopy->raise();
    ImageCover->raise();
}

// ---------------------------------------------------------------------------
// Pending edits and commits

void TMainForm::CommitPendingEdit() {
    Guarded(*Canvas, [&] { Canvas->CommitPendingEdit(); });
    UpdateCanvasActions();
}

void TMainForm::CancelPendingEdit() {
    Canvas->CancelPendingEdit();
}

void TMainForm::CommitCanvas(int code) {
    Guarded(*Canvas, [&] { Canvas->CommitCanvas(code); });
    UpdateCanvasActions();
}

void TMainForm::ApplyCanvasColors() {
    Canvas->Font.Color = ForeColor;
    Guarded(*Canvas, [&] { Canvas->SetColors(ForeIndex, BackIndex); });
}

// ---------------------------------------------------------------------------
// Tools and options

void TMainForm::SelectTool(int tool) {
    Guarded(*Canvas, [&] { Canvas->SelectTool(tool); });
    UpdateCanvasActions();
}

void TMainForm::LineWidthClick(int width) {
    Canvas->SetLineWidth(width);
}

void TMainForm::ToolButton38Click() {
    Guarded(*Canvas, [&] { Canvas->SetFillOn(false); });
}

void TMainForm::ToolButton39Click() {
    Guarded(*Canvas, [&] { Canvas->SetFillOn(true); });
}

void TMainForm::ToolButton47Click() {
    TFont font = Canvas->Font;
    if (!FDialogs.ChooseFont(font)) return;
    font.Color = ForeColor;
    Guarded(*Canvas, [&] { Canvas->SetFont(font); });
}

// ---------------------------------------------------------------------------
// Pointer events

namespace {
TPoint FramePoint(QPoint at, int zoom) {
    return {at.x() / zoom, at.y() / zoom};
}
} // namespace

void TMainForm::ImageCoverMouseDown(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers modifiers) {
    if (Canvas->CurrentTool == tlText) Edit2->setFocus();
    Guarded(*Canvas, [&] {
        Canvas->Press(ButtonOf(button), FramePoint(at, Canvas->Zoom), modifiers & Qt::ControlModifier);
    });
    UpdateCanvasActions();
}

void TMainForm::ImageCoverMouseMove(QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    const TPoint p = FramePoint(at, Canvas->Zoom);
    FPanels[4]->setText(QStringLiteral("%1, %2").arg(p.X).arg(p.Y));
    const int tool = Canvas->CurrentTool;
    if ((tool == tlMarqee || tool == tlLasso) && Canvas->MouseState == 0) {
        // Over a floating selection the pointer shows that it can be dragged.
        const bool over = Canvas->Selection.Contains(p.X, p.Y);
        if (over != (ImageCover->cursor().shape() == Qt::SizeAllCursor))
            ImageCover->setCursor(over ? QCursor(Qt::SizeAllCursor) : ToolCursor(tool));
    }
    Guarded(*Canvas, [&] {
        Canvas->Move(p, buttons & (Qt::LeftButton | Qt::RightButton), modifiers & Qt::ControlModifier);
    });
}

void TMainForm::ImageCoverMouseUp(Qt::MouseButton button, QPoint at) {
    Guarded(*Canvas, [&] { Canvas->Release(ButtonOf(button), FramePoint(at, Canvas->Zoom)); });
    UpdateCanvasActions();
}

// ---------------------------------------------------------------------------
// Text entry

void TMainForm::Edit2Change() {
    if (!Canvas->TextActive) return;
    Guarded(*Canvas, [&] { Canvas->SetTypedText(Edit2->text().toStdString()); });
    UpdateCanvasActions();
}

bool TMainForm::Edit2KeyDown(int key) {
    if (!Canvas->TextActive) return false;
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_Left:
        dx = -1;
        break;
    case Qt::Key_Right:
        dx = 1;
        break;
    case Qt::Key_Up:
        dy = -1;
        break;
    case Qt::Key_Down:
        dy = 1;
        break;
    default:
        return false;
    }
    Guarded(*Canvas, [&] { Canvas->MoveText(dx, dy); });
    return true;
}

void TMainForm::Timer1Timer() {
    if (Canvas->CurrentTool == tlText && Canvas->TextActive && Edit2->hasFocus())
        Guarded(*Canvas, [&] { Canvas->BlinkCaret(); });
}

bool TMainForm::CanvasEventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit2) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Undo and redo are the window's, not the hidden field's own.
            const auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(key->keyCombination());
            if (pressed == Undo1->shortcut() || pressed == Redo1->shortcut()) {
                event->ignore();
                return true;
            }
        }
        if (event->type() == QEvent::KeyPress) return Edit2KeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
    if (watched == ScrollBox3->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
        // Ctrl and the wheel zoom: away from the user zooms in.
        const int turn = wheel->angleDelta().y();
        if (turn > 0)
            ZoomIn1Click();
        else if (turn < 0)
            ZoomOut1Click();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Zoom

void TMainForm::ZoomIn1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || Canvas->Zoom > 7) return;
    Canvas->Zoom = std::min(8, Canvas->Zoom * 2);
    ShowFrame(frame);
    UpdateCanvasActions();
}

void TMainForm::ZoomOut1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || Canvas->Zoom == 1) return;
    Canvas->Zoom = std::max(1, Canvas->Zoom / 2);
    ShowFrame(frame);
    UpdateCanvasActions();
}

void TMainForm::ActualSize1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || Canvas->Zoom == 1) return;
    Canvas->Zoom = 1;
    ShowFrame(frame);
    UpdateCanvasActions();
}

// ---------------------------------------------------------------------------
// Undo and redo

namespace {
// After a step: the frame's views and the palette usage follow its pixels.
void ShowRestoredFrame(TMainForm& form, TGIFImageData& frame, int code) {
    if (code == tlMoveImage && form.FitLogicalScreen()) {
        form.Document().RefreshThumbnails();
        form.ListView1->viewport()->update();
        form.ShowFrame(&frame);
    }
    frame.RenderThumbnail();
    form.ListView1->viewport()->update();
    form.ShowFrame(&frame);
    form.ShowFrameInfo(&frame);
    if (frame.HasLocalTable())
        frame.UpdateLocalUsage();
    else
        form.Document().UpdateGlobalUsage();
    form.DrawPalette(&frame);
    form.Modified = true;
}
} // namespace

void TMainForm::Undo1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    const bool typing = Canvas->CurrentTool == tlText && Canvas->TextActive && !Canvas->TypedText.empty();
    // Typed text counts as a step even before the first stroke: Ctrl+Z takes it off.
    if (!UndoHistory->CanUndo() && !typing) return;
    // A floating selection is dropped, not painted in.
    Canvas->DropSelection();
    if (typing) {
        // The text becomes a step of its own, which this undo takes back again.
        Guarded(*Canvas, [&] { Canvas->CommitPendingEdit(); });
    }
    const int code = UndoHistory->UndoStep(frame);
    if (code != 0) ShowRestoredFrame(*this, *frame, code);
    UpdateCanvasActions();
}

void TMainForm::Redo1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || !UndoHistory->CanRedo()) return;
    if (Canvas->CurrentTool == tlText && Canvas->TextActive) {
        // Redo drops the typed text rather than committing it.
        Canvas->CancelPendingEdit();
    }
    Canvas->DropSelection();
    const int code = UndoHistory->RedoStep(frame);
    if (code != 0) ShowRestoredFrame(*this, *frame, code);
    UpdateCanvasActions();
}
