// Batch sheet value rules and the check that runs them over every device's record.
#include "content/batch_rules.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "protocol/fixed_text.h"
#include "records/decimal_text.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kLastAscii = 0x7F;
constexpr char16_t kLastTwoByteUnit = 0x7FF;
constexpr char16_t kSpace = u' ';

constexpr char16_t kFirstIdeograph = 0x4E00;
constexpr char16_t kLastIdeograph = 0x9FA5;

// Punctuation of a Chinese keyboard layout, which counts as Chinese text as much as
// the ideographs do.
constexpr std::array<char16_t, 33> kChinesePunctuation = {
    0x00B7, 0x2014, 0x2018, 0x2019, 0x201C, 0x201D, 0x2026, 0x3001, 0x3002, 0x3008, 0x3009,
    0x300A, 0x300B, 0x300C, 0x300D, 0x300E, 0x300F, 0x3010, 0x3011, 0x3014, 0x3015, 0xFE43,
    0xFE44, 0xFE4F, 0xFF01, 0xFF08, 0xFF09, 0xFF0C, 0xFF1A, 0xFF1B, 0xFF1F, 0xFF5E, 0xFFE5,
};

// Characters a PPPoE user name or password may not hold; anything else, Chinese
// included, is allowed.
constexpr std::u16string_view kPppForbidden = u"\"&'();<>\\`|";
// ASCII characters a wireless key may not hold.
constexpr std::u16string_view kWlanPskForbidden = u"\"'\\";
// Punctuation a LOID may carry besides letters and digits: everything printable in
// ASCII except the space and the question mark.
constexpr std::u16string_view kLoidPunctuation = u"!\"#$%&'()*+,-./:;<=>@[\\]^_`{|}~";
// Punctuation a LOID or PLOAM password may carry besides letters and digits.
constexpr std::u16string_view kGponPasswordPunctuation = u"-./:@_";
static_assert(kPppForbidden.size() == 11 && kLoidPunctuation.size() == 31 &&
              kGponPasswordPunctuation.size() == 6);

constexpr size_t kPppUserMaxBytes = 63;
constexpr size_t kPppPasswordMaxBytes = 29;
constexpr size_t kSsidMaxBytes = 32;
constexpr size_t kWlanPskMinCharacters = 8;
constexpr size_t kWlanPskMaxCharacters = 63;
constexpr size_t kLoidMaxBytes = 24;
constexpr size_t kLoidPasswordMaxBytes = 12;
constexpr size_t kPloamPasswordMaxBytes = 10;
constexpr size_t kLoginPasswordMaxCharacters = 30;

constexpr int kMinVlanId = 1;
constexpr int kMaxVlanId = 4094;
constexpr int kPppoeChannelMode = 2;
constexpr int kDualBand = 1;

// Messages that are filled in without translation are held to this many bytes.
constexpr size_t kUntranslatedMessageMaxBytes = 255;

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

bool Contains(std::u16string_view set, char16_t c) {
    return set.find(c) != std::u16string_view::npos;
}

template <typename Allowed>
bool AllCharacters(std::u16string_view text, Allowed allowed) {
    return std::all_of(text.begin(), text.end(), allowed);
}

bool BytesWithin(std::u16string_view text, size_t min_bytes, size_t max_bytes) {
    size_t bytes = Utf8Length(text);
    return bytes >= min_bytes && bytes <= max_bytes;
}

bool PppCharacters(std::u16string_view text) {
    return AllCharacters(text, [](char16_t c) { return !Contains(kPppForbidden, c); });
}

bool GponPasswordCharacters(std::u16string_view text) {
    return AllCharacters(text, [](char16_t c) {
        return IsAsciiLetterOrDigit(c) || Contains(kGponPasswordPunctuation, c);
    });
}

// The bytes of one UTF-8 sequence's continuation, checked against the range the
// second byte must fall in (which is what rules out overlong forms, surrogates and
// values past U+10FFFF).
struct utf8_lead {
    size_t continuation_bytes;
    unsigned char second_min;
    unsigned char second_max;
    uint32_t payload;
};

constexpr unsigned char kContinuationMin = 0x80;
constexpr unsigned char kContinuationMax = 0xBF;
constexpr unsigned char kContinuationPayloadMask = 0x3F;
constexpr int kContinuationPayloadBits = 6;
constexpr uint32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighSurrogateBase = 0xD800;
constexpr char16_t kLowSurrogateBase = 0xDC00;
constexpr int kSurrogatePayloadBits = 10;
constexpr uint32_t kSurrogatePayloadMask = 0x3FF;

std::optional<utf8_lead> ReadLead(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) {
        return utf8_lead{1, kContinuationMin, kContinuationMax, b & 0x1Fu};
    }
    if (b == 0xE0) {
        return utf8_lead{2, 0xA0, kContinuationMax, b & 0x0Fu};
    }
    if (b == 0xED) {
        return utf8_lead{2, kContinuationMin, 0x9F, b & 0x0Fu};
    }
    if (b >= 0xE1 && b <= 0xEF) {
        return utf8_lead{2, kContinuationMin, kContinuationMax, b & 0x0Fu};
    }
    if (b == 0xF0) {
        return utf8_lead{3, 0x90, kContinuationMax, b & 0x07u};
    }
    if (b >= 0xF1 && b <= 0xF3) {
        return utf8_lead{3, kContinuationMin, kContinuationMax, b & 0x07u};
    }
    if (b == 0xF4) {
        return utf8_lead{3, kContinuationMin, 0x8F, b & 0x07u};
    }
    return std::nullopt;
}

// The code point of the well-formed sequence at text[at] and its length, or nothing.
std::optional<std::pair<uint32_t, size_t>> DecodeSequence(std::string_view text, size_t at) {
    std::optional<utf8_lead> lead = ReadLead(static_cast<unsigned char>(text[at]));
    if (!lead || text.size() - at <= lead->continuation_bytes) {
        return std::nullopt;
    }
    uint32_t code_point = lead->payload;
    for (size_t i = 1; i <= lead->continuation_bytes; ++i) {
        auto b = static_cast<unsigned char>(text[at + i]);
        unsigned char min = i == 1 ? lead->second_min : kContinuationMin;
        unsigned char max = i == 1 ? lead->second_max : kContinuationMax;
        if (b < min || b > max) {
            return std::nullopt;
        }
        code_point = (code_point << kContinuationPayloadBits) | (b & kContinuationPayloadMask);
    }
    return std::make_pair(code_point, lead->continuation_bytes + 1);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c <= kLastAscii) {
        out += static_cast<char>(c);
    } else if (c <= kLastTwoByteUnit) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < kFirstSupplementary) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The text with every ill-formed byte replaced by U+FFFD, so that a message built
// from an operator's cell is always valid UTF-8.
std::string CleanUtf8(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        auto b = static_cast<unsigned char>(text[at]);
        if (b <= kLastAscii) {
            out += text[at++];
            continue;
        }
        auto sequence = DecodeSequence(text, at);
        if (sequence) {
            out.append(text.substr(at, sequence->second));
            at += sequence->second;
        } else {
            AppendUtf8(out, kReplacementCharacter);
            ++at;
        }
    }
    return out;
}

// The messages, in the order of the checks. The untranslated ones are shown as they
// stand whatever the language.
enum BatchMessage {
    MESSAGE_VLAN_ID,
    MESSAGE_PPP_USER,
    MESSAGE_PPP_PASSWORD,
    MESSAGE_SSID_5G,
    MESSAGE_SSID_2_4G,
    MESSAGE_WLAN_PSK_5G,
    MESSAGE_WLAN_PSK_2_4G,
    MESSAGE_LOID,
    MESSAGE_LOID_PASSWORD,
    MESSAGE_LOID_PASSWORD_WITHOUT_LOID,
    MESSAGE_PLOAM_PASSWORD,
    MESSAGE_LOGIN_PASSWORD,
    MESSAGE_COUNT,
};

struct batch_message {
    const char* format;
    bool translated;
};

// "\xEF\xBC\x9A" is U+FF1A FULLWIDTH COLON, which several of these texts carry where
// the others have a plain colon; the translations are keyed on the exact bytes.
constexpr std::array<batch_message, MESSAGE_COUNT> kBatchMessages = {{
    {"The MAC:%s vid%d value:%d is invalid. Please check that the following rules are met:VLAN "
     "ID must be an integer ranging from 1 to 4094!",
     false},
    {"The MAC:%s pppUser%d is invalid. Please check that the following rules are met:userName "
     "must contain 1 to 63 characters, except special characters &`()|\\<>;'\"",
     true},
    {"The MAC:%s pppPassword%d is invalid. Please check that the following rules are met:must "
     "contain 1 to 29 characters, except special characters &`()|\\<>;'\"",
     false},
    {"The MAC:%s ssid_5g is invalid. Please check that the following rules are met:ssid_5G must "
     "contain 1 to 32 UTF-8 bytes.except Chinese or empty!",
     true},
    {"The MAC:%s ssid_2.4g is invalid. Please check that the following rules are met:ssid_2.4G "
     "must contain 1 to 32 UTF-8 bytes.except Chinese or empty!",
     true},
    {"The MAC:%s wlanPsk_5g is invalid. Please check that the following rules are "
     "met:wlanPsk_5G must contain 8 to 63 ASCII characters, except special characters \\ ' \" ",
     true},
    {"The MAC:%s wlanPsk_2.4g is invalid. Please check that the following rules are met"
     "\xEF\xBC\x9A"
     "wlanPsk_2.4G must contain 8 to 63 ASCII characters, except special characters \\ ' \" ",
     true},
    {"The MAC:%s loidis is invalid. Please check that the following rules are met"
     "\xEF\xBC\x9A"
     "loid contains a maximum of 24 characters, including digits, uppercase and lowercase "
     "letters, and special characters  `~!@#$%%^&*()_+-=[]\\{}|;':\"<>,./",
     true},
    {"The MAC:%s loidPassword is invalid. Please check that the following rules are met"
     "\xEF\xBC\x9A"
     "to enter the loidPassword, you must first enter loid;The 'loidPassword' support 12 "
     "characters, including digits, letters, and special characters.:-_/@;",
     true},
    {"The MAC:%s to set loidPassword, you must set loid first.", true},
    {"The MAC:%s ploamPassword is invalid. Please check that the following rules are met"
     "\xEF\xBC\x9A"
     "ploamPassword must contain 1 to 10 characters, including digits, letters, and special "
     "characters .:-_/@",
     true},
    {"The MAC:%s loginPassword is invalid. Please check that the following rules are met"
     "\xEF\xBC\x9A"
     "loginPassword must contain 1 to 30 ASCII characters without spaces,not allowed blank space!",
     true},
}};

// Fills %s and %d with the arguments in turn and turns %% into %. A translation is
// read from a file the operator can edit, so it is never handed to printf: a stray
// or surplus conversion is copied as it stands instead of reading past the arguments.
std::string FillMessage(std::string_view format, const std::vector<std::string_view>& args) {
    std::string out;
    auto next = args.begin();
    for (size_t at = 0; at < format.size(); ++at) {
        char c = format[at];
        char following = at + 1 < format.size() ? format[at + 1] : '\0';
        if (c == '%' && following == '%') {
            out += '%';
            ++at;
        } else if (c == '%' && (following == 's' || following == 'd') && next != args.end()) {
            out.append(*next++);
            ++at;
        } else {
            out += c;
        }
    }
    return out;
}

batch_check Failure(BatchMessage id, size_t record, const custom_value_stu& values,
                    std::initializer_list<std::string_view> entry_values = {}) {
    const batch_message& message = kBatchMessages[id];
    std::string mac = CleanUtf8(ReadFixedText(values.mac));
    std::vector<std::string_view> args{mac};
    args.insert(args.end(), entry_values.begin(), entry_values.end());
    std::string format = message.translated ? TranslateText(message.format) : message.format;
    std::string text = FillMessage(format, args);
    if (!message.translated) {
        text.resize(Utf8PrefixLength(text, kUntranslatedMessageMaxBytes));
    }
    return {false, std::move(text), record};
}

template <size_t N>
std::u16string FieldText(const char (&field)[N]) {
    return Utf8ToUtf16(ReadFixedText(field));
}

template <size_t N>
int FieldNumber(const char (&field)[N]) {
    return ParseAtoi(ReadFixedText(field));
}

std::optional<batch_check> CheckRecord(const custom_value_stu& values,
                                       const custom_value_stu& templ, bool wireless_columns,
                                       size_t record) {
    // The count comes from the sheet reader, but a record built any other way must
    // still not index past the ten WAN entries.
    int wan_count = std::clamp(values.wanCount, 0, kMaxWanEntries);
    for (int i = 0; i < wan_count; ++i) {
        std::string entry = std::to_string(i + 1);
        if (FieldNumber(templ.vid[i]) != 0) {
            int vid = FieldNumber(values.vid[i]);
            if (vid < kMinVlanId || vid > kMaxVlanId) {
                return Failure(MESSAGE_VLAN_ID, record, values, {entry, std::to_string(vid)});
            }
        }
        if (FieldNumber(templ.ChannelMode[i]) == kPppoeChannelMode) {
            if (!IsValidPppUser(FieldText(values.pppUser[i]))) {
                return Failure(MESSAGE_PPP_USER, record, values, {entry});
            }
            if (!IsValidPppPassword(FieldText(values.pppPassword[i]))) {
                return Failure(MESSAGE_PPP_PASSWORD, record, values, {entry});
            }
        }
    }

    if (wireless_columns) {
        bool dual_band = templ.dualBand == kDualBand;
        if (dual_band && !IsValidSsid(FieldText(values.ssid_5g))) {
            return Failure(MESSAGE_SSID_5G, record, values);
        }
        if (!IsValidSsid(FieldText(values.ssid_2_4g))) {
            return Failure(MESSAGE_SSID_2_4G, record, values);
        }
        if (dual_band && !IsValidWlanPsk(FieldText(values.wlanPsk_5g))) {
            return Failure(MESSAGE_WLAN_PSK_5G, record, values);
        }
        if (!IsValidWlanPsk(FieldText(values.wlanPsk_2_4g))) {
            return Failure(MESSAGE_WLAN_PSK_2_4G, record, values);
        }
    }

    std::u16string loid = FieldText(values.loid);
    std::u16string loid_password = FieldText(values.loidPassword);
    if (!IsValidLoid(loid)) {
        return Failure(MESSAGE_LOID, record, values);
    }
    if (!IsValidLoidPassword(loid_password)) {
        return Failure(MESSAGE_LOID_PASSWORD, record, values);
    }
    if (loid.empty() && !loid_password.empty()) {
        return Failure(MESSAGE_LOID_PASSWORD_WITHOUT_LOID, record, values);
    }
    std::u16string ploam_password = FieldText(values.ploamPassword);
    if (!ploam_password.empty() && !IsValidPloamPassword(ploam_password)) {
        return Failure(MESSAGE_PLOAM_PASSWORD, record, values);
    }
    if (!IsValidLoginPassword(FieldText(values.loginPassword))) {
        return Failure(MESSAGE_LOGIN_PASSWORD, record, values);
    }
    return std::nullopt;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        auto b = static_cast<unsigned char>(text[at]);
        if (b <= kLastAscii) {
            out += static_cast<char16_t>(b);
            ++at;
            continue;
        }
        auto sequence = DecodeSequence(text, at);
        if (!sequence) {
            out += kReplacementCharacter;
            ++at;
            continue;
        }
        uint32_t code_point = sequence->first;
        if (code_point < kFirstSupplementary) {
            out += static_cast<char16_t>(code_point);
        } else {
            uint32_t offset = code_point - kFirstSupplementary;
            out += static_cast<char16_t>(kHighSurrogateBase + (offset >> kSurrogatePayloadBits));
            out += static_cast<char16_t>(kLowSurrogateBase + (offset & kSurrogatePayloadMask));
        }
        at += sequence->second;
    }
    return out;
}

size_t Utf8Length(std::u16string_view text) {
    size_t bytes = 0;
    for (char16_t c : text) {
        bytes += c <= kLastAscii ? 1 : c <= kLastTwoByteUnit ? 2 : 3;
    }
    return bytes;
}

bool IsChineseChar(char16_t c) {
    if (c >= kFirstIdeograph && c <= kLastIdeograph) {
        return true;
    }
    return std::find(kChinesePunctuation.begin(), kChinesePunctuation.end(), c) !=
           kChinesePunctuation.end();
}

bool IsValidPppUser(std::u16string_view text) {
    return PppCharacters(text) && BytesWithin(text, 1, kPppUserMaxBytes);
}

bool IsValidPppPassword(std::u16string_view text) {
    return PppCharacters(text) && BytesWithin(text, 1, kPppPasswordMaxBytes);
}

bool IsValidSsid(std::u16string_view text) {
    bool characters =
        AllCharacters(text, [](char16_t c) { return c != kSpace && !IsChineseChar(c); });
    return characters && BytesWithin(text, 1, kSsidMaxBytes);
}

bool IsValidWlanPsk(std::u16string_view text) {
    bool characters = AllCharacters(
        text, [](char16_t c) { return c <= kLastAscii && !Contains(kWlanPskForbidden, c); });
    return characters && text.size() >= kWlanPskMinCharacters &&
           text.size() <= kWlanPskMaxCharacters;
}

bool IsValidLoid(std::u16string_view text) {
    bool characters = AllCharacters(
        text, [](char16_t c) { return IsAsciiLetterOrDigit(c) || Contains(kLoidPunctuation, c); });
    return characters && Utf8Length(text) <= kLoidMaxBytes;
}

bool IsValidLoidPassword(std::u16string_view text) {
    return GponPasswordCharacters(text) && Utf8Length(text) <= kLoidPasswordMaxBytes;
}

bool IsValidPloamPassword(std::u16string_view text) {
    return GponPasswordCharacters(text) && BytesWithin(text, 1, kPloamPasswordMaxBytes);
}

bool IsValidLoginPassword(std::u16string_view text) {
    bool characters =
        AllCharacters(text, [](char16_t c) { return c <= kLastAscii && c != kSpace; });
    return characters && !text.empty() && text.size() <= kLoginPasswordMaxCharacters;
}

batch_check CheckBatchValues(const std::vector<custom_value_stu>& records,
                             const custom_value_stu& templ, bool wireless_columns) {
    for (size_t record = 0; record < records.size(); ++record) {
        if (auto failure = CheckRecord(records[record], templ, wireless_columns, record)) {
            return std::move(*failure);
        }
    }
    return {true, {}, records.size()};
}

}  // namespace plindar
