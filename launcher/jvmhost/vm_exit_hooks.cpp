#include <windows.h>

#include <cstdio>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/vm_hooks.h"
#include "service/output_capture.h"
#include "service/status_report.h"

// Both hooks run late in the VM's own end: they make no JNI call, and the exit status comes
// before the stopped report, after which main may end the process too. The VM's end does not go
// through this program's C runtime, so what its streams and the captured ones still hold is
// written out here.

namespace {

void endOfProcess() {
    drainOutputCapture();
    flushVmMessages();
    std::fflush(stderr);
}

}  // namespace

void JNICALL vmExitHook(jint status) {
    endOfProcess();
    exitStatus = status;
    writeLog("Java VM exiting with status %d.", static_cast<int>(status));
    if (status == 0) {
        reportServiceStatus(SERVICE_STOPPED, NO_ERROR, 0);
    } else {
        reportServiceStatus(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR, 0, static_cast<DWORD>(status));
    }
}

void JNICALL vmAbortHook() {
    endOfProcess();
    exitStatus = 1;
    writeLog("Java VM aborted.");
    reportServiceStatus(SERVICE_STOPPED, ERROR_PROCESS_ABORTED, 0);
}
