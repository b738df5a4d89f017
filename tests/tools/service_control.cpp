// A client of the service control manager other than the launcher itself, for the cases where
// the launcher's own commands cannot be used or are too slow.
//   service-control start NAME      starts it; prints "error=N" (0 on success). A start that Wine
//                                   answers with ERROR_INTERNAL_ERROR (the service's process died
//                                   in Wine's own start-up, before any of its program ran) is made
//                                   again, up to three times in all, a second apart
//   service-control send NAME CODE  sends the control CODE; prints "error=N" (0 when sent)
//   service-control storm NAME MS [COUNT]
//                                   sends pause and continue alternately, as fast as the service
//                                   control manager takes them, for MS milliseconds or until COUNT
//                                   were sent; prints "sent=N refused=M" (a refused control is
//                                   sent again)
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int start(SC_HANDLE manager, const char* name) {
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_START);
    DWORD error = ERROR_SUCCESS;
    if (service == nullptr) {
        error = GetLastError();
    } else {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) {
                Sleep(1000);
            }
            error = StartServiceA(service, 0, nullptr) ? ERROR_SUCCESS : GetLastError();
            if (error != ERROR_INTERNAL_ERROR) {
                break;
            }
        }
    }
    std::printf("error=%lu\n", error);
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    return 0;
}

int send(SC_HANDLE manager, const char* name, DWORD control) {
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_PAUSE_CONTINUE | SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL);
    DWORD error = ERROR_SUCCESS;
    SERVICE_STATUS status = {};
    if (service == nullptr || !ControlService(service, control, &status)) {
        error = GetLastError();
    }
    std::printf("error=%lu\n", error);
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    return 0;
}

// The handler's pending reports then meet the supervision loop's once-a-second reports.
int storm(SC_HANDLE manager, const char* name, DWORD milliseconds, unsigned long count) {
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_PAUSE_CONTINUE);
    if (service == nullptr) {
        std::fprintf(stderr, "OpenService failed: %lu\n", GetLastError());
        return 1;
    }
    ULONGLONG begin = GetTickCount64();
    unsigned long sent = 0;
    unsigned long refused = 0;
    bool pause = true;
    while (sent < count && GetTickCount64() - begin < milliseconds) {
        SERVICE_STATUS status = {};
        if (ControlService(service, pause ? SERVICE_CONTROL_PAUSE : SERVICE_CONTROL_CONTINUE, &status)) {
            ++sent;
            pause = !pause;
        } else {
            ++refused;
            Sleep(1);
        }
    }
    std::printf("sent=%lu\trefused=%lu\n", sent, refused);
    CloseServiceHandle(service);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        std::fprintf(stderr, "OpenSCManager failed: %lu\n", GetLastError());
        return 1;
    }
    int result = 64;
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0) {
        result = start(manager, argv[2]);
    } else if (argc >= 4 && std::strcmp(argv[1], "send") == 0) {
        result = send(manager, argv[2], std::strtoul(argv[3], nullptr, 10));
    } else if (argc >= 4 && std::strcmp(argv[1], "storm") == 0) {
        unsigned long count = argc >= 5 ? std::strtoul(argv[4], nullptr, 10) : ULONG_MAX;
        result = storm(manager, argv[2], std::strtoul(argv[3], nullptr, 10), count);
    } else {
        std::fprintf(stderr, "usage: service-control start NAME | send NAME CODE | storm NAME MS [COUNT]\n");
    }
    CloseServiceHandle(manager);
    return result;
}
