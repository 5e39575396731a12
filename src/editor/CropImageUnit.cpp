#include "editor/CropImageUnit.h"

#include "editor/DialogParts.h"
#include "editor/QtBitmap.h"
#include "platform/Dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

// Half the side of a handle, and the tolerance of the hit test.
constexpr int HandleReach = 3;

bool Near(int x, int y, int px, int py) {
    return std::abs(x - px) <= HandleReach && std::abs(y - py) <= HandleReach;
}

} // namespace

// ---------------------------------------------------------------------------
// The picture

TCropPicture::TCropPicture(TCropImageForm& form, QWidget* parent) : QWidget(parent), FForm(form) {
    setObjectName(QStringLiteral("Image1"));
    setAccessibleName(QStringLiteral("Original Image"));
    setMouseTracking(true);
    setFixedSize(form.Original().size());
}

void TCropPicture::Redraw() {
    FShown = FForm.Original().convertToFormat(QImage::Format_RGB32);
    if (!FShown.isNull()) {
        QPainter p(&FShown);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QColor grey(128, 128, 128);
        const int x0 = FForm.X0, y0 = FForm.Y0, x1 = FForm.X1, y1 = FForm.Y1;
        p.setPen(QPen(grey, 1));
        p.setBrush(Qt::NoBrush);
        // The outline covers columns x0..x1 - 1 and rows y0..y1 - 1.
        p.drawRect(x0, y0, std::max(0, x1 - x0 - 1), std::max(0, y1 - y0 - 1));
        const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
        const QPoint handles[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1},
                                  {x0, my}, {x1, my}, {mx, y0}, {mx, y1}};
        for (const QPoint& h : handles)
            p.fillRect(QRect(h.x() - HandleReach, h.y() - HandleReach, 2 * HandleReach, 2 * HandleReach),
                       grey);
    }
    update();
}

void TCropPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, FShown);
}

void TCropPicture::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    FForm.PictureMouseDown(event->button(), at.x(), at.y());
}

void TCropPicture::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    FForm.PictureMouseMove(at.x(), at.y(), event->buttons() & Qt::LeftButton);
    if (!(event->buttons() & Qt::LeftButton))
        setCursor(TCropImageForm::HitCursor(FForm.HitTest(at.x(), at.y())));
}

void TCropPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) FForm.PictureMouseUp();
}

// ---------------------------------------------------------------------------
// The dialog

TCropImageForm::TCropImageForm(const TBitmap& picture, QWidget* parent)
    : QDialog(parent), FOriginal(ToQImage(picture)), FWidth(picture.Width()), FHeight(picture.Height()) {
    setObjectName(QStringLiteral("CropImageForm"));
    setWindowTitle(QStringLiteral("Crop Image"));

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Original Image"));
    Image1 = new TCropPicture(*this, nullptr);
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setMinimumSize(std::min(FWidth + 4, 480), std::min(FHeight + 4, 360));

    // "At most 4 digits": the fields never go beyond 9999.
    const int maxX = std::min(FWidth, 9999), maxY = std::min(FHeight, 9999);
    X0Edit = NewSpin(this, "X0Edit", 0, maxX);
    Y0Edit = NewSpin(this, "Y0Edit", 0, maxY);
    X1Edit = NewSpin(this, "X1Edit", 0, maxX);
    Y1Edit = NewSpin(this, "Y1Edit", 0, maxY);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* side = new QVBoxLayout;
    side->addWidget(OKButton);
    side->addWidget(CancelButton);
    side->addSpacing(12);
    auto* fields = new QGridLayout;
    int row = 0;
    for (auto [caption, edit] : {std::pair{"X0:", X0Edit}, std::pair{"Y0:", Y0Edit}, std::pair{"X1:", X1Edit},
                                 std::pair{"Y1:", Y1Edit}}) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(edit);
        edit->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row++, 1);
    }
    side->addLayout(fields);
    side->addSpacing(12);
    side->addWidget(new QLabel(QStringLiteral("Original Image"), this));
    SizeLabel = new QLabel(QStringLiteral("%1 x %2").arg(FWidth).arg(FHeight), this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));
    side->addWidget(SizeLabel);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(side);

    for (QSpinBox* edit : {X0Edit, Y0Edit, X1Edit, Y1Edit})
        connect(edit, &QSpinBox::valueChanged, this, &TCropImageForm::EditChange);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TCropImageForm::SetRect(int x0, int y0, int x1, int y1) {
    X0 = x0;
    Y0 = y0;
    X1 = x1;
    Y1 = y1;
    ShowRect();
}

void TCropImageForm::ShowRect() {
    FUpdating = true;
    X0Edit->setValue(X0);
    Y0Edit->setValue(Y0);
    X1Edit->setValue(X1 - 1);
    Y1Edit->setValue(Y1 - 1);
    FUpdating = false;
    Image1->Redraw();
}

void TCropImageForm::EditChange() {
    if (FUpdating) return;
    X0 = X0Edit->value();
    Y0 = Y0Edit->value();
    X1 = X1Edit->value() + 1;
    Y1 = Y1Edit->value() + 1;
    Image1->Redraw();
}

TCropHit TCropImageForm::HitTest(int x, int y) const {
    const int mx = (X0 + X1) / 2, my = (Y0 + Y1) / 2;
    if (Near(x, y, X0, Y0)) return chTopLeft;
    if (Near(x, y, X1, Y0)) return chTopRight;
    if (Near(x, y, X1, Y1)) return chBottomRight;
    if (Near(x, y, X0, Y1)) return chBottomLeft;
    if (Near(x, y, X0, my)) return chLeft;
    if (Near(x, y, X1, my)) return chRight;
    if (Near(x, y, mx, Y0)) return chTop;
    if (Near(x, y, mx, Y1)) return chBottom;
    if (x >= X0 && x <= X1 && y >= Y0 && y <= Y1) return chMove;
    return chOutside;
}

Qt::CursorShape TCropImageForm::HitCursor(TCropHit hit) {
    switch (hit) {
    case chMove:
        return Qt::SizeAllCursor;
    case chTopLeft:
    case chBottomRight:
        return Qt::SizeFDiagCursor;
    case chTopRight:
    case chBottomLeft:
        return Qt::SizeBDiagCursor;
    case chLeft:
    case chRight:
        return Qt::SizeHorCursor;
    case chTop:
    case chBottom:
        return Qt::SizeVerCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void TCropImageForm::PictureMouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton) return;
    FLastX = x;
    FLastY = y;
    FHit = HitTest(x, y);
    FDragging = true;
}

void TCropImageForm::PictureMouseMove(int x, int y, bool leftHeld) {
    if (!FDragging || !leftHeld || FHit == chOutside) return;
    const int dx = x - FLastX, dy = y - FLastY;
    if (FHit == chMove) {
        const int w = X1 - X0, h = Y1 - Y0;
        X0 += dx;
        X1 += dx;
        Y0 += dy;
        Y1 += dy;
        // The rectangle keeps its size and stays on the picture.
        if (X0 < 0) {
            X0 = 0;
            X1 = w;
        }
        if (Y0 < 0) {
            Y0 = 0;
            Y1 = h;
        }
        if (X1 > FWidth) {
            X0 -= X1 - FWidth;
            X1 = FWidth;
        }
        if (Y1 > FHeight) {
            Y0 -= Y1 - FHeight;
            Y1 = FHeight;
        }
    } else {
        // Only the dragged sides move; they stop 2 pixels short of the opposite
        // side (never narrower or lower than that) and at the picture's edges.
        if (FHit == chTopLeft || FHit == chBottomLeft || FHit == chLeft)
            X0 = std::max(0, std::min(X0 + dx, X1 - 2));
        if (FHit == chTopRight || FHit == chBottomRight || FHit == chRight)
            X1 = std::min(FWidth, std::max(X1 + dx, X0 + 2));
        if (FHit == chTopLeft || FHit == chTopRight || FHit == chTop)
            Y0 = std::max(0, std::min(Y0 + dy, Y1 - 2));
        if (FHit == chBottomLeft || FHit == chBottomRight || FHit == chBottom)
            Y1 = std::min(FHeight, std::max(Y1 + dy, Y0 + 2));
    }
    FLastX = x;
    FLastY = y;
    ShowRect();
}

void TCropImageForm::PictureMouseUp() {
    FDragging = false;
}

bool CropDialog(const TBitmap& picture, int& left, int& top, int& right, int& bottom, TDialogs& dialogs,
                QWidget* parent) {
    TCropImageForm form(picture, parent);
    form.SetRect(left, top, right, bottom);
    if (dialogs.ShowModal(form) != QDialog::Accepted) return false;
    left = form.X0;
    top = form.Y0;
    right = form.X1 - 1;
    bottom = form.Y1 - 1;
    return true;
}
