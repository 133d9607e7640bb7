// Batch sheet value rules: each rule's boundaries and the whole-sheet check's order,
// flags and exact messages.
#include "content/batch_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/fixed_text.h"

namespace plindar {
namespace {

using ::testing::StartsWith;

const std::u16string kPair = u"\U0001F600";  // one character outside the BMP: two units

std::u16string Repeat(std::u16string_view unit, size_t times) {
    std::u16string out;
    for (size_t i = 0; i < times; ++i) {
        out += unit;
    }
    return out;
}

std::u16string Ascii(size_t length) {
    return Repeat(u"a", length);
}

struct rule_case {
    std::u16string text;
    bool valid;
    const char* why;
};

void ExpectRule(bool (*rule)(std::u16string_view), const std::vector<rule_case>& cases) {
    for (const rule_case& c : cases) {
        EXPECT_EQ(rule(c.text), c.valid) << c.why;
    }
}

// A forbidden character fails even inside a text that is otherwise fine.
void ExpectEachRefused(bool (*rule)(std::u16string_view), std::u16string_view valid,
                       std::u16string_view forbidden) {
    ASSERT_TRUE(rule(valid));
    for (char16_t c : forbidden) {
        std::u16string text(valid);
        text.insert(text.begin() + 1, c);
        EXPECT_FALSE(rule(text)) << "character U+" << std::hex << static_cast<int>(c);
    }
}

TEST(BatchRulesText, Utf8ToUtf16DecodesWellFormedAndReplacesEachBadByte) {
    const struct {
        std::string in;
        std::u16string out;
        const char* why;
    } cases[] = {
        {"", u"", "empty"},
        {"ab\x7F", u"ab\x7F", "ASCII"},
        {"caf\xC3\xA9", u"caf\u00E9", "two-byte"},
        {"\xE4\xB8\xAD", u"\u4E2D", "three-byte"},
        {"\xF0\x9F\x98\x80", kPair, "four-byte becomes a surrogate pair"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", "highest code point"},
        {"caf\xE9", u"caf\uFFFD", "Latin-1 byte"},
        {"\x80x", u"\uFFFDx", "stray continuation byte"},
        {"\xC0\xAF", u"\uFFFD\uFFFD", "overlong slash"},
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", "overlong three-byte"},
        {"\xE4\xB8", u"\uFFFD\uFFFD", "sequence cut by the end"},
        {"\xE4\xB8x", u"\uFFFD\uFFFDx", "sequence cut by ASCII"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "encoded surrogate"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", "past U+10FFFF"},
        {"\xF5\xFF", u"\uFFFD\uFFFD", "bytes never in UTF-8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.why;
    }
}

TEST(BatchRulesText, Utf8LengthCountsPerCodeUnit) {
    const struct {
        std::u16string text;
        size_t bytes;
    } cases[] = {
        {u"", 0},       {u"\x7F", 1}, {u"\u0080", 2}, {u"\u07FF", 2},        {u"\u0800", 3},
        {u"\uFFFD", 3}, {kPair, 6},   {u"\xD800", 3}, {u"a\u00E9\u4E2D", 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8Length(c.text), c.bytes) << "length " << c.text.size();
    }
}

TEST(BatchRulesText, ChineseCharsAreTheIdeographRangeAndThePunctuationList) {
    const char16_t punctuation[] = {
        0x00B7, 0x2014, 0x2018, 0x2019, 0x201C, 0x201D, 0x2026, 0x3001, 0x3002, 0x3008, 0x3009,
        0x300A, 0x300B, 0x300C, 0x300D, 0x300E, 0x300F, 0x3010, 0x3011, 0x3014, 0x3015, 0xFE43,
        0xFE44, 0xFE4F, 0xFF01, 0xFF08, 0xFF09, 0xFF0C, 0xFF1A, 0xFF1B, 0xFF1F, 0xFF5E, 0xFFE5,
    };
    ASSERT_EQ(std::size(punctuation), 33u);
    for (char16_t c : punctuation) {
        EXPECT_TRUE(IsChineseChar(c)) << std::hex << static_cast<int>(c);
    }
    for (char16_t c : {0x4E00, 0x4E2D, 0x9FA5}) {
        EXPECT_TRUE(IsChineseChar(c)) << std::hex << static_cast<int>(c);
    }
    // Neighbours of the list and the range, and their ASCII look-alikes.
    for (char16_t c : {0x4DFF, 0x9FA6, 0x00B6, 0x2015, 0x3012, 0x3016, 0xFF1C, 0xFFE4, 0xFFE6,
                       0x0021, 0x003A, 0x0020, 0x00E9, 0xFFFD}) {
        EXPECT_FALSE(IsChineseChar(c)) << std::hex << static_cast<int>(c);
    }
}

constexpr std::u16string_view kPppForbidden = u"\"&'();<>\\`|";

TEST(BatchRules, PppUser) {
    ExpectRule(IsValidPppUser, {
                                   {u"", false, "empty"},
                                   {u"a", true, "one character"},
                                   {Ascii(63), true, "63 bytes"},
                                   {Ascii(64), false, "64 bytes"},
                                   {Repeat(u"\u4E2D", 21), true, "21 ideographs, 63 bytes"},
                                   {Repeat(u"\u4E2D", 22), false, "22 ideographs, 66 bytes"},
                                   {Repeat(kPair, 10) + Ascii(3), true, "10 pairs + 3, 63 bytes"},
                                   {Repeat(kPair, 10) + Ascii(4), false, "10 pairs + 4, 64 bytes"},
                                   {u"user name?$%@*=", true, "other punctuation"},
                                   {u"\u4E2D\uFF1A\u00E9", true, "non-ASCII is allowed"},
                               });
    ExpectEachRefused(IsValidPppUser, u"user", kPppForbidden);
}

TEST(BatchRules, PppPassword) {
    ExpectRule(IsValidPppPassword, {
                                       {u"", false, "empty"},
                                       {Ascii(29), true, "29 bytes"},
                                       {Ascii(30), false, "30 bytes"},
                                       {Repeat(u"\u00E9", 14) + u"a", true, "14 x 2 + 1 bytes"},
                                       {Repeat(u"\u00E9", 15), false, "15 x 2 bytes"},
                                       {Repeat(u"\u4E2D", 10), false, "10 ideographs, 30 bytes"},
                                       {u"pa ss#word!", true, "other punctuation"},
                                   });
    ExpectEachRefused(IsValidPppPassword, u"secret", kPppForbidden);
}

TEST(BatchRules, Ssid) {
    ExpectRule(IsValidSsid, {
                                {u"", false, "empty"},
                                {u"caf\u00E9", true, "accented letter, 5 bytes"},
                                {Ascii(32), true, "32 bytes"},
                                {Ascii(33), false, "33 bytes"},
                                {Repeat(u"\u00E9", 16), true, "16 x 2 bytes"},
                                {Repeat(u"\u00E9", 16) + u"a", false, "33 bytes of mixed width"},
                                {Repeat(kPair, 5) + Ascii(2), true, "5 pairs + 2, 32 bytes"},
                                {Repeat(kPair, 5) + Ascii(3), false, "5 pairs + 3, 33 bytes"},
                                {u"my wifi", false, "space"},
                                {u" ", false, "space alone"},
                                {u"\u4E2D", false, "one ideograph"},
                                {u"a\u3012b", true, "CJK symbol outside the list"},
                                {u"Net_5G-!@#\"'\\", true, "ASCII punctuation"},
                                {u"a\tb", true, "tab is not a space"},
                                {u"caf\uFFFD", true, "replacement character"},
                            });
    for (char16_t c : {0x00B7, 0x3002, 0xFF01, 0xFF1A, 0xFFE5}) {
        EXPECT_FALSE(IsValidSsid(std::u16string(u"wifi") + c))
            << "punctuation U+" << std::hex << static_cast<int>(c);
    }
}

TEST(BatchRules, WlanPsk) {
    ExpectRule(IsValidWlanPsk, {
                                   {u"", false, "empty"},
                                   {Ascii(7), false, "7 characters"},
                                   {Ascii(8), true, "8 characters"},
                                   {Ascii(63), true, "63 characters"},
                                   {Ascii(64), false, "64 characters"},
                                   {u"pass word", true, "space is ASCII"},
                                   {u"1234567\x7F", true, "U+007F is ASCII"},
                                   {u"1234567\u0080", false, "U+0080"},
                                   {u"1234567\u00E9", false, "accented letter"},
                                   {u"1234567\u4E2D", false, "ideograph"},
                                   {u"1234567\uFFFD", false, "replacement character"},
                                   {u"!#$%&()*+,-./:;<=>?@[]^_`{|}~", true, "other punctuation"},
                               });
    ExpectEachRefused(IsValidWlanPsk, u"password", u"\"'\\");
}

TEST(BatchRules, Loid) {
    ExpectRule(IsValidLoid, {
                                {u"", true, "empty"},
                                {Ascii(24), true, "24 characters"},
                                {Ascii(25), false, "25 characters"},
                                {u"AZaz09", true, "letters and digits"},
                                {u"!\"#$%&'()*+,-./", true, "U+0021 to U+002F"},
                                {u":;<=>@[\\]^_`{|}~", true, "the other punctuation"},
                                {u"loid?", false, "question mark"},
                                {u"lo id", false, "space"},
                                {u"lo\u00E9d", false, "accented letter"},
                                {u"lo\u4E2D", false, "ideograph"},
                                {u"lo\tid", false, "control character"},
                            });
}

TEST(BatchRules, LoidPassword) {
    ExpectRule(IsValidLoidPassword, {
                                        {u"", true, "empty"},
                                        {Ascii(12), true, "12 characters"},
                                        {Ascii(13), false, "13 characters"},
                                        {u"aZ9-./:@_", true, "the six punctuation characters"},
                                        {u"pass word", false, "space"},
                                        {u"\u00E9", false, "accented letter"},
                                    });
    ExpectEachRefused(IsValidLoidPassword, u"pw", u"!#$%&*+,;<=>?[\\]^`{|}~\"'()");
}

TEST(BatchRules, PloamPassword) {
    ExpectRule(IsValidPloamPassword, {
                                         {u"", false, "empty"},
                                         {Ascii(10), true, "10 characters"},
                                         {Ascii(11), false, "11 characters"},
                                         {u"-./:@_", true, "the six punctuation characters"},
                                         {u"\u00E9", false, "accented letter"},
                                     });
    ExpectEachRefused(IsValidPloamPassword, u"pw", u" !#$%&*+,;<=>?[\\]^`{|}~\"'()");
}

TEST(BatchRules, LoginPassword) {
    ExpectRule(IsValidLoginPassword, {
                                         {u"", false, "empty"},
                                         {Ascii(30), true, "30 characters"},
                                         {Ascii(31), false, "31 characters"},
                                         {u"admin pw", false, "space"},
                                         {u" ", false, "space alone"},
                                         {u"!\"#$%&'()*+,-./:;<=>?", true, "ASCII punctuation"},
                                         {u"@[\\]^_`{|}~\x7F\t", true, "more ASCII"},
                                         {u"adm\u00E9n", false, "accented letter"},
                                         {u"admin\uFFFD", false, "replacement character"},
                                     });
}

// ---- The whole-sheet check ----

const char kMac[] = "00:1A:2B:3C:4D:5E";

template <size_t N>
void Put(char (&field)[N], std::string_view text) {
    ASSERT_TRUE(WriteFixedText(field, text)) << text;
}

// Two WAN entries, both with a VLAN ID and PPPoE, and two wireless interfaces.
custom_value_stu FullTemplate() {
    custom_value_stu templ{};
    templ.wanCount = 2;
    for (int i = 0; i < 2; ++i) {
        Put(templ.vid[i], "100");
        Put(templ.ChannelMode[i], "2");
    }
    templ.dualBand = 1;
    return templ;
}

// A record that passes every check of FullTemplate with wireless columns.
custom_value_stu ValidRecord(const char* mac = kMac) {
    custom_value_stu r{};
    Put(r.mac, mac);
    r.wanCount = 2;
    for (int i = 0; i < 2; ++i) {
        Put(r.vid[i], "200");
        Put(r.pppUser[i], "user");
        Put(r.pppPassword[i], "secret");
    }
    Put(r.ssid_5g, "Home-5G");
    Put(r.ssid_2_4g, "Home");
    Put(r.wlanPsk_5g, "password5");
    Put(r.wlanPsk_2_4g, "password24");
    Put(r.loid, "loid-1");
    Put(r.loidPassword, "lp");
    Put(r.ploamPassword, "ploam");
    Put(r.loginPassword, "admin1");
    return r;
}

batch_check CheckOne(const custom_value_stu& record, const custom_value_stu& templ = FullTemplate(),
                     bool wireless = true) {
    return CheckBatchValues({record}, templ, wireless);
}

std::string M1(const std::string& mac, int k, int v) {
    return "The MAC:" + mac + " vid" + std::to_string(k) + " value:" + std::to_string(v) +
           " is invalid. Please check that the following rules are met:VLAN ID must be an "
           "integer ranging from 1 to 4094!";
}

struct message_case {
    const char* name;
    std::function<void(custom_value_stu&)> change;
    std::string message;
};

TEST(CheckBatchValues, EachRuleGivesItsExactMessage) {
    const std::vector<message_case> cases = {
        {"M1", [](custom_value_stu& r) { Put(r.vid[1], "4095"); }, M1(kMac, 2, 4095)},
        {"M2", [](custom_value_stu& r) { Put(r.pppUser[1], ""); },
         "The MAC:00:1A:2B:3C:4D:5E pppUser2 is invalid. Please check that the following rules "
         "are met:userName must contain 1 to 63 characters, except special characters "
         "&`()|\\<>;'\""},
        {"M3", [](custom_value_stu& r) { Put(r.pppPassword[0], "a(b)"); },
         "The MAC:00:1A:2B:3C:4D:5E pppPassword1 is invalid. Please check that the following "
         "rules are met:must contain 1 to 29 characters, except special characters "
         "&`()|\\<>;'\""},
        {"M4", [](custom_value_stu& r) { Put(r.ssid_5g, "my ssid"); },
         "The MAC:00:1A:2B:3C:4D:5E ssid_5g is invalid. Please check that the following rules "
         "are met:ssid_5G must contain 1 to 32 UTF-8 bytes.except Chinese or empty!"},
        {"M5", [](custom_value_stu& r) { Put(r.ssid_2_4g, "中"); },
         "The MAC:00:1A:2B:3C:4D:5E ssid_2.4g is invalid. Please check that the following rules "
         "are met:ssid_2.4G must contain 1 to 32 UTF-8 bytes.except Chinese or empty!"},
        {"M6", [](custom_value_stu& r) { Put(r.wlanPsk_5g, "short"); },
         "The MAC:00:1A:2B:3C:4D:5E wlanPsk_5g is invalid. Please check that the following rules "
         "are met:wlanPsk_5G must contain 8 to 63 ASCII characters, except special characters "
         "\\ ' \" "},
        {"M7", [](custom_value_stu& r) { Put(r.wlanPsk_2_4g, "pass\"word"); },
         "The MAC:00:1A:2B:3C:4D:5E wlanPsk_2.4g is invalid. Please check that the following "
         "rules are met：wlanPsk_2.4G must contain 8 to 63 ASCII characters, except special "
         "characters \\ ' \" "},
        {"M8", [](custom_value_stu& r) { Put(r.loid, "loid?"); },
         "The MAC:00:1A:2B:3C:4D:5E loidis is invalid. Please check that the following rules are "
         "met：loid contains a maximum of 24 characters, including digits, uppercase and "
         "lowercase letters, and special characters  `~!@#$%^&*()_+-=[]\\{}|;':\"<>,./"},
        {"M9", [](custom_value_stu& r) { Put(r.loidPassword, "pass word"); },
         "The MAC:00:1A:2B:3C:4D:5E loidPassword is invalid. Please check that the following "
         "rules are met：to enter the loidPassword, you must first enter loid;The 'loidPassword' "
         "support 12 characters, including digits, letters, and special characters.:-_/@;"},
        {"M10", [](custom_value_stu& r) { Put(r.loid, ""); },
         "The MAC:00:1A:2B:3C:4D:5E to set loidPassword, you must set loid first."},
        {"M11", [](custom_value_stu& r) { Put(r.ploamPassword, "12345678901"); },
         "The MAC:00:1A:2B:3C:4D:5E ploamPassword is invalid. Please check that the following "
         "rules are met：ploamPassword must contain 1 to 10 characters, including digits, "
         "letters, and special characters .:-_/@"},
        {"M12", [](custom_value_stu& r) { Put(r.loginPassword, "admin pw"); },
         "The MAC:00:1A:2B:3C:4D:5E loginPassword is invalid. Please check that the following "
         "rules are met：loginPassword must contain 1 to 30 ASCII characters without spaces,not "
         "allowed blank space!"},
    };
    ASSERT_TRUE(CheckOne(ValidRecord()).ok);
    for (const message_case& c : cases) {
        custom_value_stu record = ValidRecord();
        c.change(record);
        batch_check result = CheckOne(record);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        EXPECT_EQ(result.record, 0u) << c.name;
    }
}

TEST(CheckBatchValues, VlanIdIsReadAsANumberAndShownAsRead) {
    const struct {
        const char* vid;
        bool valid;
        int shown;
    } cases[] = {
        {"1", true, 0},    {"4094", true, 0},
        {" 12a", true, 0}, {"+4094", true, 0},
        {"0", false, 0},   {"4095", false, 4095},
        {"abc", false, 0}, {"", false, 0},
        {"-1", false, -1}, {"99999999999", false, INT_MAX},
    };
    for (const auto& c : cases) {
        custom_value_stu record = ValidRecord();
        Put(record.vid[0], c.vid);
        batch_check result = CheckOne(record);
        EXPECT_EQ(result.ok, c.valid) << '"' << c.vid << '"';
        EXPECT_EQ(result.message, c.valid ? "" : M1(kMac, 1, c.shown)) << '"' << c.vid << '"';
    }
}

// A record that breaks every rule; fixing the reported value each time must walk
// through the checks in their fixed order.
TEST(CheckBatchValues, ChecksRunInOrderAndTheFirstFailureWins) {
    custom_value_stu r = ValidRecord();
    Put(r.vid[0], "0");
    Put(r.pppUser[0], "a|b");
    Put(r.pppPassword[0], "");
    Put(r.vid[1], "5000");
    Put(r.ssid_5g, "");
    Put(r.ssid_2_4g, "a b");
    Put(r.wlanPsk_5g, "1234567");
    Put(r.wlanPsk_2_4g, "\xE9t\xE9-password");  // Latin-1 bytes, not UTF-8
    Put(r.loid, "lo id");
    Put(r.loidPassword, "p?");
    Put(r.ploamPassword, "p!");
    Put(r.loginPassword, "");

    const struct {
        const char* expected;  // what the MAC text is followed by
        std::function<void(custom_value_stu&)> fix;
    } steps[] = {
        {" vid1 value:0 ", [](custom_value_stu& v) { Put(v.vid[0], "1"); }},
        {" pppUser1 ", [](custom_value_stu& v) { Put(v.pppUser[0], "ab"); }},
        {" pppPassword1 ", [](custom_value_stu& v) { Put(v.pppPassword[0], "pw"); }},
        {" vid2 value:5000 ", [](custom_value_stu& v) { Put(v.vid[1], "5"); }},
        {" ssid_5g ", [](custom_value_stu& v) { Put(v.ssid_5g, "s5"); }},
        {" ssid_2.4g ", [](custom_value_stu& v) { Put(v.ssid_2_4g, "s24"); }},
        {" wlanPsk_5g ", [](custom_value_stu& v) { Put(v.wlanPsk_5g, "12345678"); }},
        {" wlanPsk_2.4g ", [](custom_value_stu& v) { Put(v.wlanPsk_2_4g, "12345678"); }},
        {" loidis ", [](custom_value_stu& v) { Put(v.loid, ""); }},
        // With the LOID empty, a bad LOID password is reported for its characters first.
        {" loidPassword is invalid", [](custom_value_stu& v) { Put(v.loidPassword, "p"); }},
        {" to set loidPassword", [](custom_value_stu& v) { Put(v.loid, "l"); }},
        {" ploamPassword ", [](custom_value_stu& v) { Put(v.ploamPassword, ""); }},
        {" loginPassword ", [](custom_value_stu& v) { Put(v.loginPassword, "x"); }},
    };
    const std::string prefix = std::string("The MAC:") + kMac;
    for (const auto& step : steps) {
        batch_check result = CheckOne(r);
        ASSERT_FALSE(result.ok) << step.expected;
        EXPECT_THAT(result.message, StartsWith(prefix + step.expected));
        step.fix(r);
    }
    batch_check result = CheckOne(r);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(result.record, 1u);
}

TEST(CheckBatchValues, OnlyTheFirstFailingRecordIsReported) {
    custom_value_stu second = ValidRecord("AA:BB:CC:DD:EE:02");
    Put(second.loid, "lo?");
    Put(second.loginPassword, "");
    custom_value_stu third = ValidRecord("AA:BB:CC:DD:EE:03");
    Put(third.vid[0], "0");
    batch_check result =
        CheckBatchValues({ValidRecord("AA:BB:CC:DD:EE:01"), second, third}, FullTemplate(), true);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.record, 1u);
    EXPECT_THAT(result.message, StartsWith("The MAC:AA:BB:CC:DD:EE:02 loidis is "));
}

TEST(CheckBatchValues, AnEmptyListOrAllValidRecordsPass) {
    batch_check empty = CheckBatchValues({}, FullTemplate(), true);
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.record, 0u);
    batch_check two = CheckBatchValues({ValidRecord(), ValidRecord()}, FullTemplate(), true);
    EXPECT_TRUE(two.ok);
    EXPECT_EQ(two.message, "");
    EXPECT_EQ(two.record, 2u);
}

TEST(CheckBatchValues, TemplateFlagsDecideWhichWanValuesAreChecked) {
    custom_value_stu bad = ValidRecord();
    Put(bad.vid[0], "0");
    Put(bad.pppUser[0], "");
    Put(bad.pppPassword[0], "");

    custom_value_stu templ = FullTemplate();
    Put(templ.vid[0], "0");
    Put(templ.ChannelMode[0], "1");
    EXPECT_TRUE(CheckOne(bad, templ).ok) << "vid 0 and ChannelMode 1 check nothing";

    Put(templ.vid[0], "none");
    EXPECT_TRUE(CheckOne(bad, templ).ok) << "a template vid without digits reads as 0";

    Put(templ.vid[0], " 7");
    EXPECT_EQ(CheckOne(bad, templ).message, M1(kMac, 1, 0));

    Put(templ.vid[0], "0");
    Put(templ.ChannelMode[0], " 2x");
    EXPECT_THAT(CheckOne(bad, templ).message, StartsWith("The MAC:00:1A:2B:3C:4D:5E pppUser1 "));

    // Entry 1 is checked completely before entry 2.
    custom_value_stu both = ValidRecord();
    Put(both.vid[1], "0");
    Put(both.pppUser[0], "");
    EXPECT_THAT(CheckOne(both).message, StartsWith("The MAC:00:1A:2B:3C:4D:5E pppUser1 "));
}

TEST(CheckBatchValues, TheRecordsWanCountBoundsTheEntriesChecked) {
    custom_value_stu record = ValidRecord();
    Put(record.vid[1], "0");
    record.wanCount = 1;
    EXPECT_TRUE(CheckOne(record).ok);

    // Counts a sheet reader never produces must neither index past the ten entries
    // nor turn into a huge or negative loop.
    custom_value_stu templ = FullTemplate();
    custom_value_stu all = ValidRecord();
    for (int i = 0; i < kMaxWanEntries; ++i) {
        Put(templ.vid[i], "1");
        Put(templ.ChannelMode[i], "1");
        Put(all.vid[i], "10");
    }
    Put(all.vid[kMaxWanEntries - 1], "0");
    for (int count : {11, 1000, INT_MAX}) {
        all.wanCount = count;
        EXPECT_EQ(CheckOne(all, templ).message, M1(kMac, 10, 0)) << count;
    }
    for (int count : {-1, INT_MIN}) {
        all.wanCount = count;
        EXPECT_TRUE(CheckOne(all, templ).ok) << count;
    }
}

TEST(CheckBatchValues, WirelessFlagsDecideWhichWirelessValuesAreChecked) {
    custom_value_stu no_5g = ValidRecord();
    Put(no_5g.ssid_5g, "");
    Put(no_5g.wlanPsk_5g, "");
    custom_value_stu single = FullTemplate();
    single.dualBand = 0;
    EXPECT_TRUE(CheckOne(no_5g, single).ok) << "dualBand 0 skips 5 GHz";
    EXPECT_THAT(CheckOne(no_5g, FullTemplate()).message,
                StartsWith("The MAC:00:1A:2B:3C:4D:5E ssid_5g "));

    custom_value_stu none = no_5g;
    Put(none.ssid_2_4g, "");
    Put(none.wlanPsk_2_4g, "");
    EXPECT_TRUE(CheckOne(none, FullTemplate(), false).ok) << "no wireless columns";
    EXPECT_THAT(CheckOne(none, single, true).message,
                StartsWith("The MAC:00:1A:2B:3C:4D:5E ssid_2.4g "));
}

TEST(CheckBatchValues, LoidPasswordNeedsALoid) {
    const struct {
        const char* loid;
        const char* password;
        bool valid;
    } cases[] = {
        {"", "", true},
        {"loid", "", true},
        {"loid", "pw", true},
        {"", "pw", false},
    };
    for (const auto& c : cases) {
        custom_value_stu record = ValidRecord();
        Put(record.loid, c.loid);
        Put(record.loidPassword, c.password);
        batch_check result = CheckOne(record);
        EXPECT_EQ(result.ok, c.valid) << c.loid << "/" << c.password;
        if (!c.valid) {
            EXPECT_EQ(result.message,
                      "The MAC:00:1A:2B:3C:4D:5E to set loidPassword, you must set loid first.");
        }
    }
}

TEST(CheckBatchValues, EmptyPloamPasswordIsSkippedButLoginPasswordIsNot) {
    custom_value_stu record = ValidRecord();
    Put(record.ploamPassword, "");
    EXPECT_TRUE(CheckOne(record).ok);
    Put(record.loginPassword, "");
    EXPECT_THAT(CheckOne(record).message, StartsWith("The MAC:00:1A:2B:3C:4D:5E loginPassword "));
}

// Fields filled to their last byte with no terminator, as a damaged or hostile
// record may hold them, are read to their width only.
TEST(CheckBatchValues, UnterminatedFieldsAreReadToTheirWidth) {
    custom_value_stu record = ValidRecord();
    std::memset(record.loginPassword, 'a', sizeof record.loginPassword);  // 32 characters
    std::memset(record.mac, 'M', sizeof record.mac);
    Put(record.WanName[0], "Internet");  // what an unbounded read of the MAC would run into
    batch_check result = CheckOne(record);
    EXPECT_THAT(result.message, StartsWith("The MAC:" + std::string(64, 'M') + " loginPassword "));
}

// Bytes that are not UTF-8 count as U+FFFD: three bytes, and not ASCII.
TEST(CheckBatchValues, MalformedBytesAreJudgedAsReplacementCharacters) {
    custom_value_stu record = ValidRecord();
    Put(record.ssid_2_4g, std::string(10, '\xE9'));  // 30 bytes once replaced
    EXPECT_TRUE(CheckOne(record).ok);
    Put(record.ssid_2_4g, std::string(11, '\xE9'));  // 33
    EXPECT_FALSE(CheckOne(record).ok);

    record = ValidRecord();
    Put(record.wlanPsk_2_4g, "pass\xE9word");
    EXPECT_THAT(CheckOne(record).message, StartsWith("The MAC:00:1A:2B:3C:4D:5E wlanPsk_2.4g "));
}

// The untranslated messages are held to 255 bytes. A MAC text of undecodable bytes
// triples in length once each byte shows as U+FFFD and pushes them past that.
TEST(CheckBatchValues, UntranslatedMessagesAreHeldTo255Bytes) {
    const std::string bad_mac(63, '\xFF');
    std::string shown_mac;
    for (size_t i = 0; i < bad_mac.size(); ++i) {
        shown_mac += "\xEF\xBF\xBD";
    }
    custom_value_stu record = ValidRecord(bad_mac.c_str());
    Put(record.pppPassword[0], "");
    const std::string m3 = "The MAC:" + shown_mac +
                           " pppPassword1 is invalid. Please check that the following rules are "
                           "met:must contain 1 to 29 characters, except special characters "
                           "&`()|\\<>;'\"";
    ASSERT_GT(m3.size(), 255u);
    EXPECT_EQ(CheckOne(record).message, m3.substr(0, 255));

    record = ValidRecord(bad_mac.c_str());
    Put(record.vid[0], "-2147483648");
    EXPECT_EQ(CheckOne(record).message, M1(shown_mac, 1, INT_MIN).substr(0, 255));

    // A translated message carries the whole text.
    record = ValidRecord(bad_mac.c_str());
    Put(record.pppUser[0], "");
    EXPECT_EQ(CheckOne(record).message,
              "The MAC:" + shown_mac +
                  " pppUser1 is invalid. Please check that the following rules are met:userName "
                  "must contain 1 to 63 characters, except special characters &`()|\\<>;'\"");
}

}  // namespace
}  // namespace plindar
