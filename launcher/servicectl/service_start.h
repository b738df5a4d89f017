#pragma once

#include <windows.h>

// "/start": starts the open service. Gives the command's exit code: 0 when the service control
// manager took the start, else the Windows error code of the failure.
int startService(SC_HANDLE service);
