// Command line of plindar-cli: global options, the command and its options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plindar {

enum CliExitCode {
    EXIT_OK = 0,
    EXIT_FAILED = 1,     // the operation ran and something failed
    EXIT_BAD_USAGE = 2,  // bad input, or an adapter that cannot be opened
};

struct cli_options {
    bool help = false;
    bool simulate = false;
    uint32_t simulate_count = 0;
    uint64_t simulate_seed = 1;
    std::string adapter;
    std::string home;
    std::string command;
    bool json = false;
};

// False with a message naming the problem when the command line is not usable.
bool ParseCliOptions(const std::vector<std::string>& args, cli_options* options,
                     std::string* error);

const char* CliUsageText();

}  // namespace plindar
