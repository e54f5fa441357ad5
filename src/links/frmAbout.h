#pragma once
// The About box: the program's name and version, what it is for, and a link to the
// maker's home page. Shown modally from the Help menu of each main window; OK, Enter,
// Esc and the close box unload it, so every showing starts from the design.

#include "platform/Form.h"

#include <QDialog>

class Program;
class QFrame;
class QLabel;
class QPushButton;
namespace platform {
class LinkLabel;
}

class frmAbout final : public QDialog, public platform::Form {
    Q_OBJECT
public:
    explicit frmAbout(Program& program);
    ~frmAbout() override;

    void cmdOK_Click();
    void lblHomePage_Click();

protected:
    void reject() override;

private:
    Program& program_;

    QLabel* picIcon = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    platform::LinkLabel* lblHomePage = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* cmdOK = nullptr;
};
