#pragma once

#include <windows.h>

// The service's own control codes (user-defined ones, 128 to 255), sent through the service
// control manager like the others.

// Asks for a thread dump of the application (vorna-threads.log in the log folder).
const DWORD threadDumpControl = 129;
