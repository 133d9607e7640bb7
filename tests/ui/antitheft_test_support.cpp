// Shared helpers of the anti-theft page and template dialog tests.
#include "ui/antitheft_test_support.h"

#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/antitheft_templates.h"
#include "support/temp_folder.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"

namespace plindar::test {

const std::string& AntiTheftHome() {
    static TempFolder folder;
    static const bool exported = setenv("PLINDAR_HOME", folder.Path().c_str(), 1) == 0;
    (void)exported;
    return folder.Path();
}

namespace {

// Before main: the program folder is fixed the first time anything asks for it.
[[maybe_unused]] const std::string& kHome = AntiTheftHome();

}  // namespace

std::string TemplateFile() {
    return TemplateFilePath(AntiTheftHome());
}

void WriteTemplateFile(const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(TemplateFile()).parent_path());
    std::ofstream(TemplateFile(), std::ios::binary | std::ios::trunc) << content;
}

void RemoveTemplateFile() {
    std::error_code ignored;
    std::filesystem::remove(TemplateFile(), ignored);
}

std::string ReadTemplateFile() {
    return ReadWholeFile(TemplateFile());
}

bool SameValues(const antitheft_values& a, const antitheft_values& b) {
    return a.lock_code == b.lock_code && a.confirm_lock_code == b.confirm_lock_code &&
           a.enable == b.enable && a.ac_name == b.ac_name && a.primary_dns == b.primary_dns &&
           a.secondary_dns == b.secondary_dns;
}

std::string Describe(const antitheft_values& values) {
    return "{lock '" + values.lock_code + "', confirm '" + values.confirm_lock_code + "', " +
           (values.enable ? "on" : "off") + ", ac '" + values.ac_name + "', dns1 '" +
           values.primary_dns + "', dns2 '" + values.secondary_dns + "'}";
}

}  // namespace plindar::test
