// Where the VM's output goes: as from a Windows VM.
//
// A Windows VM has two kinds of output. Java's System.out and System.err write to the process's
// standard output and error handles as they were when the VM was created (java.io.FileDescriptor
// asks GetStdHandle for them then). HotSpot's own direct writes (the text of a warning after its
// prefix, which goes to the vfprintf hook; a fatal error's report) go to its C runtime's
// descriptors 1 and 2, which that runtime bound to the standard handles when it was loaded, and
// which only that runtime's _dup2 rebinds. This library's C runtime, as its import table names
// it, is Wine's ucrtbase.dll.
//
// HotSpot writes to Linux fds: fds 1 and 2 are made to lead where ucrtbase's descriptors 1 and 2
// do, and java.io.FileDescriptor.out and .err get fds of their own for the standard handles
// (handle_output.h). Both are taken at JNI_CreateJavaVM; later changes are not followed.
#ifndef VORNA_JVM_BRIDGE_VM_OUTPUT_H
#define VORNA_JVM_BRIDGE_VM_OUTPUT_H

#include <jni.h>

#include <string>

// The fds for System.out and System.err until Java has them.
struct JavaStreamFds {
    int out = -1;
    int err = -1;
};

// On the Windows thread in JNI_CreateJavaVM, before HotSpot starts: points fds 1 and 2 where
// ucrtbase's descriptors 1 and 2 lead (/dev/null when one leads nowhere, so that no later open
// takes its number), and opens fds for the standard output and error handles. False, with
// `error` set, when an fd cannot be made.
bool bind_vm_output(JavaStreamFds& java, std::string& error);

// On the companion that created HotSpot, once it exists: java.io.FileDescriptor.out and .err
// get the fds, which are Java's from then on.
void give_java_streams(JNIEnv* real, JavaStreamFds& java);

// Closes what Java did not get.
void close_java_streams(JavaStreamFds& java);

// When the process's other Windows threads are about to end, the threads that hand bytes on to
// handles among them: what HotSpot writes afterwards to a relayed fd goes to /dev/null, so that
// no writer waits on a pipe that nobody empties.
void drop_later_vm_output();

#endif
