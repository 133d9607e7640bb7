// One scan of the segment, driven by a once-a-second tick: the command line's sleep
// loop and the adapter page's timer call the same Tick, so both end a scan alike.
#pragma once

#include <chrono>

#include "protocol/scan_completion.h"

namespace plindar {

class AcTransmitManage;
class CSqlManagement;

struct scan_tick_stu {
    int device_count = 0;
    bool done = false;
};

class CScanRun {
public:
    // How often Tick is due.
    static constexpr std::chrono::seconds kTickInterval{1};

    CScanRun(AcTransmitManage& manager, CSqlManagement& store) : manager_(manager), store_(store) {}

    enum class Listener {
        kRestart,  // a new adapter choice: the listener starts over on it
        kKeep,     // a rescan of the same segment: the running listener stays
    };

    // Starts the listener on the adapter in use (unless kept), empties the device
    // table and the results store and broadcasts the first discovery request.
    // False when the listener could not start (the reason is in the diagnostic log).
    bool Start(Listener listener = Listener::kRestart);

    // One check of the number of devices found; asks again when devices keep
    // coming. After `done` the scan is over and Tick must not be called again.
    scan_tick_stu Tick();

private:
    AcTransmitManage& manager_;
    CSqlManagement& store_;
    CScanCompletion completion_;
};

}  // namespace plindar
