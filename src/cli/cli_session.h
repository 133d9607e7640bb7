// What one run of plindar-cli works with: the engine's objects (link, the two
// singletons and, with --simulate, the simulated segment) and the adapter in use.
#pragma once

#include <memory>
#include <string>

#include "app/engine_run.h"
#include "cli/cli_options.h"
#include "protocol/ac_transmit_manage.h"
#include "records/sql_management.h"

namespace plindar {

struct cli_session {
    cli_options options;
    CEngineRun engine;
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
// sheet, check and customize.
int RunCustomizeCommand(cli_session* session);

// Shared by the apply commands.

// One operation column of the final table.
struct operation_column {
    const char* title;
    const char* json_name;
    int32_t ap_info_stu::*status;
};
extern const operation_column kAntiTheftColumn;
extern const operation_column kLogoColumn;
extern const operation_column kParaColumn;

// The MACs the command names: every device found for "all", else the listed ones,
// each of which the scan must have found (a message and EXIT_BAD_USAGE if not).
int SelectDevices(cli_session* session, const std::vector<std::string>& listed,
                  std::vector<std::string>* macs);
// Parses --devices (unless "all") into MAC texts; EXIT_BAD_USAGE on a bad one.
int ParseDeviceList(const std::string& devices, std::vector<std::string>* macs);
void WaitForTransfers(cli_session* session, size_t total);
void WaitForReports(cli_session* session, const std::vector<std::string>& macs);
int PrintOutcome(cli_session* session, const std::vector<std::string>& macs,
                 const std::vector<operation_column>& columns);

}  // namespace plindar
