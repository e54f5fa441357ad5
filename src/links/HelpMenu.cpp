#include "links/HelpMenu.h"

#include "app/Program.h"
#include "links/frmAbout.h"
#include "links/modHelp.h"

#include <QAction>
#include <QMenu>

namespace help_menu {

namespace {

void run(Program& program, Command command)
{
    platform::WebOpener& web = program.services().web;
    switch (command) {
    case Command::OnlineHelp:
        modHelp::OpenOnlineHelp(web);
        break;
    case Command::VisitUsOnline:
        modHelp::OpenHomeSite(web);
        break;
    case Command::CheckForUpdate:
        modHelp::OpenDownloadPage(web);
        break;
    case Command::AboutSoftware:
        program.form<frmAbout>().ShowModal();
        break;
    case Command::Separator:
        break;
    }
}

} // namespace

Menus build(QWidget& owner, Program& program, std::span<const Entry> entries)
{
    auto* help = new QMenu(QStringLiteral("&Help"), &owner);
    help->setObjectName(QStringLiteral("mnuHelp"));
    for (const Entry& entry : entries) {
        QAction* action = nullptr;
        if (entry.command == Command::Separator) {
            action = help->addSeparator();
        } else {
            const Command command = entry.command;
            action = help->addAction(QString::fromLatin1(entry.caption), &owner,
                                     [&program, command] { run(program, command); });
        }
        action->setObjectName(QString::fromLatin1(entry.name));
    }

    auto* donate = new QAction(QStringLiteral("&Donate"), &owner);
    donate->setObjectName(QStringLiteral("mnuDonate"));
    QObject::connect(donate, &QAction::triggered, &owner,
                     [&program] { modHelp::OpenDonationPage(program.services().web); });
    return {help, donate};
}

} // namespace help_menu
