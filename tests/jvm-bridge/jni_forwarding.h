// What the generated thunks are made of.
#ifndef VORNA_JVM_BRIDGE_JNI_FORWARDING_H
#define VORNA_JVM_BRIDGE_JNI_FORWARDING_H

#include "jni_hooks.h"
#include "thread_record.h"
#include "trap.h"
#include "windows_jni_objects.h"
#include "windows_va_args.h"

// Runs call(real JNIEnv) on the companion of the Windows thread that owns `env`.
template <class Call>
auto forward_env_call(JNIEnv* env, Call&& call)
{
    WindowsEnv* windows = windows_env_of(env);
    return windows->companion.run([&] {
        if (!windows->calls_recorded) {
            windows->calls_recorded = true;
            record_current_thread("jnienv");
        }
        return call(windows->real);
    });
}

#endif
