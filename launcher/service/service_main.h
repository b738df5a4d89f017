#pragma once

#include <windows.h>

// The launch sequence: run by the service control manager as the service's main function, or
// called by main in a console. Returns when the launch has ended; ends the process with status 1
// when the VM or the Java main method cannot be started.
void WINAPI serviceMain(DWORD argc, LPSTR* argv);
