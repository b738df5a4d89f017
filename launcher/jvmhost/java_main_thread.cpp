#include "jvmhost/java_main_thread.h"

#include <jni.h>

#include <cstdio>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/ansi_text.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/jvm_attachment.h"
#include "jvmhost/vm_hooks.h"

namespace {

enum MainResult : DWORD {
    mainReturned = 0,
    notAttached = 1,
    classNotFound = 2,
    mainNotFound = 3,
    stringClassNotFound = 4,
    exceptionThrown = 5,
    argumentsNotBuilt = 6,
    launchGaveUp = 7,
};

const char* const resultFormats[] = {
    "Success. No error.\n",
    "Could not attach to JVM\n",
    "Failed to load class\n",
    "Failed to locate main method\n",
    "Failed to locate string array class\n",
    "Java Exception thrown\n",
};

const char* javaThreadResultFormat(std::uint32_t code) {
    if (code < sizeof resultFormats / sizeof resultFormats[0]) {
        return resultFormats[code];
    }
    return "Unknown error code (%d)\n";
}

// The String[] handed to main, or null when the VM cannot build it.
jobjectArray newArgumentArray(JNIEnv* env, jclass stringClass, const LaunchRecord& record) {
    jobjectArray arguments = env->NewObjectArray(record.argc, stringClass, nullptr);
    if (arguments == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < record.argc; ++i) {
        if (debugLevel >= 2) {
            std::fprintf(stderr, "Adding argument %i: \"%s\"\n", i, record.argv[i]);
        }
        // The directories are ANSI text; modified UTF-8 would garble every character beyond ASCII.
        jstring argument = newJavaString(env, record.argv[i]);
        if (argument == nullptr) {
            return nullptr;
        }
        env->SetObjectArrayElement(arguments, i, argument);
        env->DeleteLocalRef(argument);
    }
    return arguments;
}

DWORD runMain(JNIEnv* env, const LaunchRecord& record) {
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Attached to JVM\n");
    }
    jclass mainClass = env->FindClass(record.mainClassName);
    if (mainClass == nullptr) {
        writeLog("FATAL ERROR: Failed to load class %s (Classpath: %s).", record.mainClassName, record.classPath);
        if (jthrowable thrown = env->ExceptionOccurred()) {
            // Described on the error stream, which clears it; thrown again for the log's text.
            env->ExceptionDescribe();
            dropUnfinishedVmMessages();
            env->Throw(thrown);
            writeLog("Exception while loading class %s: %s", record.mainClassName, takeExceptionText(env).c_str());
        }
        return classNotFound;
    }
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Found Class\n");
    }
    jmethodID mainMethod = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr) {
        writeLog("FATAL ERROR: Failed to locate \"main\" method in class %s.", record.mainClassName);
        return mainNotFound;
    }
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Found main method\n");
    }
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        writeLog("FATAL ERROR: Failed to locate String array class.");
        return stringClassNotFound;
    }
    jobjectArray arguments = newArgumentArray(env, stringClass, record);
    if (arguments == nullptr) {
        writeLog("FATAL ERROR: Failed to build the arguments of the \"main\" method.");
        return argumentsNotBuilt;
    }

    // A main entered after the launch has given up on it would run in a service that reports stopped.
    MainEntry awaited = MainEntry::awaited;
    if (!mainEntry.compare_exchange_strong(awaited, MainEntry::entered)) {
        writeLog("Java program not started: the launch had given up waiting for it.");
        return launchGaveUp;
    }
    SetEvent(mainStartedEvent);
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Calling %s->main()... ", record.mainClassName);
    }
    env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    jthrowable thrown = env->ExceptionOccurred();
    if (thrown == nullptr) {
        return mainReturned;
    }
    if (debugLevel >= 1 && consoleMode) {
        std::fprintf(stderr, "Exception description:\n");
        env->ExceptionDescribe();
        dropUnfinishedVmMessages();
        std::fprintf(stderr, "\n");
        // The description cleared it; the log's text needs it pending.
        env->Throw(thrown);
    }
    writeLog("Exception thrown by \"main\" method: %s", takeExceptionText(env).c_str());
    return exceptionThrown;
}

}  // namespace

DWORD WINAPI runMainProc(LPVOID parameter) {
    const LaunchRecord& record = *static_cast<const LaunchRecord*>(parameter);
    if (jvm == nullptr) {
        return notAttached;
    }
    // Like a Java program's own main thread, the VM's shutdown waits for it.
    JvmAttachment attachment(jvm, JvmAttachment::nonDaemon);
    if (!attachment.attached()) {
        writeLog("FATAL ERROR: Could not attach to JVM.");
        return notAttached;
    }
    return runMain(attachment.env(), record);
}

bool isJvmThreadRunning() {
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Checking jvmThread status... ");
    }
    DWORD code = 0;
    if (!GetExitCodeThread(jvmThread, &code)) {
        // Without an answer the thread counts as gone, so that supervision ends.
        if (debugLevel >= 2) {
            std::fprintf(stderr, "failed (GetExitCodeThread): %d\n", static_cast<int>(GetLastError()));
        }
        return false;
    }
    if (code == STILL_ACTIVE) {
        if (debugLevel >= 2) {
            std::fprintf(stderr, "running!\n");
        }
        return true;
    }
    if (debugLevel >= 2) {
        std::fprintf(stderr, "terminated: ");
        printJavaThreadResult(code);
    }
    return false;
}

void printJavaThreadResult(std::uint32_t code) {
    std::fprintf(stderr, javaThreadResultFormat(code), static_cast<int>(code));
}
