#pragma once
// The program's own pictures, drawn at build time and compiled into the program: the
// program icon and the pointer shown over link labels.

#include <QIcon>
#include <QPixmap>
#include <QPoint>

namespace platform {

// The program icon, size pixels square (32 for window icons and picture boxes). A size
// the icon is not drawn at is scaled down from the next larger drawing, or up from the
// largest one. A size below 1 gives a null pixmap.
QPixmap programIcon(int size);

// Every drawing of the program icon, for window frames, task bars and switchers.
QIcon programWindowIcon();

// The 32 x 32 hand pointing at what it clicks, with the hot spot at its fingertip.
struct PointerImage {
    QPixmap pixmap;
    QPoint hotSpot;
};
PointerImage linkPointerImage();

} // namespace platform
