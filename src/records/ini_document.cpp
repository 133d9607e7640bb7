// INI document: parser, writer and accessors.
#include "records/ini_document.h"
#include "records/text_trim.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace plindar {

namespace {

constexpr size_t kReadChunkBytes = 64 * 1024;
// Editors on the operator's side may save the template file with a UTF-8 mark; it
// would otherwise glue itself to the first section header and hide that section.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char kOpenError[] = "Cannot open file: ";
constexpr char kTooLargeError[] = "File too large: ";
constexpr char kDuplicatePrefix[] = "Duplicate section \"";
constexpr char kDuplicateSuffix[] = "\" found at line ";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The writer's line feeds become CR LF, as a text-mode write stores them.
void AppendTextMode(std::string* out, std::string_view text) {
    for (char c : text) {
        if (c == '\n') {
            out->push_back('\r');
        }
        out->push_back(c);
    }
}

}  // namespace

bool ReadIniFileBytes(const std::string& path, std::string* content, bool* too_large) {
    content->clear();
    if (too_large != nullptr) {
        *too_large = false;
    }
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    char chunk[kReadChunkBytes];
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof(chunk), file.get());
        if (content->size() + got > kMaxIniFileBytes) {
            content->clear();
            if (too_large != nullptr) {
                *too_large = true;
            }
            return false;
        }
        content->append(chunk, got);
        if (got < sizeof(chunk)) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        content->clear();
        return false;
    }
    return true;
}

bool IniDocument::Load(const std::string& path) {
    std::string content;
    bool too_large = false;
    if (!ReadIniFileBytes(path, &content, &too_large)) {
        last_error_ = (too_large ? kTooLargeError : kOpenError) + path;
        return false;
    }
    Clear();

    std::string_view rest = content;
    if (rest.starts_with(kUtf8ByteOrderMark)) {
        rest.remove_prefix(kUtf8ByteOrderMark.size());
    }
    std::map<std::string, std::string>* current = nullptr;
    size_t line_number = 0;
    while (!rest.empty()) {
        ++line_number;
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) {
            line.remove_suffix(1);
        }

        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string name(line.substr(1, line.size() - 2));
            auto [it, added] = sections_.try_emplace(name);
            if (!added) {
                last_error_ =
                    kDuplicatePrefix + name + kDuplicateSuffix + std::to_string(line_number);
                sections_.clear();
                return false;
            }
            current = &it->second;
            continue;
        }
        size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = TrimBlanks(line.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        (*current)[std::string(key)] = std::string(TrimBlanks(line.substr(equals + 1)));
    }
    return true;
}

bool IniDocument::Save(const std::string& path) const {
    std::string out;
    for (const auto& [name, keys] : sections_) {
        AppendTextMode(&out, "[" + name + "]\n");
        for (const auto& [key, value] : keys) {
            AppendTextMode(&out, key + "=" + value + "\n");
        }
        AppendTextMode(&out, "\n");
    }
    FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    bool written = std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
    // Closing flushes; a full disk shows up only here.
    return std::fclose(file.release()) == 0 && written;
}

std::vector<std::string> IniDocument::GetSectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& entry : sections_) {
        names.push_back(entry.first);
    }
    return names;
}

std::string IniDocument::GetValue(const std::string& section, const std::string& key,
                                  const std::string& default_value) const {
    auto found_section = sections_.find(section);
    if (found_section == sections_.end()) {
        return default_value;
    }
    auto found_key = found_section->second.find(key);
    return found_key == found_section->second.end() ? default_value : found_key->second;
}

void IniDocument::SetValue(const std::string& section, const std::string& key,
                           const std::string& value) {
    sections_[section][key] = value;
}

size_t IniDocument::EraseSection(const std::string& section) {
    return sections_.erase(section);
}

void IniDocument::Clear() {
    sections_.clear();
    last_error_.clear();
}

}  // namespace plindar
