#include "service/control_handler.h"

#include "core/process_state.h"
#include "jvmhost/thread_dump.h"
#include "service/lifecycle_control.h"
#include "service/status_report.h"
#include "service/user_controls.h"

namespace {

// A dump on request is answered with its outcome, which reaches the requester only as the
// handler's result: the handler waits for the dump, at most threadDumpTimeout. Only while the
// application runs.
DWORD dumpThreads() {
    if (!keepRunning || mainEntry != MainEntry::entered) {
        return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    }
    return writeThreadDump("asked for by /dump");
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
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
        return startPauseOrContinue(control);
    case threadDumpControl:
        return dumpThreads();
    default:
        return NO_ERROR;
    }
}
