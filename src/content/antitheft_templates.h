// Named anti-theft templates: the switch, AC Name and DNS boxes kept in one INI file
// so that later batches can be filled from them. The lock code is never stored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "content/antitheft_command.h"
#include "records/ini_document.h"

namespace plindar {

// What the anti-theft page holds: its boxes and switch, and the name of the
// template last loaded into it (empty until one is).
struct antitheft_page_stu {
    antitheft_values values;
    std::string template_name;
};

// The name box's limit, in characters.
constexpr size_t kTemplateNameMaxCharacters = 32;

// The template file of a program folder (which ends with a slash).
std::string TemplateFilePath(const std::string& program_folder);

// How the save dialog reacts. With `saved` the dialog closes with OK; otherwise it
// stays open and shows `message` (translated, never empty then), focusing the name
// box and first emptying it when `clear_name_box`.
struct template_save_result_stu {
    bool saved = false;
    std::string message;
    bool clear_name_box = false;
};

// Adds the page's switch and boxes as template `name` and rewrites the file. The file
// must exist: a file that cannot be read is reported and nothing is written.
template_save_result_stu SaveTemplate(const std::string& file_path, const std::string& name,
                                      const antitheft_values& page);

// The load dialog: lists the templates, fills the page from one, deletes them. It
// reads the file when the list is shown and keeps that copy until it closes.
class CTemplateLoadDlgModel {
public:
    explicit CTemplateLoadDlgModel(std::string file_path);

    // Reads the file afresh and lists its templates, preselecting `remembered_name`
    // when present. Returns the translated load error to show, or an empty text.
    std::string ListTemplates(const std::string& remembered_name);

    const std::vector<std::string>& Names() const { return names_; }
    std::optional<size_t> Selected() const { return selected_; }
    // An index beyond the list clears the selection.
    void Select(std::optional<size_t> index);

    // Fills the page from the selected template (all values empty when nothing is
    // selected), empties both lock code boxes and, when a template was selected,
    // remembers its name on the page. The dialog then closes with OK.
    void LoadTemplate(antitheft_page_stu* page) const;

    // Removes the selected template from the file and the list, then selects the
    // first remaining entry. False when nothing was selected. A file that cannot be
    // rewritten is not reported (the list then runs ahead of the file).
    bool DeleteTemplate();

private:
    std::string file_path_;
    IniDocument document_;
    bool loaded_ = false;
    std::vector<std::string> names_;
    std::optional<size_t> selected_;
};

}  // namespace plindar
