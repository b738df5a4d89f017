#include "servicectl/service_install.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/handle_owner.h"
#include "servicectl/service_settings.h"

namespace {

const char ruleLine[] = "=======================================================================\n";

// Every result message ends with the rule line, in the same write.
void printResult(const std::string& message) {
    std::fprintf(stderr, "%s%s", message.c_str(), ruleLine);
}

// Gives the failure's code, the command's exit code.
int printFailure(const char* context) {
    DWORD code = GetLastError();
    std::fprintf(stderr, "%s:\t%d\n%s", context, static_cast<int>(code), ruleLine);
    return static_cast<int>(code);
}

// The executable's own path, quoted so that a path with blanks cannot be read as a shorter
// program path followed by arguments. A path that does not fit MAX_PATH is refused.
bool quotedModulePath(std::string& path) {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0) {
        return false;
    }
    if (length >= MAX_PATH) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    path = "\"" + std::string(buffer, length) + "\"";
    return true;
}

}  // namespace

int installService() {
    std::fprintf(stderr, "Installing service...\t\t");

    std::string imagePath;
    if (!quotedModulePath(imagePath)) {
        return printFailure("failed (GetModuleFileName)");
    }
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return printFailure("failed (OpenSCManager)");
    }
    ServiceHandle service(CreateServiceA(manager.get(), "VORNA", "VORNA", SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         imagePath.c_str(), nullptr, nullptr, "nsi\0", nullptr, nullptr));
    if (!service) {
        return printFailure("failed (CreateService)");
    }
    std::string warnings = applyServiceSettings(service.get());
    service.reset();
    manager.reset();
    printResult("done.\n" + warnings);
    return 0;
}

int uninstallService() {
    std::fprintf(stderr, "Uninstalling service...\t\t");

    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return printFailure("failed (OpenSCManager)");
    }
    ServiceHandle service(OpenServiceA(manager.get(), "VORNA", SERVICE_ALL_ACCESS));
    if (!service) {
        return printFailure("failed (OpenService)");
    }
    // A failed deletion has no message of its own.
    if (!DeleteService(service.get())) {
        return printFailure("failed (OpenService)");
    }
    service.reset();
    manager.reset();
    printResult("done.\n");
    return 0;
}
