#include "platform/Accessibility.h"

#include "platform/Form.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QMainWindow>

namespace platform {

namespace {

QAccessibleInterface* windowFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow() || !dynamic_cast<Form*>(widget))
        return nullptr;
    if (qobject_cast<QMainWindow*>(widget) || qobject_cast<QDialog*>(widget))
        return nullptr; // Qt presents these as a frame and a dialog already
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

void installWindowAccessibility()
{
    QAccessible::installFactory(windowFactory);
}

} // namespace platform
