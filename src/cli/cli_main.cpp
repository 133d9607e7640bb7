// plindar-cli: the headless front end.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "protocol/pcap_link.h"
#include "records/language.h"
#include "records/program_folder.h"

using namespace plindar;

namespace {

// What ships beside the executable and a program folder needs to work.
const char* const kShippedResources[] = {"Setting.ini", "Languages", "IniTemplate",
                                         "ExcelTemplate"};

// A program folder named with --home gets the shipped resources it lacks, so that
// it works like the folder of the executable; files already there are kept.
void SeedProgramFolder(const std::string& folder) {
    const std::string shipped = GetExecutableFolder();
    if (std::filesystem::equivalent(shipped, folder)) {
        return;
    }
    for (const char* name : kShippedResources) {
        std::error_code ignored;
        std::filesystem::copy(
            shipped + name, folder + "/" + name,
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing,
            ignored);
    }
}

int RunCommand(cli_session* session) {
    if (session->options.command == "adapters") {
        return RunAdaptersCommand(session);
    }
    if (session->options.command == "scan") {
        return RunScanCommand(session);
    }
    if (session->options.command == "template") {
        return RunTemplateCommand(session);
    }
    const std::string& command = session->options.command;
    if (command == "sheet" || command == "check" || command == "customize") {
        return RunCustomizeCommand(session);
    }
    return RunApplyCommand(session);
}

}  // namespace

int main(int argc, char** argv) {
    cli_session session;
    std::string error;
    if (!ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), &session.options,
                         &error)) {
        std::cerr << "plindar-cli: " << error << "\nTry 'plindar-cli --help'.\n";
        return EXIT_BAD_USAGE;
    }
    if (session.options.help) {
        std::cout << CliUsageText();
        return EXIT_OK;
    }
    if (!session.options.home.empty()) {
        // Must happen before anything asks for the program folder.
        std::error_code ignored;
        std::filesystem::create_directories(session.options.home, ignored);
        setenv("PLINDAR_HOME", session.options.home.c_str(), 1);
        SeedProgramFolder(session.options.home);
    }

    // The language is chosen once, before any thread exists, from the locale.
    InitLanguage(GetProgramFolder());

    if (session.options.simulate) {
        sim_device_options devices;
        devices.count = session.options.simulate_count;
        const cli_sim_options& sim = session.options.sim;
        devices.seed = sim.seed;
        devices.receive_loss = sim.loss;
        devices.send_loss = sim.loss;
        devices.fail_para = sim.fail_config;
        devices.fail_logo = sim.fail_logo;
        devices.silent = sim.silent;
        devices.lock_code = sim.lock_code;
        // With loss a report can vanish like any frame; devices repeat it so that a
        // lossy demonstration still shows every outcome.
        devices.report_copies = sim.loss > 0 ? 3 : 1;
        session.simulation = std::make_unique<CSimulatedNetwork>(devices);
        if (!session.simulation->Start(&error)) {
            std::cerr << "plindar-cli: cannot start the simulated devices: " << error << "\n";
            return EXIT_FAILED;
        }
        session.link = session.simulation->Provider();
    } else {
        session.link = std::make_shared<CPcapLinkProvider>();
    }

    bool store_failed = false;
    session.store =
        &CSqlManagement::CreateInstance(GetProgramFolder(), [&](const std::string& text) {
            store_failed = true;
            std::cerr << "plindar-cli: " << text << "\n";
        });
    session.manager = &AcTransmitManage::GetInstance();
    session.manager->SetLinkProvider(session.link);
    session.manager->SetMessageSink([](const std::string& text) {
        std::cerr << "plindar-cli: " << TerminalSafe(text) << "\n";
    });

    int status =
        store_failed && session.options.command == "scan" ? EXIT_FAILED : RunCommand(&session);

    // Shutdown in order: the manager's threads first, then the store they write to,
    // then the devices.
    AcTransmitManage::ReleaseInstance();
    CSqlManagement::ReleaseInstance();
    if (session.simulation) {
        session.simulation->Stop();
    }
    return status;
}
