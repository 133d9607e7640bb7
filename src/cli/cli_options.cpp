// Parsing of plindar-cli's command line.
#include "cli/cli_options.h"

#include <functional>

namespace plindar {

namespace {

const char* const kCommands[] = {"adapters", "scan",  "antitheft", "send-logo", "send-config",
                                 "template", "sheet", "check",     "customize"};

bool IsApplyCommand(const std::string& command) {
    return command == "antitheft" || command == "send-logo" || command == "send-config" ||
           command == "customize";
}

bool ParseCrop(const std::string& text, std::pair<double, double>* centre) {
    size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return false;
    }
    return ParseNumberText(text.substr(0, comma), &centre->first) &&
           ParseNumberText(text.substr(comma + 1), &centre->second) && centre->first >= 0 &&
           centre->second >= 0;
}

using cli_rule = option_rule<cli_options>;

bool SetText(std::string* field, const std::string& value) {
    *field = value;
    return true;
}

// The commands' own options; the global ones are the front ends' shared table.
const std::vector<cli_rule>& OptionRules() {
    static const std::vector<cli_rule> rules = {
        {"--json", false, "scan antitheft send-logo send-config adapters template customize",
         [](cli_options* o, const std::string&, std::string*) { return o->json = true; }},
        {"--config", true, "sheet check customize",
         [](cli_options* o, const std::string& v, std::string*) { return SetText(&o->config, v); }},
        {"--sheet", true, "check customize",
         [](cli_options* o, const std::string& v, std::string*) { return SetText(&o->sheet, v); }},
        {"--out", true, "sheet",
         [](cli_options* o, const std::string& v, std::string*) { return SetText(&o->out, v); }},
        {"--logo", true, "customize",
         [](cli_options* o, const std::string& v, std::string*) { return SetText(&o->logo, v); }},
        {"--crop", true, "customize",
         [](cli_options* o, const std::string& v, std::string* error) {
             std::pair<double, double> centre;
             if (!ParseCrop(v, &centre)) {
                 *error = "--crop needs the box centre in image pixels as X,Y, not '" + v + "'";
                 return false;
             }
             o->crop = centre;
             return true;
         }},
        {"--devices", true, "antitheft send-logo send-config sheet check customize",
         [](cli_options* o, const std::string& v, std::string*) {
             return SetText(&o->devices, v);
         }},
        {"--file", true, "send-logo send-config",
         [](cli_options* o, const std::string& v, std::string*) { return SetText(&o->file, v); }},
        {"--lockcode", true, "antitheft",
         [](cli_options* o, const std::string& v, std::string*) { return bool(o->lock_code = v); }},
        {"--confirm", true, "antitheft",
         [](cli_options* o, const std::string& v, std::string*) {
             return bool(o->confirm_lock_code = v);
         }},
        {"--acname", true, "antitheft template",
         [](cli_options* o, const std::string& v, std::string*) { return bool(o->ac_name = v); }},
        {"--dns1", true, "antitheft template",
         [](cli_options* o, const std::string& v, std::string*) { return bool(o->dns1 = v); }},
        {"--dns2", true, "antitheft template",
         [](cli_options* o, const std::string& v, std::string*) { return bool(o->dns2 = v); }},
        {"--disable", false, "antitheft template",
         [](cli_options* o, const std::string&, std::string*) { return o->disable = true; }},
    };
    return rules;
}

bool Belongs(const cli_rule& rule, const std::string& command) {
    std::string commands = std::string(" ") + rule.commands + " ";
    return std::string(rule.commands).empty() ||
           commands.find(" " + command + " ") != std::string::npos;
}

}  // namespace

const char* CliUsageText() {
    static const char* const head =
        "Usage: plindar-cli [--simulate N [SIMULATION] | --adapter NAME] [--home DIR] COMMAND "
        "[OPTIONS]\n"
        "\n"
        "Provisions devices on the Ethernet segment of one network adapter.\n"
        "\n"
        "Commands:\n"
        "  adapters                 list the network adapters that are up, as \"description "
        "(mac)\"\n"
        "  scan                     discover the devices on the segment and list them in MAC "
        "order\n"
        "  antitheft --lockcode C --confirm C [--acname N] [--dns1 A] [--dns2 A] [--disable]\n"
        "            --devices D    send anti-theft protection\n"
        "  send-logo --file F --devices D      send a logo image (JPEG) as it is\n"
        "  send-config --file F --devices D    send a configuration file as it is\n"
        "  sheet --config F [--out X] [--devices D]\n"
        "                           write the batch sheet for the devices, prefilled from F\n"
        "  check --config F --sheet X [--devices D]\n"
        "                           read the filled batch sheet back and check its values\n"
        "  customize [--logo L [--crop X,Y]] [--config F [--sheet X]] --devices D\n"
        "                           send the logo (cropped to 229 x 51 when larger) and/or a\n"
        "                           configuration file personalised per device from the sheet\n"
        "  template list | show NAME | delete NAME\n"
        "  template save NAME [--acname N] [--dns1 A] [--dns2 A] [--disable]\n"
        "                           anti-theft templates in IniTemplate/Config.ini\n"
        "\n"
        "  D is 'all' (every device the scan finds) or MAC texts separated by commas. Apply\n"
        "  commands scan first, send to every device at once, wait for the devices' reports\n"
        "  (up to 15 s after the transfers end) and print one line per device.\n"
        "\n"
        "Options:\n"
        "  --adapter NAME  the adapter that faces the devices (an interface name from "
        "'adapters');\n"
        "                  capturing needs root or the capture capability\n";
    static const std::string text =
        std::string(head) + kSegmentOptionsHelp +
        "  --json          machine-readable output\n"
        "  --help          this text\n"
        "\n" +
        kSimulationOptionsHelp +
        "\n"
        "Exit status: 0 success, 1 an operation failed on some device, 2 bad input or an "
        "adapter\n"
        "that cannot be opened.\n";
    return text.c_str();
}

bool ParseCliOptions(const std::vector<std::string>& args, cli_options* options,
                     std::string* error) {
    std::vector<std::pair<const cli_rule*, std::string>> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            options->help = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            const cli_rule* rule = nullptr;
            for (const cli_rule& candidate : OptionRules()) {
                if (arg == candidate.name) {
                    rule = &candidate;
                }
            }
            const option_rule<run_options_stu>* shared = rule ? nullptr : FindRunOption(arg);
            if (rule == nullptr && shared == nullptr) {
                *error = "unknown option '" + arg + "'";
                return false;
            }
            std::string value;
            if (rule ? rule->takes_value : shared->takes_value) {
                if (i + 1 >= args.size()) {
                    *error = arg + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            if (shared != nullptr) {
                if (!shared->apply(options, value, error)) {
                    return false;
                }
                continue;
            }
            if (!rule->apply(options, value, error)) {
                return false;
            }
            seen.emplace_back(rule, arg);
        } else if (options->command.empty()) {
            options->command = arg;
        } else {
            options->arguments.push_back(arg);
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
    for (const auto& [rule, name] : seen) {
        if (!Belongs(*rule, options->command)) {
            *error = name + " does not go with '" + options->command + "'";
            return false;
        }
    }
    if (std::string refused = CheckRunOptions(*options); !refused.empty()) {
        *error = refused;
        return false;
    }
    if (options->command != "template" && !options->arguments.empty()) {
        *error = "unexpected argument '" + options->arguments.front() + "'";
        return false;
    }
    if (options->command == "template") {
        const std::string action = options->arguments.empty() ? "" : options->arguments[0];
        size_t wanted = action == "list" ? 1 : 2;
        if (action != "list" && action != "save" && action != "show" && action != "delete") {
            *error = "template needs list, save NAME, show NAME or delete NAME";
            return false;
        }
        if (options->arguments.size() != wanted) {
            *error =
                "template " + action + (wanted == 2 ? " needs exactly one NAME" : " takes no NAME");
            return false;
        }
    }
    bool needs_segment = options->command != "adapters" && options->command != "template";
    if (needs_segment && !options->simulate && options->adapter.empty()) {
        *error =
            "name the adapter that faces the devices with --adapter NAME "
            "(see 'plindar-cli adapters'), or use --simulate N";
        return false;
    }
    if (IsApplyCommand(options->command) && options->devices.empty()) {
        *error = "name the devices with --devices all or --devices MAC,MAC,...";
        return false;
    }
    if ((options->command == "send-logo" || options->command == "send-config") &&
        options->file.empty()) {
        *error = options->command + " needs --file FILE";
        return false;
    }
    if ((options->command == "sheet" || options->command == "check") && options->devices.empty()) {
        options->devices = "all";
    }
    if ((options->command == "sheet" || options->command == "check") && options->config.empty()) {
        *error = options->command + " needs --config FILE";
        return false;
    }
    if (options->command == "check" && options->sheet.empty()) {
        *error = "check needs --sheet FILE";
        return false;
    }
    if (options->command == "customize" && options->config.empty() && options->logo.empty()) {
        *error = "Please choose xml or logo info!";
        return false;
    }
    if (options->command == "customize" && !options->sheet.empty() && options->config.empty()) {
        *error = "--sheet needs --config FILE";
        return false;
    }
    return true;
}

}  // namespace plindar
