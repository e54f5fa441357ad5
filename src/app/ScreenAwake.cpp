#include "app/ScreenAwake.h"

namespace {
// What the desktop shows as the cause, in its list of what keeps the screen awake.
const QString Reason = QStringLiteral("Showing a self-hypnosis visual");
} // namespace

void ScreenAwake::setVisualRunning(bool running)
{
    running_ = running;
    follow();
}

void ScreenAwake::setFrameInSight(bool inSight)
{
    inSight_ = inSight;
    follow();
}

void ScreenAwake::follow()
{
    const bool wanted = running_ && inSight_;
    if (wanted == held_)
        return;
    held_ = wanted;
    if (wanted)
        inhibitor_.hold(Reason);
    else
        inhibitor_.release();
}
