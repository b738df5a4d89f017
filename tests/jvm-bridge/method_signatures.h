// The argument types of each method ID handed out, so that variadic calls can be decoded.
#ifndef VORNA_JVM_BRIDGE_METHOD_SIGNATURES_H
#define VORNA_JVM_BRIDGE_METHOD_SIGNATURES_H

#include <jni.h>

#include <string>

// One letter an argument: Z B C S I J F D, or L for any reference (arrays included).
std::string argument_kinds_of_signature(const char* signature);

void remember_method_signature(jmethodID method, const char* signature);

// Traps for a method ID that GetMethodID or GetStaticMethodID did not return.
std::string argument_kinds_of_method(jmethodID method);

#endif
