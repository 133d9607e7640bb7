// Batch sheet creation and reading: header layout, prefilled rows, WAN blocks found
// again in the header, and rows taken back by position.
#include "content/batch_sheet.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "content/xls_reader.h"
#include "protocol/fixed_text.h"
#include "records/decimal_text.h"
#include "records/text_trim.h"
#include "records/translate_text.h"

namespace plindar {
namespace {

constexpr char kNotModifiableSuffix[] = "(*This column cannot be modified*)";
constexpr char kMacHeaderPrefix[] = "mac";
constexpr char kTemplateSheetName[] = "Sheet1";
constexpr char kTooLongText[] = "The MAC:%s %s value is longer than %d bytes!";
constexpr long long kPppoeChannelMode = 2;
constexpr size_t kHeaderTextCapacity = 32;

// Column widths in characters: wide enough for the header, within reason.
constexpr double kMinColumnWidth = 12;
constexpr double kMaxColumnWidth = 48;
constexpr double kColumnWidthMargin = 2;

constexpr int kTimeYearBase = 1900;

// The sheet's header row and the first device row.
constexpr uint32_t kHeaderRow = 0;
constexpr uint32_t kFirstDeviceRow = 1;

// A header such as "vid%d" for WAN entry k (1-based).
std::string Format(const char* pattern, int k) {
    char text[kHeaderTextCapacity];
    std::snprintf(text, sizeof(text), pattern, k);
    return text;
}

int ClampWanCount(int count) {
    return std::clamp(count, 0, kMaxWanEntries);
}

// The record field a column fills, with its width.
struct field_ref_stu {
    char* data;
    size_t width;
};

field_ref_stu FieldOf(custom_value_stu& record, const batch_column_stu& column) {
    switch (column.field) {
        case BATCH_FIELD_MAC:
            return {record.mac, sizeof(record.mac)};
        case BATCH_FIELD_WAN_NAME:
            return {record.WanName[column.wan], sizeof(record.WanName[column.wan])};
        case BATCH_FIELD_VID:
            return {record.vid[column.wan], sizeof(record.vid[column.wan])};
        case BATCH_FIELD_PPP_USER:
            return {record.pppUser[column.wan], sizeof(record.pppUser[column.wan])};
        case BATCH_FIELD_PPP_PASSWORD:
            return {record.pppPassword[column.wan], sizeof(record.pppPassword[column.wan])};
        case BATCH_FIELD_SSID_5G:
            return {record.ssid_5g, sizeof(record.ssid_5g)};
        case BATCH_FIELD_WLAN_PSK_5G:
            return {record.wlanPsk_5g, sizeof(record.wlanPsk_5g)};
        case BATCH_FIELD_SSID_2_4G:
            return {record.ssid_2_4g, sizeof(record.ssid_2_4g)};
        case BATCH_FIELD_WLAN_PSK_2_4G:
            return {record.wlanPsk_2_4g, sizeof(record.wlanPsk_2_4g)};
        case BATCH_FIELD_LOID:
            return {record.loid, sizeof(record.loid)};
        case BATCH_FIELD_LOID_PASSWORD:
            return {record.loidPassword, sizeof(record.loidPassword)};
        case BATCH_FIELD_PLOAM_PASSWORD:
            return {record.ploamPassword, sizeof(record.ploamPassword)};
        case BATCH_FIELD_LOGIN_PASSWORD:
            return {record.loginPassword, sizeof(record.loginPassword)};
    }
    return {nullptr, 0};
}

// The prefilled value of a device row's cell: the device's MAC, its stored
// wireless texts trimmed, or the template's value.
std::string PrefilledValue(const custom_value_stu& templ, const ap_info_stu& device,
                           const std::string& mac, const batch_column_stu& column) {
    switch (column.field) {
        case BATCH_FIELD_MAC:
            return mac;
        case BATCH_FIELD_SSID_5G:
            return std::string(TrimText(ReadFixedText(device.ssid5)));
        case BATCH_FIELD_WLAN_PSK_5G:
            return std::string(TrimText(ReadFixedText(device.wpakey5)));
        case BATCH_FIELD_SSID_2_4G:
            return std::string(TrimText(ReadFixedText(device.ssid2)));
        case BATCH_FIELD_WLAN_PSK_2_4G:
            return std::string(TrimText(ReadFixedText(device.wpakey2)));
        default:
            break;
    }
    // Only read from here on.
    const field_ref_stu field = FieldOf(const_cast<custom_value_stu&>(templ), column);
    return ReadFixedText(field.data, field.width);
}

// Copies every sheet and cell of a loaded workbook into one that can be written,
// so what the template carries beyond the batch cells survives.
void CopyWorkbook(CXlsReader& reader, CBiff8Workbook* workbook) {
    for (unsigned s = 0; s < reader.SheetCount(); ++s) {
        std::string name;
        int sheet = reader.SheetName(s, &name) ? workbook->AddSheet(name) : -1;
        for (int n = static_cast<int>(s) + 1; sheet < 0; ++n) {
            sheet = workbook->AddSheet("Sheet" + std::to_string(n));
        }
        if (!reader.SelectSheet(s)) {
            continue;
        }
        const uint32_t rows = std::min(reader.RowCount(), kBiff8MaxRows);
        const uint32_t columns = std::min(reader.ColumnCount(), kBiff8MaxColumns);
        for (uint32_t r = 0; r < rows; ++r) {
            for (uint32_t c = 0; c < columns; ++c) {
                const xls_cell_stu cell = reader.ReadCell(r, c);
                if (cell.kind == XLS_CELL_TEXT) {
                    workbook->SetText(sheet, r, c, cell.text);
                } else if (cell.kind == XLS_CELL_NUMBER) {
                    workbook->SetNumber(sheet, r, c, cell.number);
                }
            }
        }
    }
    reader.SelectSheet(0);
}

// Fills the placeholders of a translated text in order, without ever reading a
// placeholder inside a value already put in.
std::string FillPlaceholders(std::string text, const std::vector<std::string>& values) {
    size_t from = 0;
    for (const std::string& value : values) {
        const size_t at = text.find('%', from);
        if (at == std::string::npos || at + 1 >= text.size()) {
            break;
        }
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

}  // namespace

std::vector<batch_column_stu> BatchSheetColumns(const custom_value_stu& templ, int wan_count,
                                                bool wireless_columns) {
    std::vector<batch_column_stu> columns;
    columns.push_back({BATCH_FIELD_MAC, -1, std::string(kMacHeaderPrefix) + kNotModifiableSuffix});
    for (int k = 0; k < ClampWanCount(wan_count); ++k) {
        const int entry = k + 1;
        columns.push_back(
            {BATCH_FIELD_WAN_NAME, k, Format("WanName%d", entry) + kNotModifiableSuffix});
        if (ParseAtoi(ReadFixedText(templ.vid[k])) != 0) {
            columns.push_back({BATCH_FIELD_VID, k, Format("vid%d", entry)});
        }
        if (ParseAtoi(ReadFixedText(templ.ChannelMode[k])) == kPppoeChannelMode) {
            columns.push_back({BATCH_FIELD_PPP_USER, k, Format("pppUser%d", entry)});
            columns.push_back({BATCH_FIELD_PPP_PASSWORD, k, Format("pppPassword%d", entry)});
        }
    }
    if (wireless_columns) {
        if (templ.dualBand == 1) {
            columns.push_back({BATCH_FIELD_SSID_5G, -1, "ssid_5g"});
            columns.push_back({BATCH_FIELD_WLAN_PSK_5G, -1, "wlanPsk_5g"});
        }
        columns.push_back({BATCH_FIELD_SSID_2_4G, -1, "ssid_2.4g"});
        columns.push_back({BATCH_FIELD_WLAN_PSK_2_4G, -1, "wlanPsk_2.4g"});
    }
    columns.push_back({BATCH_FIELD_LOID, -1, "loid"});
    columns.push_back({BATCH_FIELD_LOID_PASSWORD, -1, "loidPassword"});
    columns.push_back({BATCH_FIELD_PLOAM_PASSWORD, -1, "ploamPassword"});
    columns.push_back({BATCH_FIELD_LOGIN_PASSWORD, -1, "loginPassword"});
    return columns;
}

bool DecideWirelessColumns(const ap_info_stu& first_device) {
    // A device with a row comes back with both SSIDs blank-padded to the column
    // width, one without a row with empty texts. Looking for a character at the 33rd
    // byte would miss multi-byte SSIDs, whose padded form is cut to fit the field
    // on a character boundary, so a non-empty text is what tells them apart.
    return !ReadFixedText(first_device.ssid2).empty() && !ReadFixedText(first_device.ssid5).empty();
}

std::string BatchSheetPath(const std::string& program_folder, const std::tm& local_time) {
    char name[64];
    std::snprintf(name, sizeof(name), "ExcelFiels%04d-%02d-%02d-%02d-%02d-%02d.xls",
                  local_time.tm_year + kTimeYearBase, local_time.tm_mon + 1, local_time.tm_mday,
                  local_time.tm_hour, local_time.tm_min, local_time.tm_sec);
    return program_folder + kBatchSheetFolder + name;
}

CBiff8Workbook BatchTemplateWorkbook() {
    CBiff8Workbook workbook;
    workbook.AddSheet(kTemplateSheetName);
    return workbook;
}

batch_sheet_creation_stu CreateBatchSheet(const std::string& program_folder,
                                          const custom_value_stu& templ,
                                          const std::vector<std::string>& selected_macs,
                                          const device_row_reader_fn& read_device_row,
                                          const std::tm& local_time) {
    batch_sheet_creation_stu created;
    const std::string path = BatchSheetPath(program_folder, local_time);

    // A missing ModifyExcel folder is made rather than left to fail the copy; a
    // missing template still fails at loading below, with the operator message.
    std::error_code ignored;
    std::filesystem::create_directories(program_folder + kBatchSheetFolder, ignored);
    std::filesystem::copy_file(program_folder + kBatchTemplatePath, path,
                               std::filesystem::copy_options::overwrite_existing, ignored);
    created.path = path;

    CXlsReader reader;
    if (!reader.Open(path)) {
        created.message = TranslateText(kBatchSheetLoadFailedText);
        created.error = "cannot load " + path + ": " + reader.LastError();
        return created;
    }
    if (reader.SheetCount() == 0) {
        created.error = "the template has no sheet";
        return created;
    }
    CBiff8Workbook workbook;
    CopyWorkbook(reader, &workbook);
    reader.Close();
    constexpr int kFirstSheet = 0;

    std::vector<batch_column_stu> columns;
    for (size_t i = 0; i < selected_macs.size(); ++i) {
        ap_info_stu device{};
        if (read_device_row) {
            read_device_row(selected_macs[i], &device);
        }
        if (i == 0) {
            created.wirelessColumns = DecideWirelessColumns(device);
            columns = BatchSheetColumns(templ, templ.wanCount, created.wirelessColumns);
            for (size_t c = 0; c < columns.size(); ++c) {
                const auto column = static_cast<uint32_t>(c);
                workbook.SetText(kFirstSheet, kHeaderRow, column, columns[c].header);
                const double width =
                    static_cast<double>(columns[c].header.size()) + kColumnWidthMargin;
                workbook.SetColumnWidth(kFirstSheet, column,
                                        std::clamp(width, kMinColumnWidth, kMaxColumnWidth));
            }
        }
        const auto row = static_cast<uint32_t>(kFirstDeviceRow + i);
        for (size_t c = 0; c < columns.size(); ++c) {
            workbook.SetText(kFirstSheet, row, static_cast<uint32_t>(c),
                             PrefilledValue(templ, device, selected_macs[i], columns[c]));
        }
    }

    // A sheet that could not be saved would leave the bare template for the
    // operator to fill, so the failure is reported rather than ignored.
    std::string why;
    if (!workbook.Save(path, &why)) {
        created.error = "cannot save " + path + ": " + why;
        return created;
    }
    created.ok = true;
    return created;
}

batch_sheet_creation_stu CreateBatchSheet(const std::string& program_folder,
                                          const custom_value_stu& templ,
                                          const std::vector<std::string>& selected_macs,
                                          const device_row_reader_fn& read_device_row) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CreateBatchSheet(program_folder, templ, selected_macs, read_device_row, local);
}

batch_sheet_reading_stu ReadBatchSheet(const std::string& path, const custom_value_stu& templ,
                                       size_t device_count, bool wirelessColumns) {
    batch_sheet_reading_stu reading;
    CXlsReader reader;
    if (!reader.Open(path)) {
        reading.error = reader.LastError();
        return reading;
    }
    if (reader.SheetCount() == 0) {
        reading.error = "the workbook has no sheet";
        return reading;
    }

    if (!reader.ReadCellText(kHeaderRow, 0).starts_with(kMacHeaderPrefix)) {
        reading.result = BATCH_READ_BAD_HEADER;
        reading.error = "the first header does not begin with \"mac\"";
        return reading;
    }

    // Complete WAN blocks, as the header shows them for this template.
    uint32_t c = 1;
    int blocks = 0;
    for (int k = 0; k < kMaxWanEntries; ++k) {
        const int entry = k + 1;
        if (!reader.ReadCellText(kHeaderRow, c).starts_with(Format("WanName%d", entry))) {
            break;
        }
        ++c;
        if (ParseAtoi(ReadFixedText(templ.vid[k])) != 0) {
            if (reader.ReadCellText(kHeaderRow, c) != Format("vid%d", entry)) {
                break;
            }
            ++c;
        }
        if (ParseAtoi(ReadFixedText(templ.ChannelMode[k])) == kPppoeChannelMode) {
            if (reader.ReadCellText(kHeaderRow, c) != Format("pppUser%d", entry) ||
                reader.ReadCellText(kHeaderRow, c + 1) != Format("pppPassword%d", entry)) {
                break;
            }
            c += 2;
        }
        blocks = entry;
    }
    reading.wanCount = blocks;

    const std::vector<batch_column_stu> columns = BatchSheetColumns(templ, blocks, wirelessColumns);
    reading.records.reserve(device_count);
    for (size_t i = 0; i < device_count; ++i) {
        const uint32_t row = kFirstDeviceRow + static_cast<uint32_t>(i);
        custom_value_stu record{};
        record.wanCount = blocks;
        for (size_t k = 0; k < columns.size(); ++k) {
            const auto column = static_cast<uint32_t>(k);
            const std::string text = reader.ReadCellText(row, column);
            const field_ref_stu field = FieldOf(record, columns[k]);
            // A text is never cut to fit: a cut value could pass a length rule
            // that the value the operator typed breaks.
            if (text.size() >= field.width) {
                reading.result = BATCH_READ_VALUE_TOO_LONG;
                reading.records.clear();
                reading.row = row;
                reading.column = column;
                reading.header = reader.ReadCellText(kHeaderRow, column);
                reading.mac = reader.ReadCellText(row, 0);
                const int limit = static_cast<int>(field.width - 1);
                reading.message =
                    FillPlaceholders(TranslateText(kTooLongText),
                                     {reading.mac, reading.header, std::to_string(limit)});
                reading.error = "row " + std::to_string(row) + " column " + std::to_string(column) +
                                " (" + reading.header + ") holds " + std::to_string(text.size()) +
                                " bytes, at most " + std::to_string(limit) + " fit";
                return reading;
            }
            WriteFixedText(field.data, field.width, text);
        }
        reading.records.push_back(record);
    }
    reading.result = BATCH_READ_OK;
    return reading;
}

}  // namespace plindar
