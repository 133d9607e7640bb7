// The wait for the devices' result reports after an apply run, driven by a
// once-a-second tick: each tick folds every device's statuses into its overall
// result and stores it, until every device succeeded or failed or the wait is over.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace plindar {

class CSqlManagement;

class CReportWait {
public:
    static constexpr std::chrono::seconds kTickInterval{1};
    static constexpr std::chrono::seconds kLongestWait{15};

    using clock = std::chrono::steady_clock;

    // The wait runs until `started` + kLongestWait.
    CReportWait(CSqlManagement& store, std::vector<std::string> macs,
                clock::time_point started = clock::now());

    // One poll of every device. True when the wait is over: every device has
    // succeeded or failed, or the time is up (then Tick must not be called again).
    bool Tick(clock::time_point now = clock::now());

    const std::vector<std::string>& Devices() const { return macs_; }
    // Each device's overall result as the last Tick stored it, in device order.
    const std::vector<int>& Results() const { return results_; }

private:
    CSqlManagement& store_;
    std::vector<std::string> macs_;
    std::vector<int> results_;
    clock::time_point deadline_;
};

}  // namespace plindar
