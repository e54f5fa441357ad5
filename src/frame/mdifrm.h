#pragma once
// The display frame: a link strip, a separator, the colour-wheel settings panel and the
// strip with the user's text, stacked at the top; the display window lives below them.

#include "platform/Form.h"

#include <QMainWindow>

class MdiChildForm;
class Program;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
namespace platform {
class LinkLabel;
}

class mdifrm final : public QMainWindow, public platform::Form {
    Q_OBJECT
public:
    explicit mdifrm(Program& program);
    ~mdifrm() override;

    void Form_Unload(int& cancel) override;
    void Show() override;

    void MDIForm_Unload();
    void cmdBack_Click();
    void Label61_Click();

    // Hosting of the child windows.
    QMdiSubWindow* addChild(MdiChildForm& child);
    void removeChild(MdiChildForm& child);
    void activateChild(QMdiSubWindow& subWindow);

    QFrame* Picture4 = nullptr;
    platform::LinkLabel* Label61 = nullptr;
    QFrame* Picture2 = nullptr;
    QFrame* Picture1 = nullptr;
    QPushButton* cmdBack = nullptr;
    QFrame* PicCaption = nullptr;
    QLabel* lblDisplay = nullptr;
    QMdiArea* mdiArea = nullptr;

protected:
    void unloadChildren() override;

private:
    void buildStrips();
    void updateMenus();

    Program& program_;
    bool shownOnce_ = false;
};
