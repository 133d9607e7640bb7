// Parsing of the options both front ends share.
#include "app/run_options.h"

namespace plindar {

namespace {

// Largest simulated batch: far beyond any real segment, small enough to stay quick.
constexpr uint32_t kMaxSimulatedDevices = 65535;

using run_rule = option_rule<run_options_stu>;

}  // namespace

const std::vector<run_rule>& RunOptionRules() {
    static const std::vector<run_rule> rules = {
        {"--help", false, "",
         [](run_options_stu* o, const std::string&, std::string*) { return o->help = true; }},
        {"--simulate", true, "",
         [](run_options_stu* o, const std::string& v, std::string* error) {
             if (!ParseNumberText(v, &o->simulate_count) || o->simulate_count == 0 ||
                 o->simulate_count > kMaxSimulatedDevices) {
                 *error = "--simulate needs a device count from 1 to " +
                          std::to_string(kMaxSimulatedDevices) + ", not '" + v + "'";
                 return false;
             }
             return o->simulate = true;
         }},
        {"--sim-seed", true, "",
         [](run_options_stu* o, const std::string& v, std::string* error) {
             if (!ParseNumberText(v, &o->sim.seed)) {
                 *error = "--sim-seed needs a whole number, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"--sim-loss", true, "",
         [](run_options_stu* o, const std::string& v, std::string* error) {
             if (!ParseNumberText(v, &o->sim.loss) || o->sim.loss < 0 || o->sim.loss > 1) {
                 *error = "--sim-loss needs a rate from 0 to 1, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"--sim-fail-config", false, "",
         [](run_options_stu* o, const std::string&, std::string*) {
             return o->sim.fail_config = true;
         }},
        {"--sim-fail-logo", false, "",
         [](run_options_stu* o, const std::string&, std::string*) {
             return o->sim.fail_logo = true;
         }},
        {"--sim-silent", false, "",
         [](run_options_stu* o, const std::string&, std::string*) { return o->sim.silent = true; }},
        {"--sim-lockcode", true, "",
         [](run_options_stu* o, const std::string& v, std::string*) {
             o->sim.lock_code = v;
             return true;
         }},
        {"--adapter", true, "",
         [](run_options_stu* o, const std::string& v, std::string* error) {
             if (v.empty()) {
                 *error = "--adapter needs an adapter name";
                 return false;
             }
             o->adapter = v;
             return true;
         }},
        {"--home", true, "",
         [](run_options_stu* o, const std::string& v, std::string*) {
             o->home = v;
             return true;
         }},
    };
    return rules;
}

const run_rule* FindRunOption(const std::string& name) {
    for (const run_rule& rule : RunOptionRules()) {
        if (name == rule.name) {
            return &rule;
        }
    }
    return nullptr;
}

std::string CheckRunOptions(const run_options_stu& options) {
    if (options.simulate && !options.adapter.empty()) {
        return "--simulate and --adapter exclude each other";
    }
    return "";
}

bool ParseWindowOptions(const std::vector<std::string>& args, run_options_stu* options,
                        std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            options->help = true;
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            *error = "unexpected argument '" + arg + "'";
            return false;
        }
        const run_rule* rule = FindRunOption(arg);
        if (rule == nullptr) {
            *error = "unknown option '" + arg + "'";
            return false;
        }
        std::string value;
        if (rule->takes_value) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!rule->apply(options, value, error)) {
            return false;
        }
    }
    if (options->help) {
        return true;
    }
    *error = CheckRunOptions(*options);
    return error->empty();
}

const char* const kSegmentOptionsHelp =
    "  --simulate N    use an in-process simulated segment with N virtual devices instead\n"
    "  --home DIR      program folder for the database, logs and generated files\n"
    "                  (default: the folder of the executable, or $PLINDAR_HOME)\n";

const char* const kSimulationOptionsHelp =
    "Simulation (with --simulate):\n"
    "  --sim-seed S, --sim-loss R (0..1, both directions), --sim-fail-config, --sim-fail-logo,\n"
    "  --sim-silent (devices never acknowledge), --sim-lockcode C (devices start bound to C)\n";

const char* WindowUsageText() {
    static const std::string text =
        std::string(
            "Usage: plindar [--simulate N [SIMULATION] | --adapter NAME] [--home DIR]\n"
            "\n"
            "Opens the operator's window: choose the adapter that faces the devices, scan,\n"
            "tick devices and send them anti-theft protection or a customization.\n"
            "\n"
            "Options:\n"
            "  --adapter NAME  preselect this adapter (an interface name from 'plindar-cli "
            "adapters');\n"
            "                  capturing needs root or the capture capability\n") +
        kSegmentOptionsHelp + "  --help          this text\n\n" + kSimulationOptionsHelp +
        "\n"
        "Only one copy runs at a time: a second start ends at once and leaves the first\n"
        "alone.\n";
    return text.c_str();
}

}  // namespace plindar
