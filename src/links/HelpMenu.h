#pragma once
// The Help menu and the Donate entry of every main window's menu bar. Windows name
// and caption their entries differently; what each entry does is the same everywhere,
// so each window gives only its table.

#include <span>

class Program;
class QAction;
class QMenu;
class QWidget;

namespace help_menu {

enum class Command { OnlineHelp, VisitUsOnline, CheckForUpdate, AboutSoftware, Separator };

struct Entry {
    Command command;
    const char* name;
    // Unused for a separator.
    const char* caption;
};

struct Menus {
    QMenu* help;
    // A menu-bar entry that acts by itself.
    QAction* donate;
};

// Builds both, owned by `owner`. Each link entry opens its page, ignoring any failure;
// "About" shows the About box modally.
Menus build(QWidget& owner, Program& program, std::span<const Entry> entries);

} // namespace help_menu
