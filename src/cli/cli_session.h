// What one run of plindar-cli works with: the link, the engine's two singletons
// and, with --simulate, the simulated segment and its devices.
#pragma once

#include <memory>
#include <string>

#include "cli/cli_options.h"
#include "protocol/ac_transmit_manage.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"

namespace plindar {

struct cli_session {
    cli_options options;
    std::unique_ptr<CSimulatedNetwork> simulation;
    std::shared_ptr<CLinkProvider> link;
    AcTransmitManage* manager = nullptr;
    CSqlManagement* store = nullptr;
    adapter_info_stu adapter{};
    std::string adapter_text;  // "description (mac)" of the adapter in use
};

// Chooses the adapter of --adapter or the simulated one, maps it to its capture
// device and proves the device can be opened, so that a scan never runs blind.
// Prints what to do and returns EXIT_BAD_USAGE when it cannot.
int PrepareAdapter(cli_session* session);

// Scans the segment as the adapter page does; the devices found are in the store.
int ScanForDevices(cli_session* session);

int RunAdaptersCommand(cli_session* session);
int RunScanCommand(cli_session* session);
// antitheft, send-logo and send-config.
int RunApplyCommand(cli_session* session);
int RunTemplateCommand(cli_session* session);

}  // namespace plindar
