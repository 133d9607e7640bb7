// Starting an apply run: the store is reset, each selected device's operations
// are marked "Operating" and one transmit worker is started per device.
#pragma once

#include <string>
#include <vector>

#include "content/antitheft_command.h"
#include "protocol/transmit_job.h"

namespace plindar {

class AcTransmitManage;
class CSqlManagement;

struct apply_start {
    bool ok = false;                       // false: nothing was touched (see message)
    std::string message;                   // why the run could not start
    std::vector<std::string> started;      // MAC texts whose worker runs
    std::vector<std::string> not_started;  // MAC texts left at "Operating"
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

}  // namespace plindar
