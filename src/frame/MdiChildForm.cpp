#include "frame/MdiChildForm.h"

#include "app/Program.h"
#include "frame/mdifrm.h"
#include "links/HelpMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {
using help_menu::Command;
constexpr help_menu::Entry HelpEntries[] = {
    {Command::OnlineHelp, "mnuOnline", "&Online Help"},
    {Command::VisitUsOnline, "mnuVisit", "&Visit Us Online"},
    {Command::Separator, "mnuFileSep1", nullptr},
    {Command::CheckForUpdate, "mnuUpdate", "&Check for Software Update"},
    {Command::Separator, "mnuFileSep2", nullptr},
    {Command::AboutSoftware, "mnuAbout", "&About Software"},
};
} // namespace

MdiChildForm::MdiChildForm(Program& program, const QString& name)
    : QWidget(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(name);
    mnuFile = new QMenu(QStringLiteral("&File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    const help_menu::Menus shared = help_menu::build(*this, program, HelpEntries);
    mnuHelp = shared.help;
    mnuDonate = shared.donate;
    subWindow_ = program.form<mdifrm>().addChild(*this);
}

QList<QAction*> MdiChildForm::menuBarActions() const
{
    return {mnuFile->menuAction(), mnuHelp->menuAction(), mnuDonate};
}

void MdiChildForm::goBack()
{
    Unload();
    leaving();
    if (mdifrm* frame = program_.loaded<mdifrm>())
        frame->Unload();
    program_.showChooser();
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
