// Anti-theft templates: saving, listing, loading and deleting them in IniTemplate/Config.ini.
#include "content/antitheft_templates.h"

#include <string_view>
#include <utility>

#include "records/text_trim.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

constexpr char kTemplateFile[] = "IniTemplate/Config.ini";

constexpr char kAcNameKey[] = "ACName";
constexpr char kPrimaryDnsKey[] = "PrimaryDns";
constexpr char kSecondaryDnsKey[] = "SecondaryDns";
constexpr char kSwitchOnKey[] = "SwitchOn";
constexpr char kSwitchOnValue[] = "1";
constexpr char kSwitchOffValue[] = "0";

constexpr char kEnterNameMessage[] = "Please enter the Template Name!";
constexpr char kNameExistsPrefix[] = "The name ";
constexpr char kNameExistsSuffix[] = " has already exists.Please re-enter!";
constexpr char kLineBreakMessage[] = "Line breaks cannot be stored in a template!";

// A line break would split the entry into lines of its own, which the next read
// takes as other keys or sections.
bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::string TemplateFilePath(const std::string& program_folder) {
    return program_folder + kTemplateFile;
}

template_save_result_stu SaveTemplate(const std::string& file_path, const std::string& name,
                                      const antitheft_values& page) {
    template_save_result_stu result;
    IniDocument document;
    if (!document.Load(file_path)) {
        result.message = TranslateText(document.LastError());
        return result;
    }
    if (name.empty()) {
        result.message = TranslateText(kEnterNameMessage);
        return result;
    }
    std::vector<std::string> existing = document.GetSectionNames();
    for (const std::string& section : existing) {
        if (section == name) {
            result.message =
                TranslateText(kNameExistsPrefix) + name + TranslateText(kNameExistsSuffix);
            result.clear_name_box = true;
            return result;
        }
    }
    if (HasLineBreak(name) ||
        (page.enable && (HasLineBreak(page.ac_name) || HasLineBreak(page.primary_dns) ||
                         HasLineBreak(page.secondary_dns)))) {
        result.message = TranslateText(kLineBreakMessage);
        return result;
    }

    // With the switch off the boxes are hidden, so whatever they still hold is not
    // part of the template.
    document.SetValue(name, kAcNameKey, page.enable ? page.ac_name : "");
    document.SetValue(name, kPrimaryDnsKey, page.enable ? page.primary_dns : "");
    document.SetValue(name, kSecondaryDnsKey, page.enable ? page.secondary_dns : "");
    document.SetValue(name, kSwitchOnKey, page.enable ? kSwitchOnValue : kSwitchOffValue);
    document.Save(file_path);
    result.saved = true;
    return result;
}

CTemplateLoadDlgModel::CTemplateLoadDlgModel(std::string file_path)
    : file_path_(std::move(file_path)) {}

std::string CTemplateLoadDlgModel::ListTemplates(const std::string& remembered_name) {
    if (loaded_) {
        document_.Clear();
    }
    names_.clear();
    selected_.reset();
    loaded_ = true;
    if (!document_.Load(file_path_)) {
        return TranslateText(document_.LastError());
    }
    names_ = document_.GetSectionNames();
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == remembered_name) {
            selected_ = i;
            break;
        }
    }
    return {};
}

void CTemplateLoadDlgModel::Select(std::optional<size_t> index) {
    if (index.has_value() && *index >= names_.size()) {
        index.reset();
    }
    selected_ = index;
}

void CTemplateLoadDlgModel::LoadTemplate(antitheft_page_stu* page) const {
    std::string section = selected_.has_value() ? names_[*selected_] : std::string();
    bool selected = selected_.has_value();
    auto read = [&](const char* key) {
        return selected ? document_.GetValue(section, key, "") : std::string();
    };
    page->values.enable = read(kSwitchOnKey) == kSwitchOnValue;
    page->values.lock_code.clear();
    page->values.confirm_lock_code.clear();
    page->values.ac_name = read(kAcNameKey);
    page->values.primary_dns = read(kPrimaryDnsKey);
    page->values.secondary_dns = read(kSecondaryDnsKey);
    if (selected) {
        page->template_name = std::string(TrimText(section));
    }
}

bool CTemplateLoadDlgModel::DeleteTemplate() {
    if (!selected_.has_value()) {
        return false;
    }
    // The entry is erased by its exact name: trimming it first would miss a
    // template whose name was saved with blanks at its ends.
    document_.EraseSection(names_[*selected_]);
    document_.Save(file_path_);
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    selected_.reset();
    if (!names_.empty()) {
        selected_ = 0;
    }
    return true;
}

}  // namespace plindar
