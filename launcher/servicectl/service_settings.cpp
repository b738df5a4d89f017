#include "servicectl/service_settings.h"

#include <cstdio>

namespace {

// The orderly stop reports stopped no later than 30 s after the control (gracefulShutdown, then
// main, then the VM's shutdown hooks); 5 s more as a margin, and no more: a service that hangs
// holds up every shutdown of the machine that long. Windows gives a service 10 s by default.
const DWORD preshutdownTimeoutMilliseconds = 35000;
// After a failure (the process ended without a stopped report, or stopped with an error code),
// restart in a minute, three times; a day without failures forgets the earlier ones.
const DWORD restartDelayMilliseconds = 60000;
const DWORD failureCountResetSeconds = 24 * 60 * 60;

void change(SC_HANDLE service, DWORD level, const char* name, void* information, std::string& warnings) {
    // A refusal that sets no error code is then told as 0, not as the code of an earlier call.
    SetLastError(ERROR_SUCCESS);
    if (ChangeServiceConfig2A(service, level, information)) {
        return;
    }
    char line[128];
    std::snprintf(line, sizeof line, "Warning: %s not set:\t%lu\n", name, GetLastError());
    warnings += line;
}

}  // namespace

std::string applyServiceSettings(SC_HANDLE service) {
    std::string warnings;

    char descriptionText[] = "Ardilux Keltranes Server";
    SERVICE_DESCRIPTIONA description = {descriptionText};
    change(service, SERVICE_CONFIG_DESCRIPTION, "SERVICE_CONFIG_DESCRIPTION", &description, warnings);

    SERVICE_PRESHUTDOWN_INFO preshutdown = {preshutdownTimeoutMilliseconds};
    change(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, "SERVICE_CONFIG_PRESHUTDOWN_INFO", &preshutdown, warnings);

    // The last action applies to every failure after the third: none.
    SC_ACTION actions[] = {
        {SC_ACTION_RESTART, restartDelayMilliseconds},
        {SC_ACTION_RESTART, restartDelayMilliseconds},
        {SC_ACTION_RESTART, restartDelayMilliseconds},
        {SC_ACTION_NONE, 0},
    };
    SERVICE_FAILURE_ACTIONSA failureActions = {failureCountResetSeconds, nullptr, nullptr,
                                               sizeof actions / sizeof actions[0], actions};
    change(service, SERVICE_CONFIG_FAILURE_ACTIONS, "SERVICE_CONFIG_FAILURE_ACTIONS", &failureActions, warnings);

    // Also when the service reports stopped with a Win32 exit code other than 0 (a launch that
    // failed, main that ended by itself), not only when its process ends without a report; a stop
    // and System.exit(0) report 0 and are left alone.
    SERVICE_FAILURE_ACTIONS_FLAG onNonCrashFailures = {TRUE};
    change(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, "SERVICE_CONFIG_FAILURE_ACTIONS_FLAG", &onNonCrashFailures,
           warnings);
    return warnings;
}
