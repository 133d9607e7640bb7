// Reads the cells of a legacy .xls workbook. Any file the operator hands back is
// treated as hostile: every failure is a false result, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plindar {

// A batch sheet is a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxWorkbookFileBytes = 32u * 1024 * 1024;
// Longest cell text, sheet name or number format read, in UTF-16 units; batch
// values are far shorter, and longer strings are beyond what the cell library
// can be given safely.
constexpr size_t kMaxReadableTextUnits = 8000;
// Largest used range read: rows times columns, summed over the sheets. The cell
// library holds a slot for every position in that range.
constexpr uint64_t kMaxReadableSheetCells = 2u * 1024 * 1024;

enum XlsCellKind {
    XLS_CELL_EMPTY,   // no cell, a blank cell, an error or formula cell, or outside the sheet
    XLS_CELL_TEXT,    // a string, or a date or time shown as its text
    XLS_CELL_NUMBER,  // a number typed by the operator (a boolean reads as 0 or 1)
};

struct xls_cell_stu {
    XlsCellKind kind = XLS_CELL_EMPTY;
    std::string text;  // UTF-8; for a number its decimal text, see NumberCellText
    double number = 0;
};

// The decimal text of a number cell as the operator typed it: whole numbers
// without a fraction or exponent ("100", "123456789012345", "-7"), others in the
// shortest form that reads back as the same value ("1.5", "0.1"). Whole numbers
// from 1e15 on, and the values no digit string stands for, use the shortest
// form too ("1e+20", "inf", "nan").
std::string NumberCellText(double value);

// The workbook the cell library is given instead of the operator's file: the
// Workbook stream of a BIFF8 workbook (Excel 97 and later, as Excel and
// LibreOffice save .xls) rebuilt from the records that carry sheets and cell
// values, each checked against its own length and written out again in the
// plain form this system's writer uses. Everything else (formatting, formulas,
// drawings, blank and error cells) is left out. False, with the reason, for a
// stream that is not such a workbook or is damaged.
bool NormalizeBiff8Stream(const std::vector<uint8_t>& stream, std::vector<uint8_t>* normalized,
                          std::string* error);

class CXlsReader {
public:
    CXlsReader() = default;
    ~CXlsReader();
    CXlsReader(const CXlsReader&) = delete;
    CXlsReader& operator=(const CXlsReader&) = delete;

    // Opens a BIFF8 workbook and selects its first sheet, if it has one. False
    // when the file is missing, too large, not such a workbook, damaged or
    // encrypted; LastError then says which.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    unsigned SheetCount() const { return sheet_count_; }
    // Name of a sheet (UTF-8); false when there is no such sheet.
    bool SheetName(unsigned index, std::string* name) const;
    bool SelectSheet(unsigned index);

    // Extent of the selected sheet: one past its last used row and column.
    uint32_t RowCount() const { return rows_; }
    uint32_t ColumnCount() const { return columns_; }

    // A cell of the selected sheet; any position outside it reads as empty.
    xls_cell_stu ReadCell(uint32_t row, uint32_t column) const;
    // The cell as text: a string as it is, a number as NumberCellText, empty for
    // an empty cell.
    std::string ReadCellText(uint32_t row, uint32_t column) const {
        return ReadCell(row, column).text;
    }

    const std::string& LastError() const { return last_error_; }

private:
    const void* handle_ = nullptr;
    unsigned sheet_count_ = 0;
    uint32_t rows_ = 0;
    uint32_t columns_ = 0;
    std::string last_error_;
};

}  // namespace plindar
