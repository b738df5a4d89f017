#pragma once

#include <windows.h>

// Finds the installed Java runtime, chooses its jvm.dll and fills launchRecord. On failure the
// log line and console message are written, and exitCode holds the code for the stopped report.
bool prepareJavaLaunch(DWORD& exitCode);
