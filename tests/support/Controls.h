#pragma once
// Tests reach a window's controls by their designed names, as a user finds them by
// their captions: the windows keep their widgets to themselves.

#include "platform/Form.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <stdexcept>

namespace controls_detail {
// The window a control belongs to: the nearest window of the program above it. A
// frame's controls and those of the display inside it are told apart this way.
inline const QObject* ownerOf(const QObject* object)
{
    for (const QObject* up = object->parent(); up; up = up->parent())
        if (dynamic_cast<const platform::Form*>(up))
            return up;
    return nullptr;
}
} // namespace controls_detail

// The one control of type T named `name` that belongs to `window`; a missing or
// ambiguous name fails the test.
template <class T>
T* control(const QObject& window, const QString& name)
{
    T* found = nullptr;
    for (T* candidate : window.findChildren<T*>(name)) {
        if (controls_detail::ownerOf(candidate) != &window)
            continue;
        if (found)
            throw std::logic_error("more than one control named " + name.toStdString());
        found = candidate;
    }
    if (!found)
        throw std::logic_error("no control named " + name.toStdString());
    return found;
}

// The name of one control of a control array, as "OptHypno(2)".
inline QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}
