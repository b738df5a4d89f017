// jvm-bridge-threads.txt beside the bridge: the Linux threads through which Windows code reached
// HotSpot, and how. HotSpot's VM output file names the thread behind each piece of text by the
// same id (<writer thread='N'/>), so tests can tell what the Windows side's own JNI calls caused
// from what the VM and its agents did. Written anew at each JNI_CreateJavaVM, one line a use:
//   <tid> create    the thread that created the VM
//   <tid> jnienv    the first JNIEnv call a Windows thread made through this thread
//   <tid> destroy   the thread that destroyed the VM
#ifndef VORNA_JVM_BRIDGE_THREAD_RECORD_H
#define VORNA_JVM_BRIDGE_THREAD_RECORD_H

#include <string>

void start_thread_record(const std::string& path);

// Adds the calling Linux thread with its use; call it on the companion that makes the call.
void record_current_thread(const char* use);

#endif
