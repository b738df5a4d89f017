#pragma once

#include <windows.h>

// Thread procedure: shuts the process's VM down as the invocation interface provides. It returns
// once the application's non-daemon threads have ended and its shutdown hooks have run, which may
// be never: callers bound their wait. 0: the VM has shut down; 1: there is no VM; 2: the VM
// refused.
DWORD WINAPI destroyJvmProc(LPVOID parameter);
