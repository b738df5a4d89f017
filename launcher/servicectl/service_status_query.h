#pragma once

#include <windows.h>

// True when the open service is in any state but stopped; false when stopped or the query fails.
bool checkServiceState(SC_HANDLE service);

// True when the service "VORNA" exists and is active; every doubt answers false.
bool isServiceRunning();
