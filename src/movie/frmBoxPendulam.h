#pragma once
// The movie window: plays the pendulum or colour-box movie inside the frame.

#include "frame/MdiChildForm.h"

class QPushButton;
namespace swf {
class PlayerWidget;
}

class frmBoxPendulam final : public MdiChildForm {
    Q_OBJECT
public:
    explicit frmBoxPendulam(Program& program);
    ~frmBoxPendulam() override;

    void mnuChangeDirection_Click();
    void cmdChangeDirection_Click();
    void mnuFileBAck_Click();
    void cmdBack_Click();

    swf::PlayerWidget* SWF = nullptr;
    QPushButton* cmdChangeDirection = nullptr;
    QPushButton* cmdBack = nullptr;

    QAction* mnuChangeDirection = nullptr;
    QAction* mnuText = nullptr;
    QAction* mnuFileBAck = nullptr;
};
