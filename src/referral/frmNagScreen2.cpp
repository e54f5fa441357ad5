#include "referral/frmNagScreen2.h"

#include "platform/Twips.h"
#include "shell/Program.h"

#include <QPushButton>

frmNagScreen2::frmNagScreen2(Program& program)
    : QWidget(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("frmNagScreen2"));
    setWindowTitle(QStringLiteral("Somnara v1.45"));
    setFont(platform::kSansSerif825.toFont());
    platform::setClientSize(*this, 11115, 4725);
    platform::setBackground(*this, Qt::white);

    cmdClose = new QPushButton(QStringLiteral("E&xit"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    platform::place(*cmdClose, {6000, 2760, 1245, 375});
    connect(cmdClose, &QPushButton::clicked, this, &frmNagScreen2::cmdClose_Click);
}

frmNagScreen2::~frmNagScreen2() = default;

void frmNagScreen2::Form_Unload(int&)
{
    program_.UnloadAllForms();
}

void frmNagScreen2::cmdClose_Click()
{
    program_.UnloadAllForms();
}
