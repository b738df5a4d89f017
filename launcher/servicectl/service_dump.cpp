#include "servicectl/service_dump.h"

#include <cstdio>

#include "servicectl/command_failure.h"
#include "service/user_controls.h"

int dumpThreads(SC_HANDLE service, const std::string& dumpPath) {
    SERVICE_STATUS status = {};
    if (!ControlService(service, threadDumpControl, &status)) {
        return static_cast<int>(reportCommandFailure("ControlService failed (/dump).\n", GetLastError()));
    }
    std::fprintf(stderr, "Thread dump written to %s.\n", dumpPath.c_str());
    return 0;
}
