// Which Windows thread is attached to the VM, through which WindowsEnv.
#ifndef VORNA_JVM_BRIDGE_THREAD_ATTACHMENT_H
#define VORNA_JVM_BRIDGE_THREAD_ATTACHMENT_H

#include "windows_jni_objects.h"

// Null while the calling Windows thread is not attached.
WindowsEnv* current_windows_env();

// Makes `env` the calling thread's; the thread owns it until it detaches.
void adopt_for_current_thread(WindowsEnv* env);

#endif
