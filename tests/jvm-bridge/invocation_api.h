// The functions jvm.dll exports: JNI_CreateJavaVM, JNI_GetDefaultJavaVMInitArgs and
// JNI_GetCreatedJavaVMs (see bridge.spec), and the VM they create.
#ifndef VORNA_JVM_BRIDGE_INVOCATION_API_H
#define VORNA_JVM_BRIDGE_INVOCATION_API_H

#include <jni.h>

// The JavaVM handed to Windows code; null while no VM runs.
JavaVM* created_windows_vm();

void forget_created_vm();

#endif
