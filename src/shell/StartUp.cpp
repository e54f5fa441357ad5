#include "shell/StartUp.h"

#include "shell/Program.h"
#include "shell/frmMain.h"

namespace {
const QString kAlreadyRunning = QStringLiteral("Application is already running");
}

void StartUp(Program& program)
{
    platform::Services& services = program.services();
    if (services.instance.anotherInstanceRunning()) {
        services.messages.show(kAlreadyRunning, platform::MsgIcon::Information, platform::MsgButtons::OK);
        program.UnloadAllForms();
        return;
    }
    program.form<frmMain>().Show();
}
