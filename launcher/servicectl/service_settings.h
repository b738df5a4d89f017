#pragma once

#include <windows.h>

#include <string>

// Gives the newly created service what it needs beside its registration: its description, the
// time a preshutdown may take, and its restart after a failure. A setting that the service
// control manager refuses leaves the installation as it is; each gives one warning line, naming
// the setting and the error code, and the lines are returned.
std::string applyServiceSettings(SC_HANDLE service);
