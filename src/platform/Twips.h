#pragma once
// The windows are designed in twips (1/1440 inch) with fonts in points, both at 96 dots
// per inch: 15 twips to a pixel, 3/4 point to a pixel. These are the only conversions.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

#include <cmath>
#include <type_traits>

class QWidget;

namespace platform {

constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    // Rounded to the nearest pixel, halves away from zero, for negative positions too.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// Left, top, width and height in twips.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    QRect toPixels() const
    {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    }
};

enum FontStyle : unsigned { Regular = 0, Bold = 1, Underline = 2 };

struct FontSpec {
    const char* family = "Verdana";
    double points = 8.25;
    unsigned style = Regular;

    QFont toFont() const;
};

constexpr FontSpec kVerdana825{"Verdana", 8.25, Regular};
constexpr FontSpec kVerdana825Bold{"Verdana", 8.25, Bold};
constexpr FontSpec kSansSerif825{"MS Sans Serif", 8.25, Regular};

// Places a control at its designed position and size.
void place(QWidget& widget, const TwipsRect& rect);

// A control of kind T (label, box, button, frame) with its designed name, caption or
// text, position and font. A label shows its text as plain text, never as markup.
template <class T>
T* makeControl(QWidget* parent, const char* name, const QString& text, const TwipsRect& rect, const FontSpec& font)
{
    auto* control = new T(text, parent);
    if constexpr (std::is_base_of_v<QLabel, T>)
        control->setTextFormat(Qt::PlainText);
    control->setObjectName(QString::fromLatin1(name));
    place(*control, rect);
    control->setFont(font.toFont());
    return control;
}

// Fixes a window's client area at its designed size.
void setClientSize(QWidget& window, int widthTwips, int heightTwips);
// Moves a top-level window to the centre of its screen.
void centreOnScreen(QWidget& window);
void setBackground(QWidget& widget, const QColor& colour);
void setForeground(QWidget& widget, const QColor& colour);

} // namespace platform
