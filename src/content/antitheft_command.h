// Anti-theft values: the checks made before sending and the one-line JSON command text.
#pragma once

#include <cstddef>
#include <string>

namespace plindar {

// Texts as the operator, a template or the command line entered them (UTF-8, never
// trimmed: what was typed is what the device receives).
struct antitheft_values {
    std::string lock_code;
    std::string confirm_lock_code;
    bool enable = true;
    std::string ac_name;
    std::string primary_dns;
    std::string secondary_dns;
};

// The input box that a failed check points the operator at.
enum AntiTheftField {
    ANTITHEFT_FIELD_NONE,
    ANTITHEFT_FIELD_LOCK_CODE,
    ANTITHEFT_FIELD_CONFIRM_LOCK_CODE,
    ANTITHEFT_FIELD_AC_NAME,
    ANTITHEFT_FIELD_PRIMARY_DNS,
    ANTITHEFT_FIELD_SECONDARY_DNS,
};

// ok with an empty message and no focus, or the first failure: its translated
// message and the box to focus.
struct antitheft_check {
    bool ok;
    std::string message;
    AntiTheftField focus;
};

// An empty DNS box shows this grey hint as its text, so a box holding exactly this
// text was never filled in.
inline constexpr char kDnsPlaceholder[] = "e.g. 8.8.8.8";
// What the device is sent for a DNS server it should not use.
inline constexpr char kUnsetDnsAddress[] = "0.0.0.0";

// The input boxes' text limits, in characters.
constexpr size_t kLockCodeMaxCharacters = 32;
constexpr size_t kConfirmLockCodeMaxCharacters = 32;
constexpr size_t kAcNameMaxCharacters = 32;
constexpr size_t kDnsMaxCharacters = 15;

// The command travels in a 512-byte field that keeps a terminating zero.
constexpr size_t kAntiTheftCommandCapacity = 511;

// True when the box holds an address of its own rather than nothing or the hint.
bool IsDnsFilled(const std::string& text);

// An IPv4 address in dotted decimal or, failing that, an IPv6 address, once white
// space at both ends is set aside. Host names are not addresses.
bool IsValidDnsAddress(const std::string& text);

// The operator's checks, in the order the page shows them. The Lock Code checks run
// whatever the switch says, since an empty or quoted lock code is sent even when
// protection is being turned off; with the switch off nothing else is checked.
antitheft_check ValidateAntiTheftInput(const antitheft_values& values);

// Holds values that did not come through the input boxes (templates, the command
// line) to the boxes' limits, and refuses control characters, which would break the
// one-line command. Only what the command carries is checked: with the switch off
// that is the Lock Code alone. Values that pass always give a command that fits.
antitheft_check CheckAntiTheftLimits(const antitheft_values& values);

// {"Lockcode":"..","Enable":"1","ACName":"..","DNS1":"..","DNS2":".."}, values
// inserted as entered with no escaping; run the two checks above first.
std::string BuildAntiTheftCommand(const antitheft_values& values);

// True when the command survives the zero-terminated field whole: short enough and
// with no zero byte of its own to cut it early.
bool AntiTheftCommandFits(const std::string& command);

}  // namespace plindar
