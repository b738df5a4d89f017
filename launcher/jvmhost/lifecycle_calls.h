#pragma once

#include <windows.h>

#include "service/launch_record.h"

// The results of a lifecycle call that reached the application's method.
const DWORD lifecycleMethodReturned = 0;
const DWORD lifecycleMethodThrew = 4;

// Logs message, attaches to the VM as a daemon thread and calls the static ()V method of the
// application's main class. lifecycleMethodReturned; 1: no VM (or no attach); 2: class not found;
// 3: method not found; lifecycleMethodThrew, with the exception logged.
DWORD callLifecycleMethod(const LaunchRecord* record, const char* methodName, const char* message);

// Thread procedures for the stop, pause and continue controls.
DWORD WINAPI stopProc(LPVOID parameter);
DWORD WINAPI pauseProc(LPVOID parameter);
DWORD WINAPI continueProc(LPVOID parameter);
