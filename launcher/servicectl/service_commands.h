#pragma once

#include <windows.h>

// Opens the service "VORNA" through the service control manager and runs command on it, for
// "/start", "/stop", "/pause", "/cont", "/check" and "/dump". Gives the command's exit code, or the error
// code of the open that failed (after its line on the standard error stream; nothing runs then).
int runServiceCommand(int (*command)(SC_HANDLE service));
