// A JNI user that breaks a rule on purpose, to show that -Xcheck:jni reports are seen where the
// tests look for them: after a call that may throw it makes another call without asking for an
// exception first.
//   jni-unchecked-call JVM_DLL     exit 0 when the VM was created and the calls were made
#include <windows.h>

#include <jni.h>

#include <cstdio>

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: jni-unchecked-call JVM_DLL\n");
        return 64;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    auto createJavaVm = library == nullptr ? nullptr
                                           : reinterpret_cast<CreateJavaVmFunction>(reinterpret_cast<void*>(
                                                 GetProcAddress(library, "JNI_CreateJavaVM")));
    if (createJavaVm == nullptr) {
        std::fprintf(stderr, "no JNI_CreateJavaVM in %s\n", argv[1]);
        return 1;
    }
    JavaVMInitArgs vmArgs = {};
    vmArgs.version = JNI_VERSION_1_6;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &vmArgs) < 0) {
        std::fprintf(stderr, "JNI_CreateJavaVM failed\n");
        return 1;
    }
    jclass system = env->FindClass("java/lang/System");
    jmethodID gc = env->GetStaticMethodID(system, "gc", "()V");
    env->CallStaticVoidMethod(system, gc);
    // The rule broken: no ExceptionCheck after a call of a Java method.
    env->FindClass("java/lang/String");
    return 0;
}
