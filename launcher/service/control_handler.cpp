#include "service/control_handler.h"

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "jvmhost/lifecycle_calls.h"
#include "service/status_report.h"

namespace {

const DWORD lifecycleWaitMilliseconds = 10000;

// Runs one lifecycle call on a new thread and waits for it, for 10 seconds at most; a call that
// takes longer goes on by itself.
DWORD runLifecycleCall(LPTHREAD_START_ROUTINE procedure) {
    KernelHandle thread(CreateThread(nullptr, 0, procedure, &launchRecord, 0, nullptr));
    if (!thread) {
        return WAIT_FAILED;
    }
    return WaitForSingleObject(thread.get(), lifecycleWaitMilliseconds);
}

}  // namespace

DWORD WINAPI serviceControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
    case SERVICE_CONTROL_PRESHUTDOWN:
        reportServiceStatus(SERVICE_STOP_PENDING, NO_ERROR, 0);
        // The flag before the stop thread: the end of main that follows is then an orderly stop.
        keepRunning = false;
        runLifecycleCall(stopProc);
        SetEvent(shutdownEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE: {
        reportServiceStatus(SERVICE_PAUSE_PENDING, NO_ERROR, 5000);
        DWORD result = runLifecycleCall(pauseProc);
        servicePaused = true;
        return result;
    }
    case SERVICE_CONTROL_CONTINUE: {
        reportServiceStatus(SERVICE_CONTINUE_PENDING, NO_ERROR, 0);
        DWORD result = runLifecycleCall(continueProc);
        servicePaused = false;
        return result;
    }
    default:
        return NO_ERROR;
    }
}
