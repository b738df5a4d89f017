#pragma once

#include <windows.h>

#include <string>

// Reads a REG_SZ value under HKEY_LOCAL_MACHINE, in the process's own registry view, into a buffer
// of the given capacity (terminator included). Returns the registry's status; text is set only
// on success.
LSTATUS readRegistryText(const char* subkey, const char* valueName, DWORD capacity, std::string& text);
