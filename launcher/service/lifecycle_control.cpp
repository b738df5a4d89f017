#include "service/lifecycle_control.h"

#include <algorithm>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/lifecycle_calls.h"
#include "jvmhost/thread_dump.h"
#include "service/status_report.h"

namespace {

const ULONGLONG lifecycleTimeout = 10000;
const DWORD pendingWaitHint = 5000;

struct PendingKind {
    DWORD pendingState;
    const char* methodName;
    LPTHREAD_START_ROUTINE procedure;
    bool pausedAfter;
};

const PendingKind& kindOf(DWORD control) {
    static const PendingKind pause = {SERVICE_PAUSE_PENDING, "pause", pauseProc, true};
    static const PendingKind resume = {SERVICE_CONTINUE_PENDING, "cont", continueProc, false};
    return control == SERVICE_CONTROL_PAUSE ? pause : resume;
}

void reportSettledState() {
    reportServiceStatus(servicePaused ? SERVICE_PAUSED : SERVICE_RUNNING, NO_ERROR, 0);
}

// The caller holds statusLock. The method's thread runs on by itself after the time is up.
void endPendingCall(const PendingKind& kind, bool done) {
    if (done) {
        servicePaused = kind.pausedAfter;
    }
    CloseHandle(lifecycleThread);
    lifecycleThread = nullptr;
    pendingControl = 0;
    reportSettledState();
}

}  // namespace

// Deciding and reporting happen under statusLock, here and in the loop, so that no report of a
// settled state can come between the pending state and the state it leads to.
DWORD startPauseOrContinue(DWORD control) {
    EnterCriticalSection(&statusLock);
    DWORD result = NO_ERROR;
    if (!keepRunning || pendingControl != 0) {
        result = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    } else {
        const PendingKind& kind = kindOf(control);
        lifecycleThread = CreateThread(nullptr, 0, kind.procedure, &launchRecord, 0, nullptr);
        if (lifecycleThread == nullptr) {
            result = GetLastError();
            logWindowsError("CreateThread", result);
        } else {
            lifecycleCallStarted = GetTickCount64();
            pendingControl = control;
            reportServiceStatus(kind.pendingState, NO_ERROR, pendingWaitHint);
            SetEvent(controlEvent);
        }
    }
    LeaveCriticalSection(&statusLock);
    return result;
}

void reportSupervisedState() {
    // A method still running at its time is logged and dumped first, without the lock: the
    // handler reports meanwhile.
    DWORD control = pendingControl;
    if (control != 0 && WaitForSingleObject(lifecycleThread, 0) == WAIT_TIMEOUT &&
        GetTickCount64() - lifecycleCallStarted >= lifecycleTimeout) {
        const char* methodName = kindOf(control).methodName;
        writeLog("Timeout while waiting for \"%s\" method.", methodName);
        writeThreadDump(std::string("\"") + methodName + "\" still runs 10 s after the control");
    }
    EnterCriticalSection(&statusLock);
    control = pendingControl;
    if (control == 0) {
        reportSettledState();
    } else {
        const PendingKind& kind = kindOf(control);
        DWORD result = STILL_ACTIVE;
        if (WaitForSingleObject(lifecycleThread, 0) == WAIT_OBJECT_0 && GetExitCodeThread(lifecycleThread, &result)) {
            endPendingCall(kind, result == lifecycleMethodReturned);
        } else if (GetTickCount64() - lifecycleCallStarted >= lifecycleTimeout) {
            endPendingCall(kind, true);
        } else {
            reportServiceStatus(kind.pendingState, NO_ERROR, pendingWaitHint);
        }
    }
    LeaveCriticalSection(&statusLock);
}

DWORD pauseOrContinueWait(DWORD period) {
    EnterCriticalSection(&statusLock);
    ULONGLONG running = GetTickCount64() - lifecycleCallStarted;
    DWORD wait = period;
    if (pendingControl != 0) {
        wait = running >= lifecycleTimeout ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(period, lifecycleTimeout - running));
    }
    LeaveCriticalSection(&statusLock);
    return wait;
}

HANDLE pauseOrContinueWakeHandle() {
    EnterCriticalSection(&statusLock);
    HANDLE handle = pendingControl != 0 ? lifecycleThread : controlEvent;
    LeaveCriticalSection(&statusLock);
    return handle;
}
