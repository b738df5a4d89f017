#pragma once

#include <windows.h>

// "/start": starts the open service and waits until it runs or has stopped. Gives the command's
// exit code: 0 once the service runs, else the Windows error code of what failed (for a service
// that stopped, its Win32 exit code); logPath is the log that tells why a start failed.
int startService(SC_HANDLE service, const char* logPath);
