#pragma once
// The movie window: plays the pendulum or colour-box movie inside the frame.

#include "frame/MdiChildForm.h"
#include "movie/TextBlink.h"

class QPushButton;
namespace platform {
class FormTimer;
}
namespace swf {
class PlayerWidget;
}

class frmBoxPendulam final : public MdiChildForm {
    Q_OBJECT
public:
    explicit frmBoxPendulam(Program& program);
    ~frmBoxPendulam() override;

    void Form_Load() override;

    void mnuChangeDirection_Click();
    void cmdChangeDirection_Click();
    void mnuFileBAck_Click();
    void cmdBack_Click();
    void Timer1_Timer();

    // What the chooser asks of the window. The movie file starts playing at once,
    // replacing what played.
    void setMovie(const QString& path);
    void setBackgroundColor(const QColor& colour);
    // The pendulum swings one way only: no direction change in the menu or the window.
    void hideDirectionChange();

    // Never shown: the limit of the blink cycle and a copy of its phase.
    const CycleHolder& blinkCycle() const { return PGBar; }

protected:
    void detach() override;

private:
    swf::PlayerWidget* SWF = nullptr;
    QPushButton* cmdChangeDirection = nullptr;
    QPushButton* cmdBack = nullptr;
    CycleHolder PGBar;
    platform::FormTimer* Timer1 = nullptr;

    QAction* mnuChangeDirection = nullptr;
    QAction* mnuText = nullptr;
    QAction* mnuFileBAck = nullptr;
};
