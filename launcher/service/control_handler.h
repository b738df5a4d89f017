#pragma once

#include <windows.h>

// The service's control handler: stop, shutdown and preshutdown start the stop, which the service
// main carries out; pause and continue reach the Java application, each on a thread of its own;
// every other control is answered at once.
DWORD WINAPI serviceControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
