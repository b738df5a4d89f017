#pragma once

#include <jni.h>

#include <string>

// Java strings from and to the launcher's narrow text, which is in the ANSI code page (as are
// the paths it takes from the registry and the log it writes).

// A new Java string of text, or null when the VM cannot make one.
jstring newJavaString(JNIEnv* env, const char* text);

// The text of a Java string in the ANSI code page; characters it lacks become '?'. False when the
// VM cannot give the characters.
bool ansiText(JNIEnv* env, jstring text, std::string& ansi);
