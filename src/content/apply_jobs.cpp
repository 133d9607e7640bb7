// Apply runs: statuses first, then one worker per device.
#include "content/apply_jobs.h"

#include <cstddef>
#include <cstring>
#include <functional>

#include "content/config_xml.h"
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

// Called for device i just before its statuses are set and its worker starts, to
// finish its own copy of the job.
using prepare_job_fn = std::function<void(size_t i, const std::string& mac_text,
                                          transmit_job_stu* job, apply_start* outcome)>;

// Marks each device "Operating" on the operations its job will run and starts its
// worker, in list order.
apply_start StartJobs(AcTransmitManage& manager, CSqlManagement& store,
                      const std::vector<std::string>& selected_macs,
                      const transmit_job_stu& prototype, const prepare_job_fn& prepare = nullptr) {
    apply_start outcome;
    outcome.ok = true;
    store.ResetAllStatuses();
    mac_address adapter = manager.GetAdapterMac();
    TransmitJobKind kind = static_cast<TransmitJobKind>(prototype.kind);
    // Every status first, in one store transaction per operation: a batch of
    // hundreds is marked at once instead of one write each, before any worker
    // can report.
    std::vector<std::string> valid;
    for (const std::string& mac_text : selected_macs) {
        mac_address ignored;
        if (ParseMacText(mac_text, &ignored)) {
            valid.push_back(mac_text);
        }
    }
    if (kind == JOB_ANTITHEFT) {
        store.SetStatuses(OPERATION_ANTITHEFT, valid, STATUS_OPERATING);
    } else {
        if (SendsLogo(kind))
            store.SetStatuses(OPERATION_LOGO, valid, STATUS_OPERATING);
        if (SendsPara(kind))
            store.SetStatuses(OPERATION_PARA, valid, STATUS_OPERATING);
    }
    for (size_t i = 0; i < selected_macs.size(); ++i) {
        const std::string& mac_text = selected_macs[i];
        transmit_job_stu job = prototype;
        if (prepare) {
            prepare(i, mac_text, &job, &outcome);
        }
        mac_address device;
        if (!ParseMacText(mac_text, &device)) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "selected device '%s' is not a MAC text",
                             mac_text.c_str());
            outcome.not_started.push_back(mac_text);
            continue;
        }
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

apply_start StartCustomizeJobs(AcTransmitManage& manager, CSqlManagement& store,
                               const std::vector<std::string>& selected_macs,
                               const customize_run& run) {
    TransmitJobKind kind = JobKindForCustomizeMode(run.mode);
    transmit_job_stu probe = MakeTransmitJob({}, {}, kind);
    apply_start outcome;
    // Every path must fit its job field before anything is written or started.
    if (SendsLogo(kind) && !SetJobText(probe.logo_path, run.logo_path)) {
        outcome.message = TranslateText("The logo file path is too long!");
        return outcome;
    }
    for (const std::string& mac : selected_macs) {
        if (!SetJobText(probe.para_path, DeviceXmlPath(run.program_folder, mac))) {
            outcome.message = TranslateText("The configuration file path is too long!");
            return outcome;
        }
    }

    custom_value_stu empty;
    std::memset(&empty, 0, sizeof(empty));
    // Device i's file is written just before its worker starts.
    return StartJobs(
        manager, store, selected_macs, probe,
        [&](size_t i, const std::string& mac_text, transmit_job_stu* job, apply_start* started) {
            const custom_value_stu& values = i < run.records.size() ? run.records[i] : empty;
            xml_write_result written =
                WriteDeviceXml(run.program_folder, run.chosen_xml, run.sheet_generated,
                               run.dual_band, values, mac_text);
            if (!written.ok && kind != JOB_LOGO) {
                started->warnings.push_back(mac_text + ": " + written.message);
            }
            SetJobText(job->para_path, written.path);
        });
}

}  // namespace plindar
