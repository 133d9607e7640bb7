// The devices' result reports: each is written to the day's run log and becomes
// the device's status for that operation.
#include "protocol/ac_transmit_manage.h"
#include "records/device_result.h"
#include "records/program_folder.h"
#include "records/run_log.h"
#include "records/sql_management.h"

namespace plindar {

namespace {

struct report_rule {
    uint16_t type;
    uint16_t code;
    int run_log_kind;
    bool success;
    int status;
};

// Every other frame (acknowledgements, stray discovery frames, unknown types) is
// not a report and changes nothing.
constexpr report_rule kReportRules[] = {
    {FRAME_TYPE_PARA, CODE_PARA_OK, RUN_LOG_PARA, true, STATUS_OPERATE_SUCCESS},
    {FRAME_TYPE_PARA, CODE_PARA_FAIL, RUN_LOG_PARA, false, STATUS_OPERATE_FAIL},
    {FRAME_TYPE_LOGO, CODE_LOGO_OK, RUN_LOG_LOGO, true, STATUS_OPERATE_SUCCESS},
    {FRAME_TYPE_LOGO, CODE_LOGO_FAIL, RUN_LOG_LOGO, false, STATUS_OPERATE_FAIL},
    {FRAME_TYPE_ANTITHEFT, CODE_ANTITHEFT_OK, RUN_LOG_ANTITHEFT, true, STATUS_OPERATE_SUCCESS},
    {FRAME_TYPE_ANTITHEFT, CODE_ANTITHEFT_FAIL, RUN_LOG_ANTITHEFT, false, STATUS_LOCKCODE_MISMATCH},
};

}  // namespace

void AcTransmitManage::SetRunLogFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    run_log_folder_ = folder;
}

void AcTransmitManage::HandleReport(const transmit_frame_stu& frame, const std::string& mac_text) {
    uint16_t type = ReadU16(frame.type);
    uint16_t code = ReadU16(frame.code);
    const report_rule* rule = nullptr;
    for (const report_rule& candidate : kReportRules) {
        if (candidate.type == type && candidate.code == code) {
            rule = &candidate;
            break;
        }
    }
    if (rule == nullptr) {
        report_frames_.fetch_add(1);
        return;
    }
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(adapter_lock_);
        folder = run_log_folder_.empty() ? GetProgramFolder() : run_log_folder_;
    }
    // Logged whether or not the device has a row: the run log is the lasting record.
    WriteRunLog(rule->run_log_kind, &run_log_writer_, mac_text, rule->success, folder);
    if (store_ != nullptr) {
        switch (rule->type) {
            case FRAME_TYPE_PARA:
                store_->SetParaStatus(mac_text, rule->status);
                break;
            case FRAME_TYPE_LOGO:
                store_->SetLogoStatus(mac_text, rule->status);
                break;
            default:
                store_->SetAntiTheftStatus(mac_text, rule->status);
                break;
        }
    }
    recorded_reports_.fetch_add(1);
    // Counted last, so whoever sees the count sees what the report changed.
    report_frames_.fetch_add(1);
}

}  // namespace plindar
