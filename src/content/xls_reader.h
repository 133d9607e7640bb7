// Reads the cells of a legacy .xls workbook (any file the operator hands back is
// treated as hostile: every failure is a false result, never a crash).
#pragma once

#include <cstdint>
#include <string>

namespace plindar {

// A batch sheet is a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxWorkbookFileBytes = 32u * 1024 * 1024;

enum XlsCellKind {
    XLS_CELL_EMPTY,   // no cell, a blank cell, or a position outside the sheet
    XLS_CELL_TEXT,    // a string, or a date or time shown as its text
    XLS_CELL_NUMBER,  // a number typed by the operator
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

class CXlsReader {
public:
    CXlsReader() = default;
    ~CXlsReader();
    CXlsReader(const CXlsReader&) = delete;
    CXlsReader& operator=(const CXlsReader&) = delete;

    // Opens a workbook and selects its first sheet, if it has one. False when the
    // file is missing, too large, not a workbook, damaged or protected; LastError
    // then says which.
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
