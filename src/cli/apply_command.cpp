// The apply commands: antitheft, send-logo and send-config.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <thread>

#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "content/antitheft_command.h"
#include "content/apply_jobs.h"
#include "protocol/fixed_text.h"
#include "records/report_wait.h"

namespace plindar {

namespace {

// Lines of transfer progress on a pipe come at most this often.
constexpr std::chrono::seconds kResultPoll{1};
constexpr std::chrono::milliseconds kProgressRedraw{200};

const char* const kResultTexts[] = {"success", "failed", "in progress", "not started"};

const char* ResultText(int result) {
    return result >= 0 && result <= 3 ? kResultTexts[result] : "unknown";
}

std::vector<operation_column> ColumnsOf(const std::string& command) {
    if (command == "antitheft")
        return {kAntiTheftColumn};
    if (command == "send-logo")
        return {kLogoColumn};
    return {kParaColumn};
}

antitheft_values AntiTheftValuesOf(const cli_options& options) {
    antitheft_values values;
    values.lock_code = options.lock_code.value_or("");
    values.confirm_lock_code = options.confirm_lock_code.value_or("");
    values.enable = !options.disable;
    values.ac_name = options.ac_name.value_or("");
    values.primary_dns = options.dns1.value_or("");
    values.secondary_dns = options.dns2.value_or("");
    return values;
}

// Checks what can be checked before the scan, so bad input costs no waiting.
int ValidateInput(const cli_options& options, std::vector<std::string>* listed_macs) {
    if (options.command == "antitheft") {
        antitheft_values values = AntiTheftValuesOf(options);
        antitheft_check check = ValidateAntiTheftInput(values);
        if (check.ok) {
            check = CheckAntiTheftLimits(values);
        }
        if (!check.ok) {
            std::cerr << check.message << "\n";
            return EXIT_BAD_USAGE;
        }
    } else if (FILE* file = std::fopen(options.file.c_str(), "rb")) {
        std::fclose(file);
    } else {
        std::cerr << "plindar-cli: cannot read '" << TerminalSafe(options.file)
                  << "': " << std::strerror(errno) << "\n";
        return EXIT_BAD_USAGE;
    }
    return ParseDeviceList(options.devices, listed_macs);
}

std::vector<ap_info_stu> StoredDevices(CSqlManagement& store) {
    std::vector<ap_info_stu> rows;
    int total = 0, ok = 0, failed = 0;
    store.QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, "");
    return rows;
}

}  // namespace

const operation_column kAntiTheftColumn = {"Anti-theft", "antitheft",
                                           &ap_info_stu::antitheft_status};
const operation_column kLogoColumn = {"Logo", "logo", &ap_info_stu::logo_status};
const operation_column kParaColumn = {"Configuration", "config", &ap_info_stu::para_status};

int ParseDeviceList(const std::string& devices, std::vector<std::string>* macs) {
    if (devices == "all") {
        return EXIT_OK;
    }
    size_t start = 0;
    while (start <= devices.size()) {
        size_t comma = devices.find(',', start);
        std::string item =
            devices.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        mac_address mac;
        if (!ParseMacText(item, &mac)) {
            std::cerr << "plindar-cli: '" << TerminalSafe(item)
                      << "' is not a MAC address (write it as 02:5A:00:00:00:01)\n";
            return EXIT_BAD_USAGE;
        }
        std::string text = FormatMacText(mac);
        if (std::find(macs->begin(), macs->end(), text) == macs->end()) {
            macs->push_back(text);
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return EXIT_OK;
}

int SelectDevices(cli_session* session, const std::vector<std::string>& listed,
                  std::vector<std::string>* macs) {
    std::vector<std::string> found;
    for (const ap_info_stu& row : StoredDevices(*session->store)) {
        found.push_back(ReadFixedText(row.mac));
    }
    if (session->options.devices == "all") {
        *macs = found;
    } else {
        for (const std::string& mac : listed) {
            if (std::find(found.begin(), found.end(), mac) == found.end()) {
                std::cerr << "plindar-cli: device " << mac << " was not found by the scan on "
                          << TerminalSafe(session->adapter_text) << "\n";
                return EXIT_BAD_USAGE;
            }
        }
        *macs = listed;
    }
    if (macs->empty()) {
        std::cerr << "plindar-cli: no device found on " << TerminalSafe(session->adapter_text)
                  << "\n";
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

// Shows how many devices have finished their transfers while the workers run.
void WaitForTransfers(cli_session* session, size_t total) {
    CTransmitWorkers& workers = session->manager->GetTransmitWorkers();
    const bool terminal = isatty(STDERR_FILENO) != 0;
    size_t last_shown = SIZE_MAX;
    auto last_line = std::chrono::steady_clock::now() - kResultPoll;
    for (;;) {
        bool finished = workers.WaitAll(kProgressRedraw);
        size_t done = total - std::min(total, workers.Running());
        auto now = std::chrono::steady_clock::now();
        if (terminal) {
            constexpr size_t kBarWidth = 30;
            size_t filled = total ? done * kBarWidth / total : kBarWidth;
            std::fprintf(stderr, "\r[%s%s] %zu/%zu devices transferred",
                         std::string(filled, '#').c_str(),
                         std::string(kBarWidth - filled, '.').c_str(), done, total);
        } else if (done != last_shown && (now - last_line >= kResultPoll || finished)) {
            std::fprintf(stderr, "%zu/%zu devices transferred\n", done, total);
            last_shown = done;
            last_line = now;
        }
        if (finished) {
            break;
        }
    }
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
}

// Polls each device's overall result once a second, as the device list does,
// until every device succeeded or failed or the reports are overdue.
void WaitForReports(cli_session* session, const std::vector<std::string>& macs) {
    CReportWait wait(*session->store, macs);
    while (!wait.Tick()) {
        std::this_thread::sleep_for(CReportWait::kTickInterval);
    }
}

int PrintOutcome(cli_session* session, const std::vector<std::string>& macs,
                 const std::vector<operation_column>& columns) {
    CSqlManagement& store = *session->store;
    std::map<std::string, ap_info_stu> rows;
    for (const ap_info_stu& row : StoredDevices(store)) {
        rows[ReadFixedText(row.mac)] = row;
    }
    int succeeded = 0;
    std::vector<std::vector<std::string>> table;
    std::vector<std::string> header = {"MAC"};
    for (const operation_column& column : columns)
        header.push_back(column.title);
    header.push_back("Result");
    table.push_back(header);
    std::string json = "{\"command\": " + JsonString(session->options.command) + ", \"devices\": [";
    for (size_t i = 0; i < macs.size(); ++i) {
        const ap_info_stu& row = rows[macs[i]];
        int result = store.GetOverallResult(macs[i]);
        succeeded += result == RESULT_SUCCESS;
        std::vector<std::string> line = {macs[i]};
        json += std::string(i ? ",\n  " : "\n  ") + "{\"mac\": " + JsonString(macs[i]);
        for (const operation_column& column : columns) {
            int status = row.*column.status;
            line.push_back(std::to_string(status) + " " + GetStatusText(status));
            json += ", \"" + std::string(column.json_name) +
                    "\": {\"code\": " + std::to_string(status) +
                    ", \"text\": " + JsonString(GetStatusText(status)) + "}";
        }
        line.push_back(ResultText(result));
        json += ", \"result\": " + std::to_string(result) +
                ", \"result_text\": " + JsonString(ResultText(result)) + "}";
        table.push_back(line);
    }
    int failed = static_cast<int>(macs.size()) - succeeded;
    json += std::string(macs.empty() ? "" : "\n") + "], \"total\": " + std::to_string(macs.size()) +
            ", \"succeeded\": " + std::to_string(succeeded) +
            ", \"failed\": " + std::to_string(failed) + "}\n";
    if (session->options.json) {
        std::cout << json;
    } else {
        std::cout << FormatTable(table) << succeeded << " of " << macs.size()
                  << (macs.size() == 1 ? " device" : " devices") << " succeeded.\n";
    }
    return failed == 0 ? EXIT_OK : EXIT_FAILED;
}

int RunApplyCommand(cli_session* session) {
    const cli_options& options = session->options;
    std::vector<std::string> macs;
    if (int valid = ValidateInput(options, &macs); valid != EXIT_OK) {
        return valid;
    }
    if (int scanned = ScanForDevices(session); scanned != EXIT_OK) {
        return scanned;
    }
    std::vector<std::string> listed = macs;
    if (int selected = SelectDevices(session, listed, &macs); selected != EXIT_OK) {
        return selected;
    }

    apply_start start;
    if (options.command == "antitheft") {
        start = SendAntiTheftCommand(*session->manager, *session->store, macs,
                                     AntiTheftValuesOf(options));
    } else if (options.command == "send-logo") {
        start = SendFiles(*session->manager, *session->store, macs, JOB_LOGO, options.file, "");
    } else {
        start = SendFiles(*session->manager, *session->store, macs, JOB_PARA, "", options.file);
    }
    if (!start.ok) {
        std::cerr << start.message << "\n";
        return EXIT_BAD_USAGE;
    }
    for (const std::string& mac : start.not_started) {
        std::cerr << "plindar-cli: could not start a worker for " << mac << "\n";
    }
    WaitForTransfers(session, start.started.size());
    WaitForReports(session, macs);
    return PrintOutcome(session, macs, ColumnsOf(options.command));
}

}  // namespace plindar
