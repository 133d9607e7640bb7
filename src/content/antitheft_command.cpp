// Anti-theft checks and command text.
#include "content/antitheft_command.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "protocol/fixed_text.h"
#include "records/text_trim.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

// The command's fixed parts, between which the values are inserted.
constexpr std::string_view kLockcodeOpen = "{\"Lockcode\":\"";
constexpr std::string_view kEnableOpen = "\",\"Enable\":\"";
constexpr std::string_view kAcNameOpen = "\",\"ACName\":\"";
constexpr std::string_view kDns1Open = "\",\"DNS1\":\"";
constexpr std::string_view kDns2Open = "\",\"DNS2\":\"";
constexpr std::string_view kCommandClose = "\"}";
constexpr char kEnableOn = '1';
constexpr char kEnableOff = '0';

// A character count alone would let a run of stray UTF-8 continuation bytes (which
// count as no character) through at any length; no well-formed character is longer
// than this, so the limits also bound the bytes.
constexpr size_t kMaxUtf8CharacterBytes = 4;

constexpr size_t kCommandFixedLength = kLockcodeOpen.size() + kEnableOpen.size() + 1 +
                                       kAcNameOpen.size() + kDns1Open.size() + kDns2Open.size() +
                                       kCommandClose.size();
static_assert(std::string_view(kUnsetDnsAddress).size() <= kDnsMaxCharacters);
static_assert(kCommandFixedLength +
                      kMaxUtf8CharacterBytes *
                          (kLockCodeMaxCharacters + kAcNameMaxCharacters + 2 * kDnsMaxCharacters) <=
                  kAntiTheftCommandCapacity,
              "values within their limits must always give a command that fits its field");

// Control characters end or corrupt the one-line JSON text on the device's side.
constexpr unsigned char kFirstPrintable = 0x20;

antitheft_check Passed() {
    return {true, {}, ANTITHEFT_FIELD_NONE};
}

antitheft_check Failed(const char* message, AntiTheftField focus) {
    return {false, TranslateText(message), focus};
}

bool HasQuoteOrBackslash(const std::string& text) {
    return text.find_first_of("\"\\") != std::string::npos;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < kFirstPrintable; });
}

bool WithinLimit(const std::string& text, size_t max_characters) {
    return Utf8CharacterCount(text) <= max_characters &&
           text.size() <= max_characters * kMaxUtf8CharacterBytes;
}

// One box's limit and control-character checks.
struct limited_field {
    const std::string& text;
    size_t max_characters;
    const char* too_long;
    const char* control;
    AntiTheftField focus;
};

bool CheckField(const limited_field& field, antitheft_check* result) {
    if (!WithinLimit(field.text, field.max_characters)) {
        *result = Failed(field.too_long, field.focus);
        return false;
    }
    if (HasControlCharacter(field.text)) {
        *result = Failed(field.control, field.focus);
        return false;
    }
    return true;
}

}  // namespace

bool IsDnsFilled(const std::string& text) {
    return !text.empty() && text != kDnsPlaceholder;
}

bool IsValidDnsAddress(const std::string& text) {
    const std::string address(TrimText(text));
    if (address.empty()) {
        return false;
    }
    in_addr ipv4;
    if (inet_pton(AF_INET, address.c_str(), &ipv4) == 1) {
        return true;
    }
    in6_addr ipv6;
    return inet_pton(AF_INET6, address.c_str(), &ipv6) == 1;
}

antitheft_check ValidateAntiTheftInput(const antitheft_values& values) {
    if (values.lock_code.empty()) {
        return Failed("Please input the Lock Code information!", ANTITHEFT_FIELD_LOCK_CODE);
    }
    if (HasQuoteOrBackslash(values.lock_code)) {
        return Failed("The input Lock Code cannot contain the characters \" or \\ ",
                      ANTITHEFT_FIELD_LOCK_CODE);
    }
    if (!values.enable) {
        return Passed();
    }
    if (values.confirm_lock_code.empty()) {
        return Failed("Please input the Confirm Lock Code information!",
                      ANTITHEFT_FIELD_CONFIRM_LOCK_CODE);
    }
    if (HasQuoteOrBackslash(values.confirm_lock_code)) {
        return Failed("The input Confirm Lock Code cannot contain the characters \" or \\ ",
                      ANTITHEFT_FIELD_CONFIRM_LOCK_CODE);
    }
    if (values.lock_code != values.confirm_lock_code) {
        return Failed("The input information of the two is inconsistent!",
                      ANTITHEFT_FIELD_CONFIRM_LOCK_CODE);
    }
    if (values.ac_name.empty()) {
        return Failed("Please input the AC Name information!", ANTITHEFT_FIELD_AC_NAME);
    }
    if (HasQuoteOrBackslash(values.ac_name)) {
        return Failed("The input AC Name cannot contain the characters \" or \\ ",
                      ANTITHEFT_FIELD_AC_NAME);
    }
    if (IsDnsFilled(values.primary_dns) && !IsValidDnsAddress(values.primary_dns)) {
        return Failed("The Primary DNS is invalid!", ANTITHEFT_FIELD_PRIMARY_DNS);
    }
    if (IsDnsFilled(values.secondary_dns) && !IsValidDnsAddress(values.secondary_dns)) {
        return Failed("The Secondary DNS is invalid!", ANTITHEFT_FIELD_SECONDARY_DNS);
    }
    return Passed();
}

antitheft_check CheckAntiTheftLimits(const antitheft_values& values) {
    antitheft_check result = Passed();
    if (!CheckField({values.lock_code, kLockCodeMaxCharacters,
                     "The Lock Code can have at most 32 characters!",
                     "The Lock Code cannot contain control characters!", ANTITHEFT_FIELD_LOCK_CODE},
                    &result)) {
        return result;
    }
    if (!values.enable) {
        return result;
    }
    if (!CheckField({values.confirm_lock_code, kConfirmLockCodeMaxCharacters,
                     "The Confirm Lock Code can have at most 32 characters!",
                     "The Confirm Lock Code cannot contain control characters!",
                     ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
                    &result)) {
        return result;
    }
    if (!CheckField(
            {values.ac_name, kAcNameMaxCharacters, "The AC Name can have at most 32 characters!",
             "The AC Name cannot contain control characters!", ANTITHEFT_FIELD_AC_NAME},
            &result)) {
        return result;
    }
    if (IsDnsFilled(values.primary_dns) &&
        !CheckField(
            {values.primary_dns, kDnsMaxCharacters,
             "The Primary DNS can have at most 15 characters!",
             "The Primary DNS cannot contain control characters!", ANTITHEFT_FIELD_PRIMARY_DNS},
            &result)) {
        return result;
    }
    if (IsDnsFilled(values.secondary_dns) &&
        !CheckField(
            {values.secondary_dns, kDnsMaxCharacters,
             "The Secondary DNS can have at most 15 characters!",
             "The Secondary DNS cannot contain control characters!", ANTITHEFT_FIELD_SECONDARY_DNS},
            &result)) {
        return result;
    }
    return result;
}

std::string BuildAntiTheftCommand(const antitheft_values& values) {
    const std::string_view ac_name = values.enable ? std::string_view(values.ac_name) : "";
    const std::string_view dns1 = values.enable && IsDnsFilled(values.primary_dns)
                                      ? std::string_view(values.primary_dns)
                                      : kUnsetDnsAddress;
    const std::string_view dns2 = values.enable && IsDnsFilled(values.secondary_dns)
                                      ? std::string_view(values.secondary_dns)
                                      : kUnsetDnsAddress;
    std::string command;
    command.reserve(kCommandFixedLength + values.lock_code.size() + ac_name.size() + dns1.size() +
                    dns2.size());
    command.append(kLockcodeOpen).append(values.lock_code);
    command.append(kEnableOpen).push_back(values.enable ? kEnableOn : kEnableOff);
    command.append(kAcNameOpen).append(ac_name);
    command.append(kDns1Open).append(dns1);
    command.append(kDns2Open).append(dns2);
    command.append(kCommandClose);
    return command;
}

bool AntiTheftCommandFits(const std::string& command) {
    return command.size() <= kAntiTheftCommandCapacity && command.find('\0') == std::string::npos;
}

}  // namespace plindar
