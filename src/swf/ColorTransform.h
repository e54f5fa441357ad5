#pragma once
// The colour transform that the movie model stores and the renderer applies.

#include <QColor>

#include <array>

namespace swf {

// Multiply then add, per channel R, G, B, A; add terms are in colour levels (0..255).
struct ColorTransform {
    std::array<double, 4> mult{1.0, 1.0, 1.0, 1.0};
    std::array<double, 4> add{0.0, 0.0, 0.0, 0.0};

    QColor apply(const QColor& colour) const;
    // The transform that applies inner first, then this one.
    ColorTransform after(const ColorTransform& inner) const;
    bool isIdentity() const;
};

} // namespace swf
