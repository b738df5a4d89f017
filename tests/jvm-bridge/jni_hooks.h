// The JNIEnv and JavaVM slots whose thunks do more than hand the call over; the generated
// tables call these with the slot's own parameters.
#ifndef VORNA_JVM_BRIDGE_JNI_HOOKS_H
#define VORNA_JVM_BRIDGE_JNI_HOOKS_H

#include <jni.h>

jmethodID hook_GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig);
jmethodID hook_GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig);
jint hook_GetJavaVM(JNIEnv* env, JavaVM** vm);

jint hook_DestroyJavaVM(JavaVM* vm);
jint hook_AttachCurrentThread(JavaVM* vm, void** penv, void* args);
jint hook_DetachCurrentThread(JavaVM* vm);
jint hook_GetEnv(JavaVM* vm, void** penv, jint version);
jint hook_AttachCurrentThreadAsDaemon(JavaVM* vm, void** penv, void* args);

#endif
