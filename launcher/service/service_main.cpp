#include "service/service_main.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/java_main_thread.h"
#include "jvmhost/jvm_creation.h"
#include "jvmhost/thread_dump.h"
#include "service/control_handler.h"
#include "service/java_discovery.h"
#include "service/lifecycle_control.h"
#include "service/orderly_stop.h"
#include "service/output_capture.h"
#include "service/status_report.h"
#include "servicectl/service_status_query.h"

namespace {

// While the launch waits, start pending is reported anew at this period, each report's wait hint
// covering the next with room to spare.
const DWORD startPendingWaitHint = 5000;
const DWORD startProgressPeriod = 2000;
const DWORD jvmCreationTimeout = 60000;
const DWORD mainStartTimeout = 30000;
const DWORD supervisionPeriod = 1000;

// Result of runMainProc for a main method that ended by an exception.
const DWORD mainExceptionThrown = 5;

void debugPrint(const char* text) {
    if (debugLevel >= 1) {
        std::fprintf(stderr, "%s", text);
    }
}

// Ends a launch that failed: status 1 for the process, then the stopped report, after which the
// service control manager may end the process at any time.
void stopAsFailed(DWORD win32ExitCode, DWORD serviceSpecificExitCode = 0) {
    exitStatus = 1;
    reportServiceStatus(SERVICE_STOPPED, win32ExitCode, 0, serviceSpecificExitCode);
}

// Waits for the first of the handles, at most timeout milliseconds, reporting start pending with
// a growing check point meanwhile; gives back the wait's result.
DWORD waitWhileStarting(DWORD count, const HANDLE* handles, DWORD timeout) {
    ULONGLONG deadline = GetTickCount64() + timeout;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        DWORD result = WaitForMultipleObjects(count, handles, FALSE, std::min(left, startProgressPeriod));
        if (result != WAIT_TIMEOUT || left <= startProgressPeriod) {
            return result;
        }
        reportServiceStatus(SERVICE_START_PENDING, NO_ERROR, startPendingWaitHint);
    }
}

// The stopped report for a creation thread that ended without a VM; it has logged why.
void stopAfterCreationFailure(HANDLE creator) {
    DWORD result = 0;
    GetExitCodeThread(creator, &result);
    switch (result) {
    case 1:
        stopAsFailed(jvmLoadError);
        break;
    case 2:
        stopAsFailed(ERROR_PROC_NOT_FOUND);
        break;
    default:
        stopAsFailed(ERROR_SERVICE_SPECIFIC_ERROR, static_cast<DWORD>(jvmCreationResult));
        break;
    }
}

// Creates the VM on a thread of its own; false, with the failure reported, when there is none.
bool createJvm() {
    // Events before threads: each thread signals one of them.
    shutdownEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    controlEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    debugPrint("Creating JVM...\n");
    jvmCreatedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    KernelHandle creator(CreateThread(nullptr, 0, createJvmProc, &launchRecord, 0, nullptr));
    if (!creator) {
        DWORD code = GetLastError();
        logWindowsError("CreateThread", code);
        stopAsFailed(code);
        return false;
    }
    // The event comes first: a thread that has created the VM and ended counts as success.
    HANDLE created[] = {jvmCreatedEvent, creator.get()};
    DWORD result = waitWhileStarting(2, created, jvmCreationTimeout);
    if (result == WAIT_OBJECT_0) {
        return true;
    }
    if (result == WAIT_TIMEOUT) {
        std::fprintf(stderr, "Timeout while waiting for JVM creation.\n");
        writeLog("Timeout while waiting for JVM creation.");
        stopAsFailed(ERROR_TIMEOUT);
        return false;
    }
    if (result == WAIT_OBJECT_0 + 1) {
        stopAfterCreationFailure(creator.get());
        return false;
    }
    DWORD code = GetLastError();
    logWindowsError("WaitForMultipleObjects", code);
    stopAsFailed(code);
    return false;
}

// Starts the Java main method on jvmThread; false, with the failure reported, when it was not
// entered.
bool startMain() {
    debugPrint("New JVM loaded.\n");
    debugPrint("Starting Java program...\n");
    mainStartedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    jvmThread = CreateThread(nullptr, 0, runMainProc, &launchRecord, 0, nullptr);
    if (jvmThread == nullptr) {
        DWORD code = GetLastError();
        logWindowsError("CreateThread", code);
        shutDownJvm();
        stopAsFailed(code);
        return false;
    }
    // The event comes first: when main has been entered and the thread has already ended, that
    // still counts as started.
    HANDLE started[] = {mainStartedEvent, jvmThread};
    DWORD result = waitWhileStarting(2, started, mainStartTimeout);
    // At the limit main is given up on, unless it was entered just now.
    MainEntry awaited = MainEntry::awaited;
    if (result == WAIT_OBJECT_0 ||
        (result == WAIT_TIMEOUT && !mainEntry.compare_exchange_strong(awaited, MainEntry::givenUp))) {
        debugPrint("done.\n\n");
        return true;
    }
    std::fprintf(stderr, debugLevel >= 1 ? "failed.\n\n" : "Failed to start Java program.\n\n");
    // The thread's result tells why (STILL_ACTIVE when it was still on its way after the limit).
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(jvmThread, &code);
    if (code == STILL_ACTIVE) {
        writeLog("Timeout while waiting for Java program to start.");
        writeThreadDump("\"main\" not entered within 30 s");
    } else {
        writeLog("Failed to start Java program.");
    }
    shutDownJvm();
    stopAsFailed(ERROR_SERVICE_SPECIFIC_ERROR, code);
    return false;
}

// Runs until a stop clears keepRunning or the Java main method ends by itself; false for the latter.
bool superviseJava() {
    while (keepRunning) {
        if (!isJvmThreadRunning()) {
            if (consoleMode) {
                std::fprintf(stderr, "SERVICE ERROR: service stopped\n");
            }
            DWORD result = 0;
            GetExitCodeThread(jvmThread, &result);
            if (result == mainExceptionThrown) {
                exitStatus = 1;
            }
            // The line, then the VM's shutdown, then the report: once stopped is reported, the process
            // may end.
            writeLog("SERVICE ERROR: service stopped");
            shutDownJvm();
            reportServiceStatus(SERVICE_STOPPED, ERROR_PROCESS_ABORTED, 0);
            return false;
        }
        reportSupervisedState();
        // A stop, the end of main, and the start or end of a pause or continue end the wait at once.
        HANDLE wake[] = {shutdownEvent, jvmThread, pauseOrContinueWakeHandle()};
        WaitForMultipleObjects(3, wake, FALSE, pauseOrContinueWait(supervisionPeriod));
    }
    return true;
}

}  // namespace

void WINAPI serviceMain(DWORD, LPSTR*) {
    if (consoleMode) {
        std::fprintf(stderr, "Checking for running service ...\n");
        if (isServiceRunning()) {
            std::fprintf(stderr, "VORNA is already running as a service!");
            std::exit(1);
        }
        std::fprintf(stderr, "VORNA is not active, starting ...\n");
    }
    writeLog("VORN Service Startup");

    if (!consoleMode) {
        serviceStatusHandle = RegisterServiceCtrlHandlerExA("VORNA", serviceControlHandler, nullptr);
        if (serviceStatusHandle == nullptr) {
            logWindowsError("RegisterServiceCtrlHandlerExA", GetLastError());
            exitStatus = 1;
            return;
        }
        serviceStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        reportServiceStatus(SERVICE_START_PENDING, NO_ERROR, startPendingWaitHint);
    }

    // Relative paths in the VM options resolve against the installation directory.
    if (!SetCurrentDirectoryA(installPath)) {
        DWORD code = GetLastError();
        writeLog("Cannot chdir to install path %s. Exiting.", installPath);
        logWindowsError("SetCurrentDirectoryA", code);
        if (consoleMode) {
            std::fprintf(stderr, "Error: Cannot chdir to install path %s.", installPath);
        }
        stopAsFailed(code);
        return;
    }

    DWORD exitCode = NO_ERROR;
    if (!prepareJavaLaunch(exitCode)) {
        stopAsFailed(exitCode);
        return;
    }
    if (consoleMode) {
        std::fprintf(stderr, "=======================================================================\n\n");
    } else {
        // Before the VM is created: it takes the standard streams as it finds them then.
        startOutputCapture();
    }

    if (!createJvm() || !startMain() || !superviseJava()) {
        return;
    }
    runOrderlyStop();
    reportServiceStatus(SERVICE_STOPPED, NO_ERROR, 0);
}
