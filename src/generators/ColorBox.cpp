#include "generators/ColorBox.h"

#include "platform/Dialogs.h"

#include <QPainter>
#include <QPixmap>

namespace {

struct TNamedColor {
    const char* Name;
    TColor Color;
};

// The sixteen standard colours, then the four extended ones.
const TNamedColor NamedColors[] = {
    {"Black", RGB(0, 0, 0)},
    {"Maroon", RGB(128, 0, 0)},
    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},
    {"Navy", RGB(0, 0, 128)},
    {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},
    {"Gray", RGB(128, 128, 128)},
    {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},
    {"Lime", RGB(0, 255, 0)},
    {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},
    {"Fuchsia", RGB(255, 0, 255)},
    {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)},
    {"Money Green", RGB(192, 220, 192)},
    {"Sky Blue", RGB(166, 202, 240)},
    {"Cream", RGB(255, 251, 240)},
    {"Medium Gray", RGB(160, 160, 164)},
};

QIcon Swatch(TColor color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

TColorBox::TColorBox(TDialogs& dialogs, TColor color, QWidget* parent)
    : QComboBox(parent), FDialogs(dialogs), FColor(color) {
    addItem(QStringLiteral("Custom..."), QVariant::fromValue(uint(color)));
    for (const TNamedColor& named : NamedColors)
        addItem(Swatch(named.Color), QString::fromLatin1(named.Name), QVariant::fromValue(uint(named.Color)));
    setMaxVisibleItems(count());
    FColor = NoColor;
    SetColor(color);
    connect(this, &QComboBox::activated, this, &TColorBox::ColorBoxSelect);
}

void TColorBox::SetColor(TColor color) {
    for (int row = CustomRow + 1; row < count(); ++row) {
        if (itemData(row).toUInt() == color) {
            setCurrentIndex(row);
            Store(color);
            return;
        }
    }
    SetCustom(color);
}

void TColorBox::SetCustom(TColor color) {
    setItemData(CustomRow, QVariant::fromValue(uint(color)));
    setItemIcon(CustomRow, Swatch(color));
    setCurrentIndex(CustomRow);
    Store(color);
}

void TColorBox::Store(TColor color) {
    if (color == FColor) return;
    FColor = color;
    emit ColorChanged(color);
}

void TColorBox::ColorBoxSelect(int row) {
    if (row < 0 || row >= count()) return;
    if (row != CustomRow) {
        setCurrentIndex(row);
        Store(TColor(itemData(row).toUInt()));
        return;
    }
    const TColor previous = FColor;
    TColor chosen = previous;
    if (FDialogs.ChooseColor(chosen) && chosen != NoColor)
        SetCustom(chosen & 0xFFFFFF);
    else
        SetColor(previous); // back to the row that showed the old colour
}
