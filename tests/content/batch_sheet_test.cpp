// Tests of the .xls writer and reader and of the batch sheet built on them.
//
// The shipped template (resources/ExcelTemplate/Template.xls) and the fixture of
// operator-typed cells (fixtures/xls/operator_typed.xls) are made by the code
// below. After a change to the writer, regenerate both with
//   PLINDAR_REGENERATE_XLS=1 build/release/tests/content_test --gtest_filter='XlsFiles.*'
// and commit the new files. Without the variable the same tests check that the
// shipped template is byte for byte what the writer makes now.
#include "content/batch_sheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/biff8_writer.h"
#include "content/xls_reader.h"
#include "protocol/fixed_text.h"
#include "records/sql_management.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadWholeFile;
using test::RunProgram;
using test::TempFolder;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

const char kNotModifiable[] = "(*This column cannot be modified*)";
const char kMac1[] = "00:1A:2B:3C:4D:01";
const char kMac2[] = "00:1A:2B:3C:4D:02";
const char kMac3[] = "00:1A:2B:3C:4D:03";
const char kDate[] = "2024-05-06 07:08:09";
// The interpreter that has xlrd; the one first on PATH is another build.
const char kPython[] = "/usr/bin/python3";

// Source-tree paths; Ninja compiles with absolute file names.
fs::path SourceDir() {
    return fs::path(__FILE__).parent_path();
}
fs::path FixturePath(const std::string& name) {
    return SourceDir() / "fixtures" / "xls" / name;
}
fs::path ShippedTemplatePath() {
    return SourceDir().parent_path().parent_path() / "resources" / "ExcelTemplate" / "Template.xls";
}
bool Regenerating() {
    const char* flag = std::getenv("PLINDAR_REGENERATE_XLS");
    return flag != nullptr && std::string(flag) == "1";
}

std::string Repeat(const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// ---------------------------------------------------------------------------
// xlrd as a second, independent reader

// One expected cell as xlrd reports it: a text, a number, or "" for empty.
struct xl {
    xl(const char* t) : text(t) {}
    xl(std::string t) : text(std::move(t)) {}
    xl(double n) : is_number(true), number(n) {}
    bool is_number = false;
    std::string text;
    double number = 0;
};
using xl_rows = std::vector<std::vector<xl>>;

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char kXlrdScript[] = R"(
import json, sys, xlrd
path, expected_path = sys.argv[1], sys.argv[2]
expected = json.load(open(expected_path, encoding="utf-8"))
book = xlrd.open_workbook(path)
names = book.sheet_names()
if names != expected["sheets"]:
    sys.exit("sheet names: xlrd read %r, expected %r" % (names, expected["sheets"]))
sheet = book.sheet_by_index(0)
rows = []
for r in range(sheet.nrows):
    row = []
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_TEXT):
            row.append(cell.value)
        elif cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
            row.append("")
        else:
            row.append("<cell type %d>" % cell.ctype)
    while row and row[-1] == "":
        row.pop()
    rows.append(row)
while rows and not rows[-1]:
    rows.pop()
if rows != expected["rows"]:
    sys.exit("xlrd read %s\nexpected   %s" % (json.dumps(rows, ensure_ascii=False),
                                           json.dumps(expected["rows"], ensure_ascii=False)))
)";

// Empty when xlrd opens the workbook and finds exactly these sheet names and
// these rows on the first sheet (trailing empty cells and rows left out);
// otherwise what went wrong.
std::string XlrdMismatch(const std::string& workbook, const std::vector<std::string>& sheets,
                         const xl_rows& rows) {
    TempFolder folder;
    std::string json = "{\"sheets\": [";
    for (size_t i = 0; i < sheets.size(); ++i) {
        json += (i ? ", " : "") + JsonString(sheets[i]);
    }
    json += "], \"rows\": [";
    for (size_t r = 0; r < rows.size(); ++r) {
        json += r ? ", [" : "[";
        for (size_t c = 0; c < rows[r].size(); ++c) {
            char number[40];
            std::snprintf(number, sizeof(number), "%.17g", rows[r][c].number);
            json += (c ? ", " : "") + (rows[r][c].is_number ? number : JsonString(rows[r][c].text));
        }
        json += "]";
    }
    json += "]}";
    WriteFile(folder.Path() + "expected.json", json);
    WriteFile(folder.Path() + "check.py", kXlrdScript);
    test::process_result run = RunProgram(
        {kPython, folder.Path() + "check.py", workbook, folder.Path() + "expected.json"});
    if (run.exit_code == 0) {
        return {};
    }
    return "xlrd check failed (exit " + std::to_string(run.exit_code) + "): " + run.out + run.err;
}

// ---------------------------------------------------------------------------
// Writer and reader

// Walks the records of a Workbook stream: (offset of the header, type).
std::vector<std::pair<size_t, uint16_t>> Records(const std::vector<uint8_t>& stream) {
    std::vector<std::pair<size_t, uint16_t>> records;
    for (size_t pos = 0; pos + 4 <= stream.size();) {
        const uint16_t type = static_cast<uint16_t>(stream[pos] | stream[pos + 1] << 8);
        const size_t size = stream[pos + 2] | stream[pos + 3] << 8;
        if (type == 0 && size == 0) {
            break;
        }
        records.emplace_back(pos, type);
        pos += 4 + size;
    }
    return records;
}

std::vector<std::string> ReadRow(const CXlsReader& reader, uint32_t row, uint32_t columns) {
    std::vector<std::string> texts;
    for (uint32_t c = 0; c < columns; ++c) {
        texts.push_back(reader.ReadCellText(row, c));
    }
    return texts;
}

TEST(Biff8WorkbookTest, TextsAndNumbersComeBackThroughBothReaders) {
    TempFolder folder;
    const std::string path = folder.Path() + "book.xls";
    const std::string long_text = Repeat("0123456789", 30);
    // 6000 CJK characters take 12000 bytes: the string continues in a second record.
    const std::string split_text = Repeat("无线", 3000);
    const std::string emoji = "key-\xF0\x9F\x94\x91";  // outside the BMP: a surrogate pair

    CBiff8Workbook book;
    const int sheet = book.AddSheet("Sheet1");
    const int second = book.AddSheet("Ger\xC3\xA4te");  // "Geräte"
    ASSERT_EQ(sheet, 0);
    ASSERT_EQ(second, 1);
    ASSERT_TRUE(book.SetText(sheet, 0, 0, "mac(*This column cannot be modified*)"));
    ASSERT_TRUE(book.SetText(sheet, 0, 1, "ssid_2.4g"));
    ASSERT_TRUE(book.SetText(sheet, 0, 2, "wlanPsk_2.4g"));
    ASSERT_TRUE(book.SetText(sheet, 1, 0, kMac1));
    ASSERT_TRUE(
        book.SetText(sheet, 1, 1, "\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4-WiFi"));  // 办公室-WiFi
    ASSERT_TRUE(book.SetText(sheet, 1, 2, ""));
    ASSERT_TRUE(book.SetText(sheet, 1, 3, "caf\xC3\xA9"));
    ASSERT_TRUE(book.SetNumber(sheet, 2, 0, 100));
    ASSERT_TRUE(book.SetNumber(sheet, 2, 1, 1.5));
    ASSERT_TRUE(book.SetBlank(sheet, 2, 2));
    ASSERT_TRUE(book.SetText(sheet, 2, 3, emoji));
    ASSERT_TRUE(book.SetText(sheet, 3, 0, long_text));
    ASSERT_TRUE(book.SetText(sheet, 3, 1, split_text));
    ASSERT_TRUE(book.SetText(sheet, 4, 0, kMac1));  // the same string twice
    ASSERT_TRUE(book.SetText(second, 0, 0, "second sheet"));
    ASSERT_TRUE(book.SetColumnWidth(sheet, 0, 40));
    std::string error;
    ASSERT_TRUE(book.Save(path, &error)) << error;

    CXlsReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.LastError();
    EXPECT_EQ(reader.SheetCount(), 2u);
    std::string name;
    ASSERT_TRUE(reader.SheetName(1, &name));
    EXPECT_EQ(name, "Ger\xC3\xA4te");
    EXPECT_EQ(reader.RowCount(), 5u);
    EXPECT_EQ(reader.ColumnCount(), 4u);
    EXPECT_THAT(ReadRow(reader, 0, 4), ElementsAre("mac(*This column cannot be modified*)",
                                                   "ssid_2.4g", "wlanPsk_2.4g", ""));
    EXPECT_THAT(ReadRow(reader, 1, 4),
                ElementsAre(kMac1, "\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4-WiFi", "", "caf\xC3\xA9"));
    EXPECT_THAT(ReadRow(reader, 2, 4), ElementsAre("100", "1.5", "", emoji));
    EXPECT_EQ(reader.ReadCell(2, 1).kind, XLS_CELL_NUMBER);
    EXPECT_EQ(reader.ReadCell(2, 1).number, 1.5);
    EXPECT_EQ(reader.ReadCell(1, 2).kind, XLS_CELL_EMPTY);  // the empty text
    EXPECT_EQ(reader.ReadCell(2, 2).kind, XLS_CELL_EMPTY);  // the blank cell
    EXPECT_EQ(reader.ReadCellText(3, 0), long_text);
    EXPECT_EQ(reader.ReadCellText(3, 1), split_text);
    EXPECT_EQ(reader.ReadCellText(4, 0), kMac1);
    // Outside the sheet: empty, never an error.
    EXPECT_EQ(reader.ReadCell(5, 0).kind, XLS_CELL_EMPTY);
    EXPECT_EQ(reader.ReadCell(0, 200).kind, XLS_CELL_EMPTY);
    EXPECT_EQ(reader.ReadCell(70000, 70000).kind, XLS_CELL_EMPTY);
    ASSERT_TRUE(reader.SelectSheet(1));
    EXPECT_EQ(reader.ReadCellText(0, 0), "second sheet");
    EXPECT_FALSE(reader.SelectSheet(2));

    EXPECT_EQ(XlrdMismatch(path, {"Sheet1", "Ger\xC3\xA4te"},
                           {{"mac(*This column cannot be modified*)", "ssid_2.4g", "wlanPsk_2.4g"},
                            {kMac1, "\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4-WiFi", "", "caf\xC3\xA9"},
                            {100.0, 1.5, "", emoji},
                            {long_text, split_text},
                            {kMac1}}),
              "");
}

TEST(Biff8WorkbookTest, ManyStringsSpreadOverContinueRecords) {
    // Enough shared strings to need several CONTINUE records and EXTSST buckets.
    TempFolder folder;
    const std::string path = folder.Path() + "many.xls";
    CBiff8Workbook book;
    const int sheet = book.AddSheet("Sheet1");
    xl_rows expected;
    constexpr uint32_t kRows = 1500;
    for (uint32_t r = 0; r < kRows; ++r) {
        const std::string a = "row " + std::to_string(r) + " \xE6\xB5\x8B\xE8\xAF\x95";  // 测试
        const std::string b = Repeat("x", r % 40 + 1);
        ASSERT_TRUE(book.SetText(sheet, r, 0, a));
        ASSERT_TRUE(book.SetText(sheet, r, 1, b));
        expected.push_back({a, b});
    }
    ASSERT_TRUE(book.Save(path));

    CXlsReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.LastError();
    ASSERT_EQ(reader.RowCount(), kRows);
    for (uint32_t r = 0; r < kRows; ++r) {
        ASSERT_EQ(reader.ReadCellText(r, 0), expected[r][0].text) << "row " << r;
        ASSERT_EQ(reader.ReadCellText(r, 1), expected[r][1].text) << "row " << r;
    }
    EXPECT_EQ(XlrdMismatch(path, {"Sheet1"}, expected), "");

    // EXTSST, which Excel uses to find strings, points at the first string of
    // every bucket: at its length field, inside an SST or CONTINUE record.
    std::vector<std::u16string> unique;
    for (const auto& row : expected) {
        for (const xl& cell : row) {
            const std::u16string text = ToBiff8Text(cell.text);
            if (std::find(unique.begin(), unique.end(), text) == unique.end()) {
                unique.push_back(text);
            }
        }
    }
    const std::vector<uint8_t> stream = book.Serialize();
    auto u16 = [&](size_t at) { return static_cast<uint16_t>(stream[at] | stream[at + 1] << 8); };
    auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
    std::map<size_t, uint16_t> record_at;
    size_t extsst = 0;
    for (const auto& [offset, type] : Records(stream)) {
        record_at[offset] = type;
        extsst = type == 0x00FF ? offset : extsst;
    }
    ASSERT_NE(extsst, 0u);
    const size_t per_bucket = u16(extsst + 4);
    const size_t buckets = (u16(extsst + 2) - 2) / 8;
    EXPECT_EQ(buckets, (unique.size() + per_bucket - 1) / per_bucket);
    EXPECT_LE(buckets, 128u);
    for (size_t k = 0; k < buckets; ++k) {
        const size_t entry = extsst + 6 + 8 * k;
        const size_t position = u32(entry);
        const size_t in_record = u16(entry + 4);
        ASSERT_TRUE(record_at.count(position - in_record)) << "bucket " << k;
        const uint16_t type = record_at[position - in_record];
        EXPECT_TRUE(type == 0x00FC || type == 0x003C) << "bucket " << k;
        EXPECT_EQ(u16(position), unique[k * per_bucket].size()) << "bucket " << k;
    }
}

TEST(Biff8WorkbookTest, RefusesWhatTheFormatCannotHold) {
    CBiff8Workbook book;
    const int sheet = book.AddSheet("Data");
    EXPECT_EQ(book.AddSheet(""), -1);
    EXPECT_EQ(book.AddSheet(std::string(32, 'a')), -1);
    EXPECT_EQ(book.AddSheet(std::string(31, 'a')), 1);
    EXPECT_EQ(book.AddSheet("DATA"), -1);  // names differ only in case
    for (const char* name : {"a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "'ab", "ab'"}) {
        EXPECT_EQ(book.AddSheet(name), -1) << name;
    }
    EXPECT_FALSE(book.SetText(sheet, kBiff8MaxRows, 0, "x"));
    EXPECT_FALSE(book.SetText(sheet, 0, kBiff8MaxColumns, "x"));
    EXPECT_FALSE(book.SetNumber(5, 0, 0, 1));
    EXPECT_FALSE(book.SetText(-1, 0, 0, "x"));
    EXPECT_FALSE(book.SetText(sheet, 0, 0, std::string(kBiff8MaxTextUnits + 1, 'x')));
    EXPECT_TRUE(book.SetText(sheet, kBiff8MaxRows - 1, kBiff8MaxColumns - 1,
                             std::string(kBiff8MaxTextUnits, 'x')));
    EXPECT_FALSE(book.SetColumnWidth(sheet, 0, 0));
    EXPECT_FALSE(book.SetColumnWidth(sheet, 0, 300));
    EXPECT_FALSE(book.AddRawCellRecord(sheet, 0x0201, std::vector<uint8_t>(kBiff8MaxRecordData + 1),
                                       0, 0, 0));
    EXPECT_FALSE(book.AddRawCellRecord(sheet, 0x0201, {}, 0, 3, 2));
}

TEST(Biff8WorkbookTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(ToBiff8Text("a\xE4\xB8\xAD"), u"a\u4E2D");
    EXPECT_EQ(ToBiff8Text("\xF0\x9F\x94\x91"), u"\U0001F511");
    EXPECT_EQ(ToBiff8Text("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(ToBiff8Text("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong form of '/'
    EXPECT_EQ(ToBiff8Text("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
    EXPECT_EQ(ToBiff8Text("\xE4\xB8"), u"\uFFFD\uFFFD");            // cut short
}

TEST(XlsReaderTest, NumbersReadAsTheirDecimalText) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {100, "100"},     {1.5, "1.5"},    {0.1, "0.1"},    {-7, "-7"},
        {0, "0"},         {-0.0, "0"},     {4094, "4094"},  {123456789012345.0, "123456789012345"},
        {12.34, "12.34"}, {1e15, "1e+15"}, {1e20, "1e+20"}, {2.5e-7, "2.5e-07"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberCellText(c.value), c.text) << c.value;
    }
}

// Little-endian record payloads for the cells other applications write.
struct raw_payload {
    std::vector<uint8_t> bytes;
    raw_payload& U16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    raw_payload& U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        return U16(static_cast<uint16_t>(v >> 16));
    }
};
constexpr uint16_t kRecordRk = 0x027E;
constexpr uint16_t kRecordMulRk = 0x00BD;
constexpr uint16_t kRecordMulBlank = 0x00BE;
constexpr uint16_t kCellXf = 15;
// RK values: a 30-bit integer, the top 30 bits of a double, either divided by 100.
uint32_t RkInteger(int32_t v) {
    return (static_cast<uint32_t>(v) << 2) | 0x2;
}
uint32_t RkHundredths(int32_t v) {
    return RkInteger(v) | 0x1;
}
uint32_t RkDouble(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof(bits));
    return static_cast<uint32_t>(bits >> 32) & ~3u;
}

const char* const kFixtureHeader[] = {"mac(*This column cannot be modified*)",
                                      "WanName1(*This column cannot be modified*)",
                                      "vid1",
                                      "loid",
                                      "loidPassword",
                                      "ploamPassword",
                                      "loginPassword"};

// A batch sheet as an operator's spreadsheet application saves it after numbers
// were typed and cells cleared: NUMBER cells, RK and MULRK cells (integers,
// doubles and hundredths), BLANK and MULBLANK cells, next to plain texts.
CBiff8Workbook OperatorTypedWorkbook() {
    CBiff8Workbook book;
    const int s = book.AddSheet("Sheet1");
    for (uint32_t c = 0; c < std::size(kFixtureHeader); ++c) {
        book.SetText(s, 0, c, kFixtureHeader[c]);
    }
    // Row 1: NUMBER cells and a BLANK.
    book.SetText(s, 1, 0, kMac1);
    book.SetText(s, 1, 1, "1_INTERNET_R_VID_100");
    book.SetNumber(s, 1, 2, 100);
    book.SetNumber(s, 1, 3, 123456789012345.0);
    book.SetBlank(s, 1, 4);
    book.SetNumber(s, 1, 5, 0.1);
    book.SetText(s, 1, 6, "admin");
    // Row 2: MULBLANK over WanName1 and vid1, RK cells of every kind.
    book.SetText(s, 2, 0, kMac2);
    book.AddRawCellRecord(s, kRecordMulBlank,
                          raw_payload().U16(2).U16(1).U16(kCellXf).U16(kCellXf).U16(2).bytes, 2, 1,
                          2);
    book.AddRawCellRecord(
        s, kRecordRk, raw_payload().U16(2).U16(3).U16(kCellXf).U32(RkInteger(4094)).bytes, 2, 3, 3);
    book.AddRawCellRecord(
        s, kRecordRk, raw_payload().U16(2).U16(4).U16(kCellXf).U32(RkDouble(1.5)).bytes, 2, 4, 4);
    book.AddRawCellRecord(s, kRecordRk,
                          raw_payload().U16(2).U16(5).U16(kCellXf).U32(RkHundredths(1234)).bytes, 2,
                          5, 5);
    book.SetNumber(s, 2, 6, -7);
    // Row 3: one MULRK over vid1..loidPassword, then MULBLANK to the end.
    book.SetText(s, 3, 0, kMac3);
    book.SetText(s, 3, 1, "2_TR069_R_VID_46");
    book.AddRawCellRecord(s, kRecordMulRk,
                          raw_payload()
                              .U16(3)
                              .U16(2)
                              .U16(kCellXf)
                              .U32(RkInteger(46))
                              .U16(kCellXf)
                              .U32(RkHundredths(-250))
                              .U16(kCellXf)
                              .U32(RkDouble(2.5))
                              .U16(4)
                              .bytes,
                          3, 2, 4);
    book.AddRawCellRecord(s, kRecordMulBlank,
                          raw_payload().U16(3).U16(5).U16(kCellXf).U16(kCellXf).U16(6).bytes, 3, 5,
                          6);
    return book;
}

custom_value_stu FixtureTemplate() {
    custom_value_stu templ{};
    templ.wanCount = 1;
    WriteFixedText(templ.WanName[0], "1_INTERNET_R_VID_100");
    WriteFixedText(templ.vid[0], "100");
    WriteFixedText(templ.ChannelMode[0], "1");
    return templ;
}

// The shipped files, regenerated on request and otherwise checked (see the top).
TEST(XlsFiles, ShippedTemplateIsWhatTheWriterMakes) {
    TempFolder folder;
    const std::string fresh = folder.Path() + "Template.xls";
    ASSERT_TRUE(BatchTemplateWorkbook().Save(fresh));
    if (Regenerating()) {
        fs::create_directories(ShippedTemplatePath().parent_path());
        fs::copy_file(fresh, ShippedTemplatePath(), fs::copy_options::overwrite_existing);
    }
    ASSERT_TRUE(FileExists(ShippedTemplatePath())) << ShippedTemplatePath();
    EXPECT_EQ(ReadWholeFile(ShippedTemplatePath()), ReadWholeFile(fresh))
        << "regenerate with PLINDAR_REGENERATE_XLS=1 (see the top of this file)";
    EXPECT_EQ(XlrdMismatch(ShippedTemplatePath(), {"Sheet1"}, {}), "");
}

TEST(XlsFiles, OperatorTypedFixtureIsCurrent) {
    TempFolder folder;
    const std::string fresh = folder.Path() + "operator_typed.xls";
    ASSERT_TRUE(OperatorTypedWorkbook().Save(fresh));
    if (Regenerating()) {
        fs::create_directories(FixturePath("regressions"));
        fs::copy_file(fresh, FixturePath("operator_typed.xls"),
                      fs::copy_options::overwrite_existing);
    }
    ASSERT_TRUE(FileExists(FixturePath("operator_typed.xls")));
    EXPECT_EQ(ReadWholeFile(FixturePath("operator_typed.xls")), ReadWholeFile(fresh))
        << "regenerate with PLINDAR_REGENERATE_XLS=1 (see the top of this file)";
    // Another reader agrees on what the hand-made records hold.
    std::vector<xl> header(std::begin(kFixtureHeader), std::end(kFixtureHeader));
    EXPECT_EQ(
        XlrdMismatch(FixturePath("operator_typed.xls"), {"Sheet1"},
                     {header,
                      {kMac1, "1_INTERNET_R_VID_100", 100.0, 123456789012345.0, "", 0.1, "admin"},
                      {kMac2, "", "", 4094.0, 1.5, 12.34, -7.0},
                      {kMac3, "2_TR069_R_VID_46", 46.0, -2.5, 2.5}}),
        "");
}

TEST(XlsReaderTest, NumbersAndBlanksTypedByTheOperator) {
    CXlsReader reader;
    ASSERT_TRUE(reader.Open(FixturePath("operator_typed.xls"))) << reader.LastError();
    EXPECT_THAT(ReadRow(reader, 1, 7), ElementsAre(kMac1, "1_INTERNET_R_VID_100", "100",
                                                   "123456789012345", "", "0.1", "admin"));
    EXPECT_THAT(ReadRow(reader, 2, 7), ElementsAre(kMac2, "", "", "4094", "1.5", "12.34", "-7"));
    EXPECT_THAT(ReadRow(reader, 3, 7),
                ElementsAre(kMac3, "2_TR069_R_VID_46", "46", "-2.5", "2.5", "", ""));
    EXPECT_EQ(reader.ReadCell(2, 3).kind, XLS_CELL_NUMBER);
    EXPECT_EQ(reader.ReadCell(2, 3).number, 4094);
    EXPECT_EQ(reader.ReadCell(2, 1).kind, XLS_CELL_EMPTY);
    EXPECT_EQ(reader.ReadCell(1, 4).kind, XLS_CELL_EMPTY);

    // The same sheet read as a batch sheet for four devices: numbers land in their
    // fields as text, blanks as empty fields, the missing fourth row as nothing.
    batch_sheet_reading_stu read =
        ReadBatchSheet(FixturePath("operator_typed.xls"), FixtureTemplate(), 4, false);
    ASSERT_EQ(read.result, BATCH_READ_OK) << read.error;
    EXPECT_EQ(read.wanCount, 1);
    ASSERT_EQ(read.records.size(), 4u);
    EXPECT_STREQ(read.records[0].vid[0], "100");
    EXPECT_STREQ(read.records[0].loid, "123456789012345");
    EXPECT_STREQ(read.records[0].loidPassword, "");
    EXPECT_STREQ(read.records[0].ploamPassword, "0.1");
    EXPECT_STREQ(read.records[1].WanName[0], "");
    EXPECT_STREQ(read.records[1].vid[0], "");
    EXPECT_STREQ(read.records[1].loid, "4094");
    EXPECT_STREQ(read.records[1].loginPassword, "-7");
    EXPECT_STREQ(read.records[2].vid[0], "46");
    EXPECT_STREQ(read.records[2].loginPassword, "");
    EXPECT_STREQ(read.records[3].mac, "");
    EXPECT_STREQ(read.records[3].WanName[0], "");
    EXPECT_EQ(read.records[3].wanCount, 1);
}

// Files that are not workbooks, or workbooks cut or damaged: a clear false,
// never a crash (run under the asan preset for the memory side).
TEST(XlsReaderTest, RejectsFilesThatAreNotWorkbooks) {
    TempFolder folder;
    const std::string good = folder.Path() + "good.xls";
    CBiff8Workbook book = OperatorTypedWorkbook();
    ASSERT_TRUE(book.Save(good));
    const std::string bytes = ReadWholeFile(good);
    ASSERT_GT(bytes.size(), 4096u);

    std::map<std::string, std::string> files = {
        {"empty", ""},
        {"text", "mac,ssid\n00:1A:2B:3C:4D:01,office\n"},
        {"ole_signature_only", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)},
        {"ole_header_of_zeros",
         std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(1016, '\0')},
        {"first_sector", bytes.substr(0, 512)},
        {"half", bytes.substr(0, bytes.size() / 2)},
        {"one_byte_short", bytes.substr(0, bytes.size() - 1)},
    };
    // The container without a stream named Workbook.
    std::string renamed = bytes;
    const std::string name("W\0o\0r\0k\0b\0o\0o\0k\0", 16);
    const size_t at = renamed.find(name);
    ASSERT_NE(at, std::string::npos);
    renamed[at] = 'X';
    files["no_workbook_stream"] = renamed;
    // A Workbook stream that does not start with a BOF record.
    std::string no_bof = bytes;
    const std::string bof("\x09\x08\x10\x00\x00\x06\x05\x00", 8);
    const size_t bof_at = no_bof.find(bof);
    ASSERT_NE(bof_at, std::string::npos);
    no_bof[bof_at] = '\x7F';
    files["no_bof"] = no_bof;

    for (const auto& [label, content] : files) {
        const std::string path = folder.Path() + label + ".xls";
        WriteFile(path, content);
        CXlsReader reader;
        EXPECT_FALSE(reader.Open(path)) << label;
        EXPECT_FALSE(reader.IsOpen()) << label;
        EXPECT_FALSE(reader.LastError().empty()) << label;
        EXPECT_EQ(reader.ReadCell(0, 0).kind, XLS_CELL_EMPTY) << label;
        EXPECT_EQ(ReadBatchSheet(path, FixtureTemplate(), 2, false).result, BATCH_READ_NO_WORKBOOK)
            << label;
    }
    CXlsReader reader;
    EXPECT_FALSE(reader.Open(folder.Path() + "missing.xls"));
    EXPECT_FALSE(reader.Open(folder.Path()));  // a folder
}

// The clean copy handed to the cell library: what it keeps, what it drops, and
// that cleaning it again changes nothing.
TEST(XlsReaderTest, CleanCopyKeepsCellsAndIsStable) {
    CBiff8Workbook book = OperatorTypedWorkbook();
    const int second = book.AddSheet("Second");
    book.SetText(second, 0, 0, "only in the second sheet");
    std::vector<uint8_t> stream = book.Serialize();

    std::vector<uint8_t> once;
    std::vector<uint8_t> twice;
    std::string error;
    ASSERT_TRUE(NormalizeBiff8Stream(stream, &once, &error)) << error;
    ASSERT_TRUE(NormalizeBiff8Stream(once, &twice, &error)) << error;
    EXPECT_TRUE(once == twice);
    // Formatting records are gone; MULRK and MULBLANK became single cells or nothing.
    size_t rk = 0;
    for (const auto& [offset, type] : Records(once)) {
        EXPECT_NE(type, 0x0031) << "FONT kept";
        EXPECT_NE(type, kRecordMulRk);
        EXPECT_NE(type, kRecordMulBlank);
        rk += type == kRecordRk;
    }
    EXPECT_EQ(rk, 6u);  // three RK cells and the three of the MULRK

    // Both sheet records pointing at the first sheet's substream: the second
    // sheet's own substream is dropped, with its string, and the second sheet
    // reads empty.
    std::vector<size_t> sheet_records;
    for (const auto& [offset, type] : Records(stream)) {
        if (type == 0x0085) {
            sheet_records.push_back(offset);
        }
    }
    ASSERT_EQ(sheet_records.size(), 2u);
    std::copy_n(stream.begin() + sheet_records[0] + 4, 4, stream.begin() + sheet_records[1] + 4);
    ASSERT_TRUE(NormalizeBiff8Stream(stream, &once, &error)) << error;
    ASSERT_TRUE(NormalizeBiff8Stream(once, &twice, &error)) << error;
    EXPECT_TRUE(once == twice);
    TempFolder folder;
    ASSERT_TRUE(SaveBiff8Stream(folder.Path() + "shared.xls", stream));
    CXlsReader reader;
    ASSERT_TRUE(reader.Open(folder.Path() + "shared.xls")) << reader.LastError();
    ASSERT_EQ(reader.SheetCount(), 2u);
    EXPECT_EQ(reader.ReadCellText(1, 0), kMac1);
    ASSERT_TRUE(reader.SelectSheet(1));
    EXPECT_EQ(reader.RowCount(), 0u);
    EXPECT_EQ(reader.ReadCellText(0, 0), "");

    // Damage the clean-up refuses rather than pass on.
    const struct {
        const char* label;
        uint16_t type;
        std::vector<uint8_t> payload;
    } damaged[] = {
        {"cell beyond column 255", 0x0203,
         raw_payload().U16(1).U16(300).U16(15).U32(0).U32(0).bytes},
        {"shared string that does not exist", 0x00FD,
         raw_payload().U16(1).U16(1).U16(15).U32(999).bytes},
        {"label longer than its record", 0x0204,
         raw_payload().U16(1).U16(1).U16(15).U16(200).bytes},
        {"short number record", 0x0203, raw_payload().U16(1).U16(1).U16(15).bytes},
        {"MULRK with half a value", kRecordMulRk,
         raw_payload().U16(1).U16(1).U16(15).U32(2).U16(15).U16(2).bytes},
    };
    for (const auto& d : damaged) {
        CBiff8Workbook bad;
        const int sheet = bad.AddSheet("Sheet1");
        bad.SetText(sheet, 0, 0, "mac");
        ASSERT_TRUE(bad.AddRawCellRecord(sheet, d.type, d.payload, 1, 1, 1)) << d.label;
        EXPECT_FALSE(NormalizeBiff8Stream(bad.Serialize(), &once, &error)) << d.label;
        EXPECT_FALSE(error.empty()) << d.label;
        ASSERT_TRUE(bad.Save(folder.Path() + "bad.xls"));
        EXPECT_EQ(ReadBatchSheet(folder.Path() + "bad.xls", FixtureTemplate(), 1, false).result,
                  BATCH_READ_NO_WORKBOOK)
            << d.label;
    }
}

TEST(XlsReaderTest, RefusesFilesFarLargerThanAWorkbook) {
    TempFolder folder;
    const std::string path = folder.Path() + "huge.xls";
    fs::copy_file(FixturePath("operator_typed.xls"), path);
    fs::resize_file(path, kMaxWorkbookFileBytes + 1);
    CXlsReader reader;
    EXPECT_FALSE(reader.Open(path));
    EXPECT_THAT(reader.LastError(), HasSubstr("too large"));
}

// Inputs that once made the reader fail badly, replayed for good: whole files,
// or (not starting like an OLE2 file) bare Workbook streams, as the fuzz target
// takes them.
TEST(XlsReaderTest, ReplaysFuzzRegressions) {
    const fs::path folder = FixturePath("regressions");
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    size_t replayed = 0;
    TempFolder wrapped;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") {
            continue;
        }
        std::string path = entry.path();
        const std::string bytes = ReadWholeFile(path);
        if (bytes.rfind(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), 0) != 0) {
            const std::vector<uint8_t> stream(bytes.begin(), bytes.end());
            std::vector<uint8_t> once;
            std::vector<uint8_t> twice;
            std::string error;
            if (NormalizeBiff8Stream(stream, &once, &error)) {
                EXPECT_TRUE(NormalizeBiff8Stream(once, &twice, &error)) << path << ": " << error;
                EXPECT_TRUE(once == twice) << path;
            }
            path = wrapped.Path() + entry.path().filename().string();
            ASSERT_TRUE(SaveBiff8Stream(path, stream));
        }
        CXlsReader reader;
        if (reader.Open(path)) {
            for (uint32_t r = 0; r < std::min(reader.RowCount(), 64u); ++r) {
                for (uint32_t c = 0; c < std::min(reader.ColumnCount(), 64u); ++c) {
                    (void)reader.ReadCell(r, c);
                }
            }
        }
        (void)ReadBatchSheet(entry.path(), FixtureTemplate(), 3, true);
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

// ---------------------------------------------------------------------------
// Batch sheet

struct wan_entry {
    const char* name;
    const char* vid;
    const char* channel_mode;
    const char* ppp_user;
    const char* ppp_password;
};

custom_value_stu MakeTemplate(const std::vector<wan_entry>& wans, int dual_band) {
    custom_value_stu templ{};
    for (size_t k = 0; k < wans.size() && k < kMaxWanEntries; ++k) {
        WriteFixedText(templ.WanName[k], wans[k].name);
        WriteFixedText(templ.vid[k], wans[k].vid);
        WriteFixedText(templ.ChannelMode[k], wans[k].channel_mode);
        WriteFixedText(templ.pppUser[k], wans[k].ppp_user);
        WriteFixedText(templ.pppPassword[k], wans[k].ppp_password);
    }
    templ.wanCount = static_cast<int32_t>(std::min<size_t>(wans.size(), kMaxWanEntries));
    templ.dualBand = dual_band;
    WriteFixedText(templ.loid, "loid-0001");
    WriteFixedText(templ.loidPassword, "lpw");
    WriteFixedText(templ.ploamPassword, "ploam");
    WriteFixedText(templ.loginPassword, "admin123");
    return templ;
}

// The design's example: entry 1 without VLAN in mode 1, entry 2 with VLAN 100 in
// PPPoE mode.
custom_value_stu TwoWanTemplate(int dual_band) {
    return MakeTemplate({{"1_TR069_R_VID_", "0", "1", "", ""},
                         {"2_INTERNET_R_VID_100", "100", "2", "user@isp", "pw"}},
                        dual_band);
}

// A program folder with the shipped template and a results store whose rows come
// back blank-padded like the real ones.
class BatchSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_.Path() + "ExcelTemplate");
        fs::copy_file(ShippedTemplatePath(), folder_.Path() + kBatchTemplatePath);
        store_ = std::make_unique<CSqlManagement>(folder_.Path(), [](const std::string&) {});
        ASSERT_TRUE(store_->IsOpen());
    }

    void Store(const std::string& mac, const std::string& ssid2, const std::string& ssid5,
               const std::string& key2, const std::string& key5) {
        ap_discover_stu device{};
        WriteFixedText(device.mac, mac);
        WriteFixedText(device.date, kDate);
        WriteFixedText(device.ssid2, ssid2);
        WriteFixedText(device.ssid5, ssid5);
        WriteFixedText(device.wpakey2, key2);
        WriteFixedText(device.wpakey5, key5);
        ASSERT_TRUE(store_->InsertDevice(device));
    }

    device_row_reader_fn Rows() {
        return [this](const std::string& mac, ap_info_stu* device) {
            return store_->GetDeviceByMac(mac, device);
        };
    }

    batch_sheet_creation_stu Create(const custom_value_stu& templ,
                                    const std::vector<std::string>& macs) {
        std::tm when{};
        when.tm_year = 2024 - 1900;
        when.tm_mon = 4;
        when.tm_mday = 6;
        when.tm_hour = 7;
        when.tm_min = 8;
        when.tm_sec = ++second_;
        return CreateBatchSheet(folder_.Path(), templ, macs, Rows(), when);
    }

    static std::vector<std::string> Header(const std::string& path) {
        CXlsReader reader;
        EXPECT_TRUE(reader.Open(path)) << reader.LastError();
        return ReadRow(reader, 0, reader.ColumnCount());
    }

    TempFolder folder_;
    std::unique_ptr<CSqlManagement> store_;
    int second_ = 0;
};

std::string Nm(const char* header) {
    return std::string(header) + kNotModifiable;
}

TEST_F(BatchSheetTest, HeaderFollowsTheTemplateAndTheFirstDevice) {
    Store(kMac1, "Office-2G", "Office-5G", "key-2g-123", "key-5g-123");  // both SSIDs stored
    Store(kMac2, "Only-2G", "", "key-2g-456", "");                       // a row, empty 5 GHz SSID
    const struct {
        const char* label;
        custom_value_stu templ;
        std::string first_device;
        bool wireless;
        std::vector<std::string> header;
    } cases[] = {
        {"two WAN entries, single band",
         TwoWanTemplate(0),
         kMac1,
         true,
         {Nm("mac"), Nm("WanName1"), Nm("WanName2"), "vid2", "pppUser2", "pppPassword2",
          "ssid_2.4g", "wlanPsk_2.4g", "loid", "loidPassword", "ploamPassword", "loginPassword"}},
        {"two WAN entries, dual band",
         TwoWanTemplate(1),
         kMac1,
         true,
         {Nm("mac"), Nm("WanName1"), Nm("WanName2"), "vid2", "pppUser2", "pppPassword2", "ssid_5g",
          "wlanPsk_5g", "ssid_2.4g", "wlanPsk_2.4g", "loid", "loidPassword", "ploamPassword",
          "loginPassword"}},
        // A stored row with an empty SSID still comes back blank-filled to 33.
        {"empty stored 5 GHz SSID",
         TwoWanTemplate(0),
         kMac2,
         true,
         {Nm("mac"), Nm("WanName1"), Nm("WanName2"), "vid2", "pppUser2", "pppPassword2",
          "ssid_2.4g", "wlanPsk_2.4g", "loid", "loidPassword", "ploamPassword", "loginPassword"}},
        {"dual band, first device without a stored row",
         TwoWanTemplate(1),
         kMac3,
         false,
         {Nm("mac"), Nm("WanName1"), Nm("WanName2"), "vid2", "pppUser2", "pppPassword2", "loid",
          "loidPassword", "ploamPassword", "loginPassword"}},
        {"no WAN entry",
         MakeTemplate({}, 0),
         kMac3,
         false,
         {Nm("mac"), "loid", "loidPassword", "ploamPassword", "loginPassword"}},
        {"VLAN text with leading blanks and a sign",
         MakeTemplate({{"w", "  +7x", "02", "u", "p"}}, 0),
         kMac3,
         false,
         {Nm("mac"), Nm("WanName1"), "vid1", "pppUser1", "pppPassword1", "loid", "loidPassword",
          "ploamPassword", "loginPassword"}},
    };
    for (const auto& c : cases) {
        batch_sheet_creation_stu created = Create(c.templ, {c.first_device, kMac1});
        ASSERT_TRUE(created.ok) << c.label << ": " << created.error;
        EXPECT_EQ(created.wirelessColumns, c.wireless) << c.label;
        EXPECT_THAT(Header(created.path), ElementsAreArray(c.header)) << c.label;
        // The column list used for reading agrees with what was written.
        std::vector<std::string> listed;
        for (const batch_column_stu& column :
             BatchSheetColumns(c.templ, c.templ.wanCount, c.wireless)) {
            listed.push_back(column.header);
        }
        EXPECT_EQ(listed, c.header) << c.label;
    }
}

TEST_F(BatchSheetTest, RowsArePrefilledAndReadBack) {
    const std::string chinese_ssid =
        "\xE6\xB5\x8B\xE8\xAF\x95\xE7\xBD\x91\xE7\xBB\x9C";  // 测试网络
    const std::string ssid5 = "Caf\xC3\xA9-5G";
    Store(kMac1, chinese_ssid, ssid5, "key-2g-123", "key-5g-123");
    Store(kMac2, " padded ", "five", "k2", "k5");
    const custom_value_stu templ = TwoWanTemplate(1);
    batch_sheet_creation_stu created = Create(templ, {kMac1, kMac2, kMac3});
    ASSERT_TRUE(created.ok) << created.error;
    ASSERT_TRUE(created.wirelessColumns);
    EXPECT_EQ(created.path, folder_.Path() + "ModifyExcel/ExcelFiels2024-05-06-07-08-01.xls");
    EXPECT_TRUE(created.message.empty());

    // The stored texts are trimmed; a device without a row gets empty wireless cells.
    const std::vector<xl> header = {Nm("mac"),       Nm("WanName1"), Nm("WanName2"), "vid2",
                                    "pppUser2",      "pppPassword2", "ssid_5g",      "wlanPsk_5g",
                                    "ssid_2.4g",     "wlanPsk_2.4g", "loid",         "loidPassword",
                                    "ploamPassword", "loginPassword"};
    auto row = [&](const char* mac, std::string s5, std::string k5, std::string s2,
                   std::string k2) -> std::vector<xl> {
        return {mac,
                "1_TR069_R_VID_",
                "2_INTERNET_R_VID_100",
                "100",
                "user@isp",
                "pw",
                s5,
                k5,
                s2,
                k2,
                "loid-0001",
                "lpw",
                "ploam",
                "admin123"};
    };
    EXPECT_EQ(XlrdMismatch(created.path, {"Sheet1"},
                           {header, row(kMac1, ssid5, "key-5g-123", chinese_ssid, "key-2g-123"),
                            row(kMac2, "five", "k5", "padded", "k2"), row(kMac3, "", "", "", "")}),
              "");

    batch_sheet_reading_stu read = ReadBatchSheet(created.path, templ, 3, true);
    ASSERT_EQ(read.result, BATCH_READ_OK) << read.error;
    EXPECT_EQ(read.wanCount, 2);
    ASSERT_EQ(read.records.size(), 3u);
    const custom_value_stu& first = read.records[0];
    EXPECT_STREQ(first.mac, kMac1);
    EXPECT_EQ(first.wanCount, 2);
    EXPECT_STREQ(first.WanName[0], "1_TR069_R_VID_");
    EXPECT_STREQ(first.WanName[1], "2_INTERNET_R_VID_100");
    EXPECT_STREQ(first.vid[0], "");  // no column: stays empty
    EXPECT_STREQ(first.vid[1], "100");
    EXPECT_STREQ(first.pppUser[1], "user@isp");
    EXPECT_STREQ(first.pppPassword[1], "pw");
    EXPECT_STREQ(first.ChannelMode[1], "");
    EXPECT_EQ(first.ssid_5g, ssid5);
    EXPECT_STREQ(first.wlanPsk_5g, "key-5g-123");
    EXPECT_EQ(first.ssid_2_4g, chinese_ssid);
    EXPECT_STREQ(first.wlanPsk_2_4g, "key-2g-123");
    EXPECT_STREQ(first.loid, "loid-0001");
    EXPECT_STREQ(first.loidPassword, "lpw");
    EXPECT_STREQ(first.ploamPassword, "ploam");
    EXPECT_STREQ(first.loginPassword, "admin123");
    EXPECT_EQ(first.dualBand, 0);
    EXPECT_STREQ(read.records[1].ssid_2_4g, "padded");
    EXPECT_STREQ(read.records[2].mac, kMac3);
    EXPECT_STREQ(read.records[2].ssid_5g, "");

    // Read without the wireless flag the wireless columns are not taken: the
    // columns after the WAN blocks are read as loid and onwards.
    batch_sheet_reading_stu flagless = ReadBatchSheet(created.path, templ, 1, false);
    ASSERT_EQ(flagless.result, BATCH_READ_OK);
    EXPECT_EQ(flagless.records[0].ssid_5g, std::string());
    EXPECT_EQ(flagless.records[0].loid, ssid5);
}

TEST_F(BatchSheetTest, CreatesTheModifyExcelFolderAndReportsAMissingTemplate) {
    ASSERT_FALSE(fs::exists(folder_.Path() + "ModifyExcel"));
    batch_sheet_creation_stu created = Create(TwoWanTemplate(0), {kMac1});
    ASSERT_TRUE(created.ok) << created.error;
    EXPECT_TRUE(fs::is_directory(folder_.Path() + "ModifyExcel"));
    // Older sheets stay; a later one gets a name of its own.
    batch_sheet_creation_stu later = Create(TwoWanTemplate(0), {kMac1});
    EXPECT_NE(later.path, created.path);
    EXPECT_TRUE(FileExists(created.path));
    EXPECT_TRUE(FileExists(later.path));

    fs::remove(folder_.Path() + kBatchTemplatePath);
    batch_sheet_creation_stu failed = Create(TwoWanTemplate(0), {kMac1});
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, "Failed to load the excel file!");
    EXPECT_THAT(failed.path, HasSubstr("ModifyExcel/ExcelFiels2024-05-06-07-08-"));
    EXPECT_FALSE(FileExists(failed.path));

    // A template that is not a workbook fails the same way.
    WriteFile(folder_.Path() + kBatchTemplatePath, "not a workbook");
    EXPECT_EQ(Create(TwoWanTemplate(0), {kMac1}).message, "Failed to load the excel file!");
}

TEST_F(BatchSheetTest, KeepsWhatTheTemplateCarriesBeyondTheBatchCells) {
    CBiff8Workbook custom;
    const int first = custom.AddSheet("Devices");
    const int notes = custom.AddSheet("Notes");
    custom.SetText(first, 40, 0, "filled in by the line supervisor");
    custom.SetNumber(first, 40, 1, 42);
    custom.SetText(notes, 0, 0, "keep me");
    ASSERT_TRUE(custom.Save(folder_.Path() + kBatchTemplatePath));

    batch_sheet_creation_stu created = Create(MakeTemplate({}, 0), {kMac1});
    ASSERT_TRUE(created.ok) << created.error;
    CXlsReader reader;
    ASSERT_TRUE(reader.Open(created.path));
    ASSERT_EQ(reader.SheetCount(), 2u);
    std::string name;
    ASSERT_TRUE(reader.SheetName(0, &name));
    EXPECT_EQ(name, "Devices");
    EXPECT_EQ(reader.ReadCellText(0, 0), Nm("mac"));
    EXPECT_EQ(reader.ReadCellText(1, 0), kMac1);
    EXPECT_EQ(reader.ReadCellText(40, 0), "filled in by the line supervisor");
    EXPECT_EQ(reader.ReadCell(40, 1).number, 42);
    ASSERT_TRUE(reader.SelectSheet(1));
    EXPECT_EQ(reader.ReadCellText(0, 0), "keep me");
}

// Writes a sheet by hand: each row a list of cell texts.
std::string WriteSheet(const std::string& path, const std::vector<std::vector<std::string>>& rows) {
    CBiff8Workbook book;
    const int sheet = book.AddSheet("Sheet1");
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            book.SetText(sheet, static_cast<uint32_t>(r), static_cast<uint32_t>(c), rows[r][c]);
        }
    }
    EXPECT_TRUE(book.Save(path));
    return path;
}

TEST(BatchSheetReadTest, WanCountComesFromTheHeader) {
    TempFolder folder;
    const custom_value_stu templ = TwoWanTemplate(0);
    const std::vector<std::string> values = {kMac1,  "w1", "w2", "100", "user",
                                             "pass", "L1", "LP", "PL",  "admin"};

    // The header as written: two complete blocks.
    std::vector<std::string> header = {
        Nm("mac"),      Nm("WanName1"), Nm("WanName2"), "vid2",          "pppUser2",
        "pppPassword2", "loid",         "loidPassword", "ploamPassword", "loginPassword"};
    batch_sheet_reading_stu read =
        ReadBatchSheet(WriteSheet(folder.Path() + "a.xls", {header, values}), templ, 1, false);
    ASSERT_EQ(read.result, BATCH_READ_OK);
    EXPECT_EQ(read.wanCount, 2);
    EXPECT_STREQ(read.records[0].loid, "L1");

    // vid2 renamed: the count stops at 1, and the columns after the first block
    // are taken as loid and onwards, landing in the wrong fields.
    header[3] = "vlan2";
    read = ReadBatchSheet(WriteSheet(folder.Path() + "b.xls", {header, values}), templ, 1, false);
    ASSERT_EQ(read.result, BATCH_READ_OK);
    EXPECT_EQ(read.wanCount, 1);
    EXPECT_EQ(read.records[0].wanCount, 1);
    EXPECT_STREQ(read.records[0].WanName[0], "w1");
    EXPECT_STREQ(read.records[0].WanName[1], "");
    EXPECT_STREQ(read.records[0].loid, "w2");
    EXPECT_STREQ(read.records[0].loidPassword, "100");
    EXPECT_STREQ(read.records[0].ploamPassword, "user");
    EXPECT_STREQ(read.records[0].loginPassword, "pass");

    // The WanName header only has to begin with "WanName<k>".
    header = {"mac", "WanName1", "WanName2 (edited)", "vid2", "pppUser2", "pppPassword2"};
    read = ReadBatchSheet(WriteSheet(folder.Path() + "c.xls", {header}), templ, 0, false);
    EXPECT_EQ(read.wanCount, 2);
    EXPECT_TRUE(read.records.empty());

    // pppPassword header missing: the second block is incomplete.
    header = {"mac", "WanName1", "WanName2", "vid2", "pppUser2", "loid"};
    read = ReadBatchSheet(WriteSheet(folder.Path() + "d.xls", {header}), templ, 0, false);
    EXPECT_EQ(read.wanCount, 1);

    // All ten blocks, each with VLAN and PPPoE columns.
    std::vector<wan_entry> ten(kMaxWanEntries, wan_entry{"w", "10", "2", "u", "p"});
    const custom_value_stu ten_templ = MakeTemplate(ten, 0);
    header = {"mac"};
    std::vector<std::string> row = {kMac1};
    for (int k = 1; k <= kMaxWanEntries; ++k) {
        const std::string n = std::to_string(k);
        header.insert(header.end(), {"WanName" + n, "vid" + n, "pppUser" + n, "pppPassword" + n});
        row.insert(row.end(), {"name" + n, "vid" + n, "user" + n, "pass" + n});
    }
    header.insert(header.end(), {"loid", "loidPassword", "ploamPassword", "loginPassword"});
    row.insert(row.end(), {"L", "LP", "PL", "admin"});
    read = ReadBatchSheet(WriteSheet(folder.Path() + "e.xls", {header, row}), ten_templ, 1, false);
    ASSERT_EQ(read.result, BATCH_READ_OK);
    EXPECT_EQ(read.wanCount, 10);
    EXPECT_STREQ(read.records[0].WanName[9], "name10");
    EXPECT_STREQ(read.records[0].pppPassword[9], "pass10");
    EXPECT_STREQ(read.records[0].loginPassword, "admin");

    // A first header that does not begin with "mac".
    read =
        ReadBatchSheet(WriteSheet(folder.Path() + "f.xls", {{"MAC", "WanName1"}}), templ, 1, false);
    EXPECT_EQ(read.result, BATCH_READ_BAD_HEADER);
    read = ReadBatchSheet(WriteSheet(folder.Path() + "g.xls", {{}, {kMac1}}), templ, 1, false);
    EXPECT_EQ(read.result, BATCH_READ_BAD_HEADER);
}

TEST(BatchSheetReadTest, RowsGoToDevicesByPositionOnly) {
    TempFolder folder;
    const custom_value_stu templ = MakeTemplate({}, 0);
    const std::vector<std::string> header = {"mac", "loid", "loidPassword", "ploamPassword",
                                             "loginPassword"};
    // The operator sorted the rows: the mac column no longer follows the list.
    const std::string path =
        WriteSheet(folder.Path() + "sorted.xls", {header,
                                                  {kMac3, "L3", "", "", "pw3"},
                                                  {kMac1, "L1", "", "", "pw1"},
                                                  {"", "L-extra", "", "", "pw-extra"}});
    // Two devices: rows 1 and 2 in sheet order, the rest ignored.
    batch_sheet_reading_stu read = ReadBatchSheet(path, templ, 2, false);
    ASSERT_EQ(read.result, BATCH_READ_OK);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_STREQ(read.records[0].mac, kMac3);
    EXPECT_STREQ(read.records[0].loid, "L3");
    EXPECT_STREQ(read.records[1].mac, kMac1);
    EXPECT_STREQ(read.records[1].loginPassword, "pw1");

    // Five devices, three data rows: rows 4 and 5 read like any other, empty.
    read = ReadBatchSheet(path, templ, 5, false);
    ASSERT_EQ(read.result, BATCH_READ_OK);
    ASSERT_EQ(read.records.size(), 5u);
    EXPECT_STREQ(read.records[2].mac, "");
    EXPECT_STREQ(read.records[2].loid, "L-extra");
    for (size_t i : {3u, 4u}) {
        EXPECT_STREQ(read.records[i].mac, "") << i;
        EXPECT_STREQ(read.records[i].loginPassword, "") << i;
    }
}

TEST(BatchSheetReadTest, TextsTooLongForTheirFieldAreRefusedNotCut) {
    TempFolder folder;
    const custom_value_stu templ = TwoWanTemplate(0);
    const std::vector<std::string> header = {
        "mac",       "WanName1",     "WanName2", "vid2",         "pppUser2",      "pppPassword2",
        "ssid_2.4g", "wlanPsk_2.4g", "loid",     "loidPassword", "ploamPassword", "loginPassword"};
    auto row_with = [&](size_t column, const std::string& text) {
        std::vector<std::string> row = {kMac1,  "w1",       "w2", "100", "u",  "p",
                                        "ssid", "password", "L",  "LP",  "PL", "admin"};
        row[column] = text;
        return row;
    };
    // Fields hold their width less the terminator, counted in UTF-8 bytes.
    const struct {
        size_t column;
        size_t fits;  // longest text in bytes that fits
    } fields[] = {{6, 32}, {7, 63}, {4, 63}, {8, 31}, {10, 33}, {11, 31}, {0, 63}};
    for (const auto& f : fields) {
        const std::string fits = Repeat("a", f.fits);
        batch_sheet_reading_stu read = ReadBatchSheet(
            WriteSheet(folder.Path() + "fits.xls", {header, row_with(f.column, fits)}), templ, 1,
            true);
        ASSERT_EQ(read.result, BATCH_READ_OK) << header[f.column];

        read = ReadBatchSheet(
            WriteSheet(folder.Path() + "long.xls", {header, row_with(f.column, fits + "a")}), templ,
            1, true);
        EXPECT_EQ(read.result, BATCH_READ_VALUE_TOO_LONG) << header[f.column];
        EXPECT_TRUE(read.records.empty());
        EXPECT_EQ(read.row, 1u);
        EXPECT_EQ(read.column, f.column);
        EXPECT_EQ(read.header, header[f.column]);
        EXPECT_THAT(read.message, HasSubstr(header[f.column]));
        EXPECT_THAT(read.message, HasSubstr(std::to_string(f.fits)));
    }
    // Eleven CJK characters are 33 bytes: one more than an SSID field holds.
    batch_sheet_reading_stu read = ReadBatchSheet(
        WriteSheet(folder.Path() + "cjk.xls", {header, row_with(6, Repeat("\xE7\xBD\x91", 11))}),
        templ, 1, true);
    EXPECT_EQ(read.result, BATCH_READ_VALUE_TOO_LONG);
    EXPECT_EQ(read.mac, kMac1);
}

TEST(BatchSheetRulesTest, WirelessColumnsFollowWhetherTheFirstDeviceHasBothStoredSsids) {
    auto stored = [](const std::string& ssid2, const std::string& ssid5) {
        ap_info_stu device{};
        WriteFixedText(device.ssid2, ssid2);
        WriteFixedText(device.ssid5, ssid5);
        return device;
    };
    const std::string padded = Repeat(" ", 33);
    EXPECT_TRUE(DecideWirelessColumns(stored(padded, padded)));
    EXPECT_TRUE(DecideWirelessColumns(stored("a" + Repeat(" ", 32), "b" + Repeat(" ", 32))));
    // 17 two-byte characters padded to 33 characters do not fit the 34-byte field;
    // cut on a character boundary they leave the 33rd byte empty, yet the device has
    // its row and its SSIDs.
    EXPECT_TRUE(DecideWirelessColumns(stored(Repeat("\xC3\xA9", 17) + Repeat(" ", 16), padded)));
    EXPECT_FALSE(DecideWirelessColumns(stored(padded, "")));
    EXPECT_FALSE(DecideWirelessColumns(ap_info_stu{}));
}

TEST(BatchSheetRulesTest, SheetPathCarriesTheCreationTime) {
    std::tm when{};
    when.tm_year = 2025 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 2;
    when.tm_hour = 3;
    when.tm_min = 4;
    when.tm_sec = 5;
    EXPECT_EQ(BatchSheetPath("/opt/plindar/", when),
              "/opt/plindar/ModifyExcel/ExcelFiels2025-01-02-03-04-05.xls");
}

// LibreOffice is not needed by the build; where it is installed, it must read the
// sheet as the other readers do.
TEST_F(BatchSheetTest, LibreOfficeReadsTheSheet) {
    std::string office;
    for (const char* name : {"soffice", "libreoffice"}) {
        test::process_result which =
            RunProgram({"/bin/sh", "-c", std::string("command -v ") + name});
        if (which.exit_code == 0 && !which.out.empty()) {
            office = which.out.substr(0, which.out.find('\n'));
            break;
        }
    }
    if (office.empty()) {
        GTEST_SKIP() << "LibreOffice (soffice/libreoffice) is not installed; "
                        "scripts/install-deps.sh installs libreoffice-calc-nogui";
    }
    Store(kMac1, "Office-2G", "Office-5G", "key-2g-123", "key-5g-123");
    batch_sheet_creation_stu created = Create(TwoWanTemplate(0), {kMac1});
    ASSERT_TRUE(created.ok) << created.error;
    const std::string out = folder_.Path() + "csv";
    test::process_result run =
        RunProgram({office, "--headless", "-env:UserInstallation=file://" + folder_.Path() + "lo",
                    "--convert-to", "csv", "--outdir", out, created.path});
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    const std::string csv =
        ReadWholeFile(out + "/" + fs::path(created.path).stem().string() + ".csv");
    EXPECT_THAT(csv, HasSubstr(Nm("mac") + "," + Nm("WanName1")));
    EXPECT_THAT(csv, HasSubstr(std::string(kMac1) + ",1_TR069_R_VID_,2_INTERNET_R_VID_100,100"));
}

}  // namespace
}  // namespace plindar
