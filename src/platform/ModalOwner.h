#pragma once
// Which window a modal box belongs to. Desktops keep a box above the window it belongs
// to and open it over that window; a box that belongs to none may open anywhere, even
// beneath a window that stays above all others, where the user cannot reach it.

class QWidget;

namespace platform {

// The window the user is working in, for a box about to open (never the box itself):
// the active window; without one (nothing clicked into yet, or a Wayland compositor
// that activates nothing), the shown window that stays above the others, or else the
// one window on screen. Null when no window can tell.
QWidget* modalOwner(const QWidget* box = nullptr);

// Makes a top-level window without a parent belong to modalOwner() while it shows.
void belongToModalOwner(QWidget& window);

} // namespace platform
