#pragma once
// How the program's windows present themselves to assistive technology.

namespace platform {

// A top-level window built on a plain widget would otherwise be announced as a mere
// filler, not as a window; call once at start-up.
void installWindowAccessibility();

} // namespace platform
