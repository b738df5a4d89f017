#pragma once

#include <windows.h>

#include "service/launch_record.h"

// Logs message, attaches to the VM and calls the static ()V method of the application's main
// class. 0: called and returned; 1: no VM (or no attach); 2: class not found; 3: method not found.
DWORD callLifecycleMethod(const LaunchRecord* record, const char* methodName, const char* message);

// Thread procedures for the stop, pause and continue controls.
DWORD WINAPI stopProc(LPVOID parameter);
DWORD WINAPI pauseProc(LPVOID parameter);
DWORD WINAPI continueProc(LPVOID parameter);
