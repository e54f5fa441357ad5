#include "platform/Twips.h"

#include <QGuiApplication>
#include <QLayout>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace platform {

QFont FontSpec::toFont() const
{
    QFont font(QString::fromLatin1(family));
    // Points at 96 dpi, as the windows were designed; pixel sizes keep the layout
    // independent of the X server's idea of its resolution.
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold((style & Bold) != 0);
    font.setUnderline((style & Underline) != 0);
    return font;
}

void place(QWidget& widget, const TwipsRect& rect)
{
    widget.setGeometry(rect.toPixels());
}

void setClientSize(QWidget& window, int widthTwips, int heightTwips)
{
    window.setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

void centreOnScreen(QWidget& window)
{
    // A window not shown yet still grows to what its style and layout need when it
    // shows; it is centred at the size it will show at.
    window.ensurePolished();
    if (QLayout* layout = window.layout())
        layout->activate();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void setBackground(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setForeground(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}

} // namespace platform
