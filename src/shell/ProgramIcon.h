#pragma once
// The program's 32 x 32 icon, shown in the About box and the refer-a-friend window.
// It is the application's window icon once one is set; until then a picture drawn here.

#include <QPixmap>

QPixmap programIcon();
