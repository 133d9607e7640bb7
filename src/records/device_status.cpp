// Device statuses: their texts, the three status updates and the overall result.
#include <iterator>

#include "records/diagnostic_log.h"
#include "records/sql_management.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

// English texts of the status codes, indexed by code; translated when stored.
constexpr const char* kStatusTexts[] = {
    "Wait operate",    "Operating",     "Operate success",        "Operate fail",
    "Transmit finish", "Transmit fail", "Device respond timeout", "Lockcode mismatch",
};
static_assert(std::size(kStatusTexts) == STATUS_LOCKCODE_MISMATCH + 1);

// What one operation's status says about the device as a whole.
enum StatusCategory {
    CATEGORY_DONE = 0,
    CATEGORY_FAILED = 1,
    CATEGORY_UNDER_WAY = 2,
    CATEGORY_NOT_STARTED = 3,
};

StatusCategory CategoryOf(int status) {
    switch (status) {
        case STATUS_OPERATE_SUCCESS:
            return CATEGORY_DONE;
        case STATUS_OPERATING:
        case STATUS_TRANSMIT_FINISH:
            return CATEGORY_UNDER_WAY;
        case STATUS_OPERATE_FAIL:
        case STATUS_TRANSMIT_FAIL:
        case STATUS_DEVICE_RESPOND_TIMEOUT:
        case STATUS_LOCKCODE_MISMATCH:
            return CATEGORY_FAILED;
        default:
            return CATEGORY_NOT_STARTED;
    }
}

}  // namespace

std::string GetStatusText(int status) {
    if (status < 0 || static_cast<size_t>(status) >= std::size(kStatusTexts)) {
        return {};
    }
    return TranslateText(kStatusTexts[status]);
}

int EvaluateResult(int para_status, int logo_status, int antitheft_status) {
    WriteTrace("\r\n--------------------para:%d,logo:%d,anti:%d\r\n", para_status, logo_status,
               antitheft_status);
    const StatusCategory para = CategoryOf(para_status);
    const StatusCategory logo = CategoryOf(logo_status);
    const StatusCategory antitheft = CategoryOf(antitheft_status);
    WriteTrace("\r\n--------------------rea:%d,reogo:%d,reanti:%d\r\n", para, logo, antitheft);

    // A customization run succeeds when the configuration went through and the logo
    // did too or was never sent, or the logo alone was sent and went through; an
    // anti-theft run succeeds on its own status. Success outranks the others.
    const bool customization_done =
        (para == CATEGORY_DONE && (logo == CATEGORY_DONE || logo == CATEGORY_NOT_STARTED)) ||
        (para == CATEGORY_NOT_STARTED && logo == CATEGORY_DONE);
    if (customization_done || antitheft == CATEGORY_DONE) {
        return RESULT_SUCCESS;
    }
    if (para == CATEGORY_FAILED || logo == CATEGORY_FAILED || antitheft == CATEGORY_FAILED) {
        return RESULT_FAILURE;
    }
    if (para == CATEGORY_UNDER_WAY || logo == CATEGORY_UNDER_WAY ||
        antitheft == CATEGORY_UNDER_WAY) {
        return RESULT_UNDER_WAY;
    }
    return RESULT_NOT_STARTED;
}

status_columns_stu StatusColumnsOf(DeviceOperation operation) {
    switch (operation) {
        case OPERATION_PARA:
            return {"ap_para_status", "ap_para_status_str"};
        case OPERATION_LOGO:
            return {"ap_logo_status", "ap_logo_status_str"};
        default:
            return {"ap_antitheft_status", "ap_antitheft_status_str"};
    }
}

bool CSqlManagement::SetParaStatus(const std::string& mac, int status) {
    const status_columns_stu columns = StatusColumnsOf(OPERATION_PARA);
    return SetStatusColumn(columns.code, columns.text, mac, status);
}

bool CSqlManagement::SetLogoStatus(const std::string& mac, int status) {
    const status_columns_stu columns = StatusColumnsOf(OPERATION_LOGO);
    return SetStatusColumn(columns.code, columns.text, mac, status);
}

bool CSqlManagement::SetAntiTheftStatus(const std::string& mac, int status) {
    const status_columns_stu columns = StatusColumnsOf(OPERATION_ANTITHEFT);
    return SetStatusColumn(columns.code, columns.text, mac, status);
}

bool CSqlManagement::SetTransmitStatus(DeviceOperation operation, const std::string& mac,
                                       int status) {
    const status_columns_stu columns = StatusColumnsOf(operation);
    return SetStatusColumn(columns.code, columns.text, mac, status, true);
}

bool CSqlManagement::SetStatuses(DeviceOperation operation, const std::vector<std::string>& macs,
                                 int status) {
    const status_columns_stu columns = StatusColumnsOf(operation);
    return SetStatusColumnForAll(columns.code, columns.text, macs, status);
}

}  // namespace plindar
