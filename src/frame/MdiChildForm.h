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
    // File menu, then the Help menu and the Donate entry that both children share.
    QList<QAction*> menuBarActions() const;

    void Show() override;

    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();
    void mnuDonate_Click();

    QMenu* mnuFile = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOnline = nullptr;
    QAction* mnuVisit = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuDonate = nullptr;

protected:
    QWidget& placement() override;
    void detach() override;

    Program& program_;

private:
    void buildSharedMenus();

    QPointer<QMdiSubWindow> subWindow_;
};
