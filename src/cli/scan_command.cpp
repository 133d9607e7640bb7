// The adapters and scan commands.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "protocol/adapter_choice.h"
#include "protocol/fixed_text.h"
#include "protocol/scan_run.h"
#include "sim/simulated_network.h"

namespace plindar {

namespace {

std::string ProgramPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "plindar-cli";
}

void PrintDevicesText(const std::vector<ap_info_stu>& devices, const std::string& adapter_text) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"MAC", "Discovered", "SSID 2.4 GHz", "SSID 5 GHz", "Key 2.4 GHz", "Key 5 GHz"});
    for (const ap_info_stu& device : devices) {
        rows.push_back({TerminalSafe(ReadFixedText(device.mac)),
                        TerminalSafe(TrimRight(ReadFixedText(device.date))),
                        TerminalSafe(TrimRight(ReadFixedText(device.ssid2))),
                        TerminalSafe(TrimRight(ReadFixedText(device.ssid5))),
                        TerminalSafe(TrimRight(ReadFixedText(device.wpakey2))),
                        TerminalSafe(TrimRight(ReadFixedText(device.wpakey5)))});
    }
    if (!devices.empty()) {
        std::cout << FormatTable(rows);
    }
    std::cout << devices.size() << (devices.size() == 1 ? " device" : " devices") << " found on "
              << TerminalSafe(adapter_text) << ".\n";
}

void PrintDevicesJson(const std::vector<ap_info_stu>& devices, const std::string& adapter_text) {
    std::cout << "{\"adapter\": " << JsonString(adapter_text) << ", \"count\": " << devices.size()
              << ", \"devices\": [";
    for (size_t i = 0; i < devices.size(); ++i) {
        const ap_info_stu& device = devices[i];
        std::cout << (i ? ",\n  " : "\n  ") << "{\"mac\": " << JsonString(ReadFixedText(device.mac))
                  << ", \"date\": " << JsonString(TrimRight(ReadFixedText(device.date)))
                  << ", \"ssid2\": " << JsonString(TrimRight(ReadFixedText(device.ssid2)))
                  << ", \"ssid5\": " << JsonString(TrimRight(ReadFixedText(device.ssid5)))
                  << ", \"wpakey2\": " << JsonString(TrimRight(ReadFixedText(device.wpakey2)))
                  << ", \"wpakey5\": " << JsonString(TrimRight(ReadFixedText(device.wpakey5)))
                  << "}";
    }
    std::cout << (devices.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace

int PrepareAdapter(cli_session* session) {
    std::string wanted = session->options.simulate ? kSimAdapterName : session->options.adapter;
    adapter_choice_stu choice = ChooseAdapter(*session->manager, wanted);
    switch (choice.result) {
        case AdapterChoiceResult::Ok:
            break;
        case AdapterChoiceResult::UnknownAdapter:
            std::cerr << "plindar-cli: unknown adapter '" << TerminalSafe(wanted)
                      << "': it is not a network adapter that is up. Run 'plindar-cli adapters' to "
                         "list them, or bring it up with 'ip link set "
                      << TerminalSafe(wanted) << " up'.\n";
            return EXIT_BAD_USAGE;
        case AdapterChoiceResult::NoCaptureDevice:
            std::cerr << "plindar-cli: no capture device matches adapter '" << TerminalSafe(wanted)
                      << "'. Is libpcap able to see it ('tcpdump -D' lists what it sees)?\n";
            return EXIT_BAD_USAGE;
        case AdapterChoiceResult::PermissionDenied:
            std::cerr << "plindar-cli: no permission to capture on '"
                      << TerminalSafe(choice.device_name)
                      << "'. Run as root, or give the program the capture capability once:\n"
                      << "  sudo setcap cap_net_raw,cap_net_admin=eip " << ProgramPath() << "\n";
            return EXIT_BAD_USAGE;
        case AdapterChoiceResult::OpenFailed:
            std::cerr << "plindar-cli: cannot open adapter '" << TerminalSafe(choice.device_name)
                      << "': " << TerminalSafe(choice.error_text) << "\n";
            return EXIT_BAD_USAGE;
    }
    session->adapter = choice.adapter;
    session->adapter_text = choice.adapter_text;
    return EXIT_OK;
}

int RunAdaptersCommand(cli_session* session) {
    std::vector<adapter_info_stu> adapters;
    session->manager->GetAdapterList(&adapters);
    if (session->options.json) {
        std::cout << "[";
        for (size_t i = 0; i < adapters.size(); ++i) {
            std::cout << (i ? ",\n " : "\n ")
                      << "{\"name\": " << JsonString(ReadFixedText(adapters[i].adapter_name))
                      << ", \"text\": " << JsonString(FormatAdapterText(adapters[i])) << "}";
        }
        std::cout << (adapters.empty() ? "]\n" : "\n]\n");
        return EXIT_OK;
    }
    for (const adapter_info_stu& adapter : adapters) {
        std::cout << TerminalSafe(ReadFixedText(adapter.adapter_name)) << "\t"
                  << TerminalSafe(FormatAdapterText(adapter)) << "\n";
    }
    if (adapters.empty()) {
        std::cerr << "No network adapter is up. Enable the adapter that faces the devices.\n";
    }
    return EXIT_OK;
}

int ScanForDevices(cli_session* session) {
    if (int prepared = PrepareAdapter(session); prepared != EXIT_OK) {
        return prepared;
    }
    CScanRun scan(*session->manager, *session->store);
    if (!scan.Start()) {
        std::cerr << "plindar-cli: cannot listen on '" << TerminalSafe(session->adapter_text)
                  << "' (see Diagnostic.log in the program folder).\n";
        return EXIT_BAD_USAGE;
    }

    const bool progress = isatty(STDERR_FILENO) != 0;
    auto next_tick = std::chrono::steady_clock::now();
    for (;;) {
        next_tick += CScanRun::kTickInterval;
        std::this_thread::sleep_until(next_tick);
        scan_tick_stu tick = scan.Tick();
        if (progress) {
            std::fprintf(stderr, "\rScanning for devices: %d found", tick.device_count);
        }
        if (tick.done) {
            break;
        }
    }
    if (progress) {
        std::fprintf(stderr, "\r\033[K");
    }
    return EXIT_OK;
}

int RunScanCommand(cli_session* session) {
    if (int scanned = ScanForDevices(session); scanned != EXIT_OK) {
        return scanned;
    }
    CSqlManagement& store = *session->store;
    std::vector<ap_info_stu> devices;
    int total = 0, successes = 0, failures = 0;
    if (!store.QueryDevices(&devices, &total, &successes, &failures, true, SORT_BY_MAC, "")) {
        std::cerr << "plindar-cli: cannot read the results store: " << store.LastError() << "\n";
        return EXIT_FAILED;
    }
    if (session->options.json) {
        PrintDevicesJson(devices, session->adapter_text);
    } else {
        PrintDevicesText(devices, session->adapter_text);
    }
    return EXIT_OK;
}

}  // namespace plindar
