#include "diagnostics/log_writer.h"

#include <share.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/process_state.h"
#include "diagnostics/system_error.h"

namespace {

// Opens the log for appending; others may read it meanwhile, but a second writer is refused.
bool openLogFile() {
    logFile = _fsopen(logPath, "a", _SH_DENYWR);
    if (logFile != nullptr) {
        return true;
    }
    DWORD code = GetLastError();
    std::fprintf(stderr, "Error while opening log file '%s': ", logPath);
    printSystemError(code);
    return false;
}

}  // namespace

std::size_t formatLogTimestamp(const std::tm& localTime, char* buffer, std::size_t capacity) {
    return std::strftime(buffer, capacity, "%d.%m.%Y %X [VORNA] ", &localTime);
}

void writeLog(const char* format, ...) {
    EnterCriticalSection(&logLock);
    if (logFile == nullptr && !openLogFile()) {
        LeaveCriticalSection(&logLock);
        return;
    }

    // localtime's result buffer is shared by the whole process; it is only used under logLock.
    std::time_t now = std::time(nullptr);
    char timestamp[80] = "";
    if (const std::tm* local = std::localtime(&now)) {
        formatLogTimestamp(*local, timestamp, sizeof timestamp);
    }
    std::string lineFormat = std::string(timestamp) + format + "\n";

    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(logFile, lineFormat.c_str(), arguments);
    va_end(arguments);
    std::fflush(logFile);

    LeaveCriticalSection(&logLock);
}

void logWindowsError(const char* call, unsigned long code) {
    writeLog("%s failed with Windows error code %lu.", call, code);
}
