// The customization commands: sheet, check and customize.
#include <filesystem>
#include <iostream>

#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "content/apply_jobs.h"
#include "content/batch_rules.h"
#include "content/batch_sheet.h"
#include "content/config_xml.h"
#include "content/logo_image.h"
#include "protocol/fixed_text.h"
#include "records/program_folder.h"

namespace plindar {

namespace {

// What sheet, check and customize share once the segment was scanned.
struct customize_inputs {
    std::vector<std::string> macs;
    custom_value_stu templ{};
    bool wireless_columns = false;
};

// Scans, selects the devices and reads the configuration file's template.
int PrepareInputs(cli_session* session, customize_inputs* inputs) {
    const cli_options& options = session->options;
    std::vector<std::string> listed;
    if (int parsed = ParseDeviceList(options.devices, &listed); parsed != EXIT_OK) {
        return parsed;
    }
    if (!options.config.empty()) {
        std::string message;
        if (!ParseTemplateXml(options.config, &inputs->templ, &message)) {
            std::cerr << TerminalSafe(message) << "\n";
            return EXIT_BAD_USAGE;
        }
    }
    if (!options.logo.empty()) {
        CLogoImage probe;
        if (!probe.LoadImage(options.logo)) {
            logo_result_stu refused = PrepareLogo(GetProgramFolder(), options.logo, std::nullopt);
            std::cerr << TerminalSafe(refused.message) << "\n";
            return EXIT_BAD_USAGE;
        }
    }
    if (int scanned = ScanForDevices(session); scanned != EXIT_OK) {
        return scanned;
    }
    if (int selected = SelectDevices(session, listed, &inputs->macs); selected != EXIT_OK) {
        return selected;
    }
    // The sheet has wireless columns when the first device reported its SSIDs, the
    // rule by which it was made; reading it back must assume the same.
    ap_info_stu first{};
    session->store->GetDeviceByMac(inputs->macs.front(), &first);
    inputs->wireless_columns = DecideWirelessColumns(first);
    return EXIT_OK;
}

device_row_reader_fn StoreReader(CSqlManagement* store) {
    return [store](const std::string& mac, ap_info_stu* device) {
        return store->GetDeviceByMac(mac, device);
    };
}

// Reads the filled sheet and checks every value; the exact message of the first
// failure is printed and EXIT_BAD_USAGE returned.
int ReadAndCheckSheet(const customize_inputs& inputs, const std::string& sheet,
                      std::vector<custom_value_stu>* records) {
    batch_sheet_reading_stu reading =
        ReadBatchSheet(sheet, inputs.templ, inputs.macs.size(), inputs.wireless_columns);
    if (reading.result != BATCH_READ_OK) {
        std::cerr << TerminalSafe(reading.message.empty() ? reading.error : reading.message)
                  << "\n";
        return EXIT_BAD_USAGE;
    }
    batch_check check = CheckBatchValues(reading.records, inputs.templ, inputs.wireless_columns);
    if (!check.ok) {
        std::cerr << TerminalSafe(check.message) << "\n";
        return EXIT_BAD_USAGE;
    }
    *records = std::move(reading.records);
    return EXIT_OK;
}

int RunSheet(cli_session* session, const customize_inputs& inputs) {
    batch_sheet_creation_stu created = CreateBatchSheet(GetProgramFolder(), inputs.templ,
                                                        inputs.macs, StoreReader(session->store));
    if (!created.ok) {
        std::cerr << TerminalSafe(created.message.empty() ? created.error : created.message)
                  << "\n";
        return EXIT_FAILED;
    }
    std::string path = created.path;
    if (!session->options.out.empty()) {
        std::error_code error;
        std::filesystem::copy_file(created.path, session->options.out,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            std::cerr << "plindar-cli: cannot write '" << TerminalSafe(session->options.out)
                      << "': " << error.message() << "\n";
            return EXIT_FAILED;
        }
        path = session->options.out;
    }
    std::cout << "Batch sheet for " << inputs.macs.size()
              << (inputs.macs.size() == 1 ? " device" : " devices") << ": " << TerminalSafe(path)
              << "\n";
    return EXIT_OK;
}

int RunCustomize(cli_session* session, const customize_inputs& inputs) {
    const cli_options& options = session->options;
    customize_run run;
    run.program_folder = GetProgramFolder();
    run.chosen_xml = options.config;
    run.mode = options.config.empty() ? 1 : options.logo.empty() ? 2 : 3;
    run.dual_band = inputs.templ.dualBand;
    if (!options.sheet.empty()) {
        if (int checked = ReadAndCheckSheet(inputs, options.sheet, &run.records);
            checked != EXIT_OK) {
            return checked;
        }
        run.sheet_generated = true;
    }
    if (!options.logo.empty()) {
        std::optional<logo_pointf_stu> centre;
        if (options.crop) {
            centre = logo_pointf_stu{options.crop->first, options.crop->second};
        }
        logo_result_stu logo = PrepareLogo(run.program_folder, options.logo, centre);
        if (!logo.ok) {
            std::cerr << TerminalSafe(logo.message) << "\n";
            return EXIT_BAD_USAGE;
        }
        run.logo_path = logo.path;
    }
    apply_start start = StartCustomizeJobs(*session->manager, *session->store, inputs.macs, run);
    if (!start.ok) {
        std::cerr << TerminalSafe(start.message) << "\n";
        return EXIT_BAD_USAGE;
    }
    for (const std::string& warning : start.warnings) {
        std::cerr << "plindar-cli: " << TerminalSafe(warning) << "\n";
    }
    for (const std::string& mac : start.not_started) {
        std::cerr << "plindar-cli: could not start a worker for " << mac << "\n";
    }
    WaitForTransfers(session, start.started.size());
    WaitForReports(session, inputs.macs);
    std::vector<operation_column> columns;
    if (run.mode != 2)
        columns.push_back(kLogoColumn);
    if (run.mode != 1)
        columns.push_back(kParaColumn);
    return PrintOutcome(session, inputs.macs, columns);
}

}  // namespace

int RunCustomizeCommand(cli_session* session) {
    customize_inputs inputs;
    if (int prepared = PrepareInputs(session, &inputs); prepared != EXIT_OK) {
        return prepared;
    }
    const std::string& command = session->options.command;
    if (command == "sheet") {
        return RunSheet(session, inputs);
    }
    if (command == "check") {
        std::vector<custom_value_stu> records;
        int checked = ReadAndCheckSheet(inputs, session->options.sheet, &records);
        if (checked == EXIT_OK) {
            std::cout << "ok\n";
        }
        return checked;
    }
    return RunCustomize(session, inputs);
}

}  // namespace plindar
