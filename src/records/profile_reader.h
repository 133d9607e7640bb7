// Reading values from INI-style files by the usual profile rules: section and
// key names match without regard to letter case, blanks around a value are
// removed, a missing file, section or key gives the default, and a value longer
// than its buffer is cut. Shared by the settings and the language files.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace plindar {

// One INI file read into memory for repeated lookups. Bytes of names and values
// pass unchanged (narrow text is UTF-8).
class CProfileFile {
public:
    // False when the file cannot be read; the object is then empty and every
    // lookup gives its default.
    bool Load(const std::string& path);

    // The value of `key` in `section`, or `default_value` when either is missing.
    // The result is cut to buffer_size - 1 bytes (on a UTF-8 character boundary),
    // as a fixed buffer of that many characters would hold it.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& default_value, size_t buffer_size) const;

private:
    // Lower-cased section -> lower-cased key -> value; the first occurrence wins.
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

// One lookup without keeping the file: Load then ReadString.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value,
                              size_t buffer_size);

}  // namespace plindar
