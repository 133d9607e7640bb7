// Apply runs: statuses first, then one worker per device.
#include "content/apply_jobs.h"

#include <cstddef>
#include <cstring>

#include "protocol/ac_transmit_manage.h"
#include "records/device_result.h"
#include "records/diagnostic_log.h"
#include "records/sql_management.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

bool SendsLogo(TransmitJobKind kind) {
    return kind != JOB_PARA && kind != JOB_ANTITHEFT;
}
bool SendsPara(TransmitJobKind kind) {
    return kind != JOB_LOGO && kind != JOB_ANTITHEFT;
}

// Marks each device "Operating" on the operations its job will run and starts its
// worker, in list order.
apply_start StartJobs(AcTransmitManage& manager, CSqlManagement& store,
                      const std::vector<std::string>& selected_macs,
                      const transmit_job_stu& prototype) {
    apply_start outcome;
    outcome.ok = true;
    store.ResetAllStatuses();
    mac_address adapter = manager.GetAdapterMac();
    TransmitJobKind kind = static_cast<TransmitJobKind>(prototype.kind);
    for (const std::string& mac_text : selected_macs) {
        mac_address device;
        if (!ParseMacText(mac_text, &device)) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "selected device '%s' is not a MAC text",
                             mac_text.c_str());
            outcome.not_started.push_back(mac_text);
            continue;
        }
        if (kind == JOB_ANTITHEFT) {
            store.SetAntiTheftStatus(mac_text, STATUS_OPERATING);
        } else {
            if (SendsLogo(kind))
                store.SetLogoStatus(mac_text, STATUS_OPERATING);
            if (SendsPara(kind))
                store.SetParaStatus(mac_text, STATUS_OPERATING);
        }
        transmit_job_stu job = prototype;
        transmit_job_stu header = MakeTransmitJob(device, adapter, kind);
        std::memcpy(&job, &header, offsetof(transmit_job_stu, para_path));
        if (manager.StartTransmitJob(job)) {
            outcome.started.push_back(mac_text);
        } else {
            outcome.not_started.push_back(mac_text);
        }
    }
    return outcome;
}

}  // namespace

apply_start SendAntiTheftCommand(AcTransmitManage& manager, CSqlManagement& store,
                                 const std::vector<std::string>& selected_macs,
                                 const antitheft_values& values) {
    std::string command = BuildAntiTheftCommand(values);
    transmit_job_stu prototype = MakeTransmitJob({}, {}, JOB_ANTITHEFT);
    if (!AntiTheftCommandFits(command) || !SetJobText(prototype.command, command)) {
        apply_start refused;
        refused.message = TranslateText("The anti-theft command is too long to be sent!");
        return refused;
    }
    return StartJobs(manager, store, selected_macs, prototype);
}

apply_start SendFiles(AcTransmitManage& manager, CSqlManagement& store,
                      const std::vector<std::string>& selected_macs, TransmitJobKind kind,
                      const std::string& logo_path, const std::string& para_path) {
    transmit_job_stu prototype = MakeTransmitJob({}, {}, kind);
    apply_start refused;
    if (SendsLogo(kind) && !SetJobText(prototype.logo_path, logo_path)) {
        refused.message = TranslateText("The logo file path is too long!");
        return refused;
    }
    if (SendsPara(kind) && !SetJobText(prototype.para_path, para_path)) {
        refused.message = TranslateText("The configuration file path is too long!");
        return refused;
    }
    return StartJobs(manager, store, selected_macs, prototype);
}

}  // namespace plindar
