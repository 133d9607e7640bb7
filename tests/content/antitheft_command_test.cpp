// Anti-theft checks, limits and the exact command text the devices receive.
#include "content/antitheft_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace plindar {
namespace {

const char kLockQuoteMessage[] = "The input Lock Code cannot contain the characters \" or \\ ";
const char kConfirmQuoteMessage[] =
    "The input Confirm Lock Code cannot contain the characters \" or \\ ";
const char kAcNameQuoteMessage[] = "The input AC Name cannot contain the characters \" or \\ ";

// A complete, valid entry with the switch on and the DNS boxes untouched.
antitheft_values ValidValues() {
    antitheft_values values;
    values.lock_code = "Lock-2024";
    values.confirm_lock_code = "Lock-2024";
    values.enable = true;
    values.ac_name = "AC-Floor3";
    values.primary_dns = kDnsPlaceholder;
    values.secondary_dns = "";
    return values;
}

struct check_case {
    const char* name;
    std::function<void(antitheft_values&)> change;
    std::string message;  // empty: accepted
    AntiTheftField focus;
};

void ExpectChecks(const std::vector<check_case>& cases,
                  const std::function<antitheft_check(const antitheft_values&)>& check) {
    for (const check_case& c : cases) {
        antitheft_values values = ValidValues();
        c.change(values);
        const antitheft_check result = check(values);
        EXPECT_EQ(result.ok, c.message.empty()) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        EXPECT_EQ(result.focus, c.focus) << c.name;
    }
}

TEST(AntiTheftValidation, FirstFailedCheckGivesItsMessageAndFocus) {
    const std::vector<check_case> cases = {
        {"valid, DNS untouched", [](antitheft_values&) {}, "", ANTITHEFT_FIELD_NONE},
        {"empty lock code", [](antitheft_values& v) { v.lock_code = ""; },
         "Please input the Lock Code information!", ANTITHEFT_FIELD_LOCK_CODE},
        {"empty lock code reported before empty AC Name",
         [](antitheft_values& v) {
             v.lock_code = "";
             v.ac_name = "";
         },
         "Please input the Lock Code information!", ANTITHEFT_FIELD_LOCK_CODE},
        {"quote in lock code",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = "ab\"cd"; },
         kLockQuoteMessage, ANTITHEFT_FIELD_LOCK_CODE},
        {"backslash in lock code",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = "ab\\cd"; },
         kLockQuoteMessage, ANTITHEFT_FIELD_LOCK_CODE},
        {"empty confirm", [](antitheft_values& v) { v.confirm_lock_code = ""; },
         "Please input the Confirm Lock Code information!", ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"quote in confirm", [](antitheft_values& v) { v.confirm_lock_code = "Lock-2024\""; },
         kConfirmQuoteMessage, ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"backslash in confirm", [](antitheft_values& v) { v.confirm_lock_code = "\\"; },
         kConfirmQuoteMessage, ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"confirm differs in one character",
         [](antitheft_values& v) { v.confirm_lock_code = "Lock-2025"; },
         "The input information of the two is inconsistent!", ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"confirm differs only in case",
         [](antitheft_values& v) { v.confirm_lock_code = "lock-2024"; },
         "The input information of the two is inconsistent!", ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"confirm has a trailing blank (never trimmed)",
         [](antitheft_values& v) { v.confirm_lock_code = "Lock-2024 "; },
         "The input information of the two is inconsistent!", ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"empty AC Name", [](antitheft_values& v) { v.ac_name = ""; },
         "Please input the AC Name information!", ANTITHEFT_FIELD_AC_NAME},
        {"quote in AC Name", [](antitheft_values& v) { v.ac_name = "AC\"1"; }, kAcNameQuoteMessage,
         ANTITHEFT_FIELD_AC_NAME},
        {"backslash in AC Name", [](antitheft_values& v) { v.ac_name = "AC\\1"; },
         kAcNameQuoteMessage, ANTITHEFT_FIELD_AC_NAME},
        {"three dotted numbers in Primary", [](antitheft_values& v) { v.primary_dns = "1.2.3"; },
         "The Primary DNS is invalid!", ANTITHEFT_FIELD_PRIMARY_DNS},
        {"only blanks in Primary", [](antitheft_values& v) { v.primary_dns = "   "; },
         "The Primary DNS is invalid!", ANTITHEFT_FIELD_PRIMARY_DNS},
        {"host name in Secondary", [](antitheft_values& v) { v.secondary_dns = "dns.google"; },
         "The Secondary DNS is invalid!", ANTITHEFT_FIELD_SECONDARY_DNS},
        {"both DNS invalid: Primary first",
         [](antitheft_values& v) {
             v.primary_dns = "1.2.3";
             v.secondary_dns = "dns.google";
         },
         "The Primary DNS is invalid!", ANTITHEFT_FIELD_PRIMARY_DNS},
        {"IPv6 loopback in Primary", [](antitheft_values& v) { v.primary_dns = "::1"; }, "",
         ANTITHEFT_FIELD_NONE},
        {"placeholder in Secondary", [](antitheft_values& v) { v.secondary_dns = kDnsPlaceholder; },
         "", ANTITHEFT_FIELD_NONE},
        {"blanks around a valid address",
         [](antitheft_values& v) {
             v.primary_dns = " 8.8.8.8 ";
             v.secondary_dns = "0.0.0.0";
         },
         "", ANTITHEFT_FIELD_NONE},
    };
    ExpectChecks(cases, ValidateAntiTheftInput);
}

TEST(AntiTheftValidation, SwitchOffStillRequiresAUsableLockCodeButNothingElse) {
    const std::vector<check_case> cases = {
        {"off, empty lock code",
         [](antitheft_values& v) {
             v.enable = false;
             v.lock_code = "";
         },
         "Please input the Lock Code information!", ANTITHEFT_FIELD_LOCK_CODE},
        {"off, quote in lock code",
         [](antitheft_values& v) {
             v.enable = false;
             v.lock_code = "a\"b";
         },
         kLockQuoteMessage, ANTITHEFT_FIELD_LOCK_CODE},
        {"off, hidden rows empty or wrong",
         [](antitheft_values& v) {
             v.enable = false;
             v.confirm_lock_code = "";
             v.ac_name = "A\"C";
             v.primary_dns = "1.2.3";
             v.secondary_dns = "dns.google";
         },
         "", ANTITHEFT_FIELD_NONE},
    };
    ExpectChecks(cases, ValidateAntiTheftInput);
}

TEST(AntiTheftValidation, DnsAddressesAreIpv4OrIpv6TextOnly) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"8.8.8.8", true},     {"0.0.0.0", true},      {"255.255.255.255", true},
        {"::1", true},         {"2001:db8::53", true}, {"\t8.8.4.4\r\n", true},
        {"", false},           {" \t ", false},        {"1.2.3", false},
        {"256.1.1.1", false},  {"8.8.8.8.8", false},   {"8.8.8 .8", false},
        {"dns.google", false}, {"localhost", false},   {"::1::2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidDnsAddress(c.text), c.valid) << '"' << c.text << '"';
    }
}

TEST(AntiTheftCommand, TextIsExactlyTheOneLineObjectTheDevicesParse) {
    const struct {
        const char* name;
        std::function<void(antitheft_values&)> change;
        std::string command;
    } cases[] = {
        {"switch on, DNS untouched", [](antitheft_values&) {},
         R"({"Lockcode":"Lock-2024","Enable":"1","ACName":"AC-Floor3","DNS1":"0.0.0.0","DNS2":"0.0.0.0"})"},
        {"switch on, both DNS filled, IPv6 sent as typed",
         [](antitheft_values& v) {
             v.primary_dns = "::1";
             v.secondary_dns = "8.8.4.4";
         },
         R"({"Lockcode":"Lock-2024","Enable":"1","ACName":"AC-Floor3","DNS1":"::1","DNS2":"8.8.4.4"})"},
        {"switch on, values never trimmed",
         [](antitheft_values& v) {
             v.lock_code = " key ";
             v.ac_name = "AC 7 ";
             v.secondary_dns = " 1.1.1.1";
         },
         R"({"Lockcode":" key ","Enable":"1","ACName":"AC 7 ","DNS1":"0.0.0.0","DNS2":" 1.1.1.1"})"},
        {"switch off with AC Name and DNS filled",
         [](antitheft_values& v) {
             v.enable = false;
             v.primary_dns = "9.9.9.9";
             v.secondary_dns = "::1";
         },
         R"({"Lockcode":"Lock-2024","Enable":"0","ACName":"","DNS1":"0.0.0.0","DNS2":"0.0.0.0"})"},
        {"UTF-8 passes through byte for byte",
         [](antitheft_values& v) {
             v.lock_code = "Schlüssel";
             v.ac_name = "Büro-Süd";
         },
         R"({"Lockcode":"Schlüssel","Enable":"1","ACName":"Büro-Süd","DNS1":"0.0.0.0","DNS2":"0.0.0.0"})"},
    };
    for (const auto& c : cases) {
        antitheft_values values = ValidValues();
        c.change(values);
        EXPECT_EQ(BuildAntiTheftCommand(values), c.command) << c.name;
    }
}

// n copies of a four-byte character (U+1F512), the widest UTF-8 can be.
std::string WideCharacters(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        text += "\xF0\x9F\x94\x92";
    }
    return text;
}

TEST(AntiTheftLimits, TemplateValuesAreHeldToTheBoxLimits) {
    const std::vector<check_case> cases = {
        {"every value at its limit",
         [](antitheft_values& v) {
             v.lock_code = v.confirm_lock_code = WideCharacters(32);
             v.ac_name = std::string(32, 'a');
             v.primary_dns = "255.255.255.255";
             v.secondary_dns = "123.123.123.123";
         },
         "", ANTITHEFT_FIELD_NONE},
        {"lock code one over",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = std::string(33, 'k'); },
         "The Lock Code can have at most 32 characters!", ANTITHEFT_FIELD_LOCK_CODE},
        {"lock code one wide character over",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = WideCharacters(33); },
         "The Lock Code can have at most 32 characters!", ANTITHEFT_FIELD_LOCK_CODE},
        {"stray continuation bytes count by their bytes",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = std::string(129, '\x80'); },
         "The Lock Code can have at most 32 characters!", ANTITHEFT_FIELD_LOCK_CODE},
        {"confirm one over",
         [](antitheft_values& v) { v.confirm_lock_code = std::string(33, 'k'); },
         "The Confirm Lock Code can have at most 32 characters!",
         ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"AC Name one over", [](antitheft_values& v) { v.ac_name = std::string(33, 'a'); },
         "The AC Name can have at most 32 characters!", ANTITHEFT_FIELD_AC_NAME},
        {"Primary DNS one over", [](antitheft_values& v) { v.primary_dns = "2001:db8:0:0::53"; },
         "The Primary DNS can have at most 15 characters!", ANTITHEFT_FIELD_PRIMARY_DNS},
        {"Secondary DNS one over",
         [](antitheft_values& v) { v.secondary_dns = " 255.255.255.255"; },
         "The Secondary DNS can have at most 15 characters!", ANTITHEFT_FIELD_SECONDARY_DNS},
        {"tab in lock code",
         [](antitheft_values& v) { v.lock_code = v.confirm_lock_code = "Lock\t2024"; },
         "The Lock Code cannot contain control characters!", ANTITHEFT_FIELD_LOCK_CODE},
        {"zero byte in lock code",
         [](antitheft_values& v) {
             v.lock_code = v.confirm_lock_code = std::string("Lock\0-2024", 10);
         },
         "The Lock Code cannot contain control characters!", ANTITHEFT_FIELD_LOCK_CODE},
        {"newline in confirm", [](antitheft_values& v) { v.confirm_lock_code = "Lock-2024\n"; },
         "The Confirm Lock Code cannot contain control characters!",
         ANTITHEFT_FIELD_CONFIRM_LOCK_CODE},
        {"newline in AC Name", [](antitheft_values& v) { v.ac_name = "AC\nFloor3"; },
         "The AC Name cannot contain control characters!", ANTITHEFT_FIELD_AC_NAME},
        {"escape in AC Name", [](antitheft_values& v) { v.ac_name = "AC\x1B"; },
         "The AC Name cannot contain control characters!", ANTITHEFT_FIELD_AC_NAME},
        {"tab around Primary DNS", [](antitheft_values& v) { v.primary_dns = "\t8.8.8.8"; },
         "The Primary DNS cannot contain control characters!", ANTITHEFT_FIELD_PRIMARY_DNS},
        {"carriage return after Secondary DNS",
         [](antitheft_values& v) { v.secondary_dns = "8.8.8.8\r"; },
         "The Secondary DNS cannot contain control characters!", ANTITHEFT_FIELD_SECONDARY_DNS},
        {"switch off: hidden rows are not sent, so not held",
         [](antitheft_values& v) {
             v.enable = false;
             v.confirm_lock_code = std::string(100, 'k');
             v.ac_name = "AC\n" + std::string(100, 'a');
             v.primary_dns = std::string(40, '1');
         },
         "", ANTITHEFT_FIELD_NONE},
        {"switch off: lock code still held",
         [](antitheft_values& v) {
             v.enable = false;
             v.lock_code = std::string(33, 'k');
         },
         "The Lock Code can have at most 32 characters!", ANTITHEFT_FIELD_LOCK_CODE},
    };
    ExpectChecks(cases, CheckAntiTheftLimits);
}

TEST(AntiTheftLimits, ValuesWithinTheLimitsAlwaysGiveACommandThatFits) {
    // Widest possible values: four-byte characters or a run of stray continuation
    // bytes as long as the byte bound lets through, and the longest DNS texts.
    for (const std::string& widest : {WideCharacters(32), std::string(128, '\x80')}) {
        antitheft_values values = ValidValues();
        values.lock_code = values.confirm_lock_code = widest;
        values.ac_name = widest;
        values.primary_dns = "255.255.255.255";
        values.secondary_dns = "255.255.255.255";
        ASSERT_TRUE(ValidateAntiTheftInput(values).ok);
        ASSERT_TRUE(CheckAntiTheftLimits(values).ok);
        const std::string command = BuildAntiTheftCommand(values);
        EXPECT_GT(command.size(), 2 * widest.size());
        EXPECT_TRUE(AntiTheftCommandFits(command)) << command.size() << " bytes";
    }
}

TEST(AntiTheftLimits, OverlongTemplateValuesWouldNotHaveFitAndAreRefused) {
    antitheft_values values = ValidValues();
    values.lock_code = values.confirm_lock_code = std::string(250, 'k');
    values.ac_name = std::string(250, 'a');
    ASSERT_TRUE(ValidateAntiTheftInput(values).ok);
    EXPECT_FALSE(AntiTheftCommandFits(BuildAntiTheftCommand(values)));
    EXPECT_FALSE(CheckAntiTheftLimits(values).ok);
}

TEST(AntiTheftLimits, FitMeansWholeInTheZeroTerminatedField) {
    EXPECT_TRUE(AntiTheftCommandFits(std::string(kAntiTheftCommandCapacity, 'x')));
    EXPECT_FALSE(AntiTheftCommandFits(std::string(kAntiTheftCommandCapacity + 1, 'x')));
    EXPECT_FALSE(AntiTheftCommandFits(std::string("{\"Lockcode\":\"a\0b\"}", 18)));
}

}  // namespace
}  // namespace plindar
