#include "diagnostics/log_writer.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/process_state.h"
#include "diagnostics/formatted_text.h"
#include "diagnostics/system_error.h"

namespace {

// Opens the log for appending unless it is open; others may read it meanwhile, a second writer
// is refused.
bool openLogFile() {
    if (logFile->open()) {
        return true;
    }
    DWORD code = GetLastError();
    std::fprintf(stderr, "Error while opening log file '%s': ", logPath);
    printSystemError(code);
    return false;
}

}  // namespace

std::string logTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02u.%02u.%04u %02u:%02u:%02u ", now.wDay, now.wMonth, now.wYear, now.wHour,
                  now.wMinute, now.wSecond);
    return stamp;
}

std::size_t formatLogTimestamp(const std::tm& localTime, char* buffer, std::size_t capacity) {
    return std::strftime(buffer, capacity, "%d.%m.%Y %X [VORNA] ", &localTime);
}

void writeLog(const char* format, ...) {
    EnterCriticalSection(&logLock);
    if (!openLogFile()) {
        LeaveCriticalSection(&logLock);
        return;
    }

    // localtime's result buffer is shared by the whole process; it is only used under logLock.
    std::time_t now = std::time(nullptr);
    char timestamp[80] = "";
    if (const std::tm* local = std::localtime(&now)) {
        formatLogTimestamp(*local, timestamp, sizeof timestamp);
    }
    va_list arguments;
    va_start(arguments, format);
    std::string message = formattedText(format, arguments);
    va_end(arguments);
    logFile->write(withCrLf(timestamp + message + "\n"));
    std::string lost = logFile->takeRollFailure();
    if (!lost.empty()) {
        logFile->write(withCrLf(timestamp + lost + "\n"));
    }

    LeaveCriticalSection(&logLock);
}

void logRollFailure(RollingFile& file) {
    std::string lost = file.takeRollFailure();
    if (!lost.empty()) {
        writeLog("%s", lost.c_str());
    }
}

void logWindowsError(const char* call, unsigned long code) {
    writeLog("%s failed with Windows error code %lu.", call, code);
}
