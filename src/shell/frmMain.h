#pragma once
// The method chooser: the user picks a hypnosis method, types a text and proceeds to
// the chosen display. Its load handling runs the start-up checks; its unload handling
// leads out through the refer-a-friend window.

#include "platform/Form.h"

#include <QMainWindow>

#include <array>

class Program;
class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace platform {
class LinkLabel;
}

class frmMain final : public QMainWindow, public platform::Form {
    Q_OBJECT
public:
    explicit frmMain(Program& program);
    ~frmMain() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    void cmdNext_Click();
    void mnuFileNext_Click();
    void mnuFileExit_Click();
    void Label61_Click();

private:
    void buildControls();
    void buildMenus();
    void checkRequiredFiles();

    Program& program_;
    QButtonGroup* methodGroup_ = nullptr;

    // Controls, by their designed names. OptHypno is indexed by method, not by position.
    QLineEdit* txtInputText = nullptr;
    QPushButton* cmdNext = nullptr;
    QFrame* Frame2 = nullptr;
    platform::LinkLabel* Label61 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> OptHypno{};
    QLabel* lblCaption = nullptr;
    QLabel* Label1 = nullptr;

    QAction* mnuFileNext = nullptr;
    QAction* mnuFileExit = nullptr;
};
