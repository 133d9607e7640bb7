// Tests of the device results store, the status texts and the overall result.
#include "records/sql_management.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "protocol/fixed_text.h"
#include "records/program_folder.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

using test::FileExists;
using test::ReadWholeFile;
using test::TempFolder;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kDate = "2024-05-06 07:08:09";
constexpr const char* kOpenFailure = "Failed to open database, unable to get data.";
constexpr const char* kNeverSet = "<null>";
const char* const kEnglishStatusTexts[] = {
    "Wait operate",    "Operating",     "Operate success",        "Operate fail",
    "Transmit finish", "Transmit fail", "Device respond timeout", "Lockcode mismatch",
};

std::string Blanks(const std::string& text, size_t width) {
    return text + std::string(width - text.size(), ' ');
}

std::string Repeat(const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

ap_discover_stu MakeDevice(const std::string& mac, const std::string& ssid2 = "Office-2G",
                           const std::string& ssid5 = "Office-5G",
                           const std::string& wpakey2 = "secret-2g",
                           const std::string& wpakey5 = "secret-5g") {
    ap_discover_stu device{};
    WriteFixedText(device.mac, mac);
    WriteFixedText(device.date, kDate);
    WriteFixedText(device.ssid2, ssid2);
    WriteFixedText(device.ssid5, ssid5);
    WriteFixedText(device.wpakey2, wpakey2);
    WriteFixedText(device.wpakey5, wpakey5);
    return device;
}

// A row as stored, read through a connection of the test's own.
struct RawRow {
    std::string mac;
    std::string result;
    int para_status;
    std::string para_text;
    int logo_status;
    std::string logo_text;
    int antitheft_status;
    std::string antitheft_text;
    std::string ssid2;
    std::string wpakey2;
};

std::string RawText(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
        return kNeverSet;
    }
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                       static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

std::vector<RawRow> ReadRawRows(const std::string& path) {
    std::vector<RawRow> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    const char* sql =
        "SELECT mac,result,ap_para_status,ap_para_status_str,ap_logo_status,ap_logo_status_str,"
        "ap_antitheft_status,ap_antitheft_status_str,ap_ssid2,ap_wpakey2 FROM ap_info ORDER BY ID";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db);
    }
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
        rows.push_back({RawText(statement, 0), RawText(statement, 1),
                        sqlite3_column_int(statement, 2), RawText(statement, 3),
                        sqlite3_column_int(statement, 4), RawText(statement, 5),
                        sqlite3_column_int(statement, 6), RawText(statement, 7),
                        RawText(statement, 8), RawText(statement, 9)});
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::vector<std::string> Macs(const std::vector<ap_info_stu>& devices) {
    std::vector<std::string> macs;
    for (const ap_info_stu& device : devices) {
        macs.emplace_back(device.mac);
    }
    return macs;
}

bool IsTerminated(const char* field, size_t size) {
    return std::memchr(field, '\0', size) != nullptr;
}

// ---------------------------------------------------------------------------
// Overall result and status texts

struct EvaluateCase {
    int para;
    int logo;
    int antitheft;
    int expected;
};

TEST(EvaluateResultTest, FoldsTheThreeStatuses) {
    const EvaluateCase cases[] = {
        // Cases the design names.
        {2, 0, 0, RESULT_SUCCESS},
        {2, 3, 0, RESULT_FAILURE},
        {2, 1, 0, RESULT_UNDER_WAY},
        {1, 0, 0, RESULT_UNDER_WAY},
        {0, 0, 0, RESULT_NOT_STARTED},
        {0, 0, 2, RESULT_SUCCESS},
        {3, 0, 2, RESULT_SUCCESS},  // anti-theft success outranks a failure
        // Customization success: configuration done, logo done or not started.
        {2, 2, 0, RESULT_SUCCESS},
        {2, 8, 0, RESULT_SUCCESS},  // unknown codes count as not started
        {0, 2, 0, RESULT_SUCCESS},  // logo alone
        {-1, 2, 0, RESULT_SUCCESS},
        {1, 2, 0, RESULT_UNDER_WAY},  // configuration still under way
        {3, 2, 0, RESULT_FAILURE},    // configuration failed although the logo went through
        {2, 4, 0, RESULT_UNDER_WAY},
        {1, 3, 2, RESULT_SUCCESS},
        // Every failing code fails, whichever operation carries it.
        {3, 0, 0, RESULT_FAILURE},
        {0, 5, 0, RESULT_FAILURE},
        {0, 0, 6, RESULT_FAILURE},
        {0, 0, 7, RESULT_FAILURE},
        {4, 5, 1, RESULT_FAILURE},  // failure outranks under way
        // Under way: operating or transmitted and waiting for the device's report.
        {0, 0, 1, RESULT_UNDER_WAY},
        {0, 4, 0, RESULT_UNDER_WAY},
        {4, 4, 4, RESULT_UNDER_WAY},
        {8, -1, INT_MIN, RESULT_NOT_STARTED},
    };
    for (const EvaluateCase& c : cases) {
        EXPECT_EQ(EvaluateResult(c.para, c.logo, c.antitheft), c.expected)
            << "para " << c.para << ", logo " << c.logo << ", anti-theft " << c.antitheft;
    }
}

TEST(StatusTextTest, GivesTheTextOfEachCodeAndNothingOutsideTheRange) {
    for (int code = 0; code < 8; ++code) {
        EXPECT_EQ(GetStatusText(code), kEnglishStatusTexts[code]) << "code " << code;
    }
    for (int code : {-1, 8, INT_MIN, INT_MAX}) {
        EXPECT_EQ(GetStatusText(code), "") << "code " << code;
    }
}

// ---------------------------------------------------------------------------
// The store on a writable folder

class StoreTest : public ::testing::Test {
protected:
    TempFolder folder_;
    CSqlManagement store_{folder_.Path(), [](const std::string& text) {
                              ADD_FAILURE() << "unexpected open failure: " << text;
                          }};

    std::vector<RawRow> Raw() { return ReadRawRows(store_.GetDatabasePath()); }

    std::vector<ap_info_stu> Query(bool ascending, int sort_kind, const std::string& filter) {
        std::vector<ap_info_stu> devices;
        int total = 0;
        int success = 0;
        int failure = 0;
        EXPECT_TRUE(store_.QueryDevices(&devices, &total, &success, &failure, ascending, sort_kind,
                                        filter));
        EXPECT_EQ(total, static_cast<int>(devices.size()));
        return devices;
    }
};

TEST_F(StoreTest, RediscoveryKeepsOneRowResetsStatusesAndKeepsResult) {
    const std::string mac = "00:11:22:AA:BB:CC";
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac, "First")));
    std::vector<RawRow> fresh = Raw();
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].result, kNeverSet);
    EXPECT_EQ(fresh[0].para_status, 0);
    EXPECT_EQ(fresh[0].para_text, "");
    EXPECT_EQ(fresh[0].logo_text, "");
    EXPECT_EQ(fresh[0].antitheft_text, "");

    ASSERT_TRUE(store_.SetParaStatus(mac, STATUS_OPERATE_SUCCESS));
    ASSERT_TRUE(store_.SetLogoStatus(mac, STATUS_OPERATE_FAIL));
    ASSERT_TRUE(store_.SetAntiTheftStatus(mac, STATUS_LOCKCODE_MISMATCH));
    ASSERT_TRUE(store_.SetResult(mac, RESULT_FAILURE));

    // Discovery formats MACs in upper case; a lower-case form still finds the row.
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac, "Second")));
    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:11:22:aa:bb:cc", "Third")));
    std::vector<RawRow> rows = Raw();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(store_.CountDevices(), 1);
    EXPECT_EQ(rows[0].result, "1");
    EXPECT_EQ(rows[0].para_status, 0);
    EXPECT_EQ(rows[0].para_text, "");
    EXPECT_EQ(rows[0].logo_status, 0);
    EXPECT_EQ(rows[0].logo_text, "");
    EXPECT_EQ(rows[0].antitheft_status, 0);
    EXPECT_EQ(rows[0].antitheft_text, "");
    EXPECT_EQ(rows[0].ssid2, "Third");

    EXPECT_TRUE(store_.SetParaStatus("00:11:22:aa:bb:cc", STATUS_OPERATE_SUCCESS));
    EXPECT_EQ(store_.GetOverallResult(mac), RESULT_SUCCESS);
    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:11:22:AA:BB:CD", "Other")));
    EXPECT_EQ(store_.CountDevices(), 2);
}

TEST_F(StoreTest, TextsComeBackPaddedToTheirColumnWidths) {
    const std::string mac = "0A:0B:0C:0D:0E:0F";
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac, "Net 2G", "Net 5G", "key two", "key five")));
    ASSERT_TRUE(store_.SetParaStatus(mac, STATUS_OPERATING));

    std::vector<ap_info_stu> devices = Query(true, SORT_BY_MAC, "");
    ASSERT_EQ(devices.size(), 1u);
    const ap_info_stu& row = devices[0];
    EXPECT_STREQ(row.mac, mac.c_str());
    EXPECT_EQ(std::string(row.date), Blanks(kDate, 33));
    EXPECT_EQ(std::string(row.ssid2), Blanks("Net 2G", 33));
    EXPECT_EQ(std::string(row.ssid5), Blanks("Net 5G", 33));
    EXPECT_EQ(std::string(row.wpakey2), Blanks("key two", 64));
    EXPECT_EQ(std::string(row.wpakey5), Blanks("key five", 64));
    EXPECT_EQ(row.para_status, STATUS_OPERATING);
    EXPECT_EQ(row.logo_status, 0);
    EXPECT_EQ(row.antitheft_status, 0);

    ap_info_stu device;
    std::memset(&device, 'x', sizeof(device));
    ASSERT_TRUE(store_.GetDeviceByMac(mac, &device));
    EXPECT_STREQ(device.mac, mac.c_str());
    EXPECT_EQ(std::string(device.ssid2), Blanks("Net 2G", 33));
    EXPECT_EQ(std::string(device.ssid5), Blanks("Net 5G", 33));
    EXPECT_EQ(std::string(device.wpakey2), Blanks("key two", 64));
    EXPECT_EQ(std::string(device.wpakey5), Blanks("key five", 64));
    // Only the MAC, SSIDs and keys are read; the rest stays zero.
    EXPECT_STREQ(device.date, "");
    EXPECT_EQ(device.para_status, 0);
}

TEST_F(StoreTest, FullWidthUnterminatedFieldsFromADeviceAreCutToTheColumn) {
    ap_discover_stu device = MakeDevice("00:00:00:00:00:01");
    std::memset(device.date, '9', sizeof(device.date));
    std::memset(device.ssid2, 'S', sizeof(device.ssid2));
    std::memset(device.ssid5, 'T', sizeof(device.ssid5));
    std::memset(device.wpakey2, 'K', sizeof(device.wpakey2));
    std::memset(device.wpakey5, 'L', sizeof(device.wpakey5));
    ASSERT_TRUE(store_.InsertDevice(device));

    std::vector<RawRow> rows = Raw();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ssid2, std::string(33, 'S'));
    EXPECT_EQ(rows[0].wpakey2, std::string(64, 'K'));

    std::vector<ap_info_stu> devices = Query(true, SORT_BY_MAC, "");
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(std::string(devices[0].date), std::string(32, '9') + ' ');
    EXPECT_EQ(std::string(devices[0].ssid2), std::string(33, 'S'));
    EXPECT_EQ(std::string(devices[0].ssid5), std::string(33, 'T'));
    EXPECT_EQ(std::string(devices[0].wpakey2), std::string(64, 'K'));
    EXPECT_EQ(std::string(devices[0].wpakey5), std::string(64, 'L'));
}

TEST_F(StoreTest, MultiByteAndInvalidTextsAreCutOnCharacterBoundaries) {
    const std::string e_acute = "\xC3\xA9";
    const std::string han = "\xE4\xB8\xAD";
    // 17 two-byte characters fill the 34-byte field; one of 11 three-byte characters
    // ends with the first byte of a twelfth, as a device that cut its text would.
    ap_discover_stu device = MakeDevice("00:00:00:00:00:02");
    std::memcpy(device.ssid2, Repeat(e_acute, 17).data(), sizeof(device.ssid2));
    std::memcpy(device.ssid5, (Repeat(han, 11) + "\xE4").data(), sizeof(device.ssid5));
    std::memcpy(device.wpakey2, Repeat(han, 22).data(), sizeof(device.wpakey2));
    ASSERT_TRUE(store_.InsertDevice(device));

    // Bytes no encoder would produce: lone continuation bytes and 0xFF.
    ap_discover_stu hostile = MakeDevice("00:00:00:00:00:03");
    std::memset(hostile.ssid2, 0x80, sizeof(hostile.ssid2));
    std::memset(hostile.ssid5, 0xFF, sizeof(hostile.ssid5));
    std::memset(hostile.wpakey2, 0xBF, sizeof(hostile.wpakey2));
    hostile.wpakey5[0] = '\xC3';
    ASSERT_TRUE(store_.InsertDevice(hostile));

    std::vector<ap_info_stu> devices = Query(true, SORT_BY_MAC, "");
    ASSERT_EQ(devices.size(), 2u);
    // 17 characters pad to 33 (50 bytes), which the 34-byte field cuts to 16.
    EXPECT_EQ(std::string(devices[0].ssid2), Repeat(e_acute, 16));
    EXPECT_EQ(std::string(devices[0].ssid5), Repeat(han, 11));
    // 22 characters (66 bytes) fit the key column; the 66-byte field keeps 21.
    EXPECT_EQ(std::string(devices[0].wpakey2), Repeat(han, 21));
    for (const ap_info_stu& row : devices) {
        EXPECT_TRUE(IsTerminated(row.mac, sizeof(row.mac)));
        EXPECT_TRUE(IsTerminated(row.date, sizeof(row.date)));
        EXPECT_TRUE(IsTerminated(row.ssid2, sizeof(row.ssid2)));
        EXPECT_TRUE(IsTerminated(row.ssid5, sizeof(row.ssid5)));
        EXPECT_TRUE(IsTerminated(row.wpakey2, sizeof(row.wpakey2)));
        EXPECT_TRUE(IsTerminated(row.wpakey5, sizeof(row.wpakey5)));
    }
    EXPECT_STREQ(devices[1].mac, "00:00:00:00:00:03");
    ap_info_stu read_back{};
    EXPECT_TRUE(store_.GetDeviceByMac("00:00:00:00:00:03", &read_back));
    EXPECT_TRUE(IsTerminated(read_back.ssid5, sizeof(read_back.ssid5)));
}

TEST_F(StoreTest, FilterMatchesMacsContainingTheTextLiterally) {
    const std::vector<std::string> macs = {
        "00:11:22:33:44:55",
        "00:11:22:AA:BB:CC",
        "66:77:88:99:AA:BB",
        "A\\B",
        "AB%CD",
        "AB_CD",
        "ABXCD",
        "AYB",
    };
    for (const std::string& mac : macs) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    }
    struct FilterCase {
        std::string filter;
        std::vector<std::string> expected;
    };
    const FilterCase cases[] = {
        {"", macs},
        {"aa:bb", {"00:11:22:AA:BB:CC", "66:77:88:99:AA:BB"}},
        {"22:33", {"00:11:22:33:44:55"}},
        {"00:11:22:33:44:55", {"00:11:22:33:44:55"}},
        {"b%c", {"AB%CD"}},
        {"%", {"AB%CD"}},
        {"b_c", {"AB_CD"}},
        {"_", {"AB_CD"}},
        {"\\", {"A\\B"}},
        {"a\\b", {"A\\B"}},
        {"zz", {}},
    };
    for (const FilterCase& c : cases) {
        EXPECT_THAT(Macs(Query(true, SORT_BY_MAC, c.filter)), ElementsAreArray(c.expected))
            << "filter '" << c.filter << "'";
    }
}

TEST_F(StoreTest, SortsByMacOrResultInBothDirectionsWithDiscoveryOrderOnTies) {
    const std::string a = "00:00:00:00:00:0A";
    const std::string b = "00:00:00:00:00:0B";
    const std::string c = "00:00:00:00:00:0C";
    const std::string d = "00:00:00:00:00:0D";
    for (const std::string& mac : {c, a, b, d}) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    }
    ASSERT_TRUE(store_.SetResult(a, RESULT_UNDER_WAY));
    ASSERT_TRUE(store_.SetResult(b, RESULT_SUCCESS));
    ASSERT_TRUE(store_.SetResult(c, RESULT_UNDER_WAY));

    struct SortCase {
        bool ascending;
        int kind;
        std::vector<std::string> expected;
    };
    const SortCase cases[] = {
        {true, SORT_BY_MAC, {a, b, c, d}},
        {false, SORT_BY_MAC, {d, c, b, a}},
        {true, 0, {a, b, c, d}},
        {false, 99, {d, c, b, a}},
        // d has no result yet; c and a tie and keep discovery order either way.
        {true, SORT_BY_RESULT, {d, b, c, a}},
        {false, SORT_BY_RESULT, {c, a, b, d}},
    };
    for (const SortCase& s : cases) {
        EXPECT_THAT(Macs(Query(s.ascending, s.kind, "")), ElementsAreArray(s.expected))
            << "kind " << s.kind << (s.ascending ? " ascending" : " descending");
    }
}

TEST_F(StoreTest, QueryAppendsRowsAndOnlyAddsToTheCounters) {
    const std::string macs[] = {"00:00:00:00:00:01", "00:00:00:00:00:02", "00:00:00:00:00:03",
                                "00:00:00:00:00:04", "00:00:00:00:00:05"};
    for (const std::string& mac : macs) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    }
    ASSERT_TRUE(store_.SetAntiTheftStatus(macs[0], STATUS_OPERATE_SUCCESS));
    ASSERT_TRUE(store_.SetParaStatus(macs[1], STATUS_TRANSMIT_FAIL));
    ASSERT_TRUE(store_.SetLogoStatus(macs[2], STATUS_TRANSMIT_FINISH));
    ASSERT_TRUE(store_.SetParaStatus(macs[3], STATUS_OPERATE_SUCCESS));

    std::vector<ap_info_stu> devices(1);
    std::strcpy(devices[0].mac, "kept");
    int total = -7;
    int success = 10;
    int failure = 20;
    ASSERT_TRUE(store_.QueryDevices(&devices, &total, &success, &failure, true, SORT_BY_MAC, ""));
    EXPECT_EQ(total, 5);
    EXPECT_EQ(success, 12);
    EXPECT_EQ(failure, 21);
    ASSERT_EQ(devices.size(), 6u);
    EXPECT_STREQ(devices[0].mac, "kept");
    EXPECT_EQ(devices[2].para_status, STATUS_TRANSMIT_FAIL);
    EXPECT_EQ(devices[3].logo_status, STATUS_TRANSMIT_FINISH);
}

TEST_F(StoreTest, UpdatesOfAnUnknownMacChangeNothing) {
    const std::string known = "00:00:00:00:00:01";
    const std::string unknown = "00:00:00:00:00:02";
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(known)));

    EXPECT_FALSE(store_.SetResult(unknown, RESULT_SUCCESS));
    EXPECT_FALSE(store_.SetParaStatus(unknown, STATUS_OPERATING));
    EXPECT_FALSE(store_.SetLogoStatus(unknown, STATUS_OPERATING));
    EXPECT_FALSE(store_.SetAntiTheftStatus(unknown, STATUS_OPERATING));
    EXPECT_FALSE(store_.SetAntiTheftStatus("", STATUS_OPERATING));
    EXPECT_EQ(store_.GetOverallResult(unknown), RESULT_NOT_STARTED);

    ap_info_stu device;
    std::memset(&device, 'x', sizeof(device));
    EXPECT_TRUE(store_.GetDeviceByMac(unknown, &device));
    const ap_info_stu zero{};
    EXPECT_EQ(std::memcmp(&device, &zero, sizeof(device)), 0);

    std::vector<RawRow> rows = Raw();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].mac, known);
    EXPECT_EQ(rows[0].result, kNeverSet);
    EXPECT_EQ(rows[0].antitheft_status, 0);
}

TEST_F(StoreTest, EachSetterStoresItsCodeWithItsTextAndTouchesNothingElse) {
    const std::string mac = "00:00:00:00:00:01";
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, -1}) {
        const std::string text = code >= 0 && code < 8 ? kEnglishStatusTexts[code] : "";
        ASSERT_TRUE(store_.ResetAllStatuses());

        ASSERT_TRUE(store_.SetParaStatus(mac, code));
        RawRow row = Raw().at(0);
        EXPECT_EQ(row.para_status, code);
        EXPECT_EQ(row.para_text, text);
        EXPECT_EQ(row.logo_text, "");
        EXPECT_EQ(row.antitheft_text, "");

        ASSERT_TRUE(store_.SetLogoStatus(mac, code));
        row = Raw().at(0);
        EXPECT_EQ(row.logo_status, code);
        EXPECT_EQ(row.logo_text, text);
        EXPECT_EQ(row.antitheft_text, "");

        ASSERT_TRUE(store_.SetAntiTheftStatus(mac, code));
        row = Raw().at(0);
        EXPECT_EQ(row.antitheft_status, code);
        EXPECT_EQ(row.antitheft_text, text);
    }
}

TEST_F(StoreTest, ABatchOfStatusesLandsOnEachListedDeviceAndItsOperationOnly) {
    const std::string macs[] = {"00:00:00:00:00:01", "00:00:00:00:00:02", "00:00:00:00:00:03"};
    for (const std::string& mac : macs) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    }
    struct batch_case {
        DeviceOperation operation;
        int RawRow::*status;
        std::string RawRow::*text;
    } const cases[] = {
        {OPERATION_PARA, &RawRow::para_status, &RawRow::para_text},
        {OPERATION_LOGO, &RawRow::logo_status, &RawRow::logo_text},
        {OPERATION_ANTITHEFT, &RawRow::antitheft_status, &RawRow::antitheft_text},
    };
    for (const batch_case& c : cases) {
        ASSERT_TRUE(store_.ResetAllStatuses());
        // An unknown MAC in the batch changes nothing and fails nothing.
        EXPECT_TRUE(store_.SetStatuses(c.operation, {macs[0], "00:00:00:00:00:09", macs[2]},
                                       STATUS_OPERATING));
        const std::vector<RawRow> rows = Raw();
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].*c.status, STATUS_OPERATING);
        EXPECT_EQ(rows[0].*c.text, kEnglishStatusTexts[STATUS_OPERATING]);
        EXPECT_EQ(rows[1].*c.status, 0);
        EXPECT_EQ(rows[2].*c.status, STATUS_OPERATING);
        int others = 0;
        for (const batch_case& other : cases) {
            others += other.operation != c.operation ? rows[0].*other.status : 0;
        }
        EXPECT_EQ(others, 0);
    }
}

TEST_F(StoreTest, OverallResultAndSetResultFollowTheRow) {
    const std::string mac = "00:00:00:00:00:01";
    ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    EXPECT_EQ(store_.GetOverallResult(mac), RESULT_NOT_STARTED);
    ASSERT_TRUE(store_.SetLogoStatus(mac, STATUS_TRANSMIT_FINISH));
    EXPECT_EQ(store_.GetOverallResult(mac), RESULT_UNDER_WAY);
    ASSERT_TRUE(store_.SetParaStatus(mac, STATUS_OPERATE_FAIL));
    EXPECT_EQ(store_.GetOverallResult(mac), RESULT_FAILURE);
    ASSERT_TRUE(store_.SetAntiTheftStatus(mac, STATUS_OPERATE_SUCCESS));
    EXPECT_EQ(store_.GetOverallResult(mac), RESULT_SUCCESS);

    ASSERT_TRUE(store_.SetResult(mac, store_.GetOverallResult(mac)));
    EXPECT_EQ(Raw().at(0).result, "0");
    ASSERT_TRUE(store_.SetResult(mac, -1));
    EXPECT_EQ(Raw().at(0).result, "-1");
}

TEST_F(StoreTest, FoldingABatchStoresWhatEachDeviceOnItsOwnWouldGet) {
    const std::string macs[] = {"00:00:00:00:00:01", "00:00:00:00:00:02", "00:00:00:00:00:03"};
    for (const std::string& mac : macs) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
    }
    ASSERT_TRUE(store_.SetAntiTheftStatus(macs[0], STATUS_OPERATE_SUCCESS));
    ASSERT_TRUE(store_.SetParaStatus(macs[1], STATUS_OPERATE_FAIL));
    // An unknown MAC folds to "not started" and changes no row.
    std::vector<int> results;
    EXPECT_TRUE(store_.FoldResults({macs[0], macs[1], "00:00:00:00:00:09", macs[2]}, &results));
    EXPECT_EQ(results, (std::vector<int>{RESULT_SUCCESS, RESULT_FAILURE, RESULT_NOT_STARTED,
                                         RESULT_NOT_STARTED}));
    const auto rows = Raw();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].result, "0");
    EXPECT_EQ(rows[1].result, "1");
    EXPECT_EQ(rows[2].result, "3");
    for (const std::string& mac : macs) {
        EXPECT_EQ(store_.GetOverallResult(mac),
                  results[&mac - macs == 2 ? 3 : static_cast<size_t>(&mac - macs)]);
    }
}

TEST_F(StoreTest, ResetAllStatusesClearsEveryRow) {
    const std::string macs[] = {"00:00:00:00:00:01", "00:00:00:00:00:02"};
    for (const std::string& mac : macs) {
        ASSERT_TRUE(store_.InsertDevice(MakeDevice(mac)));
        ASSERT_TRUE(store_.SetParaStatus(mac, STATUS_OPERATE_SUCCESS));
        ASSERT_TRUE(store_.SetLogoStatus(mac, STATUS_TRANSMIT_FAIL));
        ASSERT_TRUE(store_.SetAntiTheftStatus(mac, STATUS_OPERATING));
        ASSERT_TRUE(store_.SetResult(mac, RESULT_SUCCESS));
    }
    ASSERT_TRUE(store_.ResetAllStatuses());
    std::vector<RawRow> rows = Raw();
    ASSERT_EQ(rows.size(), 2u);
    for (const RawRow& row : rows) {
        EXPECT_EQ(row.result, "");
        EXPECT_EQ(row.para_status, 0);
        EXPECT_EQ(row.para_text, "");
        EXPECT_EQ(row.logo_status, 0);
        EXPECT_EQ(row.logo_text, "");
        EXPECT_EQ(row.antitheft_status, 0);
        EXPECT_EQ(row.antitheft_text, "");
        EXPECT_EQ(row.ssid2, "Office-2G");
    }
}

TEST_F(StoreTest, DeleteAllDevicesEmptiesTheTableForTheNextScan) {
    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:00:00:00:00:01")));
    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:00:00:00:00:02")));
    ASSERT_TRUE(store_.DeleteAllDevices());
    EXPECT_EQ(store_.CountDevices(), 0);
    EXPECT_TRUE(Query(true, SORT_BY_MAC, "").empty());
    EXPECT_FALSE(store_.SetResult("00:00:00:00:00:01", RESULT_SUCCESS));

    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:00:00:00:00:02", "Again")));
    EXPECT_EQ(store_.CountDevices(), 1);
    EXPECT_TRUE(store_.DeleteAllDevices());  // also on a table that is already empty
    EXPECT_TRUE(store_.DeleteAllDevices());
}

TEST_F(StoreTest, EmptyMacReadsTheFirstDiscoveredDevice) {
    ap_info_stu device{};
    EXPECT_TRUE(store_.GetDeviceByMac("", &device));
    EXPECT_STREQ(device.mac, "");

    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:00:00:00:00:0B", "Found first")));
    ASSERT_TRUE(store_.InsertDevice(MakeDevice("00:00:00:00:00:0A", "Found second")));
    ASSERT_TRUE(store_.GetDeviceByMac("", &device));
    EXPECT_STREQ(device.mac, "00:00:00:00:00:0B");
    EXPECT_EQ(std::string(device.ssid2), Blanks("Found first", 33));
}

// Discovery, the apply actions, the workers, the listener and the device list all
// call the store at once; every row must stay whole.
TEST_F(StoreTest, ConcurrentCallersLeaveConsistentRows) {
    constexpr int kDevices = 16;
    constexpr int kRounds = 150;
    std::vector<std::string> macs;
    for (int i = 0; i < kDevices; ++i) {
        char mac[kMacTextSize];
        std::snprintf(mac, sizeof(mac), "02:00:00:00:00:%02X", i);
        macs.emplace_back(mac);
    }
    auto ssid_of = [](const std::string& mac) { return "net-" + mac.substr(12); };

    std::atomic<int> inconsistencies{0};
    std::atomic<int> failed_calls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                const std::string& mac = macs[(round + t) % kDevices];
                if (!store_.InsertDevice(MakeDevice(mac, ssid_of(mac)))) {
                    ++failed_calls;
                }
            }
        });
    }
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                const std::string& mac = macs[(round * 3 + t) % kDevices];
                const int code = 1 + (round + t) % 7;
                switch (t) {
                    case 0:
                        store_.SetParaStatus(mac, code);
                        break;
                    case 1:
                        store_.SetLogoStatus(mac, code);
                        break;
                    default:
                        store_.SetAntiTheftStatus(mac, code);
                        break;
                }
                store_.SetResult(mac, store_.GetOverallResult(mac));
                if (round % 50 == 49 && !store_.ResetAllStatuses()) {
                    ++failed_calls;
                }
            }
        });
    }
    threads.emplace_back([&] {
        for (int round = 0; round < kRounds; ++round) {
            std::vector<ap_info_stu> devices;
            int total = 0;
            int success = 0;
            int failure = 0;
            if (!store_.QueryDevices(&devices, &total, &success, &failure, round % 2 == 0,
                                     SORT_BY_MAC, "02:00")) {
                ++failed_calls;
                continue;
            }
            std::set<std::string> seen;
            for (const ap_info_stu& device : devices) {
                const std::string mac = device.mac;
                if (!seen.insert(mac).second ||
                    std::string(device.ssid2) != Blanks(ssid_of(mac), 33)) {
                    ++inconsistencies;
                }
            }
            if (total != static_cast<int>(devices.size()) || success + failure > total) {
                ++inconsistencies;
            }
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failed_calls.load(), 0);
    EXPECT_EQ(inconsistencies.load(), 0);

    EXPECT_EQ(store_.CountDevices(), kDevices);
    std::vector<RawRow> rows = Raw();
    ASSERT_EQ(rows.size(), static_cast<size_t>(kDevices));
    std::set<std::string> seen;
    for (const RawRow& row : rows) {
        EXPECT_TRUE(seen.insert(row.mac).second) << row.mac;
        EXPECT_EQ(row.ssid2, ssid_of(row.mac));
        // A code and its text are written together: code 0 only ever comes from
        // discovery or a reset, which leave the text empty.
        const struct {
            int code;
            const std::string& text;
        } statuses[] = {{row.para_status, row.para_text},
                        {row.logo_status, row.logo_text},
                        {row.antitheft_status, row.antitheft_text}};
        for (const auto& status : statuses) {
            ASSERT_GE(status.code, 0);
            ASSERT_LT(status.code, 8);
            EXPECT_EQ(status.text, status.code == 0 ? "" : kEnglishStatusTexts[status.code])
                << row.mac;
        }
        EXPECT_THAT(row.result, ::testing::AnyOf(kNeverSet, "", "0", "1", "2", "3"));
    }
}

// ---------------------------------------------------------------------------
// Life of the database file

TEST(StoreLifetimeTest, StaleFilesAreDeletedAtCreationAndTheFileAtDestruction) {
    TempFolder folder;
    const std::string path = folder.Path() + "data.mdb";
    {
        std::ofstream(path) << "not a database, left by an earlier run";
        std::ofstream(path + "-journal") << "stale journal";
    }
    int failures = 0;
    {
        CSqlManagement store(folder.Path(), [&](const std::string&) { ++failures; });
        ASSERT_TRUE(store.IsOpen());
        EXPECT_EQ(store.GetDatabasePath(), path);
        EXPECT_EQ(store.CountDevices(), 0);
        EXPECT_FALSE(FileExists(path + "-journal"));
        ASSERT_TRUE(store.InsertDevice(MakeDevice("00:00:00:00:00:01")));
        EXPECT_EQ(store.CountDevices(), 1);
        EXPECT_TRUE(FileExists(path));
    }
    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(path + "-journal"));
}

TEST(StoreLifetimeTest, UnopenableDatabaseReportsOnceAndMakesEveryOperationNeutral) {
    TempFolder folder;
    const std::string missing = folder.Path() + "no-such-folder/";
    std::vector<std::string> messages;
    CSqlManagement store(missing, [&](const std::string& text) { messages.push_back(text); });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kOpenFailure);

    EXPECT_FALSE(store.IsOpen());
    EXPECT_FALSE(store.InsertDevice(MakeDevice("00:00:00:00:00:01")));
    std::vector<ap_info_stu> devices(2);
    int total = 5;
    int success = 6;
    int failure = 7;
    EXPECT_FALSE(store.QueryDevices(&devices, &total, &success, &failure, true, SORT_BY_MAC, ""));
    EXPECT_EQ(devices.size(), 2u);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(success, 6);
    EXPECT_EQ(failure, 7);
    ap_info_stu device{};
    EXPECT_FALSE(store.GetDeviceByMac("00:00:00:00:00:01", &device));
    EXPECT_FALSE(store.GetDeviceByMac("", &device));
    EXPECT_FALSE(store.SetResult("00:00:00:00:00:01", RESULT_SUCCESS));
    EXPECT_EQ(store.GetOverallResult("00:00:00:00:00:01"), RESULT_NOT_STARTED);
    std::vector<int> folded;
    EXPECT_FALSE(store.FoldResults({"00:00:00:00:00:01"}, &folded));
    EXPECT_EQ(folded, std::vector<int>{RESULT_NOT_STARTED});
    EXPECT_FALSE(store.ResetAllStatuses());
    EXPECT_FALSE(store.DeleteAllDevices());
    EXPECT_FALSE(store.SetParaStatus("00:00:00:00:00:01", STATUS_OPERATING));
    EXPECT_FALSE(store.SetLogoStatus("00:00:00:00:00:01", STATUS_OPERATING));
    EXPECT_FALSE(store.SetAntiTheftStatus("00:00:00:00:00:01", STATUS_OPERATING));
    EXPECT_EQ(store.CountDevices(), 0);
    EXPECT_THAT(store.LastError(), StartsWith("Connection String = " + missing + "data.mdb\n"));
    EXPECT_THAT(store.LastError(), HasSubstr("Source = SQLite"));
    EXPECT_EQ(messages.size(), 1u);
}

TEST(StoreLifetimeTest, OpenFailureWithoutAMessageSinkGoesToTheDiagnosticLog) {
    TempFolder home;
    setenv("PLINDAR_HOME", home.Path().c_str(), 1);
    const std::string log_path = GetProgramFolder() + "Diagnostic.log";
    std::filesystem::create_directories(GetProgramFolder());
    {
        CSqlManagement store(home.Path() + "missing/", nullptr);
        EXPECT_FALSE(store.IsOpen());
    }
    const std::string log = ReadWholeFile(log_path);
    EXPECT_THAT(log, HasSubstr(std::string("[ERROR]")));
    EXPECT_THAT(log, HasSubstr(std::string(kOpenFailure) + "\r\n"));
}

TEST(StoreLifetimeTest, TheProcessWideStoreIsCreatedOnceAndReleasedWithItsFile) {
    TempFolder folder;
    int failures = 0;
    CSqlManagement& created =
        CSqlManagement::CreateInstance(folder.Path(), [&](const std::string&) { ++failures; });
    EXPECT_TRUE(created.IsOpen());
    EXPECT_EQ(&CSqlManagement::GetInstance(), &created);
    TempFolder other;
    EXPECT_EQ(&CSqlManagement::CreateInstance(other.Path(), nullptr), &created);
    ASSERT_TRUE(CSqlManagement::GetInstance().InsertDevice(MakeDevice("00:00:00:00:00:01")));
    EXPECT_TRUE(FileExists(folder.Path() + "data.mdb"));
    EXPECT_FALSE(FileExists(other.Path() + "data.mdb"));

    CSqlManagement::ReleaseInstance();
    EXPECT_FALSE(FileExists(folder.Path() + "data.mdb"));
    EXPECT_EQ(failures, 0);

    CSqlManagement& again = CSqlManagement::CreateInstance(other.Path(), nullptr);
    EXPECT_EQ(again.CountDevices(), 0);
    CSqlManagement::ReleaseInstance();
    EXPECT_FALSE(FileExists(other.Path() + "data.mdb"));
}

}  // namespace
}  // namespace plindar
