#include "swf/ColorTransform.h"

#include <algorithm>
#include <cmath>

namespace swf {

QColor ColorTransform::apply(const QColor& colour) const
{
    const double in[4] = {double(colour.red()), double(colour.green()), double(colour.blue()),
                          double(colour.alpha())};
    int out[4];
    for (std::size_t i = 0; i < 4; ++i)
        out[i] = static_cast<int>(std::clamp(std::floor(in[i] * mult[i] + add[i]), 0.0, 255.0));
    return QColor(out[0], out[1], out[2], out[3]);
}

ColorTransform ColorTransform::after(const ColorTransform& inner) const
{
    ColorTransform result;
    for (std::size_t i = 0; i < 4; ++i) {
        result.mult[i] = mult[i] * inner.mult[i];
        result.add[i] = mult[i] * inner.add[i] + add[i];
    }
    return result;
}

bool ColorTransform::isIdentity() const
{
    return mult == std::array<double, 4>{1.0, 1.0, 1.0, 1.0}
        && add == std::array<double, 4>{0.0, 0.0, 0.0, 0.0};
}

} // namespace swf
