#include "shell/StartUp.h"

#include "app/Program.h"
#include "shell/frmMain.h"

namespace {
const QString kAlreadyRunning = QStringLiteral("Application is already running");
}

void InstallShell(Program& program)
{
    program.installShell({.showChooser = [&program] { program.form<frmMain>().Show(); }});
}

void StartUp(Program& program)
{
    InstallShell(program);
    platform::Services& services = program.services();
    if (services.instance.anotherInstanceRunning()) {
        services.messages.show(kAlreadyRunning, platform::MsgIcon::Information, platform::MsgButtons::OK);
        program.UnloadAllForms();
        return;
    }
    program.form<frmMain>().Show();
}
