#pragma once

#include <windows.h>

// The service's control handler, which answers every control at once: stop, shutdown and
// preshutdown start the stop, which the service main carries out; pause and continue start the
// application's method on a thread of its own, which the supervision loop waits for.
DWORD WINAPI serviceControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
