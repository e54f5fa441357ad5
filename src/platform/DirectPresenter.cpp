#include "platform/DirectPresenter.h"

#include "platform/X11Presenter.h"

#include <QGuiApplication>

namespace platform {

std::unique_ptr<DirectPresenter> makeDirectPresenter(QWidget& widget)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return nullptr;
    return X11Presenter::make(widget, x11->connection());
}

} // namespace platform
