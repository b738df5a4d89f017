#pragma once

#include <windows.h>

// Ends the caller's context text on the standard error stream with the name and number of code,
// and gives code back: the exit code of the command that failed.
DWORD reportCommandFailure(const char* context, DWORD code);
