// The floor of the launch and memory figures: the least a program can do to run the application
// in its own process. It loads the VM library, creates the VM with the options given, and calls
// the main method with the arguments given, all on its first thread; no registry, no log, no
// service dispatcher, no supervision.
//   launch-floor [--as-launcher] [--capture DATA] WORKDIR JVM_DLL MAIN_CLASS ARGC ARG... OPTION...
// With --as-launcher it also does what the launcher's process must do besides: try the service
// dispatcher, ask the service control manager whether the service runs, create the VM on a thread
// of its own and run main on another while the first thread waits. That tells how much of a
// difference to the floor is the launcher's shape and how much the rest. With --capture it
// captures the VM's output as the launcher does in service mode, with the launcher's own code,
// into DATA's log folder: the start's cost of the capture, beside the same start without. The time
// the capture's own code took is appended to DATA's "capture-start.txt", in microseconds.
#include <windows.h>

#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/process_state.h"
#include "core/text_copy.h"
#include "jvmhost/vm_runtime_streams.h"
#include "service/output_capture.h"

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

struct Launch {
    CreateJavaVmFunction createJavaVm;
    JavaVMInitArgs vmArgs;
    const char* mainClassName;
    int argc;
    char** argv;
    JavaVM* vm;
};

int callMain(JNIEnv* env, const Launch& launch) {
    jclass mainClass = env->FindClass(launch.mainClassName);
    jmethodID mainMethod = mainClass != nullptr ? env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V")
                                                : nullptr;
    jclass stringClass = mainMethod != nullptr ? env->FindClass("java/lang/String") : nullptr;
    jobjectArray arguments = stringClass != nullptr ? env->NewObjectArray(launch.argc, stringClass, nullptr) : nullptr;
    if (arguments == nullptr) {
        return 4;
    }
    for (int i = 0; i < launch.argc; ++i) {
        env->SetObjectArrayElement(arguments, i, env->NewStringUTF(launch.argv[i]));
    }
    env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return 5;
    }
    return 0;
}

int runOnFirstThread(Launch& launch) {
    JNIEnv* env = nullptr;
    if (launch.createJavaVm(&launch.vm, reinterpret_cast<void**>(&env), &launch.vmArgs) < 0) {
        return 3;
    }
    return callMain(env, launch);
}

DWORD WINAPI createVm(LPVOID parameter) {
    Launch& launch = *static_cast<Launch*>(parameter);
    JNIEnv* env = nullptr;
    if (launch.createJavaVm(&launch.vm, reinterpret_cast<void**>(&env), &launch.vmArgs) < 0) {
        return 3;
    }
    launch.vm->DetachCurrentThread();
    return 0;
}

DWORD WINAPI runMain(LPVOID parameter) {
    Launch& launch = *static_cast<Launch*>(parameter);
    JNIEnv* env = nullptr;
    if (launch.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return 6;
    }
    return static_cast<DWORD>(callMain(env, launch));
}

DWORD runOnThread(LPTHREAD_START_ROUTINE procedure, Launch& launch) {
    HANDLE thread = CreateThread(nullptr, 0, procedure, &launch, 0, nullptr);
    DWORD code = 1;
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        GetExitCodeThread(thread, &code);
        CloseHandle(thread);
    }
    return code;
}

int runAsLauncher(Launch& launch) {
    char serviceName[] = "VORNA";
    SERVICE_TABLE_ENTRYA serviceTable[] = {{serviceName, nullptr}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherA(serviceTable);
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_QUERY_STATUS | SERVICE_INTERROGATE);
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status, &needed);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (runOnThread(createVm, launch) != 0) {
        return 3;
    }
    return static_cast<int>(runOnThread(runMain, launch));
}

double elapsedMicros(const LARGE_INTEGER& begin) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - begin.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// What the launcher's main and service main do before the capture, for the launcher's own code.
void startCapture(const char* data) {
    InitializeCriticalSection(&logLock);
    InitializeCriticalSection(&vmMessageLock);
    vmMessageLines = new VmMessageLines();
    dataPath = copyText(data);
    logPath = copyText(std::string(data) + "log\\vorna-launcher.log");
    logFile = new RollingFile(logPath);
    startOutputCapture();
}

}  // namespace

int main(int argc, char* argv[]) {
    char** args = argv;
    int count = argc;
    bool asLauncher = count > 1 && std::strcmp(args[1], "--as-launcher") == 0;
    if (asLauncher) {
        ++args;
        --count;
    }
    const char* captureData = nullptr;
    if (count > 2 && std::strcmp(args[1], "--capture") == 0) {
        captureData = args[2];
        args += 2;
        count -= 2;
    }
    int mainArgc = count > 4 ? std::atoi(args[4]) : -1;
    if (mainArgc < 0 || count < 5 + mainArgc) {
        std::fprintf(stderr, "usage: launch-floor [--as-launcher] [--capture DATA] WORKDIR JVM_DLL MAIN_CLASS ARGC ARG... OPTION...\n");
        return 64;
    }
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    double captureMicros = 0;
    if (captureData != nullptr) {
        startCapture(captureData);
        captureMicros = elapsedMicros(begin);
    }
    // Relative paths in the options (the agent) resolve against it, as for the launcher.
    if (!SetCurrentDirectoryA(args[1])) {
        return 1;
    }
    HMODULE library = LoadLibraryA(args[2]);
    auto createJavaVm = library == nullptr ? nullptr
                                           : reinterpret_cast<CreateJavaVmFunction>(reinterpret_cast<void*>(
                                                 GetProcAddress(library, "JNI_CreateJavaVM")));
    if (createJavaVm == nullptr) {
        return 2;
    }
    if (vmOutputCapture != nullptr) {
        QueryPerformanceCounter(&begin);
        bindVmRuntimeStreams(library, vmOutputCapture->writer());
        captureMicros += elapsedMicros(begin);
        if (FILE* record = std::fopen((std::string(captureData) + "capture-start.txt").c_str(), "a")) {
            std::fprintf(record, "%.0f\n", captureMicros);
            std::fclose(record);
        }
    }
    std::vector<JavaVMOption> options;
    for (int i = 5 + mainArgc; i < count; ++i) {
        options.push_back(JavaVMOption{args[i], nullptr});
    }
    Launch launch = {createJavaVm, {}, args[3], mainArgc, args + 5, nullptr};
    launch.vmArgs.version = JNI_VERSION_1_6;
    launch.vmArgs.nOptions = static_cast<jint>(options.size());
    launch.vmArgs.options = options.data();
    launch.vmArgs.ignoreUnrecognized = JNI_FALSE;
    // Like the launcher, the process ends without destroying the VM.
    return asLauncher ? runAsLauncher(launch) : runOnFirstThread(launch);
}
