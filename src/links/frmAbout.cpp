#include "links/frmAbout.h"

#include "platform/Twips.h"
#include "shell/Program.h"

#include <QPushButton>

frmAbout::frmAbout(Program& program) : QDialog(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Somnara v1.45"));
    platform::setClientSize(*this, 6060, 3795);
    platform::setBackground(*this, Qt::black);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    platform::place(*cmdOK, {4680, 3360, 1260, 345});
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::cmdOK_Click()
{
    Unload();
}

void frmAbout::reject()
{
    // Esc is the cancel key of the OK button.
    cmdOK_Click();
}
