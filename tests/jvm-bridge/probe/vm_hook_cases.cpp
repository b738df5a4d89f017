#include "vm_hook_cases.h"

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

#include "case_vm.h"
#include "launcher_hooks.h"

namespace {

constexpr DWORD wait_ms = 60000;
const char* const probe_class = "vorna/probe/BridgeProbe";

int refused_options(CaseVM& java)
{
    java.create({"-Xmxlots"});
    return 0;
}

int failed_initialisation(CaseVM& java)
{
    java.create({"-Xmx1k"});
    return 0;
}

int system_exit(CaseVM& java)
{
    if (java.create({java.class_path(), "-Xmx64m"})) {
        call_probe_method(java, "exitWith", "(I)V", jint{7});
    }
    return 0;
}

int heap_exhausted(CaseVM& java)
{
    if (java.create({java.class_path(), "-Xmx16m", "-XX:+CrashOnOutOfMemoryError",
                     "-XX:ErrorFile=" + java.directory + "\\logs\\hs_err.log"})) {
        call_probe_method(java, "exhaustHeap", "()V");
    }
    return 0;
}

constexpr int describing_threads = 4;
constexpr int exceptions_a_thread = 25;

// ExceptionDescribe prints "Exception " and "in thread ..." through vfprintf on this thread's
// Java thread while this thread waits; HotSpot itself does not make these calls one at a time.
DWORD WINAPI describe_exceptions(void* context)
{
    CaseVM& java = *static_cast<CaseVM*>(context);
    JNIEnv* env = nullptr;
    const bool attached =
        java.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK;
    const jclass cls = attached ? env->FindClass(probe_class) : nullptr;
    const jmethodID fail = cls != nullptr && !env->ExceptionCheck()
                               ? env->GetStaticMethodID(cls, "failQuietly", "()V")
                               : nullptr;
    if (--java.not_ready == 0) {
        SetEvent(java.all_ready);
    }
    WaitForSingleObject(java.all_ready, wait_ms);
    if (fail == nullptr || env->ExceptionCheck()) {
        print_line("no method failQuietly()V");
    } else {
        for (int i = 0; i < exceptions_a_thread; ++i) {
            env->CallStaticVoidMethod(cls, fail);
            env->ExceptionDescribe();
            env->ExceptionClear();
        }
    }
    if (attached) {
        java.vm->DetachCurrentThread();
    }
    return 0;
}

int concurrent_messages(CaseVM& java)
{
    if (!java.create({java.class_path()})) {
        return 1;
    }
    std::vector<HANDLE> threads;
    java.not_ready = describing_threads;
    for (int i = 0; i < describing_threads; ++i) {
        threads.push_back(CreateThread(nullptr, 0, &describe_exceptions, &java, 0, nullptr));
    }
    const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(threads.size()),
                                                threads.data(), TRUE, wait_ms);
    for (const HANDLE thread : threads) {
        CloseHandle(thread);
    }
    print_line(waited == WAIT_OBJECT_0 ? "the describing threads finished"
                                       : "the describing threads did not finish");
    print_line("vfprintf calls at once: at most " + std::to_string(most_vfprintf_calls_at_once()));
    print_line("DestroyJavaVM: " + std::to_string(java.vm->DestroyJavaVM()));
    return 0;
}

} // namespace

const std::vector<ChildCase>& vm_hook_cases()
{
    static const std::vector<ChildCase> cases = {
        {"refused-options",
         "vfprintf: a VM that refuses -Xmxlots says why, from JNI_CreateJavaVM",
         &refused_options, 0,
         {{vfprintf_of("Invalid maximum heap size: -Xmxlots\\n\""), 1},
          {"JNI_CreateJavaVM: -6", 1}},
         {"hook exit", "hook abort"}},
        {"concurrent-messages",
         "vfprintf: ExceptionDescribe on four attached threads at once, one call at a time",
         &concurrent_messages, 0,
         {{vfprintf_of("Exception \""), describing_threads * exceptions_a_thread},
          {vfprintf_of("in thread \"Thread-"), describing_threads * exceptions_a_thread},
          {"the describing threads finished", 1},
          {"vfprintf calls at once: at most 1", 1},
          {"DestroyJavaVM: 0", 1}},
         {"hook exit", "hook abort"}},
        {"system-exit",
         "exit: System.exit(7) gives the exit hook 7, then the process ends with 7",
         &system_exit, 7,
         {{"JNI_CreateJavaVM: 0", 1}, {"hook exit(7) on a Windows thread", 1}},
         {"exitWith returned", "hook abort"}},
        // A Windows VM ends the process with 1 after its abort hook; so does the bridge.
        {"failed-initialisation",
         "abort: a VM that fails its initialisation (-Xmx1k) says why, calls the abort hook "
         "and ends the process with 1",
         &failed_initialisation, 1,
         {{vfprintf_of("Error occurred during initialization of VM\\n\""), 1},
          {vfprintf_of("Too small maximum heap\""), 1},
          {"hook abort() on a Windows thread", 1}},
         {"JNI_CreateJavaVM:", "hook exit"}},
        {"heap-exhausted",
         "abort: -XX:+CrashOnOutOfMemoryError with the heap run out calls the abort hook and "
         "ends the process with 1",
         &heap_exhausted, 1,
         {{"JNI_CreateJavaVM: 0", 1},
          {vfprintf_of("Aborting due to java.lang.OutOfMemoryError: Java heap space\\n\""), 1},
          {"hook abort() on a Windows thread", 1}},
         {"exhaustHeap returned", "hook exit"}},
    };
    return cases;
}
