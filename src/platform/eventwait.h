// Waiting while the program stays alive: the event loop keeps running (device completions,
// network notices, key presses all arrive through it), so handlers may be re-entered meanwhile.
#pragma once

#include <functional>

namespace tavi {

// Processes events until done() holds or timeoutMs has passed (a negative time-out never
// passes). Returns done(). Without userInput, keys and mouse clicks wait, in their order, until
// the wait is over: a handler that blocks must not have the next key run inside it.
bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs = -1, bool userInput = true);

} // namespace tavi
