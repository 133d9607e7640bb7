// Workbook cells through libfreexl, with the checks its return codes alone do not give.
#include "content/xls_reader.h"

#include <freexl.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace plindar {
namespace {

// Whole numbers below this are shown with all their digits, as a spreadsheet
// keeps 15 significant digits of what was typed.
constexpr double kWholeNumberDigitsLimit = 1e15;
constexpr size_t kNumberTextCapacity = 64;

std::string FreexlError(const char* what, int status) {
    return std::string(what) + " (freexl status " + std::to_string(status) + ")";
}

}  // namespace

std::string NumberCellText(double value) {
    if (value == 0) {
        return "0";  // also for -0
    }
    char text[kNumberTextCapacity];
    std::to_chars_result result{};
    if (std::isfinite(value) && std::trunc(value) == value &&
        std::fabs(value) < kWholeNumberDigitsLimit) {
        result = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed);
    } else {
        result = std::to_chars(text, text + sizeof(text), value);
    }
    if (result.ec != std::errc()) {
        return {};
    }
    return std::string(text, result.ptr);
}

CXlsReader::~CXlsReader() { Close(); }

void CXlsReader::Close() {
    if (handle_ != nullptr) {
        freexl_close(handle_);
        handle_ = nullptr;
    }
    sheet_count_ = 0;
    rows_ = 0;
    columns_ = 0;
}

bool CXlsReader::Open(const std::string& path) {
    Close();
    last_error_.clear();

    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) {
        last_error_ = "no workbook file at " + path;
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxWorkbookFileBytes) {
        last_error_ = "file too large for a workbook: " + path;
        return false;
    }

    const void* handle = nullptr;
    const int opened = freexl_open(path.c_str(), &handle);
    if (opened != FREEXL_OK || handle == nullptr) {
        // The library may hand back a half-built handle on failure; it must still
        // be released.
        if (handle != nullptr) {
            freexl_close(handle);
        }
        last_error_ = FreexlError("not a readable workbook", opened);
        return false;
    }
    handle_ = handle;

    unsigned int info = 0;
    int rc = freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &info);
    if (rc != FREEXL_OK || info == FREEXL_BIFF_OBFUSCATED) {
        last_error_ = FreexlError("the workbook is password protected", rc);
        Close();
        return false;
    }
    rc = freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &info);
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot count the sheets", rc);
        Close();
        return false;
    }
    sheet_count_ = info;
    if (sheet_count_ > 0 && !SelectSheet(0)) {
        const std::string why = last_error_;
        Close();
        last_error_ = why;
        return false;
    }
    return true;
}

bool CXlsReader::SheetName(unsigned index, std::string* name) const {
    if (handle_ == nullptr || index >= sheet_count_ || name == nullptr) {
        return false;
    }
    const char* text = nullptr;
    if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(index), &text) !=
            FREEXL_OK ||
        text == nullptr) {
        return false;
    }
    *name = text;
    return true;
}

bool CXlsReader::SelectSheet(unsigned index) {
    rows_ = 0;
    columns_ = 0;
    if (handle_ == nullptr || index >= sheet_count_) {
        last_error_ = "no sheet " + std::to_string(index);
        return false;
    }
    int rc = freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index));
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot select the sheet", rc);
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(handle_, &rows, &columns);
    if (rc != FREEXL_OK) {
        last_error_ = FreexlError("cannot read the sheet's extent", rc);
        return false;
    }
    rows_ = rows;
    columns_ = columns;
    return true;
}

xls_cell_stu CXlsReader::ReadCell(uint32_t row, uint32_t column) const {
    xls_cell_stu cell;
    if (handle_ == nullptr || row >= rows_ || column >= columns_) {
        return cell;
    }
    FreeXL_CellValue value{};
    if (freexl_get_cell_value(handle_, row, static_cast<unsigned short>(column), &value) !=
        FREEXL_OK) {
        return cell;
    }
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = XLS_CELL_NUMBER;
            cell.number = value.value.int_value;
            cell.text = std::to_string(value.value.int_value);
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = XLS_CELL_NUMBER;
            cell.number = value.value.double_value;
            cell.text = NumberCellText(value.value.double_value);
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value != nullptr) {
                cell.kind = XLS_CELL_TEXT;
                cell.text = value.value.text_value;
            }
            break;
        default:
            break;
    }
    return cell;
}

}  // namespace plindar
