#include "servicectl/service_check.h"

#include <cstdio>

#include "servicectl/command_failure.h"
#include "servicectl/service_state_wait.h"

int checkService(SC_HANDLE service) {
    std::fprintf(stderr, "Checking service: ");
    SERVICE_STATUS_PROCESS status = {};
    DWORD error = queryServiceStatus(service, status);
    if (error != ERROR_SUCCESS) {
        return static_cast<int>(reportCommandFailure("failed (QueryServiceStatusEx): ", error));
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
        std::fprintf(stderr, "service stopped or not installed\n");
        return ERROR_SERVICE_NOT_ACTIVE;
    }
    std::fprintf(stderr, " service is running\n");
    return 0;
}
