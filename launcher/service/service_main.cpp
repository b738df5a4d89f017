#include "service/service_main.h"

#include <cstdio>
#include <cstdlib>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/java_main_thread.h"
#include "jvmhost/jvm_creation.h"
#include "service/control_handler.h"
#include "service/java_discovery.h"
#include "service/status_report.h"
#include "servicectl/service_status_query.h"

namespace {

const DWORD startPendingWaitHint = 5000;
const DWORD jvmCreationTimeout = 60000;
const DWORD mainStartTimeout = 30000;
const DWORD supervisionPeriod = 1000;
const DWORD shutdownTimeout = 20000;

void debugPrint(const char* text) {
    if (debugLevel >= 1) {
        std::fprintf(stderr, "%s", text);
    }
}

// Starts the VM and the Java main method; returns only when main has been entered.
void startJava() {
    // Events before threads: each thread signals one of them.
    shutdownEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    debugPrint("Creating JVM...\n");
    jvmCreatedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    KernelHandle creator(CreateThread(nullptr, 0, createJvmProc, &launchRecord, 0, nullptr));
    if (WaitForSingleObject(jvmCreatedEvent, jvmCreationTimeout) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "Timeout while waiting for JVM creation.\n");
        writeLog("Timeout while waiting for JVM creation.");
        std::exit(1);
    }
    debugPrint("New JVM loaded.\n");
    debugPrint("Starting Java program...\n");

    mainStartedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    jvmThread = CreateThread(nullptr, 0, runMainProc, &launchRecord, 0, nullptr);
    // The event comes first: when main has been entered and the thread has already ended, that
    // still counts as started.
    HANDLE started[] = {mainStartedEvent, jvmThread};
    if (WaitForMultipleObjects(2, started, FALSE, mainStartTimeout) != WAIT_OBJECT_0) {
        std::fprintf(stderr, debugLevel >= 1 ? "failed.\n\n" : "Failed to start Java program.\n\n");
        std::exit(1);
    }
    debugPrint("done.\n\n");
}

// Runs until a stop clears keepRunning or the Java main method ends by itself; false for the latter.
bool superviseJava() {
    while (keepRunning) {
        if (!isJvmThreadRunning()) {
            if (consoleMode) {
                std::fprintf(stderr, "SERVICE ERROR: service stopped\n");
            }
            // The line before the report: once stopped is reported, the process may end.
            writeLog("SERVICE ERROR: service stopped");
            reportServiceStatus(SERVICE_STOPPED, ERROR_PROCESS_ABORTED, 0);
            return false;
        }
        reportServiceStatus(servicePaused ? SERVICE_PAUSED : SERVICE_RUNNING, NO_ERROR, 0);
        Sleep(supervisionPeriod);
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
            return;
        }
        serviceStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        reportServiceStatus(SERVICE_START_PENDING, NO_ERROR, startPendingWaitHint);
    }

    // Relative paths in the VM options resolve against the installation directory.
    if (!SetCurrentDirectoryA(installPath)) {
        DWORD code = GetLastError();
        writeLog("Cannot chdir to install path %s. Exiting.", installPath);
        if (consoleMode) {
            std::fprintf(stderr, "Error: Cannot chdir to install path %s.", installPath);
        }
        reportServiceStatus(SERVICE_STOPPED, code, 0);
        return;
    }

    DWORD exitCode = NO_ERROR;
    if (!prepareJavaLaunch(exitCode)) {
        reportServiceStatus(SERVICE_STOPPED, exitCode, 0);
        return;
    }
    if (consoleMode) {
        std::fprintf(stderr, "=======================================================================\n\n");
    }

    startJava();
    if (!superviseJava()) {
        return;
    }
    WaitForSingleObject(shutdownEvent, shutdownTimeout);
    reportServiceStatus(SERVICE_STOPPED, NO_ERROR, 0);
}
