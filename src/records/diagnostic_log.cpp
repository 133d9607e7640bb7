// Diagnostic log writer.
#include "records/diagnostic_log.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "records/program_folder.h"

namespace plindar {

namespace {

constexpr const char* kDiagnosticFileName = "Diagnostic.log";

std::string FormatMessage(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(needed));
    return text;
}

bool EnvironmentFlag(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// Lines from many threads must not interleave inside one line.
std::mutex& DiagnosticMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::string FormatDiagnosticLine(int level, const char* function, int line,
                                 const std::string& message) {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char prefix[160];
    std::snprintf(prefix, sizeof(prefix),
                  "[%04d-%02d-%02d %02d:%02d:%02d:%04d][%s][ThreadID: %u][%s:%d]",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, static_cast<int>(millis.count()),
                  level == DIAGNOSTIC_ERROR ? "ERROR" : "INFO",
                  static_cast<unsigned>(syscall(SYS_gettid)), function, line);
    return std::string(prefix) + message + "\r\n";
}

void WriteDiagnostic(int level, const char* function, int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string message = FormatMessage(format, args);
    va_end(args);
    std::string text = FormatDiagnosticLine(level, function, line, message);

    std::lock_guard<std::mutex> lock(DiagnosticMutex());
    std::string path = GetProgramFolder() + kDiagnosticFileName;
    FILE* file = std::fopen(path.c_str(), "ab");
    if (file != nullptr) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    if (file == nullptr || EnvironmentFlag("PLINDAR_DIAGNOSTIC_STDERR")) {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

void WriteTrace(const char* format, ...) {
    static const bool enabled = EnvironmentFlag("PLINDAR_TRACE");
    if (!enabled) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::string message = FormatMessage(format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(DiagnosticMutex());
    std::fwrite(message.data(), 1, message.size(), stderr);
}

}  // namespace plindar
