#pragma once
// Runs a long task, a movie's player, on a thread of Qt's global pool rather than on one of
// its own. Qt's raster engine splits each large translucent fill, gradient or image among
// that pool's threads and waits for the parts, a dozen thread switches a fill, unless the
// drawing is done on one of the pool's own threads: there it draws alone, which for a movie
// costs far less and wakes no other thread. The pool is given one thread more for as long as
// the task runs, so that the rest of the program keeps as many for its own drawing and a
// pool of one thread never waits behind the task. The application, as it ends, waits for
// every such task to return while it still stands.

#include <functional>

namespace swf {

void startOnDrawingPool(std::function<void()> task);

} // namespace swf
