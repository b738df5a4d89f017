#pragma once

#include <windows.h>

// Thread procedure: loads the VM library at jvmDllPath and creates the process's one VM with the
// launch record's options; signals jvmCreatedEvent on success only.
DWORD WINAPI createJvmProc(LPVOID parameter);
