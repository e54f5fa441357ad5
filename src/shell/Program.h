#pragma once
// One run of the program: the platform services chosen at start-up, the window
// instances and the state that several windows share.

#include "platform/FormRuntime.h"
#include "platform/Services.h"
#include "referral/modTellAFriend.h"
#include "wheel/modHypno.h"

#include <QString>

#include <cstdint>
#include <memory>

// Booleans shared between windows keep the program's 16-bit convention.
using VbBool = std::int16_t;
constexpr VbBool VbTrue = -1;
constexpr VbBool VbFalse = 0;

// The product's name and version, the caption of every window.
inline const QString ProductNameAndVersion = QStringLiteral("Somnara v1.45");

// The animation files, as appended to the program's folder. The folder is written
// without a trailing separator, so each name brings its own.
namespace movie_files {
inline const QString Pendulum = QStringLiteral("/Pendulum.swf");
inline const QString BoxUpward = QStringLiteral("/BoxUpward.swf");
inline const QString BoxDownward = QStringLiteral("/BoxDownward.swf");
} // namespace movie_files

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

    // True while the movie window plays the upward box animation.
    VbBool BoxDirectionUp = VbFalse;
    // The movie window's tick within its text's blink cycle. It lives here, not in the
    // window, because a reopened window carries on with the cycle.
    std::int16_t BlinkPhase = 0;

    // The refer-a-friend entries and request address, kept for the whole run.
    modTellAFriend::Strings tellAFriend;
    // The colour-wheel renderer's record; it outlives the colour-wheel window.
    modHypno::WheelState Wheel;

private:
    platform::Services services_;
    platform::FormRuntime forms_;
    bool ended_ = false;
    bool shuttingDown_ = false;
};
