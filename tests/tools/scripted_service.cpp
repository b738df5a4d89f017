// A stand-in for a service, registered in its place to show the launcher's commands every answer
// a service may give to a start, a pause and a continue, as its command line asks:
//   scripted-service [start=run|run:MS|stop:WIN32:SPECIFIC] [pause=ANSWER] [cont=ANSWER]
//   start  run: start pending, then running (the default); run:MS: the same after MS milliseconds;
//          stop:WIN32:SPECIFIC: start pending, then stopped with these exit codes
//   ANSWER accept: pending, then paused (continued: running; the default); refuse: pending, then
//          back to the state before; hang: pending for good
// Each change follows the one before by 300 ms, so that a client sees the pending state first. A
// stop is carried out at once (stopped with 0). Run from a console it says that it is a service
// and ends with 1: a service's own standard streams go nowhere.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD stepMilliseconds = 300;
const DWORD acceptedControls = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;

std::string startAnswer = "run";
std::string pauseAnswer = "accept";
std::string continueAnswer = "accept";

SERVICE_STATUS_HANDLE statusHandle = nullptr;
CRITICAL_SECTION statusLock;
SERVICE_STATUS status = {};
HANDLE stopEvent = nullptr;

void report(DWORD state, DWORD win32ExitCode = NO_ERROR, DWORD specificExitCode = 0) {
    EnterCriticalSection(&statusLock);
    bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                   state == SERVICE_PAUSE_PENDING || state == SERVICE_CONTINUE_PENDING;
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_START_PENDING ? 0 : acceptedControls;
    status.dwWin32ExitCode = win32ExitCode;
    status.dwServiceSpecificExitCode = specificExitCode;
    status.dwCheckPoint = pending ? status.dwCheckPoint + 1 : 0;
    status.dwWaitHint = pending ? 2 * stepMilliseconds : 0;
    SetServiceStatus(statusHandle, &status);
    LeaveCriticalSection(&statusLock);
}

// The state a pause or continue ends in: stateAsked when accepted, stateBefore when refused, none
// (0) when it hangs.
DWORD answeredState(const std::string& answer, DWORD stateAsked, DWORD stateBefore) {
    if (answer == "accept") {
        return stateAsked;
    }
    return answer == "refuse" ? stateBefore : 0;
}

DWORD WINAPI reportLater(LPVOID state) {
    Sleep(stepMilliseconds);
    report(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(state)));
    return 0;
}

void answerLater(DWORD pendingState, DWORD finalState) {
    report(pendingState);
    if (finalState == 0) {
        return;
    }
    HANDLE thread = CreateThread(nullptr, 0, reportLater, reinterpret_cast<LPVOID>(std::uintptr_t{finalState}), 0,
                                 nullptr);
    if (thread != nullptr) {
        CloseHandle(thread);
    }
}

DWORD WINAPI handler(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        report(SERVICE_STOP_PENDING);
        SetEvent(stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        answerLater(SERVICE_PAUSE_PENDING, answeredState(pauseAnswer, SERVICE_PAUSED, SERVICE_RUNNING));
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        answerLater(SERVICE_CONTINUE_PENDING, answeredState(continueAnswer, SERVICE_RUNNING, SERVICE_PAUSED));
        return NO_ERROR;
    default:
        return NO_ERROR;
    }
}

void WINAPI serviceMain(DWORD, LPSTR*) {
    statusHandle = RegisterServiceCtrlHandlerExA("scripted-service", handler, nullptr);
    if (statusHandle == nullptr) {
        return;
    }
    report(SERVICE_START_PENDING);
    Sleep(startAnswer.rfind("run:", 0) == 0 ? std::strtoul(startAnswer.c_str() + 4, nullptr, 10) : stepMilliseconds);
    if (startAnswer.rfind("stop:", 0) == 0) {
        char* rest = nullptr;
        DWORD win32ExitCode = std::strtoul(startAnswer.c_str() + 5, &rest, 10);
        DWORD specificExitCode = *rest == ':' ? std::strtoul(rest + 1, nullptr, 10) : 0;
        report(SERVICE_STOPPED, win32ExitCode, specificExitCode);
        return;
    }
    report(SERVICE_RUNNING);
    WaitForSingleObject(stopEvent, INFINITE);
    report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strncmp(argument, "start=", 6) == 0) {
            startAnswer = argument + 6;
        } else if (std::strncmp(argument, "pause=", 6) == 0) {
            pauseAnswer = argument + 6;
        } else if (std::strncmp(argument, "cont=", 5) == 0) {
            continueAnswer = argument + 5;
        }
    }
    InitializeCriticalSection(&statusLock);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char name[] = "scripted-service";
    SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) {
        std::fprintf(stderr, "scripted-service runs only as a service: StartServiceCtrlDispatcher failed: %lu\n",
                     GetLastError());
        return 1;
    }
    return 0;
}
