// Diagnostic log of internal failures: one CR LF terminated line per event.
//
// Lines go to "Diagnostic.log" in the program folder (appended; the folder is
// the operator's, so the log sits beside the run logs), or to stderr when that
// file cannot be opened. Set PLINDAR_DIAGNOSTIC_STDERR=1 to copy every line to
// stderr as well.
#pragma once

#include <string>

namespace plindar {

enum DiagnosticLevel {
    DIAGNOSTIC_ERROR = 1,
    DIAGNOSTIC_INFO = 2,
};

// "[yyyy-mm-dd hh:mm:ss:mmmm][ERROR|INFO][ThreadID: n][function:line]message\r\n"
void WriteDiagnostic(int level, const char* function, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Formats one line without writing it (the clock and thread are the caller's).
std::string FormatDiagnosticLine(int level, const char* function, int line,
                                 const std::string& message);

// Developer trace (evaluation steps and the like), the counterpart of a debugger
// output channel: written only when PLINDAR_TRACE=1, so that polling code can
// trace freely without filling the operator's diagnostic log.
void WriteTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plindar

#define WRITE_DIAGNOSTIC(level, ...) \
    ::plindar::WriteDiagnostic((level), __func__, __LINE__, __VA_ARGS__)
