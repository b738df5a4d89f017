#include "jvmhost/ansi_text.h"

#include <windows.h>

#include <vector>

jstring newJavaString(JNIEnv* env, const char* text) {
    // The count includes the terminator, which the Java string does not get.
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return nullptr;
    }
    std::vector<WCHAR> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    return env->NewString(reinterpret_cast<const jchar*>(wide.data()), length - 1);
}

bool ansiText(JNIEnv* env, jstring text, std::string& ansi) {
    jsize length = env->GetStringLength(text);
    const jchar* chars = env->GetStringChars(text, nullptr);
    if (chars == nullptr) {
        return false;
    }
    const WCHAR* wide = reinterpret_cast<const WCHAR*>(chars);
    int size = length > 0 ? WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr) : 0;
    ansi.assign(static_cast<std::size_t>(size), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, 0, wide, length, &ansi[0], size, nullptr, nullptr);
    }
    env->ReleaseStringChars(text, chars);
    return true;
}
