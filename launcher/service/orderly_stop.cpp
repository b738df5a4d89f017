#include "service/orderly_stop.h"

#include <algorithm>
#include <cstdio>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/jvm_shutdown.h"
#include "jvmhost/lifecycle_calls.h"
#include "jvmhost/thread_dump.h"
#include "jvmhost/vm_hooks.h"
#include "service/output_capture.h"
#include "service/status_report.h"

namespace {

const ULONGLONG gracefulShutdownTimeout = 10000;
// A second short of the 30 s a stop may take, for the last log line and the stopped report.
const ULONGLONG stopTimeout = 29000;
// Without a stop control, the VM's shutdown gets the service main's share of a stop.
const ULONGLONG jvmShutdownTimeout = 20000;

// When stop pending is due to be reported again. One clock for all the waits of a stop, so that a
// report follows the last within its wait hint however the stop's time is shared out among them.
struct StopProgress {
    ULONGLONG nextReport;
};

// Waits for handle until the tick count reaches deadline, reporting stop pending with the next
// check point whenever a progress period has passed since the last report; true once the handle
// is signalled (or is no handle to wait for).
bool waitReportingProgress(HANDLE handle, ULONGLONG deadline, StopProgress& progress) {
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= progress.nextReport) {
            reportServiceStatus(SERVICE_STOP_PENDING, NO_ERROR, stopPendingWaitHint);
            progress.nextReport = now + stopProgressPeriod;
        }
        if (now >= deadline) {
            return WaitForSingleObject(handle, 0) != WAIT_TIMEOUT;
        }
        DWORD slice = static_cast<DWORD>(std::min(deadline, progress.nextReport) - now);
        if (WaitForSingleObject(handle, slice) != WAIT_TIMEOUT) {
            return true;
        }
    }
}

void shutDownJvmBy(ULONGLONG deadline, StopProgress& progress) {
    KernelHandle shutdown(CreateThread(nullptr, 0, destroyJvmProc, nullptr, 0, nullptr));
    if (!shutdown) {
        logWindowsError("CreateThread", GetLastError());
        return;
    }
    if (waitReportingProgress(shutdown.get(), deadline, progress)) {
        // The VM writes no more: its last words and the application's reach the log folder now.
        drainOutputCapture();
        flushVmMessages();
        return;
    }
    const char* text = "Timeout while waiting for JVM shutdown (non-daemon threads, shutdown hooks).";
    if (consoleMode) {
        std::fprintf(stderr, "%s\n", text);
    }
    writeLog(text);
    writeThreadDump("the VM's shutdown still waits for non-daemon threads or shutdown hooks");
}

// The Java main method still runs: there is an application to ask to shut down.
bool mainIsRunning() {
    return WaitForSingleObject(jvmThread, 0) == WAIT_TIMEOUT;
}

}  // namespace

void runOrderlyStop() {
    ULONGLONG arrived = stopArrivedTick;
    // The handler reported stop pending when the control arrived.
    StopProgress progress = {arrived + stopProgressPeriod};
    if (mainIsRunning()) {
        KernelHandle stop(CreateThread(nullptr, 0, stopProc, &launchRecord, 0, nullptr));
        if (!stop) {
            logWindowsError("CreateThread", GetLastError());
        } else if (!waitReportingProgress(stop.get(), arrived + gracefulShutdownTimeout, progress)) {
            writeLog("Timeout while waiting for \"gracefulShutdown\" method.");
            writeThreadDump("\"gracefulShutdown\" still runs 10 s after the stop");
        }
    }
    // While main runs, the VM's shutdown would only wait for it.
    if (!waitReportingProgress(jvmThread, arrived + stopTimeout, progress)) {
        writeLog("Timeout while waiting for \"main\" method to end.");
        writeThreadDump("\"main\" still runs at the end of the stop");
        return;
    }
    shutDownJvmBy(arrived + stopTimeout, progress);
}

void shutDownJvm() {
    StopProgress progress = {GetTickCount64()};
    shutDownJvmBy(GetTickCount64() + jvmShutdownTimeout, progress);
}
