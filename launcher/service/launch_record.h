#pragma once

#include <jni.h>

// Everything the Java threads need to create the VM and call into the application. The one
// instance, launchRecord, is filled completely before the first Java thread starts and is only
// read afterwards.
struct LaunchRecord {
    char* classPath;
    const char* mainClassName;
    JavaVMInitArgs vmArgs;
    int argc;
    char** argv;
};
