// The floor of the "/check" figure: open the service control manager and the service, query its
// state once, and end.
//   scm-query-floor NAME       exit 0 when the service runs, 1 when it does not, 2 when it cannot be asked
#include <windows.h>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        return 64;
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, argv[1], SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    BOOL queried = service != nullptr && QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO,
                                                              reinterpret_cast<LPBYTE>(&status), sizeof status, &needed);
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
    if (!queried) {
        return 2;
    }
    return status.dwCurrentState == SERVICE_STOPPED ? 1 : 0;
}
