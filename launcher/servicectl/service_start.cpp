#include "servicectl/service_start.h"

#include <cstdio>

#include "servicectl/command_failure.h"

int startService(SC_HANDLE service) {
    std::fprintf(stderr, "Starting service.\n");
    if (!StartServiceA(service, 0, nullptr)) {
        return static_cast<int>(reportCommandFailure("StartService failed.\n", GetLastError()));
    }
    std::fprintf(stderr, "Service start pending...\n");
    return 0;
}
