#include "servicectl/service_state_wait.h"

namespace {

const DWORD pollMilliseconds = 100;

}  // namespace

DWORD queryServiceStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD bytesNeeded = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status,
                              &bytesNeeded)) {
        return GetLastError();
    }
    return ERROR_SUCCESS;
}

DWORD waitWhile(SC_HANDLE service, bool (*waiting)(DWORD state), DWORD milliseconds, SERVICE_STATUS_PROCESS& status) {
    ULONGLONG begin = GetTickCount64();
    for (;;) {
        DWORD error = queryServiceStatus(service, status);
        if (error != ERROR_SUCCESS || !waiting(status.dwCurrentState) || GetTickCount64() - begin >= milliseconds) {
            return error;
        }
        Sleep(pollMilliseconds);
    }
}

const char* serviceStateName(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED:
        return "stopped";
    case SERVICE_START_PENDING:
        return "start pending";
    case SERVICE_STOP_PENDING:
        return "stop pending";
    case SERVICE_RUNNING:
        return "running";
    case SERVICE_CONTINUE_PENDING:
        return "continue pending";
    case SERVICE_PAUSE_PENDING:
        return "pause pending";
    case SERVICE_PAUSED:
        return "paused";
    default:
        return "in an unknown state";
    }
}
