// The JNIEnv slots that need more than a handover.
#include "invocation_api.h"
#include "jni_forwarding.h"
#include "method_signatures.h"

namespace {

template <class Lookup>
jmethodID remember(JNIEnv* env, const char* sig, Lookup&& lookup)
{
    const jmethodID method = forward_env_call(env, lookup);
    if (method != nullptr) {
        remember_method_signature(method, sig);
    }
    return method;
}

} // namespace

jmethodID hook_GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig)
{
    return remember(env, sig, [&](JNIEnv* real) {
        return real->functions->GetMethodID(real, clazz, name, sig);
    });
}

jmethodID hook_GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig)
{
    return remember(env, sig, [&](JNIEnv* real) {
        return real->functions->GetStaticMethodID(real, clazz, name, sig);
    });
}

jint hook_GetJavaVM(JNIEnv*, JavaVM** vm)
{
    *vm = created_windows_vm();
    return *vm != nullptr ? JNI_OK : JNI_ERR;
}
