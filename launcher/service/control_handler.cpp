#include "service/control_handler.h"

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/lifecycle_calls.h"
#include "service/status_report.h"

namespace {

const DWORD lifecycleWaitMilliseconds = 10000;

// Runs one lifecycle call on a new thread and waits for it, for 10 seconds at most; a call that
// takes longer goes on by itself.
void runLifecycleCall(LPTHREAD_START_ROUTINE procedure) {
    KernelHandle thread(CreateThread(nullptr, 0, procedure, &launchRecord, 0, nullptr));
    if (!thread) {
        logWindowsError("CreateThread", GetLastError());
        return;
    }
    WaitForSingleObject(thread.get(), lifecycleWaitMilliseconds);
}

}  // namespace

DWORD WINAPI serviceControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
    case SERVICE_CONTROL_PRESHUTDOWN:
        // The stop itself runs on the service main's thread, which the event wakes; a stop under
        // way already is left to go on.
        if (keepRunning) {
            stopArrivedTick = GetTickCount64();
            reportServiceStatus(SERVICE_STOP_PENDING, NO_ERROR, stopPendingWaitHint);
            // The time before the flag: the service main reads it once it sees the flag cleared.
            keepRunning = false;
            SetEvent(shutdownEvent);
        }
        return NO_ERROR;
    // Pause and continue are carried out once the flag has changed, however long the
    // application's method took.
    case SERVICE_CONTROL_PAUSE:
        reportServiceStatus(SERVICE_PAUSE_PENDING, NO_ERROR, 5000);
        runLifecycleCall(pauseProc);
        servicePaused = true;
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        reportServiceStatus(SERVICE_CONTINUE_PENDING, NO_ERROR, 0);
        runLifecycleCall(continueProc);
        servicePaused = false;
        return NO_ERROR;
    default:
        return NO_ERROR;
    }
}
