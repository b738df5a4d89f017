// Ends or awaits one process named by its id, as a test finds it through the service control
// manager (never by name). Every way it ends writes a line, so that the rig can tell an answer
// from a program that Wine never ran.
//   process-control kill PID             terminates it with exit code 1; exit 0 when that was done
//   process-control wait PID MS          exit 0 once it has ended ("ended") or when no process has
//                                        that id ("gone"), 3 while it still runs after MS, 1 when
//                                        it cannot be waited for
//   process-control service-exit NAME MS prints "watching" once it polls the service, then, once
//                                        the service's next process has ended, "exit=CODE" with its
//                                        exit status; exit 3 when that does not happen within MS,
//                                        4 when the process was gone before it could be opened
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int kill(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    if (process == nullptr) {
        std::fprintf(stderr, "OpenProcess(%lu) failed: %lu\n", pid, GetLastError());
        return 1;
    }
    if (!TerminateProcess(process, 1)) {
        std::fprintf(stderr, "TerminateProcess(%lu) failed: %lu\n", pid, GetLastError());
        CloseHandle(process);
        return 1;
    }
    CloseHandle(process);
    std::printf("killed\n");
    return 0;
}

int wait(DWORD pid, DWORD milliseconds) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        // No process has the id (any more): the only failure that tells that it has ended.
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_PARAMETER) {
            std::printf("gone\n");
            return 0;
        }
        std::fprintf(stderr, "OpenProcess(%lu) failed: %lu\n", pid, error);
        return 1;
    }
    DWORD result = WaitForSingleObject(process, milliseconds);
    DWORD error = GetLastError();
    CloseHandle(process);
    switch (result) {
    case WAIT_OBJECT_0:
        std::printf("ended\n");
        return 0;
    case WAIT_TIMEOUT:
        std::printf("running\n");
        return 3;
    default:
        std::fprintf(stderr, "WaitForSingleObject(%lu) failed: %lu\n", pid, error);
        return 1;
    }
}

// Polls the service every millisecond from before its start, so that even a process that lives
// only a few hundred milliseconds is opened while it runs.
int serviceExit(const char* name, DWORD milliseconds) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, name, SERVICE_QUERY_STATUS) : nullptr;
    if (service == nullptr) {
        std::fprintf(stderr, "OpenService(%s) failed: %lu\n", name, GetLastError());
        return 1;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    ULONGLONG begin = GetTickCount64();
    HANDLE process = nullptr;
    while (process == nullptr && GetTickCount64() - begin < milliseconds) {
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status,
                                 &needed) &&
            status.dwProcessId != 0) {
            process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, status.dwProcessId);
            if (process == nullptr) {
                std::printf("missed %lu\n", status.dwProcessId);
                return 4;
            }
        } else {
            Sleep(1);
        }
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (process == nullptr) {
        std::printf("no process within %lu ms\n", milliseconds);
        return 3;
    }
    ULONGLONG elapsed = GetTickCount64() - begin;
    DWORD left = elapsed < milliseconds ? static_cast<DWORD>(milliseconds - elapsed) : 0;
    DWORD code = 0;
    bool ended = WaitForSingleObject(process, left) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (!ended) {
        std::printf("not ended within %lu ms\n", milliseconds);
        return 3;
    }
    std::printf("exit=%lu\n", code);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::strcmp(argv[1], "kill") == 0) {
        return kill(std::strtoul(argv[2], nullptr, 10));
    }
    if (argc >= 4 && std::strcmp(argv[1], "wait") == 0) {
        return wait(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10));
    }
    if (argc >= 4 && std::strcmp(argv[1], "service-exit") == 0) {
        return serviceExit(argv[2], std::strtoul(argv[3], nullptr, 10));
    }
    std::fprintf(stderr, "usage: process-control kill PID | wait PID MS | service-exit NAME MS\n");
    return 64;
}
