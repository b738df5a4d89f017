#include "service/status_report.h"

#include "core/process_state.h"

void fillServiceStatus(SERVICE_STATUS& status, DWORD& checkPoint, DWORD currentState, DWORD win32ExitCode,
                       DWORD waitHint) {
    status.dwCurrentState = currentState;
    status.dwWin32ExitCode = win32ExitCode;
    status.dwServiceSpecificExitCode = 0;
    status.dwWaitHint = waitHint;
    // While starting, no control may reach the handler: the VM does not exist yet.
    status.dwControlsAccepted = currentState == SERVICE_START_PENDING ? 0 : acceptedControls;
    if (currentState == SERVICE_RUNNING || currentState == SERVICE_STOPPED) {
        status.dwCheckPoint = 0;
    } else {
        status.dwCheckPoint = checkPoint++;
    }
}

void reportServiceStatus(DWORD currentState, DWORD win32ExitCode, DWORD waitHint) {
    if (consoleMode) {
        return;
    }
    // The handler's thread and the supervision loop both report; one report is filled and sent whole.
    EnterCriticalSection(&statusLock);
    fillServiceStatus(serviceStatus, nextCheckPoint, currentState, win32ExitCode, waitHint);
    SetServiceStatus(serviceStatusHandle, &serviceStatus);
    LeaveCriticalSection(&statusLock);
}
