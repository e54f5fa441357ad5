#pragma once
// The push buttons of the display frame and its child windows: a light grey face and a
// bold caption.

#include "platform/Twips.h"

class QPushButton;
class QWidget;

QPushButton* makeDisplayButton(QWidget* parent, const char* name, const QString& caption,
                               const platform::TwipsRect& rect);
