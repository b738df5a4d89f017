#include "servicectl/service_commands.h"

#include "core/handle_owner.h"
#include "servicectl/command_failure.h"

int runServiceCommand(int (*command)(SC_HANDLE service)) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return static_cast<int>(reportCommandFailure("failed (OpenSCManager):\t", GetLastError()));
    }
    ServiceHandle service(OpenServiceA(manager.get(), "VORNA", SERVICE_ALL_ACCESS));
    if (!service) {
        return static_cast<int>(reportCommandFailure("failed (OpenService):\t", GetLastError()));
    }
    return command(service.get());
}
