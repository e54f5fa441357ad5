#include "app/Program.h"
#include "platform/Accessibility.h"
#include "platform/ProgramImages.h"
#include "platform/QtServices.h"
#include "platform/ToolkitDisplay.h"
#include "shell/StartUp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::prepareToolkitDisplay();
    QApplication app(argc, argv);
    // The program ends only through its own shutdown, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(platform::programWindowIcon());
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(SOMNARA_APP_ID));
    platform::installWindowAccessibility();

    platform::QtServices services;
    Program program(services.services());
    StartUp(program);
    if (program.ended())
        return 0;
    return QApplication::exec();
}
