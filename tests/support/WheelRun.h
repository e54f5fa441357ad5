#pragma once
// A program with the colour wheel on screen, as the chooser's Proceed leaves it, and
// ticks of the colour-wheel window run by hand. Each circle is seen from inside the
// yield that follows it, where a test can act as a user would in the middle of a pass.
// Time is the fake monotonic clock's, moved only by the fake event loop's waits.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "frame/mdifrm.h"
#include "platform/FormTimer.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "wheel/frmHypno.h"

#include <QImage>
#include <QRadioButton>

#include <functional>
#include <vector>

struct SeenCircle {
    float radius;
    modHypno::Rgb colour;
    int penWidth;
    platform::MonotonicClock::time_point at;
};

class WheelRun {
public:
    WheelRun() : program(fx.services())
    {
        InstallShell(program);
        program.form<frmMain>();
    }

    enum class Yield { Recorded, Paced };

    // Color Wheel and Proceed on the chooser. The recorded yield runs a pass at once; the
    // paced one goes on into the window's own yield, which paces it on the fake clock.
    void proceed(Yield yield = Yield::Recorded)
    {
        frmMain& chooser = program.form<frmMain>();
        control<QRadioButton>(chooser, indexed("OptHypno", 0))->setChecked(true);
        chooser.cmdNext_Click();
        frmHypno* window = &wheel();
        if (yield == Yield::Recorded)
            window->replaceYield([this] { yielded(); });
        else
            window->replaceYield([this, window] {
                yielded();
                window->pacedYield();
            });
    }

    frmHypno& wheel() { return *program.loaded<frmHypno>(); }
    mdifrm& frame() { return *program.loaded<mdifrm>(); }
    modHypno::WheelState& state() { return program.Wheel; }

    // One tick of the window's timer; `during(n)` runs inside the yield after the n-th
    // circle of the tick. Returns the circles the tick drew.
    std::vector<SeenCircle> tick(std::function<void(int)> during = {})
    {
        seen_.clear();
        during_ = std::move(during);
        frmHypno& window = wheel();
        control<platform::FormTimer>(window, "Timer1")->tick();
        during_ = {};
        return seen_;
    }

    // True when no pixel of the picture is lit.
    bool pictureBlank()
    {
        const QImage& image = wheel().picture().image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xffffffu) != 0)
                    return false;
        return true;
    }

    fakes::Services fx;
    Program program;

private:
    void yielded()
    {
        const modHypno::WheelState& s = program.Wheel;
        seen_.push_back({s.Radius,
                         {static_cast<std::uint8_t>(s.Red.Level), static_cast<std::uint8_t>(s.Green.Level),
                          static_cast<std::uint8_t>(s.Blue.Level)},
                         program.loaded<frmHypno>() ? wheel().DrawWidth() : -1, fx.monotonic.now()});
        if (during_)
            during_(static_cast<int>(seen_.size()));
    }

    std::vector<SeenCircle> seen_;
    std::function<void(int)> during_;
};
