#pragma once

#include <windows.h>

// "/stop", "/pause" and "/cont" on the open service: each sends its control and waits until the
// service shows the state asked for. Each gives the command's exit code: 0 when the service shows
// that state, else the Windows error code of what failed.
int stopService(SC_HANDLE service);
int pauseService(SC_HANDLE service);
int continueService(SC_HANDLE service);
