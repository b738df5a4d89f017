#pragma once

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>

#include "service/launch_record.h"

// The launcher's process-wide state. Paths and modes are written by main before any other
// thread exists; what changes later is guarded by the lock named beside it.

extern char* installPath;
extern char* dataPath;
extern char* logPath;
extern bool consoleMode;
extern int debugLevel;

extern CRITICAL_SECTION logLock;
extern FILE* logFile;  // guarded by logLock
extern CRITICAL_SECTION configLock;
extern std::map<std::string, std::string>* configOptions;  // load guarded by configLock

extern SERVICE_STATUS_HANDLE serviceStatusHandle;
extern CRITICAL_SECTION statusLock;
extern SERVICE_STATUS serviceStatus;  // guarded by statusLock
extern DWORD nextCheckPoint;          // guarded by statusLock
extern std::atomic<bool> keepRunning;
extern std::atomic<bool> servicePaused;
extern HANDLE shutdownEvent;

extern char* jvmDllPath;
extern LaunchRecord launchRecord;
extern JavaVM* jvm;
extern HANDLE jvmCreatedEvent;
extern HANDLE mainStartedEvent;
extern HANDLE jvmThread;
