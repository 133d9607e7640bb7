// Run-log writer and the daily Success/Fail files.
#include "records/run_log.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "records/diagnostic_log.h"
#include "records/program_folder.h"

namespace plindar {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kLogFolderName = "Log/";
constexpr const char* kSuccessFileName = "Success.txt";
constexpr const char* kFailFileName = "Fail.txt";
// The file's own LF comes before the CR LF every append adds, so each record
// ends LF CR LF; readers of existing logs expect exactly that.
constexpr const char* kHeader = "MAC\t\t\tType\t\tDate\n";
constexpr char kFieldSeparator = '\t';
constexpr char kEntryEnd = '\n';
constexpr const char* kDateFormat = "%04d-%02d-%02d";
constexpr const char* kTimeFormat = "%04d-%02d-%02d %02d:%02d:%02d";
// Room for six full-width ints and their separators, so no field is ever cut.
constexpr size_t kClockTextSize = 96;
constexpr int kTmYearBase = 1900;

struct run_log_kind_word_stu {
    int kind;
    const char* word;
};

constexpr run_log_kind_word_stu kKindWords[] = {
    {RUN_LOG_PARA, "PARA_DATA"},
    {RUN_LOG_LOGO, "LOG_DATA"},
};
constexpr const char* kOtherKindWord = "JSON_CMD_DATA";

const char* KindWord(int kind) {
    for (const run_log_kind_word_stu& entry : kKindWords) {
        if (entry.kind == kind) {
            return entry.word;
        }
    }
    return kOtherKindWord;
}

std::string DateText(const std::tm& local) {
    char text[kClockTextSize];
    std::snprintf(text, sizeof(text), kDateFormat, local.tm_year + kTmYearBase, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

std::string TimeText(const std::tm& local) {
    char text[kClockTextSize];
    std::snprintf(text, sizeof(text), kTimeFormat, local.tm_year + kTmYearBase, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::tm ReadLocalClock() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

bool COperateCharacter::AppendLogText(const std::string& text, const std::string& path) {
    if (text.empty()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return AppendLocked(text, path) == 0;
}

bool COperateCharacter::AppendLogEntry(const std::string& header, const std::string& entry,
                                       const std::string& path, int* error_number) {
    std::lock_guard<std::mutex> lock(mutex_);
    int error = 0;
    if (!PathExists(path)) {
        error = AppendLocked(header, path);
    }
    if (error == 0) {
        error = AppendLocked(entry, path);
    }
    if (error_number != nullptr) {
        *error_number = error;
    }
    return error == 0;
}

int COperateCharacter::AppendLocked(const std::string& text, const std::string& path) {
    // Binary mode: the log's bytes, LF CR LF endings included, go out unchanged.
    FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return errno != 0 ? errno : EIO;
    }
    std::string line = text + kLineEnd;
    errno = 0;
    int error = 0;
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
        error = errno != 0 ? errno : EIO;
    }
    // Buffered bytes reach the file at close, so a full disk shows up here.
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    return error;
}

bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success) {
    return WriteRunLog(kind, writer, mac_text, success, GetProgramFolder(), ReadLocalClock());
}

bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success,
                 const std::string& program_folder) {
    return WriteRunLog(kind, writer, mac_text, success, program_folder, ReadLocalClock());
}

bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success,
                 const std::string& program_folder, const std::tm& local_time) {
    std::string folder = program_folder;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    folder += kLogFolderName + DateText(local_time) + "/";
    const std::string path = folder + (success ? kSuccessFileName : kFailFileName);

    // The MAC text is a zero-terminated narrow string: nothing after a NUL belongs to it.
    const std::string mac(mac_text.c_str());
    const std::string time_text = TimeText(local_time);
    const std::string entry =
        mac + kFieldSeparator + KindWord(kind) + kFieldSeparator + time_text + kEntryEnd;

    if (writer == nullptr) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "run log entry lost (no writer): %s %s %s", mac.c_str(),
                         KindWord(kind), time_text.c_str());
        return true;
    }

    // A folder that cannot be made is not fatal on its own: the append below fails
    // and reports the lost entry, with the folder's error added for the operator.
    std::error_code folder_error;
    std::filesystem::create_directories(folder, folder_error);

    int error = 0;
    if (!writer->AppendLogEntry(kHeader, entry, path, &error)) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "run log entry lost: cannot write %s: %s%s%s",
                         path.c_str(), std::generic_category().message(error).c_str(),
                         folder_error ? "; cannot create the folder: " : "",
                         folder_error ? folder_error.message().c_str() : "");
    }
    return true;
}

}  // namespace plindar
