// Parsing of plindar-cli's command line.
#include "cli/cli_options.h"

#include <charconv>

namespace plindar {

namespace {

// Largest simulated batch: far beyond any real segment, small enough to stay quick.
constexpr uint32_t kMaxSimulatedDevices = 65535;

const char* const kCommands[] = {"adapters", "scan"};

template <typename T>
bool ParseNumber(const std::string& text, T* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

const char* CliUsageText() {
    return "Usage: plindar-cli [--simulate N [--sim-seed S] | --adapter NAME] [--home DIR] COMMAND "
           "[--json]\n"
           "\n"
           "Provisions devices on the Ethernet segment of one network adapter.\n"
           "\n"
           "Commands:\n"
           "  adapters        list the network adapters that are up, as \"description (mac)\"\n"
           "  scan [--json]   discover the devices on the segment and list them in MAC order\n"
           "\n"
           "Options:\n"
           "  --adapter NAME  the adapter that faces the devices (an interface name from "
           "'adapters');\n"
           "                  capturing needs root or the capture capability\n"
           "  --simulate N    use an in-process simulated segment with N virtual devices instead\n"
           "  --sim-seed S    seed of the simulated devices' random behaviour (default 1)\n"
           "  --home DIR      program folder for the database, logs and generated files\n"
           "                  (default: the folder of the executable, or $PLINDAR_HOME)\n"
           "  --json          machine-readable output\n"
           "  --help          this text\n"
           "\n"
           "Exit status: 0 success, 1 an operation failed, 2 bad usage or an adapter that cannot "
           "be opened.\n";
}

bool ParseCliOptions(const std::vector<std::string>& args, cli_options* options,
                     std::string* error) {
    auto value_of = [&](size_t* i, const std::string& name, std::string* value) {
        if (*i + 1 >= args.size()) {
            *error = name + " needs a value";
            return false;
        }
        *value = args[++*i];
        return true;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--json") {
            options->json = true;
        } else if (arg == "--simulate") {
            if (!value_of(&i, arg, &value))
                return false;
            if (!ParseNumber(value, &options->simulate_count) || options->simulate_count == 0 ||
                options->simulate_count > kMaxSimulatedDevices) {
                *error = "--simulate needs a device count from 1 to " +
                         std::to_string(kMaxSimulatedDevices) + ", not '" + value + "'";
                return false;
            }
            options->simulate = true;
        } else if (arg == "--sim-seed") {
            if (!value_of(&i, arg, &value))
                return false;
            if (!ParseNumber(value, &options->simulate_seed)) {
                *error = "--sim-seed needs a whole number, not '" + value + "'";
                return false;
            }
        } else if (arg == "--adapter") {
            if (!value_of(&i, arg, &options->adapter))
                return false;
            if (options->adapter.empty()) {
                *error = "--adapter needs an adapter name";
                return false;
            }
        } else if (arg == "--home") {
            if (!value_of(&i, arg, &options->home))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option '" + arg + "'";
            return false;
        } else if (options->command.empty()) {
            options->command = arg;
        } else {
            *error = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (options->help) {
        return true;
    }
    if (options->command.empty()) {
        *error = "no command given";
        return false;
    }
    bool known = false;
    for (const char* command : kCommands) {
        known = known || options->command == command;
    }
    if (!known) {
        *error = "unknown command '" + options->command + "'";
        return false;
    }
    if (options->simulate && !options->adapter.empty()) {
        *error = "--simulate and --adapter exclude each other";
        return false;
    }
    if (options->command == "scan" && !options->simulate && options->adapter.empty()) {
        *error =
            "name the adapter that faces the devices with --adapter NAME "
            "(see 'plindar-cli adapters'), or use --simulate N";
        return false;
    }
    return true;
}

}  // namespace plindar
