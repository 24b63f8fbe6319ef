#pragma once

// While a query waits for its answer, the window behaves as if its thread were blocked: it takes
// no input and runs none of its handlers, and the logo strip stands still. Unlike a blocked
// thread, it keeps painting when the desktop moves, uncovers or resizes it, so the desktop never
// marks it as not responding.

#include <functional>

namespace kovarra {

// Runs `work` on a worker thread and returns once it is done. Meanwhile the GUI thread paints;
// input to widgets is dropped, except that Esc still asks its window to close; the controls'
// timers skip their ticks. `work` must touch nothing of the window.
void WaitWhileRunning(const std::function<void()>& work);

// True while WaitWhileRunning waits.
bool QueryWaiting();

}  // namespace kovarra
