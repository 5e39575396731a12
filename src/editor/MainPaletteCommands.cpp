// The window's colour commands: the palette strip, the fore and back colours
// and the Color menu. The palette work itself is in PaletteCommands.
#include "editor/MainUnit.h"

#include "editor/FrameListView.h"
#include "editor/PaletteCommands.h"
#include "editor/PaletteGrid.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>

namespace {

// Hides the palette marker when the pointer moves over the canvas area outside the canvas.
class TMarkerHider : public QObject {
  public:
    TMarkerHider(TMainForm* form, QObject* parent) : QObject(parent), FForm(form) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Leave) FForm->MarkPaletteCell(-1);
        if (event->type() == QEvent::MouseMove) {
            // Moves over the canvas itself belong to the canvas (the colour picker shows the marker).
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (!FCanvas) FCanvas = FForm->findChild<QWidget*>(QStringLiteral("ImageCover"));
            const auto* viewport = static_cast<QWidget*>(watched);
            if (!FCanvas || !FCanvas->isVisible() ||
                !FCanvas->rect().contains(FCanvas->mapFrom(viewport, at)))
                FForm->MarkPaletteCell(-1);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    TMainForm* FForm;
    QPointer<QWidget> FCanvas; // the canvas's pointer layer
};

TColor ButtonFace(const QWidget& widget) {
    const QColor face = widget.palette().color(QPalette::Button);
    return RGB(face.red(), face.green(), face.blue());
}

} // namespace

void TMainForm::CreatePaletteActions() {
    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    EditCurrentColor1 =
        action("EditCurrentColor1", "Edit Current Fore Color...", &TMainForm::EditCurrentColor1Click);
    EditCurrentBackColor1 =
        action("EditCurrentBackColor1", "Edit Current Back Color...", &TMainForm::EditCurrentBackColor1Click);
    UseStandardColorsForNouseColors1 = action("UseStandardColorsForNouseColors1", "Standard Colors",
                                              &TMainForm::UseStandardColorsForNouseColors1Click);
    MoveLocalColorsToGlobal1 = action("MoveLocalColorsToGlobal1", "Replace Global Palette",
                                      &TMainForm::MoveLocalColorsToGlobal1Click);
    CreateLocalPalette1 =
        action("CreateLocalPalette1", "Create Local Palette", &TMainForm::CreateLocalPalette1Click);
    MarkUnusedColors1 = action("MarkUnusedColors1", "Mark Unused Colors", &TMainForm::MarkUnusedColors1Click);
    MarkUnusedColors1->setCheckable(true);
    MarkUnusedColors1->setChecked(MarkUnusedColors);

    Color1 = new QMenu(QStringLiteral("&Color"), this);
    Color1->setObjectName(QStringLiteral("Color1"));
    menuBar()->insertMenu(View1->menuAction(), Color1);
    Color1->addAction(EditCurrentColor1);
    Color1->addAction(EditCurrentBackColor1);
    Color1->addSeparator();
    Color1->addAction(UseStandardColorsForNouseColors1);
    Color1->addSeparator();
    Color1->addAction(MoveLocalColorsToGlobal1);
    Color1->addAction(CreateLocalPalette1);
    View1->addSeparator();
    View1->addAction(MarkUnusedColors1);
}

void TMainForm::CreatePaletteStrip(QWidget* parent) {
    ScrollBox1 = new TPaletteStrip(parent);
    TPaletteGrid* grid = ScrollBox1->Image1;
    connect(grid, &TPaletteGrid::Pressed, this, [this](int x, int y, Qt::MouseButton button) {
        Image1MouseDown(x, y, button);
        UpdateActions();
    });
    connect(grid, &TPaletteGrid::Moved, this, &TMainForm::Image1MouseMove);
    connect(grid, &TPaletteGrid::DoubleClicked, this, [this] {
        Image1DblClick();
        UpdateActions();
    });
    connect(ScrollBox1->ScrollBox2, &TPaletteSwatch::Clicked, EditCurrentColor1, &QAction::trigger);
    connect(ScrollBox1->ScrollBox6, &TPaletteSwatch::Clicked, EditCurrentBackColor1, &QAction::trigger);
    ScrollBox3->viewport()->setMouseTracking(true);
    ScrollBox3->viewport()->installEventFilter(new TMarkerHider(this, ScrollBox1));
}

// ---------------------------------------------------------------------------
// Fore and back colours

void TMainForm::ReadColors(TGIFImageData* frame) {
    if (!frame) return;
    ForeColor = frame->Color(ForeIndex);
    BackColor = frame->Color(BackIndex);
}

void TMainForm::SetForeIndex(int index) {
    TGIFImageData* frame = CurrentFrame();
    if (index == ForeIndex || !frame || index < 0 || index > 255) return;
    ForeIndex = index;
    ForeColor = frame->Color(index);
    DrawPalette(frame);
    ApplyCanvasColors();
}

void TMainForm::SetBackIndex(int index) {
    TGIFImageData* frame = CurrentFrame();
    if (index == BackIndex || !frame || index < 0 || index > 255) return;
    BackIndex = index;
    BackColor = frame->Color(index);
    DrawPalette(frame);
    ApplyCanvasColors();
}

// ---------------------------------------------------------------------------
// The strip

void TMainForm::DrawPalette(TGIFImageData* frame) {
    TPaletteGridContent content;
    content.MarkUnused = MarkUnusedColors;
    if (frame) {
        ScrollBox1->Label3->setText(frame->HasLocalTable() ? QStringLiteral("[Local]")
                                                           : QStringLiteral("[Global]"));
        const bool transparent = frame->Control && frame->Control->Transparent();
        for (int i = 0; i < 256; ++i) {
            TPaletteCell& cell = content.Cells[std::size_t(i)];
            cell.Color = frame->Color(i);
            cell.Used = frame->IsColorUsed(i) != 0;
            cell.TransparentMark = transparent && i == frame->Control->TransparentIndex;
        }
        content.ForeIndex = ForeIndex;
        content.BackIndex = BackIndex;
        ScrollBox1->ScrollBox2->SetColor(ForeColor);
        ScrollBox1->ScrollBox6->SetColor(BackColor);
    } else {
        // No frame, no colours: empty cells and plain swatches.
        ScrollBox1->Label3->setText(QStringLiteral("[-----]"));
        ScrollBox1->ScrollBox2->SetColor(ButtonFace(*ScrollBox1));
        ScrollBox1->ScrollBox6->SetColor(ButtonFace(*ScrollBox1));
    }
    ScrollBox1->Image1->SetContent(content);
}

int TMainForm::PaletteIndexAt(int x, int y) const {
    if (!CurrentFrame()) return -1;
    return PaletteCellAt(x, y);
}

void TMainForm::MarkPaletteCell(int index) {
    ScrollBox1->MarkCell(index);
}

bool TMainForm::PickColor(TColor& color) {
    return ::PickColor(FDialogs, color);
}

void TMainForm::Image1MouseDown(int x, int y, Qt::MouseButton button) {
    PressedCell = PaletteIndexAt(x, y);
    if (PressedCell < 0) return;
    if (button == Qt::LeftButton)
        SetForeIndex(PressedCell);
    else if (button == Qt::RightButton)
        SetBackIndex(PressedCell);
}

void TMainForm::Image1MouseMove(int x, int y) {
    MarkPaletteCell(-1);
    TGIFImageData* frame = CurrentFrame();
    const int i = PaletteIndexAt(x, y);
    if (!frame || i < 0) return;
    const TColor color = frame->Color(i);
    ScrollBox1->Label4->setText(QStringLiteral("Index: %1").arg(i));
    ScrollBox1->Label5->setText(QStringLiteral("R: %1").arg(GetRValue(color)));
    ScrollBox1->Label6->setText(QStringLiteral("G: %1").arg(GetGValue(color)));
    ScrollBox1->Label7->setText(QStringLiteral("B: %1").arg(GetBValue(color)));
    ScrollBox1->Label1->setText(frame->IsColorUsed(i) ? QStringLiteral("Used") : QStringLiteral("Not Used"));
}

// ---------------------------------------------------------------------------
// Color menu

void TMainForm::EditPaletteEntry(int index) {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || index < 0 || index > 255) return;
    TColor color = frame->Color(index);
    if (!PickColor(color)) return;
    const TPaletteScope scope = SetPaletteColor(*frame, index, color);
    ReadColors(frame);
    ShowFrame(frame);
    DrawPalette(frame);
    // A global entry is drawn by every frame without a local palette, not only this one.
    if (scope == psGlobal) {
        GIF->RefreshThumbnails();
        ListView1->viewport()->update();
    } else {
        frame->RenderThumbnail();
        ListView1->UpdateRow(CurrentRow());
    }
    Modified = true;
    ApplyCanvasColors();
}

void TMainForm::Image1DblClick() {
    if (PressedCell < 0) return;
    EditPaletteEntry(PressedCell);
}

void TMainForm::EditCurrentColor1Click() {
    EditPaletteEntry(ForeIndex);
}

void TMainForm::EditCurrentBackColor1Click() {
    EditPaletteEntry(BackIndex);
}

void TMainForm::UseStandardColorsForNouseColors1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || !UseStandardColors(*frame, DefaultPalette)) return;
    ReadColors(frame);
    ShowFrame(frame);
    DrawPalette(frame);
    frame->RenderThumbnail();
    ListView1->UpdateRow(CurrentRow());
    Modified = true;
    ApplyCanvasColors();
}

void TMainForm::MoveLocalColorsToGlobal1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || !ReplaceGlobalPalette(*GIF, *frame)) return;
    ReadColors(frame);
    DrawPalette(frame);
    for (auto& each : GIF->Frames)
        if (!each->HasLocalTable()) each->RenderThumbnail();
    ListView1->viewport()->update();
    Modified = true;
    ApplyCanvasColors();
}

void TMainForm::CreateLocalPalette1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame || !CreateLocalPalette(*GIF, *frame)) return;
    DrawPalette(frame);
    Modified = true;
}

void TMainForm::MarkUnusedColors1Click() {
    MarkUnusedColors = !MarkUnusedColors;
    MarkUnusedColors1->setChecked(MarkUnusedColors);
    if (TGIFImageData* frame = CurrentFrame()) DrawPalette(frame);
}
