// When a scan is over: checked once a second against the number of devices found.
#pragma once

namespace plindar {

enum class ScanStep {
    Continue,      // keep waiting
    SendDiscover,  // devices keep coming: ask again, then keep waiting
    Done,          // no new device in the last four checks
};

// A scan lasts at least four checks and goes on in steps of four while new
// devices keep answering; every twelfth check (a multiple of both 4 and 6) sends
// another discovery request for devices that missed the earlier ones.
class CScanCompletion {
public:
    static constexpr int kSettleTicks = 4;
    static constexpr int kRediscoverTicks = 6;

    ScanStep OnTick(int device_count) {
        ++ticks_;
        if (ticks_ == 1) {
            last_count_ = device_count;
        }
        if (ticks_ % kSettleTicks != 0) {
            return ScanStep::Continue;
        }
        if (device_count == last_count_) {
            return ScanStep::Done;
        }
        last_count_ = device_count;
        return ticks_ % kRediscoverTicks == 0 ? ScanStep::SendDiscover : ScanStep::Continue;
    }

    int Ticks() const { return ticks_; }

private:
    int ticks_ = 0;
    int last_count_ = 0;
};

}  // namespace plindar
