// plindar-cli: the headless front end.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "records/language.h"
#include "records/program_folder.h"

using namespace plindar;

namespace {

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
    // Must happen before anything asks for the program folder.
    UseProgramFolder(session.options.home);

    // The language is chosen once, before any thread exists, from the locale.
    InitLanguage(GetProgramFolder());

    bool store_failed = false;
    auto store_sink = [&](const std::string& text) {
        store_failed = true;
        std::cerr << "plindar-cli: " << text << "\n";
    };
    auto manager_sink = [](const std::string& text) {
        std::cerr << "plindar-cli: " << TerminalSafe(text) << "\n";
    };
    if (!session.engine.Start(session.options, store_sink, manager_sink, &error)) {
        std::cerr << "plindar-cli: cannot start the simulated devices: " << error << "\n";
        return EXIT_FAILED;
    }
    session.store = session.engine.Store();
    session.manager = session.engine.Manager();

    int status =
        store_failed && session.options.command == "scan" ? EXIT_FAILED : RunCommand(&session);

    // Shutdown in order: the manager's threads first, then the store they write to,
    // then the devices.
    session.engine.Stop();
    return status;
}
