// A scan: start, then one check per tick until the count settles.
#include "protocol/scan_run.h"

#include "protocol/ac_transmit_manage.h"
#include "records/sql_management.h"

namespace plindar {

bool CScanRun::Start(Listener listener) {
    if (listener == Listener::kRestart && !manager_.Init()) {
        return false;
    }
    manager_.ClearDevices();
    store_.DeleteAllDevices();
    manager_.SendDiscover();
    return true;
}

scan_tick_stu CScanRun::Tick() {
    scan_tick_stu tick;
    tick.device_count = store_.CountDevices();
    ScanStep step = completion_.OnTick(tick.device_count);
    tick.done = step == ScanStep::Done;
    if (step == ScanStep::SendDiscover) {
        manager_.SendDiscover();
    }
    return tick;
}

}  // namespace plindar
