// Rules that every value entered in the batch sheet must meet before any per-device
// configuration file is written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "content/custom_value.h"

namespace plindar {

// UTF-8 to UTF-16 without any locale. Every byte that is not part of a well-formed
// UTF-8 sequence (stray continuation bytes, cut or overlong sequences, encoded
// surrogates, values past U+10FFFF) becomes one U+FFFD, so the rules below judge
// garbage as a three-byte character rather than skipping it.
std::u16string Utf8ToUtf16(std::string_view text);

// Bytes the text takes in UTF-8, counted per UTF-16 code unit: 1 up to U+007F, 2 up
// to U+07FF, 3 for every other unit, so a surrogate pair counts 6.
size_t Utf8Length(std::u16string_view text);

// CJK unified ideographs U+4E00 to U+9FA5 and the full-width and typographic
// punctuation that goes with them.
bool IsChineseChar(char16_t c);

// The single-value rules: true when the text passes. A forbidden character fails
// whatever the length.
bool IsValidPppUser(std::u16string_view text);
bool IsValidPppPassword(std::u16string_view text);
bool IsValidSsid(std::u16string_view text);
bool IsValidWlanPsk(std::u16string_view text);
bool IsValidLoid(std::u16string_view text);
bool IsValidLoidPassword(std::u16string_view text);
bool IsValidPloamPassword(std::u16string_view text);
bool IsValidLoginPassword(std::u16string_view text);

// ok with an empty message, or the first failure: the message to show the operator
// (title "Note") and the 0-based position of the failing record in the list.
struct batch_check {
    bool ok;
    std::string message;
    size_t record;
};

// Tests the records in list order and stops at the first value that breaks its
// rule. The template supplies which WAN entries carry a VLAN ID or PPPoE account and
// whether there is a 5 GHz interface; wireless_columns says whether the sheet had
// wireless columns at all. On success record is records.size().
batch_check CheckBatchValues(const std::vector<custom_value_stu>& records,
                             const custom_value_stu& templ, bool wireless_columns);

}  // namespace plindar
