// The options both front ends take: the segment (simulated or an adapter), how the
// simulated devices behave, and the program folder. One parser for both.
#pragma once

#include <charconv>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plindar {

// Behaviour of the simulated devices (--simulate), for demonstrations and tests.
struct sim_options_stu {
    uint64_t seed = 1;
    double loss = 0.0;  // both directions
    bool fail_config = false;
    bool fail_logo = false;
    bool silent = false;
    std::string lock_code;
};

struct run_options_stu {
    bool help = false;
    bool simulate = false;
    uint32_t simulate_count = 0;
    sim_options_stu sim;
    std::string adapter;  // the CLI's segment; the window's preselected adapter
    std::string home;
};

// One option of the command line: its name, whether a value follows, and what it
// does to the options (false with a message when the value is not usable).
template <typename Options>
struct option_rule {
    const char* name;
    bool takes_value;
    // Commands the option belongs to ("" = any command).
    const char* commands;
    std::function<bool(Options*, const std::string&, std::string*)> apply;
};

// The whole text as one number of T, nothing before or after it.
template <typename T>
bool ParseNumberText(const std::string& text, T* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// --help, --simulate, --sim-*, --adapter and --home.
const std::vector<option_rule<run_options_stu>>& RunOptionRules();

// The rule of that name, or null.
const option_rule<run_options_stu>* FindRunOption(const std::string& name);

// What both front ends refuse whatever the command: an empty string when the
// options go together, else the message.
std::string CheckRunOptions(const run_options_stu& options);

// The window's command line: only the options above; false with a message naming
// the problem otherwise.
bool ParseWindowOptions(const std::vector<std::string>& args, run_options_stu* options,
                        std::string* error);

const char* WindowUsageText();

// Lines of the usage texts that describe the options both front ends take.
extern const char* const kSegmentOptionsHelp;     // --simulate and --home
extern const char* const kSimulationOptionsHelp;  // the --sim-* options

}  // namespace plindar
