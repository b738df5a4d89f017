#pragma once

#include <jni.h>

#include <string>

// Takes the pending exception off the thread and returns its toString(), or "(no description)"
// when the VM cannot give one.
std::string takeExceptionText(JNIEnv* env);
