#include "service/status_report.h"

#include "core/process_state.h"

bool reportMayFollow(DWORD lastState, DWORD nextState) {
    switch (lastState) {
    case SERVICE_STOPPED:
        return false;
    case SERVICE_STOP_PENDING:
        return nextState == SERVICE_STOP_PENDING || nextState == SERVICE_STOPPED;
    default:
        return true;
    }
}

void fillServiceStatus(SERVICE_STATUS& status, DWORD& checkPoint, DWORD currentState, DWORD win32ExitCode,
                       DWORD waitHint, DWORD serviceSpecificExitCode) {
    status.dwCurrentState = currentState;
    status.dwWin32ExitCode = win32ExitCode;
    status.dwServiceSpecificExitCode = serviceSpecificExitCode;
    status.dwWaitHint = waitHint;
    // While starting, no control may reach the handler: the VM does not exist yet.
    status.dwControlsAccepted = currentState == SERVICE_START_PENDING ? 0 : acceptedControls;
    if (currentState == SERVICE_RUNNING || currentState == SERVICE_STOPPED) {
        status.dwCheckPoint = 0;
    } else {
        status.dwCheckPoint = checkPoint++;
    }
}

bool reportServiceStatus(DWORD currentState, DWORD win32ExitCode, DWORD waitHint, DWORD serviceSpecificExitCode) {
    if (consoleMode) {
        return false;
    }
    // The handler's thread, the supervision loop and the VM's hooks all report; under the lock one
    // report is checked against the last, filled and sent whole.
    EnterCriticalSection(&statusLock);
    bool follows = reportMayFollow(serviceStatus.dwCurrentState, currentState);
    if (follows) {
        fillServiceStatus(serviceStatus, nextCheckPoint, currentState, win32ExitCode, waitHint,
                          serviceSpecificExitCode);
        SetServiceStatus(serviceStatusHandle, &serviceStatus);
    }
    LeaveCriticalSection(&statusLock);
    return follows;
}
