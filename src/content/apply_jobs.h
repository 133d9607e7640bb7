// Starting an apply run: the store is reset, each selected device's operations
// are marked "Operating" and one transmit worker is started per device.
#pragma once

#include <string>
#include <vector>

#include "content/antitheft_command.h"
#include "content/custom_value.h"
#include "protocol/transmit_job.h"

namespace plindar {

class AcTransmitManage;
class CSqlManagement;

struct apply_start {
    bool ok = false;                       // false: nothing was touched (see message)
    std::string message;                   // why the run could not start
    std::vector<std::string> started;      // MAC texts whose worker runs
    std::vector<std::string> not_started;  // MAC texts left at "Operating"
    std::vector<std::string> warnings;     // per-device problems that did not stop the run
};

// What a customization run sends: the chosen files, the batch sheet's records
// (row i for device i, in the selected order) and the template's band flag.
struct customize_run {
    std::string program_folder;
    std::string chosen_xml;  // empty in mode 1
    std::string logo_path;   // empty in mode 2
    int mode = 3;            // 1 logo only, 2 configuration only, else both
    bool sheet_generated = false;
    int dual_band = 0;
    std::vector<custom_value_stu> records;
};

// Sends the anti-theft command built from `values` to every selected device. The
// values must have passed ValidateAntiTheftInput; a command that does not fit
// the job's field is refused before any device is touched.
apply_start SendAntiTheftCommand(AcTransmitManage& manager, CSqlManagement& store,
                                 const std::vector<std::string>& selected_macs,
                                 const antitheft_values& values);

// Sends a logo and/or a configuration file, the same to every selected device:
// `kind` says which (JOB_LOGO, JOB_PARA or JOB_LOGO_AND_PARA). A path too long
// for the job's field is refused before any device is touched.
apply_start SendFiles(AcTransmitManage& manager, CSqlManagement& store,
                      const std::vector<std::string>& selected_macs, TransmitJobKind kind,
                      const std::string& logo_path, const std::string& para_path);

// Starts a customization run: for each device in turn its configuration file is
// written into ModifyXml/ (rewritten with its sheet row, or copied) before its
// worker starts. A file that cannot be written is reported in `warnings` and the
// device's job still starts, as the page does.
apply_start StartCustomizeJobs(AcTransmitManage& manager, CSqlManagement& store,
                               const std::vector<std::string>& selected_macs,
                               const customize_run& run);

}  // namespace plindar
