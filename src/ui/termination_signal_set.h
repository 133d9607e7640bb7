// The signals that end the window through its normal shutdown, and how a program
// started from the window gets them back. Kept here, below the application shell,
// because pages start such programs too and cannot reach the shell's library.
#pragma once

#include <signal.h>

namespace plindar {

// SIGTERM, SIGINT and SIGHUP.
sigset_t TerminationSignalSet();

// For a program started from the window, in the child before it runs (for
// example QProcess::setChildProcessModifier): the window blocks the signals for
// its signalfd and a blocked mask survives exec, so without this the child could
// not be stopped with them. Async-signal-safe.
void UnblockTerminationSignals();

}  // namespace plindar
