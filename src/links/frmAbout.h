#pragma once
// The About box: shown modally from the Help menu of each main window.

#include "platform/Form.h"

#include <QDialog>

class Program;
class QPushButton;

class frmAbout final : public QDialog, public platform::Form {
    Q_OBJECT
public:
    explicit frmAbout(Program& program);
    ~frmAbout() override;

    void cmdOK_Click();

    QPushButton* cmdOK = nullptr;

protected:
    void reject() override;

private:
    Program& program_;
};
