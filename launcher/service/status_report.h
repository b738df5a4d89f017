#pragma once

#include <windows.h>

// The controls every report but start pending announces: stop, pause and continue, shutdown,
// preshutdown.
const DWORD acceptedControls =
    SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN;

// While the service stops, stop pending is reported anew at this period, each report's wait hint
// covering the next with room to spare.
const DWORD stopPendingWaitHint = 5000;
const DWORD stopProgressPeriod = 2000;

// Whether a report of nextState may follow one of lastState: a service never goes back from
// stopping (only stop pending again, or stopped), and nothing follows stopped.
bool reportMayFollow(DWORD lastState, DWORD nextState);

// Fills a status record for one report by the reporting rules; a report that carries a check
// point takes checkPoint's value and advances it.
void fillServiceStatus(SERVICE_STATUS& status, DWORD& checkPoint, DWORD currentState, DWORD win32ExitCode,
                       DWORD waitHint, DWORD serviceSpecificExitCode = 0);

// Reports the service's state to the service control manager, unless the report would go back
// from the state last reported; does nothing in console mode. True when the report was made.
// serviceSpecificExitCode counts only with ERROR_SERVICE_SPECIFIC_ERROR.
bool reportServiceStatus(DWORD currentState, DWORD win32ExitCode, DWORD waitHint,
                         DWORD serviceSpecificExitCode = 0);
