#include "jvmhost/jvm_creation.h"

#include <jni.h>

#include <cstdio>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/runtime_dll_folder.h"

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

}  // namespace

DWORD WINAPI createJvmProc(LPVOID parameter) {
    const LaunchRecord* record = static_cast<const LaunchRecord*>(parameter);
    JavaVMInitArgs vmArgs = record->vmArgs;

    if (debugLevel >= 2) {
        std::fprintf(stderr, "Loading JVM DLL.\n");
    }
    searchRuntimeDllFolder(jvmDllPath);
    // The library stays loaded for the life of the process, as the VM does.
    HMODULE library = LoadLibraryA(jvmDllPath);
    if (library == nullptr) {
        writeLog("FATAL ERROR: Failed to load JVM DLL.");
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

    JNIEnv* env = nullptr;
    if (createJavaVm(&jvm, reinterpret_cast<void**>(&env), &vmArgs) < 0) {
        writeLog("FATAL ERROR: Failed to start Java VM.");
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
