// The device results store on SQLite: one connection, one lock, bound parameters only.
#include "records/sql_management.h"

#include <sqlite3.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string_view>
#include <utility>

#include "protocol/fixed_text.h"
#include "records/diagnostic_log.h"
#include "records/program_folder.h"
#include "records/text_trim.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

constexpr const char* kDatabaseFileName = "data.mdb";
// Files SQLite may leave beside the database; they belong to this run only too.
constexpr const char* kSideFileSuffixes[] = {"-journal", "-wal", "-shm"};
constexpr const char* kOpenFailureText = "Failed to open database, unable to get data.";
constexpr const char* kEngineName = "SQLite";
constexpr int kExecuteAttempts = 3;
// Only another process could hold the file; wait for it rather than fail at once.
constexpr int kBusyTimeoutMs = 2000;

// Column widths in characters (UTF-8 code points), as the table declares them.
constexpr size_t kResultWidth = 4;
constexpr size_t kMacWidth = 18;
constexpr size_t kStatusTextWidth = 33;
constexpr size_t kDateWidth = 33;
constexpr size_t kSsidWidth = 33;
constexpr size_t kKeyWidth = 64;

// MACs compare without regard to case, so "0a:..." and "0A:..." are one device;
// every lookup is by MAC, hence the index.
constexpr const char* kCreateTable =
    "CREATE TABLE ap_info(ID INTEGER PRIMARY KEY AUTOINCREMENT,result char(4),"
    "mac char(18) COLLATE NOCASE,ap_para_status int,ap_para_status_str char(33),"
    "ap_logo_status int,ap_logo_status_str char(33),ap_antitheft_status int,"
    "ap_antitheft_status_str char(33),ap_date char(33),ap_ssid2 char(33),ap_ssid5 char(33),"
    "ap_wpakey2 char(64),ap_wpakey5 char(64))";
constexpr const char* kCreateMacIndex = "CREATE INDEX ap_info_mac ON ap_info(mac)";
constexpr const char* kPragmas = "PRAGMA journal_mode=MEMORY;PRAGMA synchronous=OFF";

constexpr const char* kResetStatuses =
    "UPDATE ap_info SET ap_antitheft_status = 0,ap_antitheft_status_str = '',"
    "ap_logo_status = 0,ap_logo_status_str = '',ap_para_status = 0,ap_para_status_str = '',"
    "result = ''";
constexpr const char* kDeleteAll = "DELETE FROM ap_info";
constexpr const char* kCountRows = "SELECT COUNT(*) FROM ap_info";

// "The row of a MAC" always means its first row (by ID), so an update touches one
// row only.
constexpr const char* kSelectIdByMac = "SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1";
constexpr const char* kUpdateDevice =
    "UPDATE ap_info SET mac = ?1,ap_para_status = 0,ap_para_status_str = '',"
    "ap_logo_status = 0,ap_logo_status_str = '',ap_antitheft_status = 0,"
    "ap_antitheft_status_str = '',ap_date = ?2,ap_ssid2 = ?3,ap_ssid5 = ?4,ap_wpakey2 = ?5,"
    "ap_wpakey5 = ?6 WHERE ID = ?7";
constexpr const char* kInsertDevice =
    "INSERT INTO ap_info(mac,ap_para_status,ap_para_status_str,ap_logo_status,"
    "ap_logo_status_str,ap_antitheft_status,ap_antitheft_status_str,ap_date,ap_ssid2,"
    "ap_ssid5,ap_wpakey2,ap_wpakey5) VALUES(?1,0,'',0,'',0,'',?2,?3,?4,?5,?6)";
constexpr const char* kUpdateResult =
    "UPDATE ap_info SET result = ?2 WHERE ID = "
    "(SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1)";
constexpr const char* kSelectStatuses =
    "SELECT ap_para_status,ap_logo_status,ap_antitheft_status FROM ap_info WHERE ID = "
    "(SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1)";
constexpr const char* kSelectDeviceByMac =
    "SELECT mac,ap_ssid2,ap_ssid5,ap_wpakey2,ap_wpakey5 FROM ap_info WHERE ID = "
    "(SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1)";
constexpr const char* kSelectFirstDevice =
    "SELECT mac,ap_ssid2,ap_ssid5,ap_wpakey2,ap_wpakey5 FROM ap_info ORDER BY ID LIMIT 1";
constexpr const char* kSelectDevices =
    "SELECT mac,ap_date,ap_para_status,ap_logo_status,ap_antitheft_status,ap_ssid2,ap_ssid5,"
    "ap_wpakey2,ap_wpakey5 FROM ap_info";
// The filter is matched literally: its own %, _ and backslash are escaped.
constexpr const char* kMacFilterClause = " WHERE mac LIKE ?1 ESCAPE '\\'";
constexpr char kLikeEscape = '\\';

// Columns of kSelectDevices.
enum DeviceColumn {
    COL_MAC,
    COL_DATE,
    COL_PARA_STATUS,
    COL_LOGO_STATUS,
    COL_ANTITHEFT_STATUS,
    COL_SSID2,
    COL_SSID5,
    COL_WPAKEY2,
    COL_WPAKEY5,
};
// Columns of kSelectDeviceByMac and kSelectFirstDevice.
enum DeviceByMacColumn {
    BYMAC_MAC,
    BYMAC_SSID2,
    BYMAC_SSID5,
    BYMAC_WPAKEY2,
    BYMAC_WPAKEY5,
};

// A text cut to at most `width` characters on a character boundary, so a device
// that fills a field to its last byte still gets its row written.
std::string FitColumn(std::string_view text, size_t width) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == width) {
                return std::string(text.substr(0, i));
            }
            ++characters;
        }
    }
    return std::string(text);
}

// Fixed-width columns read back filled with blanks to their width.
std::string PadColumn(std::string text, size_t width) {
    size_t characters = Utf8CharacterCount(text);
    if (characters < width) {
        text.append(width - characters, ' ');
    }
    return text;
}

std::string EscapeLike(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '%' || c == '_' || c == kLikeEscape) {
            escaped += kLikeEscape;
        }
        escaped += c;
    }
    return escaped;
}

void RemoveDatabaseFiles(const std::string& path) {
    unlink(path.c_str());
    for (const char* suffix : kSideFileSuffixes) {
        unlink((path + suffix).c_str());
    }
}

std::string FormatErrorBlock(const char* heading, int code, const char* meaning,
                             const char* description) {
    char block[1024];
    std::snprintf(block, sizeof(block),
                  "%s\n\tCode = %08x\n\tCode meaning = %s\n\tSource = %s\n\tDescription = %s\n",
                  heading, static_cast<unsigned>(code), meaning, kEngineName, description);
    return block;
}

// One prepared statement, finalized on every path out.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : sql_(sql) {
        ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return ok_; }
    const char* Sql() const { return sql_; }

    void BindText(int index, std::string_view text) {
        if (!ok_) {
            return;
        }
        if (text.size() > static_cast<size_t>(INT_MAX)) {
            ok_ = false;
            return;
        }
        ok_ = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT) == SQLITE_OK;
    }
    void BindInt(int index, sqlite3_int64 value) {
        if (ok_) {
            ok_ = sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
        }
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() {
        if (!ok_) {
            return SQLITE_ERROR;
        }
        int rc = sqlite3_step(stmt_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            ok_ = false;
        }
        return rc;
    }

    // Texts from the file may be anything a device sent: taken as bytes, never
    // assumed to be valid UTF-8 or free of zeros.
    std::string Text(int column) {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        int bytes = sqlite3_column_bytes(stmt_, column);
        if (text == nullptr || bytes <= 0) {
            return {};
        }
        return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
    }
    int Int(int column) { return sqlite3_column_int(stmt_, column); }
    // Ready for the next set of bindings, so one statement serves a whole batch.
    void Reset() {
        if (stmt_ != nullptr) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
            ok_ = true;
        }
    }
    sqlite3_int64 Int64(int column) { return sqlite3_column_int64(stmt_, column); }

private:
    const char* sql_;
    sqlite3_stmt* stmt_ = nullptr;
    bool ok_ = false;
};

// A batch of writes under one commit instead of one per statement; rolled back
// when it is not committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db)
        : db_(db), open_(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {}
    ~Transaction() {
        if (open_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the commit failed (the writes are then undone).
    bool Commit() {
        if (!open_) {
            return true;  // nothing began: each write committed on its own
        }
        open_ = false;
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
            return true;
        }
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }

private:
    sqlite3* db_;
    bool open_;
};

struct InstanceSlot {
    std::mutex mutex;
    std::unique_ptr<CSqlManagement> store;
};

InstanceSlot& Instance() {
    static InstanceSlot slot;
    return slot;
}

}  // namespace

CSqlManagement::CSqlManagement(const std::string& folder, operator_message_fn on_open_failure) {
    path_ = folder;
    if (!path_.empty() && path_.back() != '/') {
        path_ += '/';
    }
    path_ += kDatabaseFileName;
    RemoveDatabaseFiles(path_);

    bool opened = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        opened = OpenLocked();
    }
    if (opened && !(ExecuteWithRetry(kCreateTable) && ExecuteWithRetry(kCreateMacIndex))) {
        // Without its table the store could only fail later, one call at a time.
        std::lock_guard<std::mutex> guard(lock_);
        CloseLocked();
        opened = false;
    }
    if (!opened) {
        std::string message = TranslateText(kOpenFailureText);
        if (on_open_failure) {
            on_open_failure(message);
        } else {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "%s", message.c_str());
        }
    }
}

CSqlManagement::~CSqlManagement() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        CloseLocked();
    }
    RemoveDatabaseFiles(path_);
}

bool CSqlManagement::OpenLocked() {
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::string context = "Connection String = " + path_ + "\n";
    if (rc != SQLITE_OK) {
        last_error_ = context + FormatErrorBlock("Database Error", rc, sqlite3_errstr(rc),
                                                 db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    db_ = db;
    if (sqlite3_exec(db_, kPragmas, nullptr, nullptr, nullptr) != SQLITE_OK) {
        RecordErrorLocked(context, sqlite3_extended_errcode(db_));
        CloseLocked();
        return false;
    }
    return true;
}

void CSqlManagement::CloseLocked() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void CSqlManagement::RecordErrorLocked(const std::string& context, int code) {
    last_error_ = context + FormatErrorBlock("Statement Error", code, sqlite3_errstr(code),
                                             db_ ? sqlite3_errmsg(db_) : "");
}

std::string CSqlManagement::LastError() const {
    std::lock_guard<std::mutex> guard(lock_);
    return last_error_;
}

CSqlManagement& CSqlManagement::CreateInstance(const std::string& folder,
                                               operator_message_fn on_open_failure) {
    InstanceSlot& slot = Instance();
    std::lock_guard<std::mutex> guard(slot.mutex);
    if (!slot.store) {
        slot.store = std::make_unique<CSqlManagement>(folder, std::move(on_open_failure));
    }
    return *slot.store;
}

CSqlManagement& CSqlManagement::GetInstance() {
    InstanceSlot& slot = Instance();
    std::lock_guard<std::mutex> guard(slot.mutex);
    if (!slot.store) {
        slot.store = std::make_unique<CSqlManagement>(GetProgramFolder(), nullptr);
    }
    return *slot.store;
}

void CSqlManagement::ReleaseInstance() {
    std::unique_ptr<CSqlManagement> released;
    {
        InstanceSlot& slot = Instance();
        std::lock_guard<std::mutex> guard(slot.mutex);
        released = std::move(slot.store);
    }
}

bool CSqlManagement::IsOpen() {
    std::lock_guard<std::mutex> guard(lock_);
    return db_ != nullptr;
}

bool CSqlManagement::ExecuteWithRetry(const char* statement) {
    for (int attempt = 0; attempt < kExecuteAttempts; ++attempt) {
        std::lock_guard<std::mutex> guard(lock_);
        if (db_ == nullptr) {
            continue;
        }
        if (sqlite3_exec(db_, statement, nullptr, nullptr, nullptr) == SQLITE_OK) {
            return true;
        }
        RecordErrorLocked(std::string("Query = ") + statement + "\n",
                          sqlite3_extended_errcode(db_));
    }
    return false;
}

bool CSqlManagement::InsertDevice(const ap_discover_stu& device) {
    const std::string mac = FitColumn(ReadFixedText(device.mac), kMacWidth);
    const std::string date = FitColumn(ReadFixedText(device.date), kDateWidth);
    const std::string ssid2 = FitColumn(ReadFixedText(device.ssid2), kSsidWidth);
    const std::string ssid5 = FitColumn(ReadFixedText(device.ssid5), kSsidWidth);
    const std::string wpakey2 = FitColumn(ReadFixedText(device.wpakey2), kKeyWidth);
    const std::string wpakey5 = FitColumn(ReadFixedText(device.wpakey5), kKeyWidth);

    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    Statement find(db_, kSelectIdByMac);
    find.BindText(1, mac);
    int rc = find.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        RecordErrorLocked(std::string("Query = ") + find.Sql() + "\n",
                          sqlite3_extended_errcode(db_));
        return false;
    }
    const bool exists = rc == SQLITE_ROW;
    Statement write(db_, exists ? kUpdateDevice : kInsertDevice);
    write.BindText(1, mac);
    write.BindText(2, date);
    write.BindText(3, ssid2);
    write.BindText(4, ssid5);
    write.BindText(5, wpakey2);
    write.BindText(6, wpakey5);
    if (exists) {
        write.BindInt(7, find.Int64(0));
    }
    if (write.Step() != SQLITE_DONE) {
        RecordErrorLocked(std::string("Query = ") + write.Sql() + "\n",
                          sqlite3_extended_errcode(db_));
        return false;
    }
    return true;
}

bool CSqlManagement::QueryDevices(std::vector<ap_info_stu>* devices, int* total, int* success_count,
                                  int* failure_count, bool ascending, int sort_kind,
                                  const std::string& mac_filter) {
    if (devices == nullptr) {
        return false;
    }
    std::string sql = kSelectDevices;
    if (!mac_filter.empty()) {
        sql += kMacFilterClause;
    }
    sql += sort_kind == SORT_BY_RESULT ? " ORDER BY result" : " ORDER BY mac";
    // Equal keys keep discovery order, so a polled list does not shuffle.
    sql += ascending ? " ASC,ID ASC" : " DESC,ID ASC";

    struct Row {
        ap_info_stu info;
        int result;
    };
    std::vector<Row> rows;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (db_ == nullptr) {
            return false;
        }
        Statement query(db_, sql.c_str());
        if (!mac_filter.empty()) {
            query.BindText(1, "%" + EscapeLike(mac_filter) + "%");
        }
        int rc;
        while ((rc = query.Step()) == SQLITE_ROW) {
            Row row{};
            ap_info_stu& info = row.info;
            WriteFixedText(info.mac, TrimText(query.Text(COL_MAC)));
            WriteFixedText(info.date, PadColumn(query.Text(COL_DATE), kDateWidth));
            info.para_status = query.Int(COL_PARA_STATUS);
            info.logo_status = query.Int(COL_LOGO_STATUS);
            info.antitheft_status = query.Int(COL_ANTITHEFT_STATUS);
            WriteFixedText(info.ssid2, PadColumn(query.Text(COL_SSID2), kSsidWidth));
            WriteFixedText(info.ssid5, PadColumn(query.Text(COL_SSID5), kSsidWidth));
            WriteFixedText(info.wpakey2, PadColumn(query.Text(COL_WPAKEY2), kKeyWidth));
            WriteFixedText(info.wpakey5, PadColumn(query.Text(COL_WPAKEY5), kKeyWidth));
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE) {
            RecordErrorLocked("Query = " + sql + "\n", sqlite3_extended_errcode(db_));
            return false;
        }
    }
    // Evaluated outside the store lock: the evaluation trace takes the log's lock.
    for (Row& row : rows) {
        int result =
            EvaluateResult(row.info.para_status, row.info.logo_status, row.info.antitheft_status);
        if (result == RESULT_SUCCESS && success_count != nullptr) {
            ++*success_count;
        } else if (result == RESULT_FAILURE && failure_count != nullptr) {
            ++*failure_count;
        }
        devices->push_back(row.info);
    }
    if (total != nullptr) {
        *total = static_cast<int>(rows.size());
    }
    return true;
}

bool CSqlManagement::GetDeviceByMac(const std::string& mac, ap_info_stu* device) {
    if (device == nullptr) {
        return false;
    }
    *device = ap_info_stu{};
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    Statement query(db_, mac.empty() ? kSelectFirstDevice : kSelectDeviceByMac);
    if (!mac.empty()) {
        query.BindText(1, mac);
    }
    int rc = query.Step();
    if (rc == SQLITE_ROW) {
        // The padded MAC (17 characters and a blank) would leave no room for the
        // terminator; nobody reads it, so it is kept trimmed.
        WriteFixedText(device->mac, TrimText(query.Text(BYMAC_MAC)));
        WriteFixedText(device->ssid2, PadColumn(query.Text(BYMAC_SSID2), kSsidWidth));
        WriteFixedText(device->ssid5, PadColumn(query.Text(BYMAC_SSID5), kSsidWidth));
        WriteFixedText(device->wpakey2, PadColumn(query.Text(BYMAC_WPAKEY2), kKeyWidth));
        WriteFixedText(device->wpakey5, PadColumn(query.Text(BYMAC_WPAKEY5), kKeyWidth));
        return true;
    }
    if (rc == SQLITE_DONE) {
        return true;
    }
    RecordErrorLocked(std::string("Query = ") + query.Sql() + "\n", sqlite3_extended_errcode(db_));
    return false;
}

bool CSqlManagement::SetResult(const std::string& mac, int result) {
    const std::string text = FitColumn(std::to_string(result), kResultWidth);
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    Statement update(db_, kUpdateResult);
    update.BindText(1, mac);
    update.BindText(2, text);
    if (update.Step() != SQLITE_DONE) {
        RecordErrorLocked(std::string("Query = ") + update.Sql() + "\n",
                          sqlite3_extended_errcode(db_));
        return false;
    }
    return sqlite3_changes(db_) > 0;
}

bool CSqlManagement::SetStatusColumn(const char* code_column, const char* text_column,
                                     const std::string& mac, int status, bool keep_reports) {
    // The text is looked up before the store lock is taken: translation has its own.
    const std::string text = FitColumn(GetStatusText(status), kStatusTextWidth);
    const std::string sql = std::string("UPDATE ap_info SET ") + code_column + " = ?2," +
                            text_column +
                            " = ?3 WHERE ID = "
                            "(SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1)" +
                            (keep_reports ? std::string(" AND ") + code_column + " NOT IN (" +
                                                std::to_string(STATUS_OPERATE_SUCCESS) + "," +
                                                std::to_string(STATUS_OPERATE_FAIL) + "," +
                                                std::to_string(STATUS_LOCKCODE_MISMATCH) + ")"
                                          : std::string());
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    Statement update(db_, sql.c_str());
    update.BindText(1, mac);
    update.BindInt(2, status);
    update.BindText(3, text);
    if (update.Step() != SQLITE_DONE) {
        RecordErrorLocked("Query = " + sql + "\n", sqlite3_extended_errcode(db_));
        return false;
    }
    return sqlite3_changes(db_) > 0;
}

bool CSqlManagement::SetStatusColumnForAll(const char* code_column, const char* text_column,
                                           const std::vector<std::string>& macs, int status) {
    const std::string text = FitColumn(GetStatusText(status), kStatusTextWidth);
    const std::string sql = std::string("UPDATE ap_info SET ") + code_column + " = ?2," +
                            text_column +
                            " = ?3 WHERE ID = "
                            "(SELECT ID FROM ap_info WHERE mac = ?1 ORDER BY ID LIMIT 1)";
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    Transaction transaction(db_);
    Statement update(db_, sql.c_str());
    bool ok = true;
    for (const std::string& mac : macs) {
        update.Reset();
        update.BindText(1, mac);
        update.BindInt(2, status);
        update.BindText(3, text);
        if (update.Step() != SQLITE_DONE) {
            RecordErrorLocked("Query = " + sql + "\n", sqlite3_extended_errcode(db_));
            ok = false;
        }
    }
    if (!transaction.Commit()) {
        RecordErrorLocked("Query = COMMIT\n", sqlite3_extended_errcode(db_));
        ok = false;
    }
    return ok;
}

bool CSqlManagement::FoldResults(const std::vector<std::string>& macs, std::vector<int>* results) {
    results->assign(macs.size(), RESULT_NOT_STARTED);
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return false;
    }
    // One transaction and two prepared statements for the batch: a poll of a
    // thousand devices then costs one commit instead of a thousand.
    Transaction transaction(db_);
    Statement select(db_, kSelectStatuses);
    Statement update(db_, kUpdateResult);
    bool ok = true;
    for (size_t i = 0; i < macs.size(); ++i) {
        int para = 0, logo = 0, antitheft = 0;
        select.Reset();
        select.BindText(1, macs[i]);
        const int rc = select.Step();
        if (rc == SQLITE_ROW) {
            para = select.Int(0);
            logo = select.Int(1);
            antitheft = select.Int(2);
        } else if (rc != SQLITE_DONE) {
            RecordErrorLocked(std::string("Query = ") + select.Sql() + "\n",
                              sqlite3_extended_errcode(db_));
            ok = false;
        }
        const int result = EvaluateResult(para, logo, antitheft);
        (*results)[i] = result;
        update.Reset();
        update.BindText(1, macs[i]);
        update.BindText(2, FitColumn(std::to_string(result), kResultWidth));
        if (update.Step() != SQLITE_DONE) {
            RecordErrorLocked(std::string("Query = ") + update.Sql() + "\n",
                              sqlite3_extended_errcode(db_));
            ok = false;
        }
    }
    if (!transaction.Commit()) {
        RecordErrorLocked("Query = COMMIT\n", sqlite3_extended_errcode(db_));
        ok = false;
    }
    return ok;
}

int CSqlManagement::GetOverallResult(const std::string& mac) {
    int para = 0;
    int logo = 0;
    int antitheft = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (db_ == nullptr) {
            return RESULT_NOT_STARTED;
        }
        Statement query(db_, kSelectStatuses);
        query.BindText(1, mac);
        int rc = query.Step();
        if (rc == SQLITE_ROW) {
            para = query.Int(0);
            logo = query.Int(1);
            antitheft = query.Int(2);
        } else if (rc != SQLITE_DONE) {
            RecordErrorLocked(std::string("Query = ") + query.Sql() + "\n",
                              sqlite3_extended_errcode(db_));
        }
    }
    return EvaluateResult(para, logo, antitheft);
}

bool CSqlManagement::ResetAllStatuses() {
    return ExecuteWithRetry(kResetStatuses);
}

bool CSqlManagement::DeleteAllDevices() {
    return ExecuteWithRetry(kDeleteAll);
}

int CSqlManagement::CountDevices() {
    std::lock_guard<std::mutex> guard(lock_);
    if (db_ == nullptr) {
        return 0;
    }
    Statement query(db_, kCountRows);
    if (query.Step() != SQLITE_ROW) {
        RecordErrorLocked(std::string("Query = ") + kCountRows + "\n",
                          sqlite3_extended_errcode(db_));
        return 0;
    }
    return query.Int(0);
}

}  // namespace plindar
