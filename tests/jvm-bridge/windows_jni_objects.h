// The JNIEnv and JavaVM objects the bridge hands to Windows code.
//
// Windows code finds its function table through the first pointer of each object, as with the
// real ones; the tables hold ms_abi thunks (generated from jni.h) that forward to HotSpot.
#ifndef VORNA_JVM_BRIDGE_WINDOWS_JNI_OBJECTS_H
#define VORNA_JVM_BRIDGE_WINDOWS_JNI_OBJECTS_H

#include <jni.h>

#include "companion_thread.h"

// The Windows x64 calling convention, which Windows code calls these tables and exports with.
#define MS_ABI __attribute__((ms_abi))

extern const void* const windows_env_table[];
extern const void* const windows_vm_table[];

// One per attached Windows thread: its companion is the Java thread HotSpot knows.
struct WindowsEnv {
    const void* const* functions = windows_env_table;
    JNIEnv* real = nullptr;
    CompanionThread companion;
    // Whether the thread record names the companion as one that made the Windows thread's calls.
    bool calls_recorded = false;
};

struct WindowsVM {
    const void* const* functions = windows_vm_table;
    JavaVM* real = nullptr;
};

inline WindowsEnv* windows_env_of(JNIEnv* env)
{
    return reinterpret_cast<WindowsEnv*>(env);
}

inline JavaVM* real_vm_of(JavaVM* vm)
{
    return reinterpret_cast<WindowsVM*>(vm)->real;
}

#endif
