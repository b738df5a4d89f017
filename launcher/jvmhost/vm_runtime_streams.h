#pragma once

#include <windows.h>

// Binds the standard output and error descriptors (1 and 2) of the VM library's C runtime to
// output, which stays the caller's. A Windows VM writes its own messages there (a warning's text,
// a fatal error's report), apart from Java's System.out and System.err, which are the process's
// standard handles; its C runtime bound those descriptors to the standard handles when it started,
// and only that runtime's own _dup2 moves them. The runtime is the DLL among the VM library's
// imports that holds them: ucrtbase.dll (also through the api-ms-win-crt sets) for Java 11 and
// later, msvcr100.dll for Java 8, msvcr120.dll for 9 and 10. False, with the reason logged, when
// none is found or the binding fails; the VM's direct writes then go where they went before.
bool bindVmRuntimeStreams(HMODULE vmLibrary, HANDLE output);
