#include "servicectl/service_commands.h"

#include <cstdio>
#include <cstring>

#include "core/handle_owner.h"
#include "diagnostics/system_error.h"
#include "servicectl/service_status_query.h"

namespace {

struct ControlCommand {
    const char* argument;
    DWORD control;
};

const ControlCommand controlCommands[] = {
    {"/stop", SERVICE_CONTROL_STOP},
    {"/pause", SERVICE_CONTROL_PAUSE},
    {"/cont", SERVICE_CONTROL_CONTINUE},
};

const DWORD stopPollMilliseconds = 100;
// The service reports stopped at most 30 s after its handler received the stop, and the control
// has been received by the time ControlService returns: a wait of 30 s from then sees every stop
// that ends at all.
const DWORD stopWaitSeconds = 30;

void reportFailure(const char* context) {
    DWORD code = GetLastError();
    std::fprintf(stderr, "%s", context);
    printSystemError(code);
}

void startService(SC_HANDLE service) {
    std::fprintf(stderr, "Starting service.\n");
    if (!StartServiceA(service, 0, nullptr)) {
        reportFailure("StartService failed.\n");
        return;
    }
    std::fprintf(stderr, "Service start pending...\n");
}

void checkService(SC_HANDLE service) {
    std::fprintf(stderr, "Checking service: ");
    if (checkServiceState(service)) {
        std::fprintf(stderr, " service is running\n");
    } else {
        std::fprintf(stderr, "service stopped or not installed\n");
    }
}

// Polls every 100 ms until the service has stopped or the wait's time is up.
void waitForStop(SC_HANDLE service) {
    ULONGLONG begin = GetTickCount64();
    while (checkServiceState(service) && GetTickCount64() - begin < stopWaitSeconds * 1000ULL) {
        Sleep(stopPollMilliseconds);
    }
}

void controlService(SC_HANDLE service, const char* argument, DWORD control) {
    SERVICE_STATUS status = {};
    if (!ControlService(service, control, &status)) {
        DWORD code = GetLastError();
        std::fprintf(stderr, "ControlService failed (%s).\n", argument);
        printSystemError(code);
        return;
    }
    std::fprintf(stderr, "ControlService sent \"%s\" to the service.\n", argument);
    if (control != SERVICE_CONTROL_STOP) {
        return;
    }
    std::fprintf(stderr, "Waiting up to %u seconds for service to stop... ", static_cast<unsigned>(stopWaitSeconds));
    waitForStop(service);
    std::fprintf(stderr, checkServiceState(service) ? "timed out.\n" : "stopped.\n");
}

}  // namespace

void sendServiceCommand(const char* argument) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        reportFailure("failed (OpenSCManager):\t");
    }
    ServiceHandle service(OpenServiceA(manager.get(), "VORNA", SERVICE_ALL_ACCESS));
    if (!service) {
        reportFailure("failed (OpenService):\t");
    }

    if (std::strcmp(argument, "/start") == 0) {
        startService(service.get());
    } else if (std::strcmp(argument, "/check") == 0) {
        checkService(service.get());
    }
    for (const ControlCommand& command : controlCommands) {
        if (std::strcmp(argument, command.argument) == 0) {
            controlService(service.get(), argument, command.control);
        }
    }
}
