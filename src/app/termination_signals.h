// SIGTERM, SIGINT and SIGHUP end the window through its normal shutdown (workers
// joined, store closed) instead of killing it mid-write.
#pragma once

#include "ui/termination_signal_set.h"

class QObject;

namespace plindar {

// Blocks the three signals in the calling thread; threads started afterwards
// inherit the block, so call it in main before anything starts a thread. Returns a
// descriptor that becomes readable when one arrives, or -1.
int BlockTerminationSignals();

// Quits the application's event loop when `signal_fd` (from the call above) turns
// readable. The notifier lives as long as `context`.
void QuitOnTerminationSignals(int signal_fd, QObject* context);

// UnblockTerminationSignals, for programs started from the window, comes with the
// set from ui/termination_signal_set.h.

}  // namespace plindar
