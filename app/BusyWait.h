// Waiting for a slow job without a frozen window: the job runs on a thread of its own while the
// windows keep repainting and take no user input.
#pragma once

#include <functional>

// Runs job on a thread of its own and returns once it is done. Meanwhile events are
// handled except the user's input, so windows repaint (a dialog that just closed leaves no hole)
// while no command can start; after a moment the cursor shows that the program is busy. The
// caller keeps its own posted events from running meanwhile if they must not.
void runWhileRepainting(const std::function<void()>& job);
