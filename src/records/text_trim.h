// Trimming and case folding for texts read from files and the store.
#pragma once

#include <string>
#include <string_view>

namespace plindar {

// What INI readers strip around names and values.
inline constexpr std::string_view kTrimBlanks = " \t";
// Every white-space character of the C locale.
inline constexpr std::string_view kTrimWhiteSpace = " \t\r\n\v\f";

// `text` without the characters of `set` at either end.
inline std::string_view TrimText(std::string_view text, std::string_view set = kTrimWhiteSpace) {
    size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

// The INI readers' trim: spaces and tabs only.
inline std::string_view TrimBlanks(std::string_view text) {
    return TrimText(text, kTrimBlanks);
}

// Only ASCII letters fold: names in these files are ASCII, and folding other bytes
// would depend on a locale.
inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

}  // namespace plindar
