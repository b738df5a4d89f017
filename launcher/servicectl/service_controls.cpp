#include "servicectl/service_controls.h"

#include <cstdio>

#include "diagnostics/system_error.h"
#include "servicectl/command_failure.h"
#include "servicectl/service_state_wait.h"

namespace {

// The service reports stopped at most 30 s after its handler received the stop, and the control
// has been received by the time ControlService returns: a wait of 30 s from then sees every stop
// that ends at all.
const DWORD stopWaitSeconds = 30;

int sendControl(SC_HANDLE service, const char* argument, DWORD control) {
    SERVICE_STATUS answer = {};
    if (!ControlService(service, control, &answer)) {
        DWORD code = GetLastError();
        std::fprintf(stderr, "ControlService failed (%s).\n", argument);
        printSystemError(code);
        return static_cast<int>(code);
    }
    std::fprintf(stderr, "ControlService sent \"%s\" to the service.\n", argument);
    return 0;
}

}  // namespace

int stopService(SC_HANDLE service) {
    int code = sendControl(service, "/stop", SERVICE_CONTROL_STOP);
    if (code != 0) {
        return code;
    }
    std::fprintf(stderr, "Waiting up to %u seconds for service to stop... ", static_cast<unsigned>(stopWaitSeconds));
    SERVICE_STATUS_PROCESS status = {};
    DWORD error = waitWhile(
        service, [](DWORD state) { return state != SERVICE_STOPPED; }, stopWaitSeconds * 1000, status);
    if (error != ERROR_SUCCESS) {
        return static_cast<int>(reportCommandFailure("failed (QueryServiceStatusEx): ", error));
    }
    if (status.dwCurrentState != SERVICE_STOPPED) {
        std::fprintf(stderr, "timed out.\n");
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    }
    std::fprintf(stderr, "stopped.\n");
    return 0;
}

int pauseService(SC_HANDLE service) {
    return sendControl(service, "/pause", SERVICE_CONTROL_PAUSE);
}

int continueService(SC_HANDLE service) {
    return sendControl(service, "/cont", SERVICE_CONTROL_CONTINUE);
}
