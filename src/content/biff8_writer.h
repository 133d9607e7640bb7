// A small writer of legacy .xls workbooks (BIFF8 in an OLE2 container): sheets of
// text and number cells with the default format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plindar {

// Limits of the file format.
constexpr uint32_t kBiff8MaxRows = 65536;
constexpr uint32_t kBiff8MaxColumns = 256;
// A cell holds at most this many UTF-16 code units.
constexpr size_t kBiff8MaxTextUnits = 32767;
// A sheet name holds 1 to 31 UTF-16 code units.
constexpr size_t kBiff8MaxSheetNameUnits = 31;
// Payload limit of one record; longer content continues in CONTINUE records. The
// format allows 8224 bytes, but some readers, ours among them, keep only 8192.
constexpr size_t kBiff8MaxRecordData = 8192;

// UTF-8 to the UTF-16 units a workbook stores; an invalid sequence becomes
// U+FFFD, so any input converts.
std::u16string ToBiff8Text(std::string_view text);

class CBiff8Workbook {
public:
    // Adds a sheet at the end and returns its index, or -1 when the name is not
    // one a spreadsheet application accepts (empty, longer than 31 units, one of
    // : \ / ? * [ ], an apostrophe at either end, or already used, ignoring the
    // case of A-Z).
    int AddSheet(const std::string& name);
    size_t SheetCount() const { return sheets_.size(); }

    // Each returns false, changing nothing, when the sheet does not exist or the
    // cell lies outside 65536 rows by 256 columns. A later write to the same cell
    // replaces the earlier one.
    //
    // Text is UTF-8; false when it is longer than a cell can hold. An empty text
    // is written as a blank cell, as spreadsheet applications store it: some
    // readers refuse a workbook whose shared strings include an empty one. A text
    // longer than one record (about 4000 CJK or 8000 Latin characters) is split
    // over several records, which Excel and LibreOffice read but libfreexl reads
    // only up to one split.
    bool SetText(int sheet, uint32_t row, uint32_t column, std::string_view text);
    bool SetNumber(int sheet, uint32_t row, uint32_t column, double value);
    // A cell with a format but no value.
    bool SetBlank(int sheet, uint32_t row, uint32_t column);
    // Width of one column in characters of the default font (0 < width < 256).
    bool SetColumnWidth(int sheet, uint32_t column, double characters);

    // A cell record of a kind this writer does not make itself (for example the
    // compact RK, MULRK or MULBLANK records other applications write), placed
    // among the sheet's cells at (row, first_column) and counted in the sheet's
    // used range up to last_column. The payload is written as given, so it must
    // start with its own row and column fields. False when out of range or when
    // the payload does not fit one record.
    bool AddRawCellRecord(int sheet, uint16_t type, std::vector<uint8_t> payload, uint32_t row,
                          uint32_t first_column, uint32_t last_column);

    // The whole Workbook stream: globals, shared strings, then one substream per
    // sheet. At least one sheet is needed for a workbook that applications open;
    // with none, a sheet named "Sheet1" is written.
    std::vector<uint8_t> Serialize() const;

    // Writes the workbook as an OLE2 compound file (SaveBiff8Stream).
    bool Save(const std::string& path, std::string* error = nullptr) const;

private:
    enum CellKind { CELL_TEXT, CELL_NUMBER, CELL_BLANK, CELL_RAW };
    struct cell_stu {
        CellKind kind = CELL_BLANK;
        std::u16string text;
        double number = 0;
        uint16_t raw_type = 0;
        std::vector<uint8_t> raw;
        uint16_t last_column = 0;
    };
    struct sheet_stu {
        std::u16string name;
        // Ordered by row, then column: the order cell records must appear in.
        std::map<std::pair<uint32_t, uint32_t>, cell_stu> cells;
        std::map<uint32_t, uint16_t> column_widths;  // in 1/256 of a character
    };

    bool PutCell(int sheet, uint32_t row, uint32_t column, cell_stu cell);

    std::vector<sheet_stu> sheets_;
};

// The record-level pieces, shared with the reader's clean copy of foreign
// workbooks.
//
// Appends one record (type, length, payload) to a Workbook stream.
void AppendBiff8Record(std::vector<uint8_t>* stream, uint16_t type,
                       const std::vector<uint8_t>& payload);
// Appends the shared string table: SST, CONTINUE records as needed, and EXTSST.
// `references` is the number of cells that use the strings.
void AppendBiff8SharedStrings(std::vector<uint8_t>* stream,
                              const std::vector<std::u16string>& strings, uint32_t references);
// Writes a Workbook stream into an OLE2 compound file. The file appears complete
// or not at all (the container is built beside it and renamed into place). On
// failure returns false and, when `error` is given, says why.
bool SaveBiff8Stream(const std::string& path, std::vector<uint8_t> stream,
                     std::string* error = nullptr);

}  // namespace plindar
