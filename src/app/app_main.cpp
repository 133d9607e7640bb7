// plindar: the operator's window.
#include <cstdio>
#include <string>
#include <vector>

#include "app/application_app.h"
#include "app/run_options.h"
#include "app/termination_signals.h"

using namespace plindar;

namespace {

constexpr int kExitBadUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    // Read before Qt starts, so --help and a bad option need no display.
    run_options_stu options;
    std::string error;
    if (!ParseWindowOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "plindar: %s\nTry 'plindar --help'.\n", error.c_str());
        return kExitBadUsage;
    }
    if (options.help) {
        std::fputs(WindowUsageText(), stdout);
        return 0;
    }
    // Qt's own options are not taken on this command line (the environment, such
    // as QT_QPA_PLATFORM, sets them), so Qt sees the program name alone.
    int qt_argc = 1;
    const int signal_fd = BlockTerminationSignals();
    CApplicationApp app(qt_argc, argv);
    QuitOnTerminationSignals(signal_fd, &app);
    return app.InitInstance(options);
}
