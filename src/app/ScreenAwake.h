#pragma once
// When the desktop is asked to keep the screen awake: while a visual runs (the colour
// wheel draws, a movie plays) and the display frame is in sight, that is shown and not
// minimised. The displays and the frame report their parts as they change; the desktop
// hears only when the answer changes, never once a frame.

#include "platform/Services.h"

class ScreenAwake {
public:
    explicit ScreenAwake(platform::IdleInhibitor& inhibitor) : inhibitor_(inhibitor) {}

    void setVisualRunning(bool running);
    void setFrameInSight(bool inSight);
    bool held() const { return held_; }

private:
    void follow();

    platform::IdleInhibitor& inhibitor_;
    bool running_ = false;
    bool inSight_ = false;
    bool held_ = false;
};
