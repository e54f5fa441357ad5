#include "platform/ToolkitDisplay.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void prepareToolkitDisplay()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
