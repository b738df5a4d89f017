// The tests' view of a service through the service control manager, as any client sees it. Every
// way it ends writes a line, so that the rig can tell an answer from a program that Wine never ran;
// a query that cannot be made ends the command with 1.
//
//   service-query query NAME               one line of tab-separated fields; exit 2 when not installed.
//                                          The preshutdown timeout, the failure actions and their
//                                          flag read "error:N" when the service control manager
//                                          cannot give them.
//   service-query watch NAME MS [STATE]    every distinct status record seen while polling for MS
//                                          milliseconds, or until the service shows STATE after
//                                          showing another (a stopped service that is started and
//                                          fails can be watched until it is stopped again); exit 3
//                                          when STATE did not follow within MS
//   service-query remove NAME              stops the service if needed, deletes it, waits until gone
//   service-query settle MS                waits until no service of the prefix is in a pending
//                                          state; exit 3 when one still is after MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ScHandle {
    SC_HANDLE handle;
    explicit ScHandle(SC_HANDLE h) : handle(h) {}
    ~ScHandle() {
        if (handle != nullptr) {
            CloseServiceHandle(handle);
        }
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
};

bool queryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status,
                                &needed) != 0;
}

std::string statusFields(const SERVICE_STATUS_PROCESS& status) {
    char text[256];
    std::snprintf(text, sizeof text, "state=%lu\tcontrols=0x%lx\tcheckpoint=%lu\twaithint=%lu\texitcode=%lu\tspecific=%lu",
                  status.dwCurrentState, status.dwControlsAccepted, status.dwCheckPoint, status.dwWaitHint,
                  status.dwWin32ExitCode, status.dwServiceSpecificExitCode);
    return text;
}

// Dependencies come as a list of names each ended by a NUL, the list ended by a second NUL.
std::string dependencyList(const char* list) {
    std::string names;
    for (const char* name = list; name != nullptr && *name != '\0'; name += std::strlen(name) + 1) {
        if (!names.empty()) {
            names += ",";
        }
        names += name;
    }
    return names;
}

// Names the call that failed and its error code on the standard error stream; the query's result.
int failed(const char* call) {
    std::fprintf(stderr, "%s failed: %lu\n", call, GetLastError());
    return 1;
}

// One setting of QueryServiceConfig2A into buffer; the error code when the call fails.
DWORD querySetting(SC_HANDLE service, DWORD level, std::vector<BYTE>& buffer) {
    DWORD needed = 0;
    if (!QueryServiceConfig2A(service, level, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return GetLastError();
    }
    buffer.assign(needed, 0);
    return QueryServiceConfig2A(service, level, buffer.data(), needed, &needed) ? ERROR_SUCCESS : GetLastError();
}

std::string errorField(DWORD error) {
    return "error:" + std::to_string(error);
}

// "preshutdown=MS", "failureactions=reset:S ACTION:MS ..." (ACTION none, restart, reboot or run),
// "failureflag=0|1", tab-separated.
std::string recoveryFields(SC_HANDLE service) {
    static const char* const actionNames[] = {"none", "restart", "reboot", "run"};
    std::vector<BYTE> buffer;
    std::string fields = "preshutdown=";
    DWORD error = querySetting(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, buffer);
    fields += error != ERROR_SUCCESS
                  ? errorField(error)
                  : std::to_string(reinterpret_cast<SERVICE_PRESHUTDOWN_INFO*>(buffer.data())->dwPreshutdownTimeout);

    fields += "\tfailureactions=";
    error = querySetting(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer);
    if (error != ERROR_SUCCESS) {
        fields += errorField(error);
    } else {
        auto* actions = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer.data());
        fields += "reset:" + std::to_string(actions->dwResetPeriod);
        for (DWORD i = 0; i < actions->cActions; ++i) {
            const SC_ACTION& action = actions->lpsaActions[i];
            fields += " ";
            fields += action.Type <= SC_ACTION_RUN_COMMAND ? actionNames[action.Type] : "unknown";
            fields += ":" + std::to_string(action.Delay);
        }
    }

    fields += "\tfailureflag=";
    error = querySetting(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, buffer);
    fields += error != ERROR_SUCCESS ? errorField(error)
                                     : std::to_string(reinterpret_cast<SERVICE_FAILURE_ACTIONS_FLAG*>(buffer.data())
                                                          ->fFailureActionsOnNonCrashFailures);
    return fields;
}

int query(SC_HANDLE manager, const char* name) {
    ScHandle service(OpenServiceA(manager, name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (service.handle == nullptr) {
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
            std::fprintf(stderr, "%s is not installed\n", name);
            return 2;
        }
        return failed("OpenServiceA");
    }
    SERVICE_STATUS_PROCESS status = {};
    if (!queryStatus(service.handle, status)) {
        return failed("QueryServiceStatusEx");
    }
    DWORD needed = 0;
    QueryServiceConfigA(service.handle, nullptr, 0, &needed);
    std::vector<BYTE> configBuffer(needed + 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(configBuffer.data());
    if (!QueryServiceConfigA(service.handle, config, needed, &needed)) {
        return failed("QueryServiceConfigA");
    }
    QueryServiceConfig2A(service.handle, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<BYTE> descriptionBuffer(needed + 1);
    auto* description = reinterpret_cast<SERVICE_DESCRIPTIONA*>(descriptionBuffer.data());
    bool haveDescription =
        QueryServiceConfig2A(service.handle, SERVICE_CONFIG_DESCRIPTION, descriptionBuffer.data(), needed, &needed) &&
        description->lpDescription != nullptr;

    std::printf("%s\tpid=%lu\ttype=0x%lx\tstart=%lu\terror=%lu\tpath=%s\tdisplay=%s\tdependencies=%s\tdescription=%s"
                "\t%s\n",
                statusFields(status).c_str(), status.dwProcessId, config->dwServiceType, config->dwStartType,
                config->dwErrorControl, config->lpBinaryPathName ? config->lpBinaryPathName : "",
                config->lpDisplayName ? config->lpDisplayName : "", dependencyList(config->lpDependencies).c_str(),
                haveDescription ? description->lpDescription : "", recoveryFields(service.handle).c_str());
    return 0;
}

int watch(SC_HANDLE manager, const char* name, DWORD milliseconds, DWORD untilState) {
    ScHandle service(OpenServiceA(manager, name, SERVICE_QUERY_STATUS));
    if (service.handle == nullptr) {
        return failed("OpenServiceA");
    }
    ULONGLONG start = GetTickCount64();
    std::string last;
    bool sawOtherState = false;
    while (GetTickCount64() - start < milliseconds) {
        SERVICE_STATUS_PROCESS status = {};
        if (!queryStatus(service.handle, status)) {
            return failed("QueryServiceStatusEx");
        }
        std::string fields = statusFields(status);
        if (fields != last) {
            std::printf("t=%llu\t%s\n", GetTickCount64() - start, fields.c_str());
            std::fflush(stdout);
            last = fields;
        }
        if (status.dwCurrentState != untilState) {
            sawOtherState = true;
        } else if (sawOtherState) {
            return 0;
        }
        Sleep(2);
    }
    if (untilState != 0) {
        std::fprintf(stderr, "state %lu did not follow within %lu ms\n", untilState, milliseconds);
        return 3;
    }
    return 0;
}

int removeService(SC_HANDLE manager, const char* name) {
    {
        ScHandle service(OpenServiceA(manager, name, SERVICE_ALL_ACCESS));
        if (service.handle == nullptr) {
            std::printf("%s is not installed\n", name);
            return 0;
        }
        SERVICE_STATUS_PROCESS status = {};
        for (int i = 0; i < 600 && queryStatus(service.handle, status) && status.dwCurrentState != SERVICE_STOPPED;
             ++i) {
            if (status.dwCurrentState != SERVICE_STOP_PENDING) {
                SERVICE_STATUS ignored = {};
                ControlService(service.handle, SERVICE_CONTROL_STOP, &ignored);
            }
            Sleep(100);
        }
        DeleteService(service.handle);
    }
    for (int i = 0; i < 100; ++i) {
        ScHandle service(OpenServiceA(manager, name, SERVICE_QUERY_STATUS));
        if (service.handle == nullptr) {
            std::printf("%s removed\n", name);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "%s is still registered after 10 s\n", name);
    return 1;
}

bool anyServicePending(SC_HANDLE manager) {
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    EnumServicesStatusExA(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL, nullptr,
                          0, &needed, &count, &resume, nullptr);
    std::vector<BYTE> buffer(needed + 1024);
    resume = 0;
    if (!EnumServicesStatusExA(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                               buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr)) {
        return true;
    }
    auto* services = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        DWORD state = services[i].ServiceStatusProcess.dwCurrentState;
        if (state != SERVICE_STOPPED && state != SERVICE_RUNNING && state != SERVICE_PAUSED) {
            return true;
        }
    }
    return false;
}

// A freshly booted prefix starts its own services for a while; a console program that asks for the
// service dispatcher meanwhile may meet a control pipe that is waiting for one of them.
int settle(SC_HANDLE manager, DWORD milliseconds) {
    ULONGLONG start = GetTickCount64();
    int quietChecks = 0;
    while (GetTickCount64() - start < milliseconds) {
        quietChecks = anyServicePending(manager) ? 0 : quietChecks + 1;
        if (quietChecks >= 10) {
            std::printf("settled\n");
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "a service of the prefix is still pending after %lu ms\n", milliseconds);
    return 3;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: service-query query|watch|remove NAME [MS [STATE]]\n");
        return 64;
    }
    ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager.handle == nullptr) {
        std::fprintf(stderr, "OpenSCManager failed: %lu\n", GetLastError());
        return 1;
    }
    std::string command = argv[1];
    if (command == "query") {
        return query(manager.handle, argv[2]);
    }
    if (command == "watch" && argc >= 4) {
        return watch(manager.handle, argv[2], std::strtoul(argv[3], nullptr, 10),
                     argc >= 5 ? std::strtoul(argv[4], nullptr, 10) : 0);
    }
    if (command == "settle") {
        return settle(manager.handle, std::strtoul(argv[2], nullptr, 10));
    }
    if (command == "remove") {
        return removeService(manager.handle, argv[2]);
    }
    std::fprintf(stderr, "unknown command %s\n", argv[1]);
    return 64;
}
