// Profile reader: the settings and language files, looked up key by key.
#include "records/profile_reader.h"

#include <string_view>

#include "records/ini_document.h"
#include "records/text_trim.h"

namespace plindar {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// The longest UTF-8 sequence is a lead byte and three continuation bytes.
constexpr size_t kMaxContinuationBytes = 3;
constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;
constexpr unsigned char kLeadByteMin = 0xC0;

// "text" or 'text' loses its quotes; a lone quote character stays.
std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & kContinuationMask) == kContinuationBits;
}

// Cut to `limit` bytes without splitting a character; bytes that are not valid
// UTF-8 are cut where the limit falls.
std::string CutToBuffer(const std::string& value, size_t buffer_size) {
    if (buffer_size == 0) {
        return {};
    }
    size_t limit = buffer_size - 1;
    if (value.size() <= limit) {
        return value;
    }
    size_t start = limit;
    for (size_t back = 0; back < kMaxContinuationBytes && start > 0 && IsContinuation(value[start]);
         ++back) {
        --start;
    }
    bool splits_character =
        start < limit && static_cast<unsigned char>(value[start]) >= kLeadByteMin;
    return value.substr(0, splits_character ? start : limit);
}

}  // namespace

bool CProfileFile::Load(const std::string& path) {
    sections_.clear();
    std::string content;
    if (!ReadIniFileBytes(path, &content)) {
        return false;
    }
    std::string_view rest = content;
    if (rest.starts_with(kUtf8ByteOrderMark)) {
        rest.remove_prefix(kUtf8ByteOrderMark.size());
    }
    // Null while no section is open, or while inside a repeated section: like the
    // platform's reader, only the first section of a name is ever searched.
    std::map<std::string, std::string>* current = nullptr;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }

        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            // A header missing its ']' still names a section: hand-edited files
            // should not lose their keys to the section above.
            std::string_view name = line.substr(1, line.find(']') - 1);
            auto [it, added] = sections_.try_emplace(AsciiLower(TrimBlanks(name)));
            current = added ? &it->second : nullptr;
            continue;
        }
        size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        std::string key = AsciiLower(TrimBlanks(line.substr(0, equals)));
        if (key.empty()) {
            continue;
        }
        current->try_emplace(std::move(key), StripQuotes(TrimBlanks(line.substr(equals + 1))));
    }
    return true;
}

std::string CProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& default_value, size_t buffer_size) const {
    auto found_section = sections_.find(AsciiLower(section));
    if (found_section != sections_.end()) {
        auto found_key = found_section->second.find(AsciiLower(key));
        if (found_key != found_section->second.end()) {
            return CutToBuffer(found_key->second, buffer_size);
        }
    }
    return CutToBuffer(default_value, buffer_size);
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value,
                              size_t buffer_size) {
    CProfileFile file;
    file.Load(path);
    return file.ReadString(section, key, default_value, buffer_size);
}

}  // namespace plindar
