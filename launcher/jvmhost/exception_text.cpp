#include "jvmhost/exception_text.h"

#include "jvmhost/ansi_text.h"

std::string takeExceptionText(JNIEnv* env) {
    jthrowable thrown = env->ExceptionOccurred();
    env->ExceptionClear();
    jclass throwableClass = env->FindClass("java/lang/Throwable");
    jmethodID toString =
        throwableClass != nullptr ? env->GetMethodID(throwableClass, "toString", "()Ljava/lang/String;") : nullptr;
    jstring text = toString != nullptr ? static_cast<jstring>(env->CallObjectMethod(thrown, toString)) : nullptr;
    if (env->ExceptionCheck() || text == nullptr) {
        env->ExceptionClear();
        return "(no description)";
    }
    // In the log's encoding, the ANSI code page of its other lines and paths.
    std::string description;
    if (!ansiText(env, text, description)) {
        env->ExceptionClear();
        return "(no description)";
    }
    return description;
}
