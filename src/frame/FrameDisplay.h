#pragma once
// What the frame's settings panel asks of the display it hosts: the panel is the
// display's control, so it clears the picture, sets the pen and turns the animation
// round, without knowing which window the display is.

class FrameDisplay {
public:
    virtual ~FrameDisplay() = default;
    // Clears the picture to its background.
    virtual void Cls() = 0;
    // The pen width, in pixels, of everything drawn from now on.
    virtual void setDrawWidth(int pixels) = 0;
    // Reverses the direction of the animation.
    virtual void changeDirection() = 0;
};
