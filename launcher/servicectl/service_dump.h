#pragma once

#include <windows.h>

#include <string>

// "/dump" on the open service: asks the running service for a thread dump of its application, a
// control of the service's own that it answers once the dump is written or has failed, and says
// where it is (dumpPath, the file the service writes its dumps into). Gives the command's exit
// code: 0 when written, else the Windows error code of the refusal (1062 not running, 1061 not yet
// started or stopping).
int dumpThreads(SC_HANDLE service, const std::string& dumpPath);
