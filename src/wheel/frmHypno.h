#pragma once
// The colour-wheel window: the drawing surface of the colour wheel inside the frame.

#include "frame/MdiChildForm.h"

class frmHypno final : public MdiChildForm {
    Q_OBJECT
public:
    explicit frmHypno(Program& program);
    ~frmHypno() override;

    void mnuChangeDirection_Click();
    void mnuFileBAck_Click();

    QAction* mnuFileStartHypnodisc = nullptr;
    QAction* mnuFileStopHypnodisc = nullptr;
    QAction* mnuChangeDirection = nullptr;
    QAction* mnuFileBAck = nullptr;
};
