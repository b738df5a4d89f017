// The moment a client first sees the service stopped: the reference of the "/stop" figure, and
// the end of the "failure" figure.
//   stop-watch NAME [--after-start]
//                       prints "watching" once it polls, then, when the service shows stopped
//                       (with --after-start: stopped again, after showing another state),
//                       "stopped=MICROSECONDS" since the Unix epoch (the wall clock a script on
//                       the same machine reads); exit 3 when that does not happen within 60 s
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// 100 ns ticks from 1601 to 1970.
const unsigned long long epochOffset = 116444736000000000ULL;

unsigned long long epochMicroseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return (ticks.QuadPart - epochOffset) / 10;
}

}  // namespace

int main(int argc, char* argv[]) {
    bool afterStart = argc == 3 && std::strcmp(argv[2], "--after-start") == 0;
    if (argc != 2 && !afterStart) {
        return 64;
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, argv[1], SERVICE_QUERY_STATUS) : nullptr;
    if (service == nullptr) {
        return 2;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    ULONGLONG begin = GetTickCount64();
    bool started = !afterStart;
    while (GetTickCount64() - begin < 60000) {
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status,
                                 &needed)) {
            if (status.dwCurrentState != SERVICE_STOPPED) {
                started = true;
            } else if (started) {
                std::printf("stopped=%llu\n", epochMicroseconds());
                return 0;
            }
        }
        // One poll a millisecond: close enough for a figure measured in tens of milliseconds,
        // and light on a machine the service shares.
        Sleep(1);
    }
    return 3;
}
