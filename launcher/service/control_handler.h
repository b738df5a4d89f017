#pragma once

#include <windows.h>

// The service's control handler, which answers every control at once: stop, shutdown and
// preshutdown start the stop, which the service main carries out; pause and continue start the
// application's method on a thread of its own, which the supervision loop waits for. A thread dump
// asked for (threadDumpControl) is the one control answered once done, with its outcome.
DWORD WINAPI serviceControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
