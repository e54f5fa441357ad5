#pragma once
// One run of the program: the platform services chosen at start-up, the window
// instances, the state that several windows share, and the few requests a window may
// make of the layer above it. It knows no window by name.

#include "app/ReferralEntries.h"
#include "app/ScreenAwake.h"
#include "app/VbBool.h"
#include "app/WheelState.h"
#include "platform/FormRuntime.h"
#include "platform/Services.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class Program {
public:
    explicit Program(platform::Services services);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    platform::Services& services() { return services_; }
    platform::FormRuntime& forms() { return forms_; }

    // The program-wide instance of window T, created and loaded at first reference.
    template <class T>
    T& form()
    {
        return forms_.get<T>([this] { return std::make_unique<T>(*this); });
    }
    // The instance of T if it is loaded; never loads it.
    template <class T>
    T* loaded() const
    {
        return forms_.find<T>();
    }

    // The program's folder joined with one of the movie_files names.
    QString programFile(const QString& name) const;

    // Unloads every loaded window, ignoring what goes wrong, then ends the process.
    void UnloadAllForms();
    // True once the process has been asked to end.
    bool ended() const { return ended_; }

    // What the windows of the displays ask of the program's top layer, which installs
    // the answers once at start-up; until then each request does nothing.
    struct ShellHooks {
        // Back from a display: show the chooser again.
        std::function<void()> showChooser;
    };
    void installShell(ShellHooks hooks) { shell_ = std::move(hooks); }
    void showChooser();

    // True while the movie window plays the upward box animation.
    VbBool BoxDirectionUp = VbFalse;
    // The movie window's tick within its text's blink cycle. It lives here, not in the
    // window, because a reopened window carries on with the cycle.
    std::int16_t BlinkPhase = 0;

    ReferralEntries tellAFriend;
    // The colour-wheel renderer's record; it outlives the colour-wheel window.
    WheelState Wheel;
    // Whether the desktop is asked to keep the screen awake; the displays and the frame
    // say when their part changes.
    ScreenAwake screenAwake;

private:
    platform::Services services_;
    platform::FormRuntime forms_;
    ShellHooks shell_;
    bool ended_ = false;
    bool shuttingDown_ = false;
};
