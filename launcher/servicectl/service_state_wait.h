#pragma once

#include <windows.h>

// The service's status record as the service control manager has it; ERROR_SUCCESS, or the error
// code of the query that failed.
DWORD queryServiceStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status);

// Polls the service's status while waiting(state) holds, for milliseconds at most. Gives
// ERROR_SUCCESS with the last status seen (one that waiting still holds for when the time ran
// out), or the error code of the query that failed.
DWORD waitWhile(SC_HANDLE service, bool (*waiting)(DWORD state), DWORD milliseconds, SERVICE_STATUS_PROCESS& status);

// The state's name as the commands print it: "running", "stop pending", ...
const char* serviceStateName(DWORD state);
