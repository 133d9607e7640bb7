// Configuration files: template extraction, the ordered line rewrite and the
// per-device file, against small fixture files.
#include "content/config_xml.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/fixed_text.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

using test::FileExists;
using test::ReadWholeFile;
using test::TempFolder;

const std::filesystem::path kFixtureFolder =
    std::filesystem::path(__FILE__).parent_path() / "fixtures" / "xml";

std::string Fixture(const std::string& name) {
    return (kFixtureFolder / name).string();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << path;
}

// The fixtures are kept with LF line ends, so their lines are plain LF splits.
std::vector<std::string> FixtureLines(const std::string& name) {
    std::string content = ReadWholeFile(Fixture(name));
    EXPECT_EQ(content.find('\r'), std::string::npos) << name;
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = content.find('\n'); end != std::string::npos;
         start = end + 1, end = content.find('\n', start)) {
        lines.push_back(content.substr(start, end - start));
    }
    EXPECT_EQ(start, content.size()) << name << " must end with a line end";
    return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\r\n";
    }
    return out;
}

std::string Entry(const std::string& name, const std::string& value) {
    return "  <Value Name=\"" + name + "\" Value=\"" + value + "\"/>";
}

custom_value_stu DeviceValues() {
    custom_value_stu v{};
    WriteFixedText(v.loid, "dev-loid");
    WriteFixedText(v.loidPassword, "dev-loid-pw");
    WriteFixedText(v.loginPassword, "dev-admin");
    WriteFixedText(v.ploamPassword, "dev-ploam");
    WriteFixedText(v.ssid_5g, "dev-5g");
    WriteFixedText(v.wlanPsk_5g, "dev-5g-key");
    WriteFixedText(v.ssid_2_4g, "dev-24g");
    WriteFixedText(v.wlanPsk_2_4g, "dev-24g-key");
    for (int k = 0; k < kMaxWanEntries; ++k) {
        const std::string n = std::to_string(k + 1);
        WriteFixedText(v.vid[k], "10" + n);
        WriteFixedText(v.pppUser[k], "dev-user" + n);
        WriteFixedText(v.pppPassword[k], "dev-pw" + n);
    }
    v.wanCount = 2;
    return v;
}

struct rewrite_case {
    const char* name;
    const char* fixture;
    int dual_band;
    std::function<void(custom_value_stu&)> change;
    std::map<size_t, std::string> replaced;  // line number (from 1) -> its new text
};

TEST(ConfigXmlRewrite, EachRuleReplacesExactlyItsLines) {
    const std::vector<rewrite_case> cases = {
        {"identity entries, whatever their indentation; LOIDX and loid stay",
         "identity.xml",
         kSingleBand,
         [](custom_value_stu&) {},
         {{3, Entry("LOID", "dev-loid")},
          {4, Entry("LOID_PASSWD", "dev-loid-pw")},
          {5, Entry("LOID_OLD", "dev-loid")},
          {6, Entry("LOID_PASSWD_OLD", "dev-loid-pw")},
          {7, Entry("GPON_PLOAM_PASSWD", "dev-ploam")},
          {8, Entry("SUSER_PASSWORD", "dev-admin")}}},
        {"values are written escaped",
         "identity.xml",
         kDualBand,
         [](custom_value_stu& v) {
             WriteFixedText(v.loid, "a&b<c\"d'e>f");
             WriteFixedText(v.loidPassword, "");
             WriteFixedText(v.loginPassword, "tab\there");
         },
         {{3, Entry("LOID", "a&amp;b&lt;c&quot;d&apos;e&gt;f")},
          {4, Entry("LOID_PASSWD", "")},
          {5, Entry("LOID_OLD", "a&amp;b&lt;c&quot;d&apos;e&gt;f")},
          {6, Entry("LOID_PASSWD_OLD", "")},
          {7, Entry("GPON_PLOAM_PASSWD", "dev-ploam")},
          {8, Entry("SUSER_PASSWORD", "tab&#9;here")}}},
        {"two interfaces: first SSID only, each table entered once, first group only",
         "wireless.xml",
         kDualBand,
         [](custom_value_stu&) {},
         {{2, Entry("SSID", "dev-5g")},
          {4, Entry("WSC_PSK", "dev-5g-key")},
          {5, Entry("WLAN_WPA_PSK", "dev-5g-key")},
          {6, Entry("WLAN1_SSID", "dev-24g")},
          {7, Entry("WLAN1_WSC_PSK", "dev-24g-key")},
          {8, Entry("WLAN1_WPA_PSK", "dev-24g-key")},
          {10, Entry("ssid", "dev-24g")},
          {11, Entry("wscPsk", "dev-24g-key")},
          {12, Entry("wpaPSK", "dev-24g-key")},
          {18, Entry("ssid", "dev-5g")},
          {19, Entry("wscPsk", "dev-5g-key")},
          {20, Entry("wpaPSK", "dev-5g-key")},
          {26, Entry("WLAN_WPA_PSK", "dev-5g-key")}}},
        {"one interface: first ssid and first WLAN_WPA_PSK, WLAN_MBSSIB_TBL only",
         "wireless.xml",
         kSingleBand,
         [](custom_value_stu&) {},
         {{5, Entry("WLAN_WPA_PSK", "dev-24g-key")},
          {10, Entry("ssid", "dev-24g")},
          {18, Entry("ssid", "dev-24g")},
          {19, Entry("wscPsk", "dev-24g-key")},
          {20, Entry("wpaPSK", "dev-24g-key")}}},
        {"no wireless rules for an unknown band flag",
         "wireless.xml",
         2,
         [](custom_value_stu&) {},
         {}},
        {"two WAN entries: markers open them, the second ChannelMode ends them",
         "wan.xml",
         kSingleBand,
         [](custom_value_stu& v) { WriteFixedText(v.pppUser[1], "a&b<c\"d"); },
         {{6, Entry("vid", "101")},
          {7, Entry("pppUser", "dev-user1")},
          {8, Entry("pppPasswd", "dev-pw1")},
          {13, Entry("vid", "102")},
          {14, Entry("pppUser", "a&amp;b&lt;c&quot;d")},
          {15, Entry("pppPasswd", "dev-pw2")},
          {24, Entry("ssid", "dev-24g")}}},
        {"no WAN entries for a device without any",
         "wan.xml",
         kDualBand,
         [](custom_value_stu& v) { v.wanCount = 0; },
         {{24, Entry("ssid", "dev-5g")}}},
        {"a device count beyond ten is held to ten",
         "wan.xml",
         kDualBand,
         [](custom_value_stu& v) { v.wanCount = 1000; },
         {{6, Entry("vid", "101")},
          {7, Entry("pppUser", "dev-user1")},
          {8, Entry("pppPasswd", "dev-pw1")},
          {13, Entry("vid", "102")},
          {14, Entry("pppUser", "dev-user2")},
          {15, Entry("pppPasswd", "dev-pw2")},
          {20, Entry("vid", "103")},
          {24, Entry("ssid", "dev-5g")}}},
        {"a negative device count opens nothing",
         "wan.xml",
         kDualBand,
         [](custom_value_stu& v) { v.wanCount = -1; },
         {{24, Entry("ssid", "dev-5g")}}},
        {"an entry without ChannelMode: replacement runs on to the next ChannelMode",
         "wan_no_channel_mode.xml",
         kSingleBand,
         [](custom_value_stu&) {},
         {{4, Entry("vid", "101")},
          {5, Entry("pppUser", "dev-user1")},
          {10, Entry("vid", "102")},
          {11, Entry("pppUser", "dev-user2")},
          {12, Entry("pppPasswd", "dev-pw2")},
          {16, Entry("vid", "102")},
          {17, Entry("pppPasswd", "dev-pw2")}}},
    };
    TempFolder folder;
    for (const rewrite_case& c : cases) {
        custom_value_stu values = DeviceValues();
        c.change(values);
        std::vector<std::string> expected = FixtureLines(c.fixture);
        for (const auto& [line, text] : c.replaced) {
            ASSERT_LE(line, expected.size()) << c.name;
            expected[line - 1] = text;
        }
        const std::string output = folder.Path() + "out.xml";
        ASSERT_TRUE(RewriteXmlFile(c.dual_band, values, Fixture(c.fixture), output)) << c.name;
        EXPECT_EQ(ReadWholeFile(output), JoinCrLf(expected)) << c.name;
    }
}

TEST(ConfigXmlRewrite, LineEndsBecomeCrLfAndOtherBytesPassUnchanged) {
    custom_value_stu values = DeviceValues();
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"\n\n", "\r\n\r\n"},
        {"a\nb\r\nc", "a\r\nb\r\nc\r\n"},
        {"stray\rcr\r\r\n", "stray\rcr\r\r\n"},
        {"\xff\xfe<Value Name=\"x\" Value=\"\xe4\xb8\xad\x01\"/>\r\n",
         "\xff\xfe<Value Name=\"x\" Value=\"\xe4\xb8\xad\x01\"/>\r\n"},
        {"<Value Name=\"LOID\" Value=\"x\"/>", Entry("LOID", "dev-loid") + "\r\n"},
        {"   <Value Name=\"LOID\" Value=\"x\"/>\nend\n", Entry("LOID", "dev-loid") + "\r\nend\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RewriteXmlText(kSingleBand, values, c.in), c.out) << c.in;
    }
}

TEST(ConfigXmlRewrite, UnreadableSourceOrUnwritableOutputFails) {
    TempFolder folder;
    const custom_value_stu values = DeviceValues();
    const std::string output = folder.Path() + "out.xml";

    EXPECT_FALSE(RewriteXmlFile(kSingleBand, values, folder.Path() + "missing.xml", output));
    EXPECT_FALSE(FileExists(output));
    EXPECT_FALSE(RewriteXmlFile(kSingleBand, values, folder.Path(), output)) << "a folder";
    EXPECT_FALSE(FileExists(output));
    EXPECT_FALSE(RewriteXmlFile(kSingleBand, values, Fixture("identity.xml"),
                                folder.Path() + "no-such-folder/out.xml"));
}

TEST(ConfigXmlRewrite, OverwritesAnExistingFileAndMayRewriteInPlace) {
    TempFolder folder;
    const custom_value_stu values = DeviceValues();
    const std::string path = folder.Path() + "device.xml";
    WriteFile(path, std::string(4096, 'x'));
    ASSERT_TRUE(RewriteXmlFile(kSingleBand, values, Fixture("identity.xml"), path));
    const std::string once = ReadWholeFile(path);
    EXPECT_EQ(once, RewriteXmlText(kSingleBand, values, ReadWholeFile(Fixture("identity.xml"))));

    ASSERT_TRUE(RewriteXmlFile(kSingleBand, values, path, path));
    EXPECT_EQ(ReadWholeFile(path), once);
}

TEST(ConfigXmlTemplate, TakesIdentityEntriesFromTheOldNames) {
    custom_value_stu t;
    std::string message = "stale";
    ASSERT_TRUE(ParseTemplateXml(Fixture("identity.xml"), &t, &message));
    EXPECT_EQ(message, "");
    EXPECT_STREQ(t.loid, "cfg-loid-old");
    EXPECT_STREQ(t.loidPassword, "cfg-loid-pw-old");
    EXPECT_STREQ(t.ploamPassword, "cfg-ploam");
    EXPECT_STREQ(t.loginPassword, "cfg-admin");
    EXPECT_EQ(t.wanCount, 0);
    EXPECT_EQ(t.dualBand, 0);
    EXPECT_STREQ(t.ssid_5g, "");
}

TEST(ConfigXmlTemplate, DualBandNeedsBothInterfaceNames) {
    const struct {
        const char* content;
        int dual_band;
    } cases[] = {
        {"<a WLAN_MBSSIB_TBL>\n<b WLAN1_MBSSIB_TBL>\n", 1},
        {"<x WLAN1_ WLAN_/>", 1},
        {"<a WLAN1_MBSSIB_TBL>\n", 0},
        {"<a WLAN_MBSSIB_TBL>\n", 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        custom_value_stu t;
        ASSERT_TRUE(ParseTemplateText(c.content, &t, nullptr)) << c.content;
        EXPECT_EQ(t.dualBand, c.dual_band) << c.content;
    }
    custom_value_stu t;
    ASSERT_TRUE(ParseTemplateXml(Fixture("wireless.xml"), &t));
    EXPECT_EQ(t.dualBand, 1);
}

TEST(ConfigXmlTemplate, WanEntriesInOrderEndedByChannelMode) {
    custom_value_stu t;
    ASSERT_TRUE(ParseTemplateXml(Fixture("wan.xml"), &t));
    ASSERT_EQ(t.wanCount, 3);
    const char* expected[3][5] = {
        {"1_TR069_R_VID_46", "46", "", "", "1"},
        {"2_INTERNET_R_VID_41", "41", "user&co", "p<w\"AB'>", "2"},
        {"3_OTHER_B_VID_45", "45", "", "", "1"},
    };
    for (int k = 0; k < 3; ++k) {
        EXPECT_STREQ(t.WanName[k], expected[k][0]) << k;
        EXPECT_STREQ(t.vid[k], expected[k][1]) << k;
        EXPECT_STREQ(t.pppUser[k], expected[k][2]) << k;
        EXPECT_STREQ(t.pppPassword[k], expected[k][3]) << k;
        EXPECT_STREQ(t.ChannelMode[k], expected[k][4]) << k;
    }
    EXPECT_STREQ(t.WanName[3], "");
    EXPECT_EQ(t.dualBand, 0);

    // The second entry has no ChannelMode, so the third's lines land in it too.
    ASSERT_TRUE(ParseTemplateXml(Fixture("wan_no_channel_mode.xml"), &t));
    ASSERT_EQ(t.wanCount, 2);
    EXPECT_STREQ(t.WanName[1], "third");
    EXPECT_STREQ(t.vid[1], "30");
    EXPECT_STREQ(t.pppUser[1], "u2");
    EXPECT_STREQ(t.pppPassword[1], "p3");
    EXPECT_STREQ(t.ChannelMode[1], "1");
}

// entries WAN entries, each opened by its marker line and closed by ChannelMode; the
// eleventh's ChannelMode would not even fit its field.
std::string WanTable(int entries) {
    std::string content;
    for (int n = 1; n <= entries; ++n) {
        const std::string id = std::to_string(n);
        content += "<Table Name=\"ATM_VC_TBL\" Entry=\"" + id + "\">\n";
        content += "<Value Name=\"WanName\" Value=\"wan" + id + "\"/>\n";
        content += "<Value Name=\"vid\" Value=\"" + id + "\"/>\n";
        content += "<Value Name=\"ChannelMode\" Value=\"" + (n == 11 ? std::string(40, '9') : id) +
                   "\"/>\n";
    }
    return content;
}

TEST(ConfigXmlTemplate, KeepsTheFirstTenWanEntries) {
    custom_value_stu t;
    std::string message;
    ASSERT_TRUE(ParseTemplateText(WanTable(11), &t, &message)) << message;
    EXPECT_EQ(t.wanCount, 10);
    EXPECT_STREQ(t.WanName[9], "wan10");
    EXPECT_STREQ(t.vid[9], "10");
    EXPECT_STREQ(t.ChannelMode[9], "10");
}

TEST(ConfigXmlRewrite, AtMostTenWanEntriesAreRewritten) {
    custom_value_stu values = DeviceValues();
    values.wanCount = 1000;
    const std::string out = RewriteXmlText(kSingleBand, values, WanTable(12));
    EXPECT_NE(out.find(Entry("vid", "1010")), std::string::npos) << out;
    EXPECT_NE(out.find("<Value Name=\"vid\" Value=\"11\"/>\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("<Value Name=\"vid\" Value=\"12\"/>\r\n"), std::string::npos) << out;
}

TEST(ConfigXmlTemplate, ValueThatDoesNotFitIsRefusedNotCut) {
    const std::string kLong31(31, 'a');
    const char kZeroByteEntry[] = "<Value Name=\"LOID_OLD\" Value=\"a\0b\"/>";
    const struct {
        std::string content;
        std::string message;  // empty: accepted
    } cases[] = {
        {"<Value Name=\"LOID_OLD\" Value=\"" + kLong31 + "\"/>", ""},
        {"<Value Name=\"LOID_OLD\" Value=\"" + kLong31 + "b\"/>",
         "The value of LOID_OLD in the configuration file is longer than 31 bytes"},
        {"<Value Name=\"GPON_PLOAM_PASSWD\" Value=\"" + std::string(34, 'p') + "\"/>",
         "The value of GPON_PLOAM_PASSWD in the configuration file is longer than 33 bytes"},
        // Measured after the references are resolved: 30 + "&" fits.
        {"<Value Name=\"SUSER_PASSWORD\" Value=\"" + std::string(30, 's') + "&amp;\"/>", ""},
        {"<ATM_VC_TBL>\n<Value Name=\"ChannelMode\" Value=\"12345678\"/>",
         "The value of ChannelMode in the configuration file is longer than 7 bytes"},
        {"<ATM_VC_TBL>\n<Value Name=\"pppUser\" Value=\"" + std::string(64, 'u') + "\"/>",
         "The value of pppUser in the configuration file is longer than 63 bytes"},
        // Outside the WAN table nobody reads it.
        {"<Value Name=\"pppUser\" Value=\"" + std::string(64, 'u') + "\"/>", ""},
        {std::string(kZeroByteEntry, sizeof(kZeroByteEntry) - 1),
         "The value of LOID_OLD in the configuration file contains a zero byte"},
    };
    for (const auto& c : cases) {
        custom_value_stu t;
        std::memset(&t, 0x55, sizeof(t));
        std::string message;
        EXPECT_EQ(ParseTemplateText(c.content, &t, &message), c.message.empty()) << c.content;
        EXPECT_EQ(message, c.message);
        if (!c.message.empty()) {
            const custom_value_stu zero{};
            EXPECT_EQ(std::memcmp(&t, &zero, sizeof(t)), 0) << "left half filled: " << c.content;
        }
    }
    custom_value_stu t;
    ASSERT_TRUE(
        ParseTemplateText("<Value Name=\"LOID_OLD\" Value=\"" + kLong31 + "\"/>", &t, nullptr));
    EXPECT_EQ(std::string(t.loid), kLong31);
}

TEST(ConfigXmlTemplate, ValueEndsAtFirstCloseOnTheLineOrIsEmpty) {
    const struct {
        const char* line;
        const char* loid;
    } cases[] = {
        {"x<Value Name=\"LOID_OLD\" Value=\"ab\"/><Value Name=\"y\" Value=\"z\"/>", "ab"},
        {"<Value Name=\"LOID_OLD\" Value=\"no close\n\"/>", ""},
        {"<Value Name=\"LOID_OLD\" Value=\"/>", ""},
        {"<Value Name=\"LOID_OLD\" Value=\"1 > 0 &lt; 2\"/>", "1 > 0 < 2"},
    };
    for (const auto& c : cases) {
        custom_value_stu t;
        ASSERT_TRUE(ParseTemplateText(c.line, &t, nullptr)) << c.line;
        EXPECT_STREQ(t.loid, c.loid) << c.line;
    }
}

TEST(ConfigXmlTemplate, UnreadableFileFails) {
    TempFolder folder;
    custom_value_stu t;
    std::string message;
    EXPECT_FALSE(ParseTemplateXml(folder.Path() + "missing.xml", &t, &message));
    EXPECT_EQ(message, "Analysis xml settting error?");
    EXPECT_FALSE(ParseTemplateXml(folder.Path(), &t, &message)) << "a folder";
    EXPECT_EQ(message, "Analysis xml settting error?");
    EXPECT_FALSE(ParseTemplateXml(folder.Path() + "missing.xml", &t));
}

TEST(ConfigXmlTemplate, ExtractedValuesWrittenBackReadTheSame) {
    TempFolder folder;
    for (const char* fixture : {"identity.xml", "wan.xml", "wan_no_channel_mode.xml"}) {
        custom_value_stu first;
        ASSERT_TRUE(ParseTemplateXml(Fixture(fixture), &first)) << fixture;
        const std::string output = folder.Path() + "round.xml";
        ASSERT_TRUE(RewriteXmlFile(first.dualBand, first, Fixture(fixture), output)) << fixture;
        custom_value_stu second;
        ASSERT_TRUE(ParseTemplateXml(output, &second)) << fixture;
        EXPECT_EQ(std::memcmp(&first, &second, sizeof(first)), 0) << fixture;
    }
}

TEST(ConfigXmlEscaping, WritesAndResolvesReferences) {
    EXPECT_EQ(EscapeXmlValue("a&b<c>d\"e'f\tg\nh\ri\xc3\xa9"),
              "a&amp;b&lt;c&gt;d&quot;e&apos;f&#9;g&#10;h&#13;i\xc3\xa9");

    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
        {"&#65;&#x42;&#x4a;&#0067;", "ABJC"},
        {"&#233;&#x4E2D;&#x1F600;&#x10FFFF;",
         "\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"},
        {"&&amp;;", "&&;"},
        // Not references: kept as they stand.
        {"&#X41;&#x110000;&#xD800;&#0;&#;&#x;&#12a;", "&#X41;&#x110000;&#xD800;&#0;&#;&#x;&#12a;"},
        {"&foo; &AMP; &amp &#65 & amp;", "&foo; &AMP; &amp &#65 & amp;"},
        {"&#00000000000000000000000000000065;", "&#00000000000000000000000000000065;"},
        {"\xff\xfe&", "\xff\xfe&"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnescapeXmlValue(c.in), c.out) << c.in;
        EXPECT_EQ(UnescapeXmlValue(EscapeXmlValue(c.in)), c.in) << c.in;
    }
}

TEST(ConfigXmlDevice, WithoutSheetEachDeviceGetsAByteIdenticalCopy) {
    TempFolder folder;
    const std::string source = folder.Path() + "chosen.xml";
    const std::string content =
        "<Value Name=\"LOID\" Value=\"kept\"/>\n\t\xff\r\nlast line without end\r";
    WriteFile(source, content);
    std::filesystem::create_directory(folder.Path() + "prog");

    for (const std::string& program : {folder.Path(), folder.Path() + "prog"}) {
        const xml_write_result result = WriteDeviceXml(program, source, false, kSingleBand,
                                                       DeviceValues(), "00:1A:2B:3C:4D:5E");
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(result.message, "");
        const std::string folder_with_slash = program.back() == '/' ? program : program + "/";
        EXPECT_EQ(result.path, folder_with_slash + "ModifyXml/001A2B3C4D5E.xml");
        EXPECT_EQ(ReadWholeFile(result.path), content);
    }
}

TEST(ConfigXmlDevice, WithSheetTheDeviceValuesAreWritten) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() + "ModifyXml");
    const custom_value_stu values = DeviceValues();
    const xml_write_result result = WriteDeviceXml(folder.Path(), Fixture("wan.xml"), true,
                                                   kSingleBand, values, "AA:BB:CC:DD:EE:FF");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.path, folder.Path() + "ModifyXml/AABBCCDDEEFF.xml");
    EXPECT_EQ(ReadWholeFile(result.path),
              RewriteXmlText(kSingleBand, values, ReadWholeFile(Fixture("wan.xml"))));
}

TEST(ConfigXmlDevice, EveryFailureIsReported) {
    TempFolder folder;
    const custom_value_stu values = DeviceValues();
    const std::string mac = "00:1A:2B:3C:4D:5E";
    const std::string device_path = folder.Path() + "ModifyXml/001A2B3C4D5E.xml";

    xml_write_result result =
        WriteDeviceXml(folder.Path(), folder.Path() + "missing.xml", true, 0, values, mac);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Modify New Xml file fail!");
    EXPECT_EQ(result.path, device_path) << "the job still carries the path";
    EXPECT_FALSE(FileExists(device_path));

    result = WriteDeviceXml(folder.Path(), folder.Path() + "missing.xml", false, 0, values, mac);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Copy New Xml file fail!");
    EXPECT_FALSE(FileExists(device_path));

    // ModifyXml taken by a plain file: neither a copy nor a rewrite can land.
    TempFolder blocked;
    WriteFile(blocked.Path() + "ModifyXml", "not a folder");
    for (bool sheet : {false, true}) {
        result = WriteDeviceXml(blocked.Path(), Fixture("identity.xml"), sheet, 0, values, mac);
        EXPECT_FALSE(result.ok) << sheet;
        EXPECT_EQ(result.message, sheet ? "Modify New Xml file fail!" : "Copy New Xml file fail!");
    }

    const std::string bad_macs[] = {"", ":::", "00/../../x",
                                    std::string("00\0"
                                                "11",
                                                5)};
    for (const std::string& bad_mac : bad_macs) {
        result = WriteDeviceXml(folder.Path(), Fixture("identity.xml"), false, 0, values, bad_mac);
        EXPECT_FALSE(result.ok) << bad_mac;
        EXPECT_EQ(result.path, "") << bad_mac;
        EXPECT_EQ(result.message, "The device MAC address cannot name a file!") << bad_mac;
    }
}

}  // namespace
}  // namespace plindar
