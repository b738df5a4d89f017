// The VM of a child case of the probe (vm_hook_cases.h), created as the launcher creates one,
// and the calls the cases make into BridgeProbe on the creating thread.
#ifndef VORNA_BRIDGE_PROBE_CASE_VM_H
#define VORNA_BRIDGE_PROBE_CASE_VM_H

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <string>
#include <vector>

#include "bridge_library.h"

// Prints `line` on stdout at once: the process may end any moment.
void print_line(const std::string& line);

struct CaseVM {
    std::string directory;
    BridgeLibrary library;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    // The threads of concurrent-messages start their calls together.
    HANDLE all_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> not_ready{0};

    std::string class_path() const;

    // Creates the VM with `texts` and the launcher's hooks, and prints what it answered.
    bool create(const std::vector<std::string>& texts);
};

// Finds BridgeProbe.<name>, runs call(env, class, method) and says when it returned; says so
// when there is no such method, and describes an exception the call left pending.
template <class Call>
void call_probe(CaseVM& java, const char* name, const char* signature, Call&& call)
{
    JNIEnv* env = java.env;
    const jclass cls = env->FindClass("vorna/probe/BridgeProbe");
    const jmethodID method =
        !env->ExceptionCheck() && cls != nullptr ? env->GetStaticMethodID(cls, name, signature)
                                                 : nullptr;
    if (env->ExceptionCheck() || method == nullptr) {
        env->ExceptionDescribe();
        env->ExceptionClear();
        print_line(std::string("no method ") + name + signature);
        return;
    }
    call(env, cls, method);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        env->ExceptionClear();
    }
    env->DeleteLocalRef(cls);
    print_line(std::string(name) + " returned");
}

// Calls the static void method BridgeProbe.<name>.
template <class... Args>
void call_probe_method(CaseVM& java, const char* name, const char* signature, Args... args)
{
    call_probe(java, name, signature, [&](JNIEnv* env, jclass cls, jmethodID method) {
        env->CallStaticVoidMethod(cls, method, args...);
    });
}

#endif
