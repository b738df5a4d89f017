#pragma once

#include <windows.h>

// The controls every report but start pending announces: stop, pause and continue, shutdown,
// preshutdown.
const DWORD acceptedControls =
    SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN;

// Fills a status record for one report by the reporting rules; a report that carries a check
// point takes checkPoint's value and advances it.
void fillServiceStatus(SERVICE_STATUS& status, DWORD& checkPoint, DWORD currentState, DWORD win32ExitCode,
                       DWORD waitHint);

// Reports the service's state to the service control manager; does nothing in console mode.
void reportServiceStatus(DWORD currentState, DWORD win32ExitCode, DWORD waitHint);
