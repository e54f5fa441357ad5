#include "platform/ModalOwner.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {

bool canOwn(const QWidget* window, const QWidget* box)
{
    return window && window != box && window->isVisible() &&
           (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog);
}

} // namespace

QWidget* modalOwner(const QWidget* box)
{
    if (QWidget* active = QApplication::activeWindow(); canOwn(active, box))
        return active;
    QWidget* shown = nullptr;
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!canOwn(window, box))
            continue;
        if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return window;
        shown = window;
        ++count;
    }
    return count == 1 ? shown : nullptr;
}

void belongToModalOwner(QWidget& window)
{
    if (!window.isWindow() || window.parentWidget())
        return;
    QWidget* owner = modalOwner(&window);
    window.winId();
    window.windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
}

} // namespace platform
