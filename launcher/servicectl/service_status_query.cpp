#include "servicectl/service_status_query.h"

#include <cstdio>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "servicectl/command_failure.h"
#include "servicectl/service_state_wait.h"

namespace {

// True when the open service is in any state but stopped; false when stopped or the query fails.
bool checkServiceState(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD error = queryServiceStatus(service, status);
    if (error != ERROR_SUCCESS) {
        reportCommandFailure("failed (QueryServiceStatusEx): ", error);
        return false;
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
        if (debugLevel >= 1) {
            std::fprintf(stderr, "Service is stopped\n");
        }
        return false;
    }
    if (debugLevel >= 1) {
        std::fprintf(stderr, "Service is not stopped\n");
    }
    return true;
}

}  // namespace

bool isServiceRunning() {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ServiceHandle service(OpenServiceA(manager.get(), "VORNA", SERVICE_QUERY_STATUS | SERVICE_INTERROGATE));
    return manager && service && checkServiceState(service.get());
}
