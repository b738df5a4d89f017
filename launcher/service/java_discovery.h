#pragma once

#include <windows.h>

// Finds the Java runtime (the home that "javahome" in the properties file names; else the one
// the registry names; else one bundled in the installation's folder "jre"), chooses its jvm.dll
// and fills launchRecord. On failure the log line and console message are written, and exitCode
// holds the code for the stopped report.
bool prepareJavaLaunch(DWORD& exitCode);
