#include "wheel/frmHypno.h"

#include "frame/mdifrm.h"
#include "platform/Twips.h"
#include "shell/Program.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QMenu>

namespace {
namespace design {
constexpr int ClientWidth = 11910;
constexpr int ClientHeight = 5400;
} // namespace design
} // namespace

frmHypno::frmHypno(Program& program) : MdiChildForm(program, QStringLiteral("frmHypno"))
{
    setWindowTitle(QStringLiteral("Somnara v1.45"));
    platform::setClientSize(*this, design::ClientWidth, design::ClientHeight);
    platform::setBackground(*this, Qt::black);

    mnuFileStartHypnodisc = mnuFile->addAction(QStringLiteral("&Start Color Wheel"));
    mnuFileStartHypnodisc->setObjectName(QStringLiteral("mnuFileStartHypnodisc"));
    mnuFileStopHypnodisc = mnuFile->addAction(QStringLiteral("St&op Color Wheel"));
    mnuFileStopHypnodisc->setObjectName(QStringLiteral("mnuFileStopHypnodisc"));
    mnuChangeDirection =
        mnuFile->addAction(QStringLiteral("&Change Direction"), this, &frmHypno::mnuChangeDirection_Click);
    mnuChangeDirection->setObjectName(QStringLiteral("mnuChangeDirection"));
    mnuFileBAck = mnuFile->addAction(QStringLiteral("&Back"), this, &frmHypno::mnuFileBAck_Click);
    mnuFileBAck->setObjectName(QStringLiteral("mnuFileBAck"));
}

frmHypno::~frmHypno() = default;

void frmHypno::mnuChangeDirection_Click() {}

void frmHypno::mnuFileBAck_Click()
{
    Unload();
    if (mdifrm* frame = program_.loaded<mdifrm>())
        frame->Unload();
    program_.form<frmMain>().Show();
}
