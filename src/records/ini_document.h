// An INI file held in memory as sections of key=value pairs, read and written whole.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace plindar {

// INI files are small (settings, templates, language texts); anything larger is
// refused rather than read, so that a hostile file cannot exhaust memory.
constexpr size_t kMaxIniFileBytes = 16 * 1024 * 1024;

// The whole file into `content`. False when it cannot be opened or read, or when it
// is larger than kMaxIniFileBytes (then `too_large`, when given, is set).
bool ReadIniFileBytes(const std::string& path, std::string* content, bool* too_large = nullptr);

// Sections and keys are case-sensitive and kept in byte order (not file order), which
// is also the order in which they are listed and written.
class IniDocument {
public:
    // Lines are trimmed of blanks and tabs; ';' and '#' start comments; "[name]"
    // opens a section (name untrimmed); "key=value" splits at the first '=', both
    // sides trimmed, a later key replacing an earlier one. False with LastError set
    // when the file cannot be read (document unchanged) or names a section twice
    // (document emptied).
    bool Load(const std::string& path);

    // Writes every section as "[name]", its "key=value" lines and an empty line, each
    // line ended by CR LF. False when the file cannot be created or written; LastError
    // is not touched.
    bool Save(const std::string& path) const;

    std::vector<std::string> GetSectionNames() const;
    std::string GetValue(const std::string& section, const std::string& key,
                         const std::string& default_value) const;
    // Creates the section and the key when missing.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    // The number of sections removed: 0 or 1.
    size_t EraseSection(const std::string& section);
    // Removes every section and empties LastError.
    void Clear();
    // Empty after a successful Load.
    const std::string& LastError() const { return last_error_; }

private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
    std::string last_error_;
};

}  // namespace plindar
