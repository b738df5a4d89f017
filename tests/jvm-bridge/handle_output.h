// Linux file descriptors whose writes reach a Windows handle, for HotSpot's output.
//
// A handle with a Unix fd behind it (a file, or a standard handle that Wine made from one of the
// process's Unix fds) gives a duplicate of that fd, which HotSpot writes to directly, byte for
// byte. Wine's pipes and consoles have none (the server holds their data): for such a handle,
// HotSpot writes into a Linux pipe whose bytes a Windows thread of the library hands on with
// WriteFile, one thread a handle. That thread writes through the handle itself, not a
// duplicate, as a Windows VM would: when its owner closes it, the reader at the other end sees
// the end of the pipe as on Windows, and what comes later is dropped.
#ifndef VORNA_JVM_BRIDGE_HANDLE_OUTPUT_H
#define VORNA_JVM_BRIDGE_HANDLE_OUTPUT_H

#include <windows.h>

#include <string>

struct HandleOutput {
    int fd = -1;
    // Whether a thread of the library hands the bytes on (else they arrive as written).
    bool relayed = false;
};

// A new close-on-exec fd whose writes reach `handle`: /dev/null's when the handle is null or
// invalid (-1, or -2, a C runtime's "no console"). fd -1, with `error` set, when none can be
// made.
HandleOutput open_handle_output(HANDLE handle, std::string& error);

// Waits, at most 2 s (a reader that does not read would hold it up), until the bytes written so
// far to relayed fds have been handed to their handles. On Windows they would be there already:
// call it before the launcher learns that the VM was created, failed or ended, and before its
// exit or abort hook runs.
void deliver_relayed_output();

// The fd HotSpot writes to when a handle is not there: /dev/null, opened for writing,
// close-on-exec; -1 with `error` set when it cannot be opened.
int open_null_output(std::string& error);

#endif
