// The template command: anti-theft templates kept in the program folder.
#include <iostream>

#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "content/antitheft_templates.h"
#include "records/program_folder.h"

namespace plindar {

namespace {

// Finds `name` in the dialog model's list and selects it; false when absent.
bool SelectByName(CTemplateLoadDlgModel* model, const std::string& name) {
    const std::vector<std::string>& names = model->Names();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            model->Select(i);
            return true;
        }
    }
    return false;
}

}  // namespace

int RunTemplateCommand(cli_session* session) {
    const cli_options& options = session->options;
    const std::string& action = options.arguments[0];
    const std::string path = TemplateFilePath(GetProgramFolder());

    if (action == "save") {
        antitheft_values values;
        values.enable = !options.disable;
        values.ac_name = options.ac_name.value_or("");
        values.primary_dns = options.dns1.value_or("");
        values.secondary_dns = options.dns2.value_or("");
        template_save_result_stu saved = SaveTemplate(path, options.arguments[1], values);
        if (!saved.saved) {
            std::cerr << TerminalSafe(saved.message) << "\n";
            return EXIT_BAD_USAGE;
        }
        std::cout << "Template '" << TerminalSafe(options.arguments[1]) << "' saved.\n";
        return EXIT_OK;
    }

    CTemplateLoadDlgModel model(path);
    std::string error = model.ListTemplates("");
    if (!error.empty()) {
        std::cerr << TerminalSafe(error) << "\n";
        return EXIT_FAILED;
    }
    if (action == "list") {
        for (const std::string& name : model.Names()) {
            std::cout << TerminalSafe(name) << "\n";
        }
        return EXIT_OK;
    }
    const std::string& name = options.arguments[1];
    if (!SelectByName(&model, name)) {
        std::cerr << "plindar-cli: there is no template named '" << TerminalSafe(name) << "'\n";
        return EXIT_BAD_USAGE;
    }
    if (action == "delete") {
        model.DeleteTemplate();
        std::cout << "Template '" << TerminalSafe(name) << "' deleted.\n";
        return EXIT_OK;
    }
    antitheft_page_stu page;
    model.LoadTemplate(&page);
    const antitheft_values& v = page.values;
    if (options.json) {
        std::cout << "{\"name\": " << JsonString(name) << ", \"enable\": " << (v.enable ? 1 : 0)
                  << ", \"acname\": " << JsonString(v.ac_name)
                  << ", \"dns1\": " << JsonString(v.primary_dns)
                  << ", \"dns2\": " << JsonString(v.secondary_dns) << "}\n";
    } else {
        std::cout << "Enable:         " << (v.enable ? "on" : "off") << "\n"
                  << "AC Name:        " << TerminalSafe(v.ac_name) << "\n"
                  << "Primary DNS:    " << TerminalSafe(v.primary_dns) << "\n"
                  << "Secondary DNS:  " << TerminalSafe(v.secondary_dns) << "\n";
    }
    return EXIT_OK;
}

}  // namespace plindar
