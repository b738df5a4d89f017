#pragma once

// Puts the bin folder of the Java runtime whose VM library is vmLibraryPath (the folder above the
// one that holds the library) on the process's DLL search path, for the library's own load and
// for every library the VM loads later.
void searchRuntimeDllFolder(const char* vmLibraryPath);
