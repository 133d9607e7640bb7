// Daily run logs: one line per device report in Log/<date>/Success.txt or Fail.txt.
#pragma once

#include <ctime>
#include <mutex>
#include <string>

namespace plindar {

// Content kind of a report; it picks the kind word of the run-log entry.
enum RunLogKind {
    RUN_LOG_PARA = 1,       // configuration file: "PARA_DATA"
    RUN_LOG_LOGO = 2,       // logo image: "LOG_DATA"
    RUN_LOG_ANTITHEFT = 3,  // anti-theft command: "JSON_CMD_DATA", as is every unknown kind
};

// Appends lines to run-log files. Every append through one writer holds the
// writer's mutex for the whole open, write and close, so lines written from
// several threads through the same writer never interleave.
class COperateCharacter {
public:
    COperateCharacter() = default;
    virtual ~COperateCharacter() = default;
    COperateCharacter(const COperateCharacter&) = delete;
    COperateCharacter& operator=(const COperateCharacter&) = delete;

    // Appends `text` and CR LF to the file at `path`, creating the file when it is
    // missing. Bytes are written unchanged and whole, however long the text. An
    // empty text writes nothing and returns false; otherwise returns whether the
    // line reached the file.
    bool AppendLogText(const std::string& text, const std::string& path);

    // Appends `entry` and CR LF to the file at `path`, preceded by `header` and CR
    // LF when no file existed there before. The existence check and both appends
    // happen under one hold of the mutex, so concurrent callers can never give a
    // file two headers. On failure `*error_number` (when given) is the errno of
    // the step that failed.
    bool AppendLogEntry(const std::string& header, const std::string& entry,
                        const std::string& path, int* error_number = nullptr);

private:
    // The caller holds mutex_. Returns 0 or the errno of the failed step.
    int AppendLocked(const std::string& text, const std::string& path);

    std::mutex mutex_;
};

// Records one device report: an entry with the MAC text, the kind word and the
// local time in <program folder>Log/<yyyy-mm-dd>/, in Success.txt when `success`
// and Fail.txt otherwise. Missing folders are created; a file gets the column
// header only when this entry creates it. Always returns true: a lost entry must
// not stop the caller, so it is reported only as an error in the diagnostic log.
bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success);

// As above under `program_folder` (which should end with a slash; one is added
// when it does not) instead of the running program's folder.
bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success,
                 const std::string& program_folder);

// As above with the local time already read: the date folder and the time text
// both come from `local_time`, so an entry never lands in the wrong day's folder.
bool WriteRunLog(int kind, COperateCharacter* writer, const std::string& mac_text, bool success,
                 const std::string& program_folder, const std::tm& local_time);

}  // namespace plindar
