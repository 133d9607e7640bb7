// The batch sheet: the workbook in which the operator enters, one row per selected
// device, the values each device's configuration file is to carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/biff8_writer.h"
#include "content/custom_value.h"
#include "records/device_result.h"

namespace plindar {

// Relative to the program folder.
inline constexpr char kBatchTemplatePath[] = "ExcelTemplate/Template.xls";
inline constexpr char kBatchSheetFolder[] = "ModifyExcel/";

// Operator message (title "Note") when the copied template cannot be loaded.
inline constexpr char kBatchSheetLoadFailedText[] = "Failed to load the excel file!";

// The stored SSIDs come back blank-filled to 33 characters; a character in the
// 33rd position is what marks a device whose row holds both SSIDs.
constexpr size_t kStoredSsidWidth = 33;

// Reads a device's stored row, as the results store's GetDeviceByMac does: the
// record comes zeroed when there is no row. False when the store could not be
// asked; the record is then taken as it is.
using device_row_reader_fn = std::function<bool(const std::string& mac, ap_info_stu* device)>;

// What a column of the sheet carries.
enum BatchField {
    BATCH_FIELD_MAC,
    BATCH_FIELD_WAN_NAME,
    BATCH_FIELD_VID,
    BATCH_FIELD_PPP_USER,
    BATCH_FIELD_PPP_PASSWORD,
    BATCH_FIELD_SSID_5G,
    BATCH_FIELD_WLAN_PSK_5G,
    BATCH_FIELD_SSID_2_4G,
    BATCH_FIELD_WLAN_PSK_2_4G,
    BATCH_FIELD_LOID,
    BATCH_FIELD_LOID_PASSWORD,
    BATCH_FIELD_PLOAM_PASSWORD,
    BATCH_FIELD_LOGIN_PASSWORD,
};

struct batch_column_stu {
    BatchField field;
    int wan;             // WAN entry index 0-9 for the WAN fields, else -1
    std::string header;  // text of the header cell
};

// The columns in sheet order for a template, a number of WAN entries (clamped to
// 0..10) and the wireless flag: mac; per WAN entry its name, then vid when the
// template's vid is not 0, then PPPoE user and password when its ChannelMode is 2;
// the 5 GHz pair (dual-band templates) and the 2.4 GHz pair when wireless; then
// loid, loidPassword, ploamPassword and loginPassword.
std::vector<batch_column_stu> BatchSheetColumns(const custom_value_stu& templ, int wan_count,
                                                bool wireless_columns);

// The process-wide wireless flag, decided from the first selected device's stored
// row exactly as the store returned it: both SSIDs have a character in their 33rd
// position.
bool DecideWirelessColumns(const ap_info_stu& first_device);

// Program folder + "ModifyExcel/ExcelFiels%04d-%02d-%02d-%02d-%02d-%02d.xls".
std::string BatchSheetPath(const std::string& program_folder, const std::tm& local_time);

// The workbook shipped as ExcelTemplate/Template.xls: one empty sheet, "Sheet1".
CBiff8Workbook BatchTemplateWorkbook();

struct batch_sheet_creation_stu {
    bool ok = false;
    // The new sheet's path, set once the template has been copied, so also after
    // a later step failed (the caller keeps it, as it decides whether a run
    // personalises the configuration files).
    std::string path;
    bool wirelessColumns = false;
    // Translated text for the operator, with the title "Note", when the copied
    // template could not be loaded; empty otherwise.
    std::string message;
    // Why it failed, for the diagnostic log.
    std::string error;
};

// Copies the template into a new sheet in ModifyExcel (creating that folder when
// it is missing), writes the header and one prefilled row per selected device,
// and saves it. `selected_macs` are the MAC texts in the selected-device list's
// order; `read_device_row` gives each device's stored SSIDs and keys.
batch_sheet_creation_stu CreateBatchSheet(const std::string& program_folder,
                                          const custom_value_stu& templ,
                                          const std::vector<std::string>& selected_macs,
                                          const device_row_reader_fn& read_device_row,
                                          const std::tm& local_time);
// The same at the current local time.
batch_sheet_creation_stu CreateBatchSheet(const std::string& program_folder,
                                          const custom_value_stu& templ,
                                          const std::vector<std::string>& selected_macs,
                                          const device_row_reader_fn& read_device_row);

enum BatchSheetReadResult {
    BATCH_READ_OK,
    BATCH_READ_NO_WORKBOOK,    // missing, damaged, not a workbook, or without a sheet
    BATCH_READ_BAD_HEADER,     // the first header does not begin with "mac"
    BATCH_READ_VALUE_TOO_LONG  // a cell text does not fit its field; nothing is cut
};

struct batch_sheet_reading_stu {
    BatchSheetReadResult result = BATCH_READ_NO_WORKBOOK;
    // One record per selected device, in the list's order (row r for device r).
    std::vector<custom_value_stu> records;
    int wanCount = 0;  // complete WAN blocks found in the header, 0 to 10
    // For BATCH_READ_VALUE_TOO_LONG: the cell (sheet row and column), the header
    // text of its column as the sheet shows it and the row's MAC text, plus a
    // translated message naming them.
    uint32_t row = 0;
    uint32_t column = 0;
    std::string header;
    std::string mac;
    std::string message;
    // Why it failed, for the diagnostic log.
    std::string error;
};

// Reads the sheet back into one record per selected device. Rows are matched to
// devices by position only: row r feeds the r-th device whatever its mac cell
// says, and a missing row gives a record of empty texts. Blank cells read as
// empty texts and numbers as their decimal text.
batch_sheet_reading_stu ReadBatchSheet(const std::string& path, const custom_value_stu& templ,
                                       size_t device_count, bool wirelessColumns);

}  // namespace plindar
