// The machine-dependent JNI types for 64-bit Windows (LLP64): jint is 32 bits, jlong 64 bits.
// The JDK's jni.h includes this file; the JDK installed here only ships the Linux variant.
#ifndef VORNA_JNI_MD_H
#define VORNA_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef int jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
