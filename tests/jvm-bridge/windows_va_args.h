// Reads the arguments of a variadic JNI call made with the Windows x64 convention.
#ifndef VORNA_JVM_BRIDGE_WINDOWS_VA_ARGS_H
#define VORNA_JVM_BRIDGE_WINDOWS_VA_ARGS_H

#include <jni.h>

#include <vector>

// One jvalue an argument of `method`, ready for the ...A form of the call.
std::vector<jvalue> decode_windows_va_args(jmethodID method, __builtin_ms_va_list args);

#endif
