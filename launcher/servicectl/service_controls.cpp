#include "servicectl/service_controls.h"

#include <cstdio>
#include <string>

#include "servicectl/command_failure.h"
#include "servicectl/service_state_wait.h"

namespace {

struct ControlCommand {
    const char* argument;
    DWORD control;
    const char* verb;
    DWORD waitSeconds;
    DWORD askedState;
    // Whether the service is still on its way to askedState.
    bool (*waiting)(DWORD state);
};

// The service reports stopped at most 30 s after its handler received the stop, and the time of a
// thread dump (5 s at most) when a step of the stop ran out of time; the control has been received
// by the time ControlService returns: a wait of 35 s from then sees every stop that ends at all.
const ControlCommand stopCommand = {"/stop", SERVICE_CONTROL_STOP, "stop", 35, SERVICE_STOPPED,
                                    [](DWORD state) { return state != SERVICE_STOPPED; }};
// The service shows pause or continue pending while the application's pause() or cont() runs,
// which it waits for 10 s at most.
const ControlCommand pauseCommand = {"/pause", SERVICE_CONTROL_PAUSE, "pause", 15, SERVICE_PAUSED,
                                     [](DWORD state) { return state == SERVICE_PAUSE_PENDING; }};
const ControlCommand continueCommand = {"/cont", SERVICE_CONTROL_CONTINUE, "continue", 15, SERVICE_RUNNING,
                                        [](DWORD state) { return state == SERVICE_CONTINUE_PENDING; }};

int sendControl(SC_HANDLE service, const ControlCommand& command) {
    SERVICE_STATUS answer = {};
    if (!ControlService(service, command.control, &answer)) {
        DWORD code = GetLastError();
        std::string context = std::string("ControlService failed (") + command.argument + ").\n";
        return static_cast<int>(reportCommandFailure(context.c_str(), code));
    }
    std::fprintf(stderr, "ControlService sent \"%s\" to the service.\n", command.argument);
    std::fprintf(stderr, "Waiting up to %u seconds for service to %s... ", static_cast<unsigned>(command.waitSeconds),
                 command.verb);
    SERVICE_STATUS_PROCESS status = {};
    DWORD error = waitWhile(service, command.waiting, command.waitSeconds * 1000, status);
    if (error != ERROR_SUCCESS) {
        return static_cast<int>(reportCommandFailure("failed (QueryServiceStatusEx): ", error));
    }
    DWORD state = status.dwCurrentState;
    if (command.waiting(state)) {
        std::fprintf(stderr, "timed out.\n");
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    }
    std::fprintf(stderr, "%s.\n", serviceStateName(state));
    if (state == command.askedState) {
        return 0;
    }
    // Stopped, or stopping, meanwhile: by a stop of another client or by the application's end.
    if (state == SERVICE_STOPPED || state == SERVICE_STOP_PENDING) {
        return ERROR_SERVICE_NOT_ACTIVE;
    }
    // Back in the state it was in: the application's pause() or cont() failed.
    std::fprintf(stderr, "The service refused to %s.\n", command.verb);
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
}

}  // namespace

int stopService(SC_HANDLE service) {
    return sendControl(service, stopCommand);
}

int pauseService(SC_HANDLE service) {
    return sendControl(service, pauseCommand);
}

int continueService(SC_HANDLE service) {
    return sendControl(service, continueCommand);
}
