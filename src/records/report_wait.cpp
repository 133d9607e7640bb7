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
    store_.FoldResults(macs_, &results_);
    bool settled = true;
    for (int result : results_) {
        settled = settled && (result == RESULT_SUCCESS || result == RESULT_FAILURE);
    }
    return settled || now >= deadline_;
}

}  // namespace plindar
