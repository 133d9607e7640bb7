// The device results store: one row per discovered device with its three
// operation statuses, in a SQLite file that lives for one run of the program.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/discover_record.h"
#include "records/device_result.h"

struct sqlite3;

namespace plindar {

// Shows one message to the operator (the front end decides how).
using operator_message_fn = std::function<void(const std::string& text)>;

// The two columns of one operation's status: its code and its text.
struct status_columns_stu {
    const char* code;
    const char* text;
};
status_columns_stu StatusColumnsOf(DeviceOperation operation);

class CSqlManagement {
public:
    // The database file "data.mdb" in `folder` (which ends with a slash). Any file
    // left there is deleted first; the file is deleted again on destruction. When
    // the database cannot be opened, `on_open_failure` receives the translated
    // message once and every operation returns false or its neutral value. The
    // callback runs during construction and must not call back into the store.
    CSqlManagement(const std::string& folder, operator_message_fn on_open_failure);
    ~CSqlManagement();
    CSqlManagement(const CSqlManagement&) = delete;
    CSqlManagement& operator=(const CSqlManagement&) = delete;

    // The process-wide store. CreateInstance makes it in a chosen folder with the
    // front end's message sink; GetInstance creates it in the program folder
    // (messages to the diagnostic log) if nobody did. ReleaseInstance destroys it
    // at shutdown, after the transmit manager. CreateInstance returns the existing
    // store unchanged when there already is one.
    static CSqlManagement& CreateInstance(const std::string& folder,
                                          operator_message_fn on_open_failure);
    static CSqlManagement& GetInstance();
    static void ReleaseInstance();

    bool IsOpen();
    const std::string& GetDatabasePath() const { return path_; }

    // Upsert by MAC: statuses back to 0 with empty texts; `result` is kept.
    bool InsertDevice(const ap_discover_stu& device);
    // Appends the rows to `devices`; adds to (never resets) the three counters.
    bool QueryDevices(std::vector<ap_info_stu>* devices, int* total, int* success_count,
                      int* failure_count, bool ascending, int sort_kind,
                      const std::string& mac_filter);
    bool GetDeviceByMac(const std::string& mac, ap_info_stu* device);
    bool SetResult(const std::string& mac, int result);
    int GetOverallResult(const std::string& mac);
    // GetOverallResult and SetResult for every MAC in one go (one transaction);
    // `results` gets each device's result in order. False when any step failed.
    bool FoldResults(const std::vector<std::string>& macs, std::vector<int>* results);
    bool ResetAllStatuses();
    bool DeleteAllDevices();

    bool SetParaStatus(const std::string& mac, int status);
    bool SetLogoStatus(const std::string& mac, int status);
    bool SetAntiTheftStatus(const std::string& mac, int status);
    // One operation's status for many devices, in one transaction; false when any
    // write failed.
    bool SetStatuses(DeviceOperation operation, const std::vector<std::string>& macs, int status);

    // The transmit engine's "Transmit finish" / "Transmit fail" at the end of a
    // transfer. A fast device may report its result before the worker has written
    // this; its report (2, 3 or 7) then stays, so the operator never sees a device
    // that succeeded stuck at "Transmit finish". False when nothing was written.
    bool SetTransmitStatus(DeviceOperation operation, const std::string& mac, int status);

    // Number of rows, for the scan's completion check and benchmarks.
    int CountDevices();

    // The last database error (statement or connection and the engine's message);
    // kept for developers, never shown to the operator.
    std::string LastError() const;

private:
    bool SetStatusColumnForAll(const char* code_column, const char* text_column,
                               const std::vector<std::string>& macs, int status);
    bool SetStatusColumn(const char* code_column, const char* text_column, const std::string& mac,
                         int status, bool keep_reports = false);
    bool ExecuteWithRetry(const char* statement);
    bool OpenLocked();
    void CloseLocked();
    // Keeps the engine's current error for `context` ("Query = ..." and the like).
    void RecordErrorLocked(const std::string& context, int code);

    std::string path_;
    mutable std::mutex lock_;
    sqlite3* db_ = nullptr;
    std::string last_error_;
};

// Folds the three statuses into the overall result (OverallResult), writing the
// evaluation steps to the trace channel.
int EvaluateResult(int para_status, int logo_status, int antitheft_status);

// The text stored beside a status code, through TranslateText; empty outside 0..7.
std::string GetStatusText(int status);

}  // namespace plindar
