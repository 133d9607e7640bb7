// Template extraction and per-device rewriting of device configuration files.
#include "content/config_xml.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

#include "records/translate_text.h"

namespace plindar {

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr size_t kWanEntryLimit = static_cast<size_t>(kMaxWanEntries);

// An entry is `<Value Name="name" Value="value"/>`, found by plain substring search.
constexpr std::string_view kEntryOpen = "<Value Name=\"";
// Extraction wants the whole opening up to the value's quote; the rewrite matches
// one character short of it, so `Value = "..."` spellings are rewritten too.
constexpr std::string_view kTemplateTail = "\" Value=\"";
constexpr std::string_view kRewriteTail = "\" Value";
constexpr std::string_view kValueClose = "\"/>";
// A replaced line loses its own indentation and anything after the entry.
constexpr std::string_view kReplacementIndent = "  ";
constexpr std::string_view kLineEnd = "\r\n";

// Section markers: only their presence on a line counts.
constexpr std::string_view kWanTableMarker = "ATM_VC_TBL";
constexpr std::string_view kWlanTableMarker = "WLAN_MBSSIB_TBL";
constexpr std::string_view kWlan1TableMarker = "WLAN1_MBSSIB_TBL";
// Names of the second and first wireless interface: a file mentioning both
// configures two interfaces.
constexpr std::string_view kWlan1Prefix = "WLAN1_";
constexpr std::string_view kWlanPrefix = "WLAN_";

// Entry names.
constexpr std::string_view kPloamPasswordEntry = "GPON_PLOAM_PASSWD";
constexpr std::string_view kLoidPasswordOldEntry = "LOID_PASSWD_OLD";
constexpr std::string_view kLoidOldEntry = "LOID_OLD";
constexpr std::string_view kLoidPasswordEntry = "LOID_PASSWD";
constexpr std::string_view kLoidEntry = "LOID";
constexpr std::string_view kLoginPasswordEntry = "SUSER_PASSWORD";
constexpr std::string_view kWanNameEntry = "WanName";
constexpr std::string_view kVidEntry = "vid";
constexpr std::string_view kPppUserEntry = "pppUser";
constexpr std::string_view kPppPasswordEntry = "pppPasswd";
constexpr std::string_view kChannelModeEntry = "ChannelMode";
constexpr std::string_view kSsidEntry = "SSID";
constexpr std::string_view kWscPskEntry = "WSC_PSK";
constexpr std::string_view kWlanWpaPskEntry = "WLAN_WPA_PSK";
constexpr std::string_view kWlan1SsidEntry = "WLAN1_SSID";
constexpr std::string_view kWlan1WscPskEntry = "WLAN1_WSC_PSK";
constexpr std::string_view kWlan1WpaPskEntry = "WLAN1_WPA_PSK";
// Inside a wireless table.
constexpr std::string_view kTableSsidEntry = "ssid";
constexpr std::string_view kTableWscPskEntry = "wscPsk";
constexpr std::string_view kTableWpaPskEntry = "wpaPSK";

// Operator texts; {entry} and {limit} are filled in after translation.
constexpr char kValueTooLongText[] =
    "The value of {entry} in the configuration file is longer than {limit} bytes";
constexpr char kValueZeroByteText[] =
    "The value of {entry} in the configuration file contains a zero byte";
constexpr char kFileTooLargeText[] = "The configuration file is too large!";
constexpr char kInvalidMacText[] = "The device MAC address cannot name a file!";
constexpr std::string_view kEntryToken = "{entry}";
constexpr std::string_view kLimitToken = "{limit}";

constexpr char kMacSeparator = ':';
constexpr std::string_view kXmlExtension = ".xml";

// References written for characters that would end the attribute, start markup or,
// for the line breaks, split the entry over lines (and be read back as spaces).
struct escape_stu {
    char character;
    std::string_view reference;
};
constexpr escape_stu kEscapes[] = {
    {'&', "&amp;"},   {'<', "&lt;"},  {'>', "&gt;"},   {'"', "&quot;"},
    {'\'', "&apos;"}, {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"},
};

struct named_reference_stu {
    std::string_view name;
    char character;
};
constexpr named_reference_stu kNamedReferences[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
};

// Longest reference body looked at between & and ;, leading zeros included; keeps a
// line full of & from being scanned over and over.
constexpr size_t kMaxReferenceBody = 32;
constexpr char kReferenceEnd = ';';
constexpr char kCharacterReferenceMark = '#';
constexpr char kHexReferenceMark = 'x';
constexpr int kDecimalBase = 10;
constexpr int kHexBase = 16;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr uint32_t kFirstSurrogate = 0xD800;
constexpr uint32_t kLastSurrogate = 0xDFFF;

// UTF-8 sequence boundaries and lead bytes.
constexpr uint32_t kMaxOneByte = 0x7F;
constexpr uint32_t kMaxTwoBytes = 0x7FF;
constexpr uint32_t kMaxThreeBytes = 0xFFFF;
constexpr unsigned kTwoByteLead = 0xC0;
constexpr unsigned kThreeByteLead = 0xE0;
constexpr unsigned kFourByteLead = 0xF0;
constexpr unsigned kContinuation = 0x80;
constexpr unsigned kSixBits = 0x3F;
constexpr unsigned kBitsPerContinuation = 6;

constexpr size_t kReadChunkBytes = 16 * 1024;

// ---------------------------------------------------------------- text helpers

bool Contains(std::string_view line, std::string_view text) {
    return line.find(text) != npos;
}

// Position just behind the first `<Value Name="` + entry + tail on the line, or npos.
size_t FindEntry(std::string_view line, std::string_view entry, std::string_view tail) {
    for (size_t at = line.find(kEntryOpen); at != npos; at = line.find(kEntryOpen, at + 1)) {
        std::string_view rest = line.substr(at + kEntryOpen.size());
        if (rest.starts_with(entry) && rest.substr(entry.size()).starts_with(tail)) {
            return at + kEntryOpen.size() + entry.size() + tail.size();
        }
    }
    return npos;
}

// Calls visit with each line, without its line end, until it returns false.
template <typename Visit>
bool ForEachLine(std::string_view content, Visit&& visit) {
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        size_t next = end + 1;
        std::string_view line;
        if (end == npos) {
            line = content.substr(start);
            next = content.size();
        } else {
            line = content.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
        }
        if (!visit(line)) {
            return false;
        }
        start = next;
    }
    return true;
}

std::string FillIn(std::string text, std::string_view token, std::string_view value) {
    size_t at = text.find(token);
    if (at != npos) {
        text.replace(at, token.size(), value);
    }
    return text;
}

void AppendUtf8(uint32_t code_point, std::string* out) {
    auto byte = [out](unsigned value) { out->push_back(static_cast<char>(value)); };
    if (code_point <= kMaxOneByte) {
        byte(code_point);
    } else if (code_point <= kMaxTwoBytes) {
        byte(kTwoByteLead | (code_point >> kBitsPerContinuation));
        byte(kContinuation | (code_point & kSixBits));
    } else if (code_point <= kMaxThreeBytes) {
        byte(kThreeByteLead | (code_point >> (2 * kBitsPerContinuation)));
        byte(kContinuation | ((code_point >> kBitsPerContinuation) & kSixBits));
        byte(kContinuation | (code_point & kSixBits));
    } else {
        byte(kFourByteLead | (code_point >> (3 * kBitsPerContinuation)));
        byte(kContinuation | ((code_point >> (2 * kBitsPerContinuation)) & kSixBits));
        byte(kContinuation | ((code_point >> kBitsPerContinuation) & kSixBits));
        byte(kContinuation | (code_point & kSixBits));
    }
}

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == kHexBase) {
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + kDecimalBase;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + kDecimalBase;
        }
    }
    return -1;
}

// The code point of "#65" or "#x41"; false for anything that is not a character
// a zero-terminated UTF-8 field can hold.
bool ParseCharacterReference(std::string_view body, uint32_t* code_point) {
    if (body.empty() || body.front() != kCharacterReferenceMark) {
        return false;
    }
    body.remove_prefix(1);
    int base = kDecimalBase;
    if (!body.empty() && body.front() == kHexReferenceMark) {
        base = kHexBase;
        body.remove_prefix(1);
    }
    if (body.empty()) {
        return false;
    }
    uint32_t value = 0;
    for (char c : body) {
        int digit = DigitValue(c, base);
        if (digit < 0) {
            return false;
        }
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
        if (value > kMaxCodePoint) {
            return false;
        }
    }
    if (value == 0 || (value >= kFirstSurrogate && value <= kLastSurrogate)) {
        return false;
    }
    *code_point = value;
    return true;
}

// Resolves the reference that starts just behind an &; *used is the length of its
// body and the closing semicolon.
bool ResolveReference(std::string_view rest, std::string* out, size_t* used) {
    size_t end = rest.substr(0, kMaxReferenceBody + 1).find(kReferenceEnd);
    if (end == npos) {
        return false;
    }
    std::string_view body = rest.substr(0, end);
    for (const named_reference_stu& named : kNamedReferences) {
        if (body == named.name) {
            out->push_back(named.character);
            *used = end + 1;
            return true;
        }
    }
    uint32_t code_point = 0;
    if (!ParseCharacterReference(body, &code_point)) {
        return false;
    }
    AppendUtf8(code_point, out);
    *used = end + 1;
    return true;
}

// A field's text up to its terminator, never past its width.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    return {field, end ? static_cast<size_t>(static_cast<const char*>(end) - field) : N};
}

// ---------------------------------------------------------------- file helpers

enum ReadOutcome { READ_OK, READ_FAILED, READ_TOO_LARGE };

using file_handle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

ReadOutcome ReadConfigFile(const std::string& path, std::string* content) {
    // "e": the descriptor must not leak into the spreadsheet application the page
    // starts while the program runs.
    file_handle file(std::fopen(path.c_str(), "rbe"), &std::fclose);
    if (!file) {
        return READ_FAILED;
    }
    content->clear();
    char chunk[kReadChunkBytes];
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof(chunk), file.get());
        content->append(chunk, got);
        if (content->size() > kMaxConfigFileBytes) {
            content->clear();
            return READ_TOO_LARGE;
        }
        if (got < sizeof(chunk)) {
            break;
        }
    }
    return std::ferror(file.get()) ? READ_FAILED : READ_OK;
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    // Buffered data reaches the disk at fclose, so its failure counts too.
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        std::remove(path.c_str());
    }
    return written;
}

// ---------------------------------------------------------------- extraction

struct text_field_stu {
    char* data;
    size_t width;
};

template <size_t N>
text_field_stu Field(char (&field)[N]) {
    return {field, N};
}

struct template_rule_stu {
    std::string_view entry;
    text_field_stu (*field)(custom_value_stu& templ, size_t wan_entry);
};

// Tried in this order wherever they appear; the first that matches takes the line.
constexpr template_rule_stu kTemplateRules[] = {
    {kPloamPasswordEntry, [](custom_value_stu& t, size_t) { return Field(t.ploamPassword); }},
    {kLoidPasswordOldEntry, [](custom_value_stu& t, size_t) { return Field(t.loidPassword); }},
    {kLoidOldEntry, [](custom_value_stu& t, size_t) { return Field(t.loid); }},
    {kLoginPasswordEntry, [](custom_value_stu& t, size_t) { return Field(t.loginPassword); }},
};

// Inside the WAN table, for the current entry; ChannelMode, last, closes the entry.
constexpr template_rule_stu kWanTemplateRules[] = {
    {kWanNameEntry, [](custom_value_stu& t, size_t k) { return Field(t.WanName[k]); }},
    {kVidEntry, [](custom_value_stu& t, size_t k) { return Field(t.vid[k]); }},
    {kPppPasswordEntry, [](custom_value_stu& t, size_t k) { return Field(t.pppPassword[k]); }},
    {kPppUserEntry, [](custom_value_stu& t, size_t k) { return Field(t.pppUser[k]); }},
    {kChannelModeEntry, [](custom_value_stu& t, size_t k) { return Field(t.ChannelMode[k]); }},
};

// Stores the value that starts at value_start; a value without its closing text on
// the line is empty.
bool StoreValue(std::string_view line, size_t value_start, std::string_view entry,
                text_field_stu field, std::string* message) {
    size_t end = line.find(kValueClose, value_start);
    std::string value =
        end == npos ? std::string() : UnescapeXmlValue(line.substr(value_start, end - value_start));
    if (value.find('\0') != std::string::npos) {
        *message = FillIn(TranslateText(kValueZeroByteText), kEntryToken, entry);
        return false;
    }
    if (value.size() >= field.width) {
        *message = FillIn(FillIn(TranslateText(kValueTooLongText), kEntryToken, entry), kLimitToken,
                          std::to_string(field.width - 1));
        return false;
    }
    std::memset(field.data, 0, field.width);
    std::memcpy(field.data, value.data(), value.size());
    return true;
}

// ---------------------------------------------------------------- rewrite

struct rewrite_rule_stu {
    std::string_view entry;
    std::string_view (*value)(const custom_value_stu& values);
};

// Identity rules, tried first and in this order; LOID_PASSWD_OLD and LOID_OLD come
// before the names they begin with.
constexpr rewrite_rule_stu kIdentityRewriteRules[] = {
    {kPloamPasswordEntry, [](const custom_value_stu& v) { return FieldText(v.ploamPassword); }},
    {kLoidPasswordOldEntry, [](const custom_value_stu& v) { return FieldText(v.loidPassword); }},
    {kLoidOldEntry, [](const custom_value_stu& v) { return FieldText(v.loid); }},
    {kLoidPasswordEntry, [](const custom_value_stu& v) { return FieldText(v.loidPassword); }},
    {kLoidEntry, [](const custom_value_stu& v) { return FieldText(v.loid); }},
    {kLoginPasswordEntry, [](const custom_value_stu& v) { return FieldText(v.loginPassword); }},
};

// Two interfaces: the first is 5 GHz, the one with the WLAN1_ names 2.4 GHz.
constexpr rewrite_rule_stu kDualBandRewriteRules[] = {
    {kWscPskEntry, [](const custom_value_stu& v) { return FieldText(v.wlanPsk_5g); }},
    {kWlan1WscPskEntry, [](const custom_value_stu& v) { return FieldText(v.wlanPsk_2_4g); }},
    {kWlan1WpaPskEntry, [](const custom_value_stu& v) { return FieldText(v.wlanPsk_2_4g); }},
    {kWlan1SsidEntry, [](const custom_value_stu& v) { return FieldText(v.ssid_2_4g); }},
    {kWlanWpaPskEntry, [](const custom_value_stu& v) { return FieldText(v.wlanPsk_5g); }},
};

// One pass over the lines of one file, with the state the rules carry from line to
// line.
class CLineRewriter {
public:
    CLineRewriter(int dual_band, const custom_value_stu& values, std::string* out)
        : dual_band_(dual_band),
          values_(values),
          wan_count_(static_cast<size_t>(std::clamp(values.wanCount, 0, kMaxWanEntries))),
          out_(out) {}

    void Rewrite(std::string_view line) {
        if (!Replaced(line)) {
            out_->append(line);
        }
        out_->append(kLineEnd);
    }

private:
    // True when the line was replaced (and its replacement written).
    bool Replaced(std::string_view line) {
        for (const rewrite_rule_stu& rule : kIdentityRewriteRules) {
            if (ReplaceIf(line, rule.entry, rule.value(values_))) {
                return true;
            }
        }
        if (dual_band_ == kDualBand && DualBandReplaced(line)) {
            return true;
        }
        if (dual_band_ == kSingleBand && SingleBandReplaced(line)) {
            return true;
        }
        return WanReplaced(line);
    }

    bool DualBandReplaced(std::string_view line) {
        for (const rewrite_rule_stu& rule : kDualBandRewriteRules) {
            if (ReplaceIf(line, rule.entry, rule.value(values_))) {
                return true;
            }
        }
        if (!ssid_done_ && ReplaceIf(line, kSsidEntry, FieldText(values_.ssid_5g))) {
            ssid_done_ = true;
            return true;
        }
        if (!entered_a_ && Contains(line, kWlan1TableMarker)) {
            table_a_ = entered_a_ = true;
        }
        if (table_a_ && TableEntryReplaced(line, &table_a_, FieldText(values_.ssid_2_4g),
                                           FieldText(values_.wlanPsk_2_4g))) {
            return true;
        }
        if (!entered_b_ && Contains(line, kWlanTableMarker)) {
            table_b_ = entered_b_ = true;
        }
        return table_b_ && TableEntryReplaced(line, &table_b_, FieldText(values_.ssid_5g),
                                              FieldText(values_.wlanPsk_5g));
    }

    // One interface, 2.4 GHz; its names carry no number.
    bool SingleBandReplaced(std::string_view line) {
        if (!ssid_done_ && ReplaceIf(line, kTableSsidEntry, FieldText(values_.ssid_2_4g))) {
            ssid_done_ = true;
            return true;
        }
        if (!wpa_done_ && ReplaceIf(line, kWlanWpaPskEntry, FieldText(values_.wlanPsk_2_4g))) {
            wpa_done_ = true;
            return true;
        }
        if (!entered_a_ && Contains(line, kWlanTableMarker)) {
            table_a_ = entered_a_ = true;
        }
        return table_a_ && TableEntryReplaced(line, &table_a_, FieldText(values_.ssid_2_4g),
                                              FieldText(values_.wlanPsk_2_4g));
    }

    // Only the first group after a table's marker is personalised: its wpaPSK line
    // leaves the table, which is never entered again.
    bool TableEntryReplaced(std::string_view line, bool* in_table, std::string_view ssid,
                            std::string_view psk) {
        if (ReplaceIf(line, kTableWscPskEntry, psk) || ReplaceIf(line, kTableSsidEntry, ssid)) {
            return true;
        }
        if (ReplaceIf(line, kTableWpaPskEntry, psk)) {
            *in_table = false;
            return true;
        }
        return false;
    }

    // Each marker line opens the device's next WAN entry until its count is reached;
    // the ChannelMode line of the last one ends the WAN replacements.
    bool WanReplaced(std::string_view line) {
        if (wan_entry_ < wan_count_ && Contains(line, kWanTableMarker)) {
            in_wan_ = true;
            ++wan_entry_;
        }
        if (!in_wan_) {
            return false;
        }
        const size_t k = wan_entry_ - 1;
        if (ReplaceIf(line, kVidEntry, FieldText(values_.vid[k])) ||
            ReplaceIf(line, kPppPasswordEntry, FieldText(values_.pppPassword[k])) ||
            ReplaceIf(line, kPppUserEntry, FieldText(values_.pppUser[k]))) {
            return true;
        }
        if (wan_entry_ == wan_count_ && FindEntry(line, kChannelModeEntry, kRewriteTail) != npos) {
            in_wan_ = false;
        }
        return false;
    }

    bool ReplaceIf(std::string_view line, std::string_view entry, std::string_view value) {
        if (FindEntry(line, entry, kRewriteTail) == npos) {
            return false;
        }
        out_->append(kReplacementIndent);
        out_->append(kEntryOpen);
        out_->append(entry);
        out_->append(kTemplateTail);
        out_->append(EscapeXmlValue(value));
        out_->append(kValueClose);
        return true;
    }

    const int dual_band_;
    const custom_value_stu& values_;
    const size_t wan_count_;
    std::string* out_;
    bool ssid_done_ = false;
    bool wpa_done_ = false;
    bool table_a_ = false;
    bool table_b_ = false;
    bool entered_a_ = false;
    bool entered_b_ = false;
    bool in_wan_ = false;
    size_t wan_entry_ = 0;  // WAN entries opened so far
};

}  // namespace

std::string EscapeXmlValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        const escape_stu* escape =
            std::find_if(std::begin(kEscapes), std::end(kEscapes),
                         [c](const escape_stu& e) { return e.character == c; });
        if (escape != std::end(kEscapes)) {
            out.append(escape->reference);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string UnescapeXmlValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    size_t at = 0;
    while (at < value.size()) {
        size_t used = 0;
        if (value[at] == '&' && ResolveReference(value.substr(at + 1), &out, &used)) {
            at += 1 + used;
        } else {
            out.push_back(value[at]);
            ++at;
        }
    }
    return out;
}

bool ParseTemplateText(std::string_view content, custom_value_stu* templ, std::string* message) {
    std::string ignored_message;
    if (message == nullptr) {
        message = &ignored_message;
    }
    message->clear();
    if (templ == nullptr) {
        return false;
    }
    std::memset(templ, 0, sizeof(*templ));

    custom_value_stu found{};
    bool seen_wlan1 = false;
    bool seen_wlan = false;
    bool in_wan = false;
    size_t k = 0;  // WAN entries completed so far
    const bool parsed = ForEachLine(content, [&](std::string_view line) {
        seen_wlan1 = seen_wlan1 || Contains(line, kWlan1Prefix);
        seen_wlan = seen_wlan || Contains(line, kWlanPrefix);
        for (const template_rule_stu& rule : kTemplateRules) {
            size_t value_start = FindEntry(line, rule.entry, kTemplateTail);
            if (value_start != npos) {
                return StoreValue(line, value_start, rule.entry, rule.field(found, 0), message);
            }
        }
        // The flag stays set to the end of the file; entries after the tenth are left.
        if (k < kWanEntryLimit && Contains(line, kWanTableMarker)) {
            in_wan = true;
        }
        if (!in_wan || k >= kWanEntryLimit) {
            return true;
        }
        for (const template_rule_stu& rule : kWanTemplateRules) {
            size_t value_start = FindEntry(line, rule.entry, kTemplateTail);
            if (value_start == npos) {
                continue;
            }
            if (!StoreValue(line, value_start, rule.entry, rule.field(found, k), message)) {
                return false;
            }
            if (rule.entry == kChannelModeEntry) {
                ++k;
                found.wanCount = static_cast<int32_t>(k);
            }
            return true;
        }
        return true;
    });
    if (!parsed) {
        return false;
    }
    found.dualBand = (seen_wlan1 && seen_wlan) ? kDualBand : kSingleBand;
    *templ = found;
    return true;
}

bool ParseTemplateXml(const std::string& path, custom_value_stu* templ, std::string* message) {
    std::string ignored_message;
    if (message == nullptr) {
        message = &ignored_message;
    }
    if (templ != nullptr) {
        std::memset(templ, 0, sizeof(*templ));
    }
    std::string content;
    switch (ReadConfigFile(path, &content)) {
        case READ_OK:
            return ParseTemplateText(content, templ, message);
        case READ_TOO_LARGE:
            *message = TranslateText(kFileTooLargeText);
            return false;
        case READ_FAILED:
            break;
    }
    *message = TranslateText(kTemplateReadFailText);
    return false;
}

bool ParseTemplateXml(const std::string& path, custom_value_stu* templ) {
    return ParseTemplateXml(path, templ, nullptr);
}

std::string RewriteXmlText(int dual_band, const custom_value_stu& values,
                           std::string_view content) {
    std::string out;
    out.reserve(content.size() + content.size() / 8);
    CLineRewriter rewriter(dual_band, values, &out);
    ForEachLine(content, [&rewriter](std::string_view line) {
        rewriter.Rewrite(line);
        return true;
    });
    return out;
}

bool RewriteXmlFile(int dual_band, const custom_value_stu& values, const std::string& source,
                    const std::string& output) {
    std::string content;
    if (ReadConfigFile(source, &content) != READ_OK) {
        return false;
    }
    return WriteWholeFile(output, RewriteXmlText(dual_band, values, content));
}

std::string DeviceXmlPath(const std::string& program_folder, const std::string& mac_text) {
    std::string name;
    std::remove_copy(mac_text.begin(), mac_text.end(), std::back_inserter(name), kMacSeparator);
    if (name.empty() || name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        return {};
    }
    std::string folder = program_folder;
    if (!folder.empty() && folder.back() != '/') {
        folder.push_back('/');
    }
    return folder + kModifyXmlFolder + "/" + name + std::string(kXmlExtension);
}

xml_write_result WriteDeviceXml(const std::string& program_folder, const std::string& chosen_xml,
                                bool sheet_generated, int dual_band, const custom_value_stu& values,
                                const std::string& mac_text) {
    xml_write_result result{false, DeviceXmlPath(program_folder, mac_text), {}};
    if (result.path.empty()) {
        result.message = TranslateText(kInvalidMacText);
        return result;
    }
    // A missing folder would fail every device of the run; one that cannot be made
    // shows up as the write failure below.
    std::error_code ignored;
    std::filesystem::create_directory(std::filesystem::path(result.path).parent_path(), ignored);

    if (sheet_generated) {
        if (!RewriteXmlFile(dual_band, values, chosen_xml, result.path)) {
            result.message = TranslateText(kModifyXmlFailText);
            return result;
        }
    } else {
        std::string content;
        if (ReadConfigFile(chosen_xml, &content) != READ_OK ||
            !WriteWholeFile(result.path, content)) {
            result.message = TranslateText(kCopyXmlFailText);
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace plindar
