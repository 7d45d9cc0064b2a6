// Runs a blocking piece of line work away from the thread that asked for it:
// the body runs on a worker thread while the caller keeps handling its events
// (paints, timers, queued signals, a box raised for the worker), user input
// held back, so the window stays drawn and nothing new is started meanwhile.
#pragma once

#include <functional>

namespace obd {

// Returns when body has ended and every queued signal it emitted has been
// delivered; an exception that ended body is raised again here.
void RunOffThread(const std::function<void()>& body);

// True while a RunOffThread call has not returned (on any thread): its caller
// still goes on with the line once it does, so the line must not close yet.
bool OffThreadWorkRunning();

} // namespace obd
