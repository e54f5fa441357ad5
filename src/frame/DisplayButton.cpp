#include "frame/DisplayButton.h"

#include <QPushButton>

namespace {
const QColor ButtonFace(192, 192, 192);
}

QPushButton* makeDisplayButton(QWidget* parent, const char* name, const QString& caption,
                               const platform::TwipsRect& rect)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    platform::place(*button, rect);
    platform::setBackground(*button, ButtonFace);
    button->setFont(platform::kVerdana825Bold.toFont());
    return button;
}
