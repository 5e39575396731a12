// "New Slide Show Style GIF...": the document is emptied, the user gives the
// frame size and collects pictures in the slide-show wizard, whose frames
// become the open document.
#include "editor/MainSlideShowCommand.h"

#include "editor/ComposeCanvas.h"
#include "editor/FrameListView.h"
#include "editor/MainUnit.h"

#include "editor/ComposeCanvas.h"
#include "generators/GeneratedDocument.h"
#include "generators/transitions/GetImageSizeUnit.h"
#include "generators/transitions/SlideShowUnit.h"
#include "gifdata/GifData.h"

#include <QPainter>
#include <QPixmap>

namespace {

// The window after the document was emptied or refilled by a generator: no
// file name, zoom 1, the frame list rebuilt.
void ResetWindowForGeneratedDocument(TMainForm& form, bool modified) {
    form.Canvas->Zoom = 1;
    form.FillFrameList();
    form.ShowFrame(nullptr);
    form.FileName.clear();
    form.setWindowTitle(form.BaseCaption);
    form.Modified = modified;
    form.UpdateStatusBar();
}

} // namespace

void TMainForm::NewMorph1Click() {
    if (!ConfirmSave()) return;
    CancelPendingEdit();
    ListView1->clear();
    ResetDocumentForGeneration(*GIF);
    ResetWindowForGeneratedDocument(*this, false);

    int width = 200, height = 100;
    if (!GetImageSize(FDialogs, "Image Size", width, height, this)) return;
    if (!RunSlideShowWizard(*GIF, FDialogs, width, height, this)) return;

    ResetWindowForGeneratedDocument(*this, true);
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    FillFrameList();
    if (ListView1->count() > 0) {
        ListView1->SelectRow(ListView1->count() - 1);
        ListView1->setFocus();
        ListView1->scrollToBottom();
    }
    UpdateStatusBar();
}

QIcon SlideShowToolIcon() {
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Two pictures, the front one half wiped in by the next.
    p.setPen(QPen(QColor(60, 60, 70), 1.2));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(8.5, 3.5, 17, 13));
    p.setBrush(QColor(120, 170, 230));
    p.drawRect(QRectF(2.5, 10.5, 19, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 150, 60));
    p.drawPolygon(
        QPolygonF({QPointF(3, 24), QPointF(9, 16), QPointF(14, 20), QPointF(21, 14), QPointF(21, 24)}));
    p.setBrush(QColor(255, 200, 40, 220));
    p.drawRect(QRectF(12, 11, 9.5, 13.5));
    p.setPen(QPen(QColor(200, 60, 30), 2));
    p.drawLine(QPointF(12, 9), QPointF(12, 26));
    return QIcon(pixmap);
}
