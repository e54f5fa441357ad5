#include "shell/ProgramIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>

namespace {

constexpr int kSize = 32;

// Concentric rings in the colours the displays cycle through.
QPixmap drawnIcon()
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor rings[] = {QColor(0, 0, 128), QColor(0, 160, 255), QColor(0, 200, 0), QColor(255, 200, 0),
                            QColor(220, 0, 0)};
    int inset = 0;
    for (const QColor& colour : rings) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(inset, inset, kSize - 2 * inset, kSize - 2 * inset));
        inset += 3;
    }
    return pixmap;
}

} // namespace

QPixmap programIcon()
{
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(kSize, kSize);
    return drawnIcon();
}
