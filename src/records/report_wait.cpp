// One poll of the devices' overall results per tick.
#include "records/report_wait.h"

#include "records/device_result.h"
#include "records/sql_management.h"

namespace plindar {

CReportWait::CReportWait(CSqlManagement& store, std::vector<std::string> macs,
                         clock::time_point started)
    : store_(store),
      macs_(std::move(macs)),
      results_(macs_.size(), RESULT_NOT_STARTED),
      deadline_(started + kLongestWait) {}

bool CReportWait::Tick(clock::time_point now) {
    bool settled = true;
    for (size_t i = 0; i < macs_.size(); ++i) {
        const std::string& mac = macs_[i];
        int result = store_.GetOverallResult(mac);
        store_.SetResult(mac, result);
        results_[i] = result;
        settled = settled && (result == RESULT_SUCCESS || result == RESULT_FAILURE);
    }
    return settled || now >= deadline_;
}

}  // namespace plindar
