// The JavaVM slots: each attached Windows thread keeps its WindowsEnv, and so its companion,
// until it detaches.
#include "thread_attachment.h"

#include <pthread.h>

#include <memory>

#include "handle_output.h"
#include "invocation_api.h"
#include "jni_hooks.h"
#include "thread_record.h"
#include "trap.h"

namespace {

// The calling Windows thread's WindowsEnv, under a pthread key: Wine threads are pthreads.
pthread_key_t env_key;
pthread_once_t env_key_once = PTHREAD_ONCE_INIT;

pthread_key_t key()
{
    pthread_once(&env_key_once, [] { pthread_key_create(&env_key, nullptr); });
    return env_key;
}

void forget_current_thread()
{
    delete current_windows_env();
    pthread_setspecific(key(), nullptr);
}

jint attach(JavaVM* vm, void** penv, void* args, bool daemon)
{
    if (WindowsEnv* attached = current_windows_env()) {
        *penv = attached;
        return JNI_OK;
    }
    JavaVM* real_vm = real_vm_of(vm);
    auto env = std::make_unique<WindowsEnv>();
    const jint result = env->companion.run([&] {
        void* real_env = nullptr;
        const jint attached =
            daemon ? real_vm->functions->AttachCurrentThreadAsDaemon(real_vm, &real_env, args)
                   : real_vm->functions->AttachCurrentThread(real_vm, &real_env, args);
        env->real = static_cast<JNIEnv*>(real_env);
        return attached;
    });
    if (result != JNI_OK) {
        *penv = nullptr;
        return result;
    }
    *penv = env.get();
    adopt_for_current_thread(env.release());
    return JNI_OK;
}

} // namespace

WindowsEnv* current_windows_env()
{
    return static_cast<WindowsEnv*>(pthread_getspecific(key()));
}

void adopt_for_current_thread(WindowsEnv* env)
{
    pthread_setspecific(key(), env);
}

jint hook_AttachCurrentThread(JavaVM* vm, void** penv, void* args)
{
    return attach(vm, penv, args, false);
}

jint hook_AttachCurrentThreadAsDaemon(JavaVM* vm, void** penv, void* args)
{
    return attach(vm, penv, args, true);
}

jint hook_DetachCurrentThread(JavaVM* vm)
{
    WindowsEnv* env = current_windows_env();
    if (env == nullptr) {
        return JNI_OK;
    }
    JavaVM* real_vm = real_vm_of(vm);
    const jint result =
        env->companion.run([&] { return real_vm->functions->DetachCurrentThread(real_vm); });
    if (result == JNI_OK) {
        forget_current_thread();
    }
    return result;
}

jint hook_GetEnv(JavaVM* vm, void** penv, jint version)
{
    // JVMTI and the other agent interfaces carry their kind in these bits; their function
    // tables would need thunks of their own.
    constexpr jint interface_kind_bits = 0x70000000;
    if ((version & interface_kind_bits) != 0) {
        trap("GetEnv asked for an interface other than JNI (version " + std::to_string(version) +
             ")");
    }
    WindowsEnv* env = current_windows_env();
    if (env == nullptr) {
        *penv = nullptr;
        return JNI_EDETACHED;
    }
    JavaVM* real_vm = real_vm_of(vm);
    const jint result = env->companion.run([&] {
        void* real_env = nullptr;
        return real_vm->functions->GetEnv(real_vm, &real_env, version);
    });
    *penv = result == JNI_OK ? env : nullptr;
    return result;
}

jint hook_DestroyJavaVM(JavaVM* vm)
{
    JavaVM* real_vm = real_vm_of(vm);
    WindowsEnv* env = current_windows_env();
    // HotSpot attaches a thread that is not attached yet; that needs a companion too.
    std::unique_ptr<CompanionThread> unattached;
    if (env == nullptr) {
        unattached = std::make_unique<CompanionThread>();
    }
    CompanionThread& companion = env != nullptr ? env->companion : *unattached;
    const jint result = companion.run([&] {
        record_current_thread("destroy");
        return real_vm->functions->DestroyJavaVM(real_vm);
    });
    deliver_relayed_output();
    if (result == JNI_OK) {
        forget_current_thread();
        forget_created_vm();
    }
    return result;
}
