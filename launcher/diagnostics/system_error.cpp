#include "diagnostics/system_error.h"

#include <cstdio>

namespace {

struct ErrorText {
    std::uint32_t code;
    const char* format;
};

const ErrorText errorTexts[] = {
    {3, "ERROR_PATH_NOT_FOUND (%d)\n"},
    {5, "ERROR_ACCESS_DENIED (%d)\n"},
    {6, "ERROR_INVALID_HANDLE (%d)\n"},
    {32, "ERROR_SHARING_VIOLATION (%d)\n"},
    {87, "ERROR_INVALID_PARAMETER (%d)\n"},
    {1051, "ERROR_DEPENDENT_SERVICES_RUNNING (%d)\n"},
    {1052, "ERROR_INVALID_SERVICE_CONTROL (%d)\n"},
    {1053, "ERROR_SERVICE_REQUEST_TIMEOUT (%d)\n"},
    {1054, "ERROR_SERVICE_NO_THREAD (%d)\n"},
    {1055, "ERROR_SERVICE_DATABASE_LOCKED (%d)\n"},
    {1056, "ERROR_SERVICE_ALREADY_RUNNING (%d)\n"},
    {1058, "ERROR_SERVICE_DISABLED (%d)\n"},
    {1061, "ERROR_SERVICE_CANNOT_ACCEPT_CTRL (%d)\n"},
    {1062, "ERROR_SERVICE_NOT_ACTIVE (%d)\n"},
    {1068, "ERROR_SERVICE_DEPENDENCY_FAIL (%d)\n"},
    {1069, "ERROR_SERVICE_LOGON_FAILED (%d)\n"},
    {1072, "ERROR_SERVICE_MARKED_FOR_DELETE (%d)\n"},
    {1075, "ERROR_SERVICE_DEPENDENCY_DELETED (%d)\n"},
    {1115, "ERROR_SHUTDOWN_IN_PROGRESS (%d)\n"},
};

// The printf format, taking the code as %d, that names the code.
const char* systemErrorFormat(std::uint32_t code) {
    for (const ErrorText& entry : errorTexts) {
        if (entry.code == code) {
            return entry.format;
        }
    }
    return "Unknown error code (%d)\n";
}

}  // namespace

void printSystemError(std::uint32_t code) {
    // %d reads the code as signed, so codes of 2^31 and above print negative.
    std::fprintf(stderr, systemErrorFormat(code), static_cast<int>(code));
}
