#include "servicectl/service_start.h"

#include <cstdio>

#include "servicectl/command_failure.h"
#include "servicectl/service_state_wait.h"

namespace {

// The longest launch the service makes before it runs: the VM's creation (60 s), then the entry
// of the Java main method (30 s), and a margin.
const DWORD startWaitSeconds = 100;

// A launch that failed after the VM was created shows stop pending while the VM shuts down.
bool launching(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
}

}  // namespace

int startService(SC_HANDLE service, const char* logPath) {
    std::fprintf(stderr, "Starting service.\n");
    if (!StartServiceA(service, 0, nullptr)) {
        return static_cast<int>(reportCommandFailure("StartService failed.\n", GetLastError()));
    }
    std::fprintf(stderr, "Service start pending...\n");
    std::fprintf(stderr, "Waiting up to %u seconds for service to start... ", static_cast<unsigned>(startWaitSeconds));
    SERVICE_STATUS_PROCESS status = {};
    DWORD error = waitWhile(service, launching, startWaitSeconds * 1000, status);
    if (error != ERROR_SUCCESS) {
        return static_cast<int>(reportCommandFailure("failed (QueryServiceStatusEx): ", error));
    }
    if (launching(status.dwCurrentState)) {
        std::fprintf(stderr, "timed out.\n");
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
        std::fprintf(stderr, "stopped: Win32 exit code %lu, service-specific exit code %lu; see %s\n",
                     status.dwWin32ExitCode, status.dwServiceSpecificExitCode, logPath);
        // A service that stopped without an error code still did not start.
        return static_cast<int>(status.dwWin32ExitCode != NO_ERROR ? status.dwWin32ExitCode : ERROR_SERVICE_NOT_ACTIVE);
    }
    // Running, or paused already by another client: the launch is done.
    std::fprintf(stderr, "%s.\n", serviceStateName(status.dwCurrentState));
    return 0;
}
