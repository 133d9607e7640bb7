// Termination signals through a signalfd, read on the UI thread's event loop.
#include "app/termination_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace plindar {

int BlockTerminationSignals() {
    sigset_t set = TerminationSignalSet();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

void QuitOnTerminationSignals(int signal_fd, QObject* context) {
    if (signal_fd < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signal_fd, QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [signal_fd] {
        signalfd_siginfo info;
        while (read(signal_fd, &info, sizeof(info)) == sizeof(info)) {
        }
        QCoreApplication::quit();
    });
}

}  // namespace plindar
