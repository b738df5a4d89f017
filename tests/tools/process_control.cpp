// Ends or awaits one process named by its id, as a test finds it through the service control
// manager (never by name).
//   process-control kill PID       terminates it with exit code 1; exit 0 when that was done
//   process-control wait PID MS    exit 0 once it has ended or is gone, 3 while it still runs after MS
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
    BOOL terminated = TerminateProcess(process, 1);
    CloseHandle(process);
    return terminated ? 0 : 1;
}

int wait(DWORD pid, DWORD milliseconds) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        return 0;
    }
    DWORD result = WaitForSingleObject(process, milliseconds);
    CloseHandle(process);
    return result == WAIT_OBJECT_0 ? 0 : 3;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::strcmp(argv[1], "kill") == 0) {
        return kill(std::strtoul(argv[2], nullptr, 10));
    }
    if (argc >= 4 && std::strcmp(argv[1], "wait") == 0) {
        return wait(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10));
    }
    std::fprintf(stderr, "usage: process-control kill PID | wait PID MS\n");
    return 64;
}
