// Command line of plindar-cli: global options, the command and its options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/run_options.h"

namespace plindar {

enum CliExitCode {
    EXIT_OK = 0,
    EXIT_FAILED = 1,     // the operation ran and something failed
    EXIT_BAD_USAGE = 2,  // bad input, or an adapter that cannot be opened
};

// The options every front end takes (run_options_stu), then the command's own.
struct cli_options : run_options_stu {
    std::string command;
    std::vector<std::string> arguments;  // words after the command (template ...)
    bool json = false;

    // Apply commands.
    std::string devices;  // "all" or MAC texts separated by commas
    std::string file;     // send-logo, send-config
    std::string config;   // sheet, check, customize: the configuration file
    std::string sheet;    // check, customize: the filled batch sheet
    std::string out;      // sheet: where to copy the new batch sheet
    std::string logo;     // customize
    std::optional<std::pair<double, double>> crop;  // customize: box centre in image pixels
    std::optional<std::string> lock_code, confirm_lock_code, ac_name, dns1, dns2;
    bool disable = false;
};

// False with a message naming the problem when the command line is not usable.
bool ParseCliOptions(const std::vector<std::string>& args, cli_options* options,
                     std::string* error);

const char* CliUsageText();

}  // namespace plindar
