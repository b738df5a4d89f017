// A JNI user that breaks two rules on purpose, to show that -Xcheck:jni reports are seen where
// the tests look for them and blamed on the thread that broke the rule: after a call of a Java
// method it makes another call without asking for an exception first, and it makes more local
// references than a native frame has room for without asking for more. It uses the VM as the
// launcher does: creates it on one thread, which then detaches, makes its calls on a second
// thread that attaches and detaches, and destroys the VM from a thread that is not attached.
//   jni-planted-faults [--keep-vm] [--on-creating-thread] [--directory DIR] JVM_DLL [OPTION...]
//     --keep-vm             end the process without destroying the VM
//     --on-creating-thread  break the rules on the thread that created the VM, before it detaches
//     --directory DIR       the working directory the VM starts in (relative option paths)
//     OPTION                the VM's options, e.g. the launcher's
// Exit 0 when the VM was created and the calls were made.
#include <windows.h>

#include <jni.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

const char* const usage =
    "usage: jni-planted-faults [--keep-vm] [--on-creating-thread] [--directory DIR] JVM_DLL [OPTION...]\n";

// The checks count a thread's local references from 32 on.
const int leakedReferences = 40;

void breakTheRules(JNIEnv* env) {
    jclass system = env->FindClass("java/lang/System");
    jmethodID gc = env->GetStaticMethodID(system, "gc", "()V");
    env->CallStaticVoidMethod(system, gc);
    // The first rule broken: no ExceptionCheck after a call of a Java method.
    env->FindClass("java/lang/String");
    // The second: local references beyond the frame's capacity, without EnsureLocalCapacity.
    for (int i = 0; i < leakedReferences; ++i) {
        env->NewStringUTF("leaked");
    }
}

DWORD WINAPI attachAndBreakTheRules(LPVOID parameter) {
    JavaVM* vm = static_cast<JavaVM*>(parameter);
    JNIEnv* env = nullptr;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return 1;
    }
    breakTheRules(env);
    vm->DetachCurrentThread();
    return 0;
}

DWORD WINAPI destroyVm(LPVOID parameter) {
    return static_cast<JavaVM*>(parameter)->DestroyJavaVM() == JNI_OK ? 0 : 1;
}

// Runs procedure on a thread of its own and returns its exit code.
DWORD runOnThread(LPTHREAD_START_ROUTINE procedure, JavaVM* vm) {
    HANDLE thread = CreateThread(nullptr, 0, procedure, vm, 0, nullptr);
    if (thread == nullptr) {
        return 1;
    }
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

}  // namespace

int main(int argc, char* argv[]) {
    bool keepVm = false;
    bool onCreatingThread = false;
    const char* directory = nullptr;
    int next = 1;
    for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
        if (std::strcmp(argv[next], "--keep-vm") == 0) {
            keepVm = true;
        } else if (std::strcmp(argv[next], "--on-creating-thread") == 0) {
            onCreatingThread = true;
        } else if (std::strcmp(argv[next], "--directory") == 0 && next + 1 < argc) {
            directory = argv[++next];
        } else {
            std::fprintf(stderr, "%s", usage);
            return 64;
        }
    }
    if (next >= argc) {
        std::fprintf(stderr, "%s", usage);
        return 64;
    }
    const char* libraryPath = argv[next++];
    if (directory != nullptr && !SetCurrentDirectoryA(directory)) {
        std::fprintf(stderr, "cannot enter %s\n", directory);
        return 1;
    }
    HMODULE library = LoadLibraryA(libraryPath);
    auto createJavaVm = library == nullptr ? nullptr
                                           : reinterpret_cast<CreateJavaVmFunction>(reinterpret_cast<void*>(
                                                 GetProcAddress(library, "JNI_CreateJavaVM")));
    if (createJavaVm == nullptr) {
        std::fprintf(stderr, "no JNI_CreateJavaVM in %s\n", libraryPath);
        return 1;
    }
    std::vector<JavaVMOption> options;
    for (; next < argc; ++next) {
        options.push_back({argv[next], nullptr});
    }
    JavaVMInitArgs vmArgs = {};
    vmArgs.version = JNI_VERSION_1_6;
    vmArgs.nOptions = static_cast<jint>(options.size());
    vmArgs.options = options.data();
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &vmArgs) < 0) {
        std::fprintf(stderr, "JNI_CreateJavaVM failed\n");
        return 1;
    }
    if (onCreatingThread) {
        breakTheRules(env);
    }
    vm->DetachCurrentThread();
    if (!onCreatingThread && runOnThread(attachAndBreakTheRules, vm) != 0) {
        std::fprintf(stderr, "the calls could not be made\n");
        return 1;
    }
    if (keepVm) {
        return 0;
    }
    if (runOnThread(destroyVm, vm) != 0) {
        std::fprintf(stderr, "DestroyJavaVM failed\n");
        return 1;
    }
    return 0;
}
