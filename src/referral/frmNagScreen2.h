#pragma once
// The refer-a-friend window: the last window of every run; closing it ends the program.

#include "platform/Form.h"

#include <QWidget>

class Program;
class QPushButton;

class frmNagScreen2 final : public QWidget, public platform::Form {
    Q_OBJECT
public:
    explicit frmNagScreen2(Program& program);
    ~frmNagScreen2() override;

    void Form_Unload(int& cancel) override;
    void cmdClose_Click();

    QPushButton* cmdClose = nullptr;

private:
    Program& program_;
};
