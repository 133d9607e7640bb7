// The termination signal set.
#include "ui/termination_signal_set.h"

#include <pthread.h>

namespace plindar {

sigset_t TerminationSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

void UnblockTerminationSignals() {
    sigset_t set = TerminationSignalSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace plindar
