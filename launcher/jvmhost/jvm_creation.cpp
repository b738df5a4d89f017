#include "jvmhost/jvm_creation.h"

#include <jni.h>

#include <cstdio>
#include <vector>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/runtime_dll_folder.h"
#include "jvmhost/vm_hooks.h"
#include "jvmhost/vm_runtime_streams.h"

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

// The VM's hooks, then the launch record's options in their order. The VM takes each hook when
// it reads its option, so what it says about an option before the hooks would miss them.
std::vector<JavaVMOption> optionsWithHooks(const JavaVMInitArgs& vmArgs) {
    std::vector<JavaVMOption> options = {
        {const_cast<char*>("vfprintf"), reinterpret_cast<void*>(vmMessageHook)},
        {const_cast<char*>("exit"), reinterpret_cast<void*>(vmExitHook)},
        {const_cast<char*>("abort"), reinterpret_cast<void*>(vmAbortHook)},
    };
    options.insert(options.end(), vmArgs.options, vmArgs.options + vmArgs.nOptions);
    return options;
}

}  // namespace

DWORD WINAPI createJvmProc(LPVOID parameter) {
    const LaunchRecord* record = static_cast<const LaunchRecord*>(parameter);
    JavaVMInitArgs vmArgs = record->vmArgs;
    std::vector<JavaVMOption> options = optionsWithHooks(vmArgs);
    vmArgs.nOptions = static_cast<jint>(options.size());
    vmArgs.options = options.data();

    if (debugLevel >= 2) {
        std::fprintf(stderr, "Loading JVM DLL.\n");
    }
    searchRuntimeDllFolder(jvmDllPath);
    // The library stays loaded for the life of the process, as the VM does.
    HMODULE library = LoadLibraryA(jvmDllPath);
    if (library == nullptr) {
        jvmLoadError = GetLastError();
        writeLog("FATAL ERROR: Failed to load JVM DLL.");
        writeLog("LoadLibraryA(%s) failed with Windows error code %lu.", jvmDllPath, jvmLoadError);
        return 1;
    }
    CreateJavaVmFunction createJavaVm =
        reinterpret_cast<CreateJavaVmFunction>(reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM")));
    if (createJavaVm == nullptr) {
        writeLog("FATAL ERROR: Failed to find JVM entry point.");
        return 2;
    }
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Got address of function JNI_CreateJavaVM: %p\n", reinterpret_cast<void*>(createJavaVm));
    }
    // Before the VM exists: it writes during its creation already.
    if (vmOutputCapture != nullptr) {
        bindVmRuntimeStreams(library, vmOutputCapture->writer());
    }

    JNIEnv* env = nullptr;
    jvmCreationResult = createJavaVm(&jvm, reinterpret_cast<void**>(&env), &vmArgs);
    if (jvmCreationResult < 0) {
        // The VM has said why through its message hook; it writes nothing more.
        flushVmMessages();
        writeLog("FATAL ERROR: Failed to start Java VM.");
        writeLog("JNI_CreateJavaVM returned %d.", static_cast<int>(jvmCreationResult));
        return 3;
    }
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Started JVM; jvm = %p\n", static_cast<void*>(jvm));
    }
    // This thread ends now; the others attach themselves.
    jvm->DetachCurrentThread();
    SetEvent(jvmCreatedEvent);
    return 0;
}
