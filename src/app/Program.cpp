#include "app/Program.h"

#include <QPixmapCache>

namespace {
// Each showing of a display builds its windows afresh, and the style keeps drawings of
// their controls that are never asked for again: with Qt's default of 10 MB, a long
// session of coming and going grows by that much for nothing.
constexpr int StyleDrawingCacheKiB = 256;
} // namespace

Program::Program(platform::Services services) : screenAwake(services.idle), services_(services)
{
    QPixmapCache::setCacheLimit(StyleDrawingCacheKiB);
}

Program::~Program() = default;

QString Program::programFile(const QString& name) const
{
    return services_.files.programFolder() + name;
}

void Program::showChooser()
{
    if (shell_.showChooser)
        shell_.showChooser();
}

void Program::UnloadAllForms()
{
    if (ended_)
        return;
    if (!shuttingDown_) {
        shuttingDown_ = true;
        // Unloading a window may load another (the chooser opens the refer-a-friend
        // window as it goes); that one goes with the process without being unloaded.
        for (platform::Form* form : forms_.loadedForms()) {
            forms_.unload(*form);
            // An unload handler may have ended the program already (the refer-a-friend
            // window does): it ends once.
            if (ended_)
                return;
        }
    }
    // Also reached from an unload handler while the loop above runs: either way the
    // process ends here and nothing after it runs.
    ended_ = true;
    services_.process.end(0);
}
