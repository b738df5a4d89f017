#include "jvmhost/lifecycle_calls.h"

#include <jni.h>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/jvm_attachment.h"

namespace {

DWORD callMethod(JNIEnv* env, const LaunchRecord& record, const char* methodName) {
    jclass mainClass = env->FindClass(record.mainClassName);
    if (mainClass == nullptr) {
        writeLog("FATAL ERROR: Failed to locate class %s (Classpath: %s).", record.mainClassName, record.classPath);
        return 2;
    }
    jmethodID method = env->GetStaticMethodID(mainClass, methodName, "()V");
    if (method == nullptr) {
        writeLog("FATAL ERROR: Failed to locate \"%s\" method in class %s.", methodName, record.mainClassName);
        return 3;
    }
    env->CallStaticVoidMethod(mainClass, method);
    // The administrator sees what the application threw.
    if (env->ExceptionCheck()) {
        writeLog("Exception thrown by \"%s\" method: %s", methodName, takeExceptionText(env).c_str());
        return lifecycleMethodThrew;
    }
    return lifecycleMethodReturned;
}

}  // namespace

DWORD callLifecycleMethod(const LaunchRecord* record, const char* methodName, const char* message) {
    writeLog(message);
    if (jvm == nullptr) {
        writeLog("JVM not active. Can't terminate, pause or continue service.");
        return 1;
    }
    // A daemon thread: a call that hangs never holds back the VM's shutdown and its hooks.
    JvmAttachment attachment(jvm, JvmAttachment::daemon);
    if (!attachment.attached()) {
        writeLog("FATAL ERROR: Could not attach to JVM.");
        return 1;
    }
    return callMethod(attachment.env(), *record, methodName);
}

DWORD WINAPI stopProc(LPVOID parameter) {
    return callLifecycleMethod(static_cast<const LaunchRecord*>(parameter), "gracefulShutdown",
                               "Shutting down VORNA...");
}

DWORD WINAPI pauseProc(LPVOID parameter) {
    return callLifecycleMethod(static_cast<const LaunchRecord*>(parameter), "pause", "Pausing VORNA...");
}

DWORD WINAPI continueProc(LPVOID parameter) {
    return callLifecycleMethod(static_cast<const LaunchRecord*>(parameter), "cont", "Continuing VORNA...");
}
