// One device row as the results store returns it, and the status codes in it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plindar {

// Status of one operation (configuration file, logo, anti-theft) of one device.
enum DeviceStatus : int32_t {
    STATUS_WAIT_OPERATE = 0,
    STATUS_OPERATING = 1,
    STATUS_OPERATE_SUCCESS = 2,
    STATUS_OPERATE_FAIL = 3,
    STATUS_TRANSMIT_FINISH = 4,
    STATUS_TRANSMIT_FAIL = 5,
    STATUS_DEVICE_RESPOND_TIMEOUT = 6,
    STATUS_LOCKCODE_MISMATCH = 7,
};

// The three operations a device row keeps a status for.
enum DeviceOperation {
    OPERATION_PARA,
    OPERATION_LOGO,
    OPERATION_ANTITHEFT,
};

// Overall result of a device, folded from its three statuses by EvaluateResult.
enum OverallResult : int32_t {
    RESULT_SUCCESS = 0,
    RESULT_FAILURE = 1,
    RESULT_UNDER_WAY = 2,
    RESULT_NOT_STARTED = 3,
};

// Sort kinds of QueryDevices (the device list's column numbers).
enum DeviceSortKind {
    SORT_BY_MAC = 2,
    SORT_BY_RESULT = 3,
};

// Text fields are zero-terminated; texts come back blank-padded to their column
// width (except the MAC in QueryDevices, which is trimmed), cut to fit the field.
struct ap_info_stu {
    char mac[18];
    char date[34];
    int32_t para_status;
    int32_t logo_status;
    int32_t antitheft_status;
    char ssid2[34];
    char ssid5[34];
    char wpakey2[66];
    char wpakey5[66];
};

}  // namespace plindar
