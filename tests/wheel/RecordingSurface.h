#pragma once
// A drawing surface that remembers what was drawn on it, in order.

#include "wheel/modHypno.h"

#include <vector>

struct DrawnCircle {
    float x;
    float y;
    float radius;
    modHypno::Rgb colour;
    int penWidth;
};

class RecordingSurface final : public modHypno::DrawingSurface {
public:
    RecordingSurface(float width, float height) : width_(width), height_(height) {}

    float ScaleWidth() const override { return width_; }
    float ScaleHeight() const override { return height_; }
    void Circle(float x, float y, float radius, modHypno::Rgb colour) override
    {
        circles.push_back({x, y, radius, colour, penWidth_});
    }
    void Cls() override
    {
        ++clears;
        circles.clear();
    }
    void setDrawWidth(int pixels) override { penWidth_ = pixels; }
    int DrawWidth() const override { return penWidth_; }

    std::vector<DrawnCircle> circles;
    int clears = 0;

private:
    float width_;
    float height_;
    int penWidth_ = 1;
};
