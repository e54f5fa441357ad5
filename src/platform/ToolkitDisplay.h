#pragma once
// Settings for the toolkit's own drawing, made before the application object exists.

namespace platform {

// Under X11, Qt flushes each repaint of a window through memory shared with the server and
// then waits for the server's word that it has read it. That word wakes two of the
// program's threads for every repaint, twice a second for the text that blinks beside a
// movie. The windows that repaint every frame, the wheel's and the movies', have shared
// memory of their own (X11Presenter); the rest repaint little, and the socket carries that
// as cheaply. A choice the user made in the environment stands.
void prepareToolkitDisplay();

} // namespace platform
