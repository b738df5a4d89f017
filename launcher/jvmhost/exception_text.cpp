#include "jvmhost/exception_text.h"

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
    const char* chars = env->GetStringUTFChars(text, nullptr);
    std::string description = chars != nullptr ? chars : "(no description)";
    if (chars != nullptr) {
        env->ReleaseStringUTFChars(text, chars);
    }
    return description;
}
