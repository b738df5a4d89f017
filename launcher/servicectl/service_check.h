#pragma once

#include <windows.h>

// "/check" on the open service: 0 when it is active (in any state but stopped),
// ERROR_SERVICE_NOT_ACTIVE when stopped, the error code of the query when that fails.
int checkService(SC_HANDLE service);
