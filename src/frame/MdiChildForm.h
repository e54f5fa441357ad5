#pragma once
// A window that lives inside the display frame: borderless, at the frame's top left,
// with its menus shown in the frame's menu bar while it is the active child. Creating
// one creates the frame first.

#include "platform/Form.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class Program;
class QAction;
class QMenu;
class QMdiSubWindow;

class MdiChildForm : public QWidget, public platform::Form {
    Q_OBJECT
public:
    MdiChildForm(Program& program, const QString& name);
    ~MdiChildForm() override;

    // The entries of the frame's menu bar while this window is active: the window's
    // File menu, then the Help menu and the Donate entry that every window shares.
    QList<QAction*> menuBarActions() const;

    void Show() override;

protected:
    // Back to the chooser: this window goes, then the frame, then the chooser shows.
    void goBack();
    // Runs during goBack, once this window is unloaded and before the frame goes.
    virtual void leaving() {}

    QWidget& placement() override;
    void detach() override;

    Program& program_;
    QMenu* mnuFile = nullptr;

private:
    QMenu* mnuHelp = nullptr;
    QAction* mnuDonate = nullptr;
    QPointer<QMdiSubWindow> subWindow_;
};
