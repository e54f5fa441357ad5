#include "platform/LinkLabel.h"

#include "platform/ProgramImages.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(linkCursor());
    // Reachable from the keyboard too: Tab to it, Space or Enter to follow it.
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

QCursor linkCursor()
{
    const PointerImage pointer = linkPointerImage();
    return QCursor(pointer.pixmap, pointer.hotSpot.x(), pointer.hotSpot.y());
}

} // namespace platform
