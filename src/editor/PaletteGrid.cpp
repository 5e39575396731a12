#include "editor/PaletteGrid.h"

#include "editor/QtBitmap.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

QRgb ToRgb(TColor color) {
    return qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
}

// Pixel writers that keep inside the picture; rectangles exclude their right and bottom edge.
void Put(QImage& image, int x, int y, QRgb colour) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
}

void XorPixel(QImage& image, int x, int y, TColor mask) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    QRgb& pixel = reinterpret_cast<QRgb*>(image.scanLine(y))[x];
    pixel =
        qRgb(qRed(pixel) ^ GetRValue(mask), qGreen(pixel) ^ GetGValue(mask), qBlue(pixel) ^ GetBValue(mask));
}

void Outline(QImage& image, int left, int top, int right, int bottom, QRgb colour) {
    for (int x = left; x < right; ++x) {
        Put(image, x, top, colour);
        Put(image, x, bottom - 1, colour);
    }
    for (int y = top; y < bottom; ++y) {
        Put(image, left, y, colour);
        Put(image, right - 1, y, colour);
    }
}

// Each border pixel of the rectangle inverted once.
void XorOutline(QImage& image, int left, int top, int right, int bottom, TColor mask) {
    for (int x = left; x < right; ++x) {
        XorPixel(image, x, top, mask);
        if (bottom - 1 > top) XorPixel(image, x, bottom - 1, mask);
    }
    for (int y = top + 1; y < bottom - 1; ++y) {
        XorPixel(image, left, y, mask);
        if (right - 1 > left) XorPixel(image, right - 1, y, mask);
    }
}

void DrawCell(QImage& image, int index, const TPaletteCell& cell, const TPaletteGridContent& content) {
    const int x0 = PaletteCellWidth * (index % PaletteColumns);
    const int y0 = PaletteCellHeight * (index / PaletteColumns);
    const bool hasColor = cell.Color != NoColor;
    if (hasColor)
        for (int y = y0 + 1; y < y0 + 12; ++y)
            for (int x = x0 + 1; x < x0 + 14; ++x) Put(image, x, y, ToRgb(cell.Color));
    Outline(image, x0 + 1, y0 + 1, x0 + 14, y0 + 12,
            !hasColor || !cell.Used ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    if (!cell.Used && hasColor && content.MarkUnused)
        for (int k = 0; k < 5; ++k) XorPixel(image, x0 + 5 + k, y0 + 4 + k, PaletteMarkColor);
    if (cell.TransparentMark) XorOutline(image, x0 + 4, y0 + 3, x0 + 11, y0 + 10, PaletteMarkColor);
}

// The outline around a cell reaches one pixel into the row below.
void OutlineCell(QImage& image, int index, QRgb colour) {
    if (index < 0 || index > 255) return;
    const int x0 = PaletteCellWidth * (index % PaletteColumns);
    const int y0 = PaletteCellHeight * (index / PaletteColumns);
    Outline(image, x0, y0, x0 + 15, y0 + 13, colour);
}

QPixmap MarkerPicture() {
    QPixmap picture(PaletteCellWidth, PaletteCellHeight);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QPen(QColor(255, 255, 0), 1));
    p.drawRect(0, 0, PaletteCellWidth - 1, PaletteCellHeight - 1);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(1, 1, PaletteCellWidth - 3, PaletteCellHeight - 3);
    return picture;
}

// The little painter's palette under the swatches.
QPixmap DecorationPicture() {
    QPixmap picture(36, 30);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 90, 50), 1));
    p.setBrush(QColor(222, 190, 140));
    p.drawEllipse(QRectF(1, 4, 34, 24));
    const QColor blobs[] = {QColor(230, 25, 75), QColor(255, 225, 25), QColor(60, 180, 75),
                            QColor(67, 99, 216)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(blobs[i]);
        p.drawEllipse(QRectF(5 + i * 7, 8 + (i % 2) * 3, 5, 5));
    }
    return picture;
}

} // namespace

int PaletteCellAt(int x, int y) {
    if (x < 0 || y < 0 || x >= PaletteGridWidth || y >= PaletteRows * PaletteCellHeight) return -1;
    return (y / PaletteCellHeight) * PaletteColumns + x / PaletteCellWidth;
}

QImage DrawPaletteGrid(const TPaletteGridContent& content, QColor background) {
    QImage image(PaletteGridWidth, PaletteGridHeight, QImage::Format_RGB32);
    image.fill(background);
    for (int i = 0; i < 256; ++i) DrawCell(image, i, content.Cells[std::size_t(i)], content);
    if (content.ForeIndex == content.BackIndex) {
        OutlineCell(image, content.ForeIndex, qRgb(255, 0, 0));
    } else {
        OutlineCell(image, content.BackIndex, qRgb(0, 128, 0));
        OutlineCell(image, content.ForeIndex, qRgb(0, 0, 255));
    }
    return image;
}

TPaletteGrid::TPaletteGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
    setAccessibleName(QStringLiteral("Palette"));
    setFixedSize(PaletteGridWidth, PaletteGridHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    SetContent(FContent);
}

void TPaletteGrid::SetContent(const TPaletteGridContent& content) {
    FContent = content;
    FPicture = DrawPaletteGrid(FContent, palette().color(QPalette::Window));
    update();
}

void TPaletteGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, FPicture);
}

void TPaletteGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit Pressed(at.x(), at.y(), event->button());
}

void TPaletteGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit Moved(at.x(), at.y());
}

void TPaletteGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press as well; only the left button edits.
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

void TPaletteGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) SetContent(FContent);
}

TPaletteSwatch::TPaletteSwatch(QWidget* parent) : TColorSwatch(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(14, 18);
    setCursor(Qt::PointingHandCursor);
}

void TPaletteSwatch::mouseReleaseEvent(QMouseEvent* event) {
    TColorSwatch::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
}

TPaletteStrip::TPaletteStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ScrollBox1"));
    setAccessibleName(QStringLiteral("Palette strip"));
    setAutoFillBackground(true);

    auto* decoration = new QLabel(this);
    decoration->setObjectName(QStringLiteral("Image5"));
    decoration->setPixmap(DecorationPicture());
    decoration->setGeometry(4, 40, 36, 30);
    decoration->setAccessibleName(QStringLiteral("Colours"));
    ScrollBox2 = new TPaletteSwatch(this);
    ScrollBox2->setObjectName(QStringLiteral("ScrollBox2"));
    ScrollBox2->setAccessibleName(QStringLiteral("Fore color"));
    ScrollBox2->setToolTip(QStringLiteral("Edit Current Fore Color..."));
    ScrollBox2->SetColor(RGB(0, 0, 0));
    ScrollBox2->move(6, 12);
    ScrollBox6 = new TPaletteSwatch(this);
    ScrollBox6->setObjectName(QStringLiteral("ScrollBox6"));
    ScrollBox6->setAccessibleName(QStringLiteral("Back color"));
    ScrollBox6->setToolTip(QStringLiteral("Edit Current Back Color..."));
    ScrollBox6->SetColor(RGB(255, 255, 255));
    ScrollBox6->move(22, 18);

    constexpr int gridLeft = 44, gridTop = 2;
    Image1 = new TPaletteGrid(this);
    Image1->move(gridLeft, gridTop);
    Image6 = new QLabel(this);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->setAccessibleName(QStringLiteral("Palette marker"));
    Image6->setPixmap(MarkerPicture());
    Image6->setFixedSize(PaletteCellWidth, PaletteCellHeight);
    Image6->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image6->hide();

    const int labelLeft = gridLeft + PaletteGridWidth + 8;
    auto label = [this, labelLeft](const char* name, const char* text, int row) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(labelLeft, gridTop + row * 16, 80, 16);
        return l;
    };
    Label3 = label("Label3", "[Global]", 0);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label4 = label("Label4", "Index", 1);
    Label5 = label("Label5", "Red", 2);
    Label6 = label("Label6", "Green", 3);
    Label7 = label("Label7", "Blue", 4);
    Label1 = label("Label1", "Use", 5);
    setMinimumSize(labelLeft + 84, gridTop + PaletteGridHeight + 2);
}

void TPaletteStrip::MarkCell(int index) {
    if (index < 0 || index > 255) {
        Image6->hide();
        return;
    }
    Image6->move(Image1->x() + PaletteCellWidth * (index % PaletteColumns),
                 Image1->y() + PaletteCellHeight * (index / PaletteColumns));
    Image6->show();
    Image6->raise();
}
