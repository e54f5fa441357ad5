#include "frame/MdiChildForm.h"

#include "frame/mdifrm.h"
#include "links/frmAbout.h"
#include "links/modHelp.h"
#include "shell/Program.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>

MdiChildForm::MdiChildForm(Program& program, const QString& name)
    : QWidget(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(name);
    buildSharedMenus();
    subWindow_ = program.form<mdifrm>().addChild(*this);
}

void MdiChildForm::buildSharedMenus()
{
    mnuFile = new QMenu(QStringLiteral("&File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));

    mnuHelp = new QMenu(QStringLiteral("&Help"), this);
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuOnline = mnuHelp->addAction(QStringLiteral("&Online Help"), this, &MdiChildForm::mnuOnline_Click);
    mnuOnline->setObjectName(QStringLiteral("mnuOnline"));
    mnuVisit = mnuHelp->addAction(QStringLiteral("&Visit Us Online"), this, &MdiChildForm::mnuVisit_Click);
    mnuVisit->setObjectName(QStringLiteral("mnuVisit"));
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("mnuFileSep1"));
    mnuUpdate =
        mnuHelp->addAction(QStringLiteral("&Check for Software Update"), this, &MdiChildForm::mnuUpdate_Click);
    mnuUpdate->setObjectName(QStringLiteral("mnuUpdate"));
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("mnuFileSep2"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About Software"), this, &MdiChildForm::mnuAbout_Click);
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    mnuDonate = new QAction(QStringLiteral("&Donate"), this);
    mnuDonate->setObjectName(QStringLiteral("mnuDonate"));
    connect(mnuDonate, &QAction::triggered, this, &MdiChildForm::mnuDonate_Click);
}

QList<QAction*> MdiChildForm::menuBarActions() const
{
    return {mnuFile->menuAction(), mnuHelp->menuAction(), mnuDonate};
}

void MdiChildForm::mnuOnline_Click()
{
    modHelp::OpenOnlineHelp(program_.services().web);
}

void MdiChildForm::mnuVisit_Click()
{
    modHelp::OpenHomeSite(program_.services().web);
}

void MdiChildForm::mnuUpdate_Click()
{
    modHelp::OpenDownloadPage(program_.services().web);
}

void MdiChildForm::mnuAbout_Click()
{
    program_.form<frmAbout>().ShowModal();
}

void MdiChildForm::mnuDonate_Click()
{
    modHelp::OpenDonationPage(program_.services().web);
}

MdiChildForm::~MdiChildForm() = default;

void MdiChildForm::Show()
{
    if (!runtime().isLoaded(*this))
        return;
    mdifrm& frame = program_.form<mdifrm>();
    frame.Show();
    QWidget::show();
    if (subWindow_) {
        subWindow_->show();
        frame.activateChild(*subWindow_);
    }
}

QWidget& MdiChildForm::placement()
{
    return subWindow_ ? static_cast<QWidget&>(*subWindow_) : static_cast<QWidget&>(*this);
}

void MdiChildForm::detach()
{
    if (mdifrm* frame = program_.loaded<mdifrm>())
        frame->removeChild(*this);
    if (subWindow_) {
        // The sub-window lets go of this window, which the runtime destroys itself.
        subWindow_->setWidget(nullptr);
        subWindow_->deleteLater();
        subWindow_ = nullptr;
    }
    hide();
}
