// bridge_probe.exe: drives jvm.dll as the launcher does and checks what comes back.
//
// It expects jvm.dll and libs\bridge-probe.jar beside itself. One CreateThread thread creates
// the VM (and destroys it at the end); two more attach at once, one running BridgeProbe.main,
// the other calling a lifecycle method while main runs. The VM gets the launcher's vfprintf,
// exit and abort hooks; each hook is then driven through a real VM path in a child process
// (vm_hook_cases.h), and so is each way the VM's output can go (vm_output_cases.h). Prints one
// line a check and exits 0 when all passed.
#include <windows.h>

#include <jni.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bridge_library.h"
#include "launcher_hooks.h"
#include "probe_report.h"
#include "probe_text.h"
#include "vm_hook_cases.h"
#include "vm_output_cases.h"

namespace {

constexpr DWORD wait_ms = 60000;
const char* const probe_class = "vorna/probe/BridgeProbe";

double milliseconds_since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter;
}

struct Probe {
    std::string directory;
    std::vector<std::string> options;
    JavaVM* vm = nullptr;
    HANDLE vm_created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE workers_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BridgeLibrary library;
};

// True, after describing and clearing it, when an exception is pending.
bool thrown(JNIEnv* env)
{
    if (!env->ExceptionCheck()) {
        return false;
    }
    env->ExceptionDescribe();
    env->ExceptionClear();
    return true;
}

bool check_call(JNIEnv* env, const std::string& what)
{
    return report(!thrown(env), what);
}

// -Xcheck:jni wants a look at the exception state after each call that can throw.
jclass find_class(JNIEnv* env, const char* name)
{
    const jclass found = env->FindClass(name);
    return thrown(env) ? nullptr : found;
}

jstring new_string(JNIEnv* env, const char* text)
{
    const jstring string = env->NewStringUTF(text);
    return thrown(env) ? nullptr : string;
}

jmethodID static_method(JNIEnv* env, jclass cls, const char* name, const char* signature)
{
    const jmethodID method = env->GetStaticMethodID(cls, name, signature);
    const bool found = !thrown(env) && method != nullptr;
    report(found, std::string("GetStaticMethodID ") + name + signature);
    return found ? method : nullptr;
}

// Gives the Java thread `name` as its name when java_name is set, else no attach arguments.
JNIEnv* attach(JavaVM* vm, const char* name, bool java_name)
{
    JavaVMAttachArgs args{JNI_VERSION_1_6, const_cast<char*>(name), nullptr};
    JNIEnv* env = nullptr;
    const jint result =
        vm->AttachCurrentThread(reinterpret_cast<void**>(&env), java_name ? &args : nullptr);
    return report(result == JNI_OK && env != nullptr,
                  std::string("AttachCurrentThread as ") + name + " (" + std::to_string(result) +
                      ")")
               ? env
               : nullptr;
}

void detach(JavaVM* vm, const char* name)
{
    report(vm->DetachCurrentThread() == JNI_OK, std::string("DetachCurrentThread of ") + name);
    JNIEnv* env = nullptr;
    report(vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_EDETACHED,
           std::string("GetEnv after detaching ") + name + " says JNI_EDETACHED");
}

void check_creation_record(const Probe& probe)
{
    const size_t count = probe.options.size() + launcher_hook_options().size();
    std::string expected = "version=0x00010006\nnOptions=" + std::to_string(count) +
                           "\nignoreUnrecognized=0\n";
    for (const JavaVMOption& hook : launcher_hook_options()) {
        expected += std::string("option=") + hook.optionString + "\n";
    }
    for (const std::string& option : probe.options) {
        expected += "option=" + option + "\n";
    }
    expected += "result=0\n";
    const std::string record = read_file(probe.directory + "\\jvm-bridge-record.txt");
    report(record == expected, "jvm-bridge-record.txt lists what the probe passed" +
                                   (record == expected ? "" : ":\n" + record));
}

DWORD WINAPI own_vm(void* context)
{
    Probe& probe = *static_cast<Probe*>(context);
    // The hooks as the launcher sets them. Here they carry little: the VM's part of what
    // ExceptionDescribe prints, and -Xcheck:jni warnings should there be any.
    std::vector<JavaVMOption> options = java_vm_options(launcher_hook_options(), probe.options);
    JavaVMInitArgs args{JNI_VERSION_1_6, static_cast<jint>(options.size()), options.data(),
                        JNI_FALSE};
    JNIEnv* env = nullptr;
    const LARGE_INTEGER start = now();
    const jint result =
        probe.library.create_java_vm(&probe.vm, reinterpret_cast<void**>(&env), &args);
    char took[64];
    std::snprintf(took, sizeof took, "%.0f ms", milliseconds_since(start));
    if (!report(result == JNI_OK, "JNI_CreateJavaVM on a CreateThread thread (" +
                                      std::to_string(result) + ", " + took + ")")) {
        SetEvent(probe.vm_created);
        return 0;
    }
    check_creation_record(probe);
    JavaVM* created = nullptr;
    jsize count = 0;
    probe.library.get_created_java_vms(&created, 1, &count);
    report(count == 1 && created == probe.vm, "JNI_GetCreatedJavaVMs gives the VM");
    JNIEnv* again = nullptr;
    report(probe.vm->GetEnv(reinterpret_cast<void**>(&again), JNI_VERSION_1_6) == JNI_OK &&
               again == env,
           "GetEnv on the creating thread gives its JNIEnv");
    SetEvent(probe.vm_created);

    WaitForSingleObject(probe.workers_done, INFINITE);
    // With the other threads gone, the cheapest call shows what a handover costs.
    constexpr int calls = 20000;
    const LARGE_INTEGER handovers = now();
    for (int i = 0; i < calls; ++i) {
        env->ExceptionCheck();
    }
    std::snprintf(took, sizeof took, "%.2f us", 1000.0 * milliseconds_since(handovers) / calls);
    report(true, std::to_string(calls) + " calls of ExceptionCheck, " + took + " each");
    report(probe.vm->DestroyJavaVM() == JNI_OK, "DestroyJavaVM on the creating thread");
    return 0;
}

jvalue to_jvalue(jboolean v) { jvalue j; j.z = v; return j; }
jvalue to_jvalue(jbyte v) { jvalue j; j.b = v; return j; }
jvalue to_jvalue(jchar v) { jvalue j; j.c = v; return j; }
jvalue to_jvalue(jshort v) { jvalue j; j.s = v; return j; }
jvalue to_jvalue(jint v) { jvalue j; j.i = v; return j; }
jvalue to_jvalue(jlong v) { jvalue j; j.j = v; return j; }
jvalue to_jvalue(jfloat v) { jvalue j; j.f = v; return j; }
jvalue to_jvalue(jdouble v) { jvalue j; j.d = v; return j; }
jvalue to_jvalue(jobject v) { jvalue j; j.l = v; return j; }

// The text of `string`, just returned by a call, which it releases.
std::string utf_chars(JNIEnv* env, jstring string)
{
    if (thrown(env) || string == nullptr) {
        return "no string";
    }
    const char* chars = env->GetStringUTFChars(string, nullptr);
    if (thrown(env) || chars == nullptr) {
        return "no string";
    }
    std::string text = chars;
    env->ReleaseStringUTFChars(string, chars);
    env->DeleteLocalRef(string);
    return text;
}

std::string last_arguments(JNIEnv* env, jclass cls)
{
    const jfieldID field = env->GetStaticFieldID(cls, "last", "Ljava/lang/String;");
    if (thrown(env)) {
        return "no field last";
    }
    return utf_chars(env, static_cast<jstring>(env->GetStaticObjectField(cls, field)));
}

// Calls a static void method through its ..., va_list and jvalue[] forms, each of which the
// bridge decodes differently, and compares what Java received.
template <class... Args>
void check_argument_passing(JNIEnv* env, jclass cls, const char* name, const char* signature,
                            const std::string& expected, Args... args)
{
    const jmethodID method = static_method(env, cls, name, signature);
    if (method == nullptr) {
        return;
    }
    const jvalue values[] = {to_jvalue(args)...};
    const std::pair<const char*, std::function<void()>> forms[] = {
        {"...", [&] { env->functions->CallStaticVoidMethod(env, cls, method, args...); }},
        {"va_list", [&] { env->CallStaticVoidMethod(cls, method, args...); }},
        {"jvalue[]", [&] { env->CallStaticVoidMethodA(cls, method, values); }},
    };
    for (const auto& [form, call] : forms) {
        call();
        const bool clean = !thrown(env);
        const std::string got = clean ? last_arguments(env, cls) : "an exception";
        report(clean && got == expected, std::string(name) + signature + " through " + form +
                                             ": " + got);
    }
}

void check_exception_path(JNIEnv* env, jclass cls)
{
    const jmethodID fail = static_method(env, cls, "fail", "()V");
    if (fail == nullptr) {
        return;
    }
    env->CallStaticVoidMethod(cls, fail);
    const bool pending = env->ExceptionCheck();
    const jthrowable exception = env->ExceptionOccurred();
    env->ExceptionDescribe();
    env->ExceptionClear();
    const bool cleared = !env->ExceptionCheck();
    const jclass expected = find_class(env, "java/lang/IllegalStateException");
    report(pending && exception != nullptr && cleared && expected != nullptr &&
               env->IsInstanceOf(exception, expected),
           "a throwing method: ExceptionCheck, ExceptionOccurred gives the IllegalStateException, "
           "ExceptionDescribe, ExceptionClear");
    env->DeleteLocalRef(expected);
    // As the launcher describes an exception in its log.
    const jclass throwable = find_class(env, "java/lang/Throwable");
    const jmethodID to_string =
        throwable != nullptr ? env->GetMethodID(throwable, "toString", "()Ljava/lang/String;")
                             : nullptr;
    const std::string text =
        !thrown(env) && to_string != nullptr
            ? utf_chars(env, static_cast<jstring>(env->CallObjectMethod(exception, to_string)))
            : "no toString";
    report(text == "java.lang.IllegalStateException: thrown on purpose by the probe",
           "GetMethodID and CallObjectMethod of its toString: " + text);
    env->DeleteLocalRef(throwable);
    env->DeleteLocalRef(exception);
}

void check_missing_class(JNIEnv* env)
{
    const jclass missing = env->FindClass("vorna/probe/Missing");
    const bool pending = env->ExceptionCheck();
    const jthrowable exception = env->ExceptionOccurred();
    env->ExceptionClear();
    const jclass expected = find_class(env, "java/lang/NoClassDefFoundError");
    report(missing == nullptr && pending && expected != nullptr &&
               env->IsInstanceOf(exception, expected),
           "FindClass of a missing class: null, and a NoClassDefFoundError pending");
    env->DeleteLocalRef(expected);
    env->DeleteLocalRef(exception);
}

jobjectArray main_arguments(JNIEnv* env, const std::vector<const char*>& texts)
{
    const jclass string_class = find_class(env, "java/lang/String");
    if (string_class == nullptr) {
        return nullptr;
    }
    const jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), string_class, nullptr);
    env->DeleteLocalRef(string_class);
    if (thrown(env)) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        const jstring text = new_string(env, texts[i]);
        if (text == nullptr) {
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
        env->DeleteLocalRef(text);
        if (thrown(env)) {
            return nullptr;
        }
    }
    return array;
}

void check_calls(JNIEnv* env, jclass cls, jobjectArray arguments)
{
    const jstring mix = new_string(env, "mix");
    const jstring float_first = new_string(env, "float");
    check_argument_passing(env, cls, "mix", "(DZBCSIJF[Ljava/lang/String;Ljava/lang/String;)V",
                           "-2.25,true,-7,937,-12345,305419896,1311768467463790320,1.5,"
                           "[alpha, beta gr\u00fc\u00df],mix",
                           jdouble{-2.25}, jboolean{JNI_TRUE}, jbyte{-7}, jchar{0x3a9},
                           jshort{-12345}, jint{0x12345678}, jlong{0x123456789abcdef0},
                           jfloat{1.5f}, jobject{arguments}, jobject{mix});
    check_argument_passing(env, cls, "floatFirst", "(FJLjava/lang/String;D)V",
                           "0.1,-1,float,1.0E300", jfloat{0.1f}, jlong{-1},
                           jobject{float_first}, jdouble{1e300});
    env->DeleteLocalRef(mix);
    env->DeleteLocalRef(float_first);
    const jmethodID half = static_method(env, cls, "half", "(D)D");
    if (half == nullptr) {
        return;
    }
    const jdouble result = env->functions->CallStaticDoubleMethod(env, cls, half, 5.0);
    report(!thrown(env) && result == 2.5, "CallStaticDoubleMethod returns a double");
    check_exception_path(env, cls);
    check_missing_class(env);
}

// Attaches the calling thread as `name`, runs body with the probe's class, and detaches.
void attached(const Probe& probe, const char* name, bool java_name,
              const std::function<void(JNIEnv*, jclass)>& body)
{
    JNIEnv* env = attach(probe.vm, name, java_name);
    if (env == nullptr) {
        return;
    }
    const jclass cls = find_class(env, probe_class);
    if (report(cls != nullptr, std::string("FindClass ") + probe_class + " on " + name)) {
        body(env, cls);
        env->DeleteLocalRef(cls);
    }
    detach(probe.vm, name);
}

void run_java_main(JNIEnv* env, jclass cls)
{
    const jmethodID main = static_method(env, cls, "main", "([Ljava/lang/String;)V");
    const jobjectArray arguments = main_arguments(env, {"alpha", "beta gr\u00fc\u00df"});
    if (!report(arguments != nullptr, "NewObjectArray, NewStringUTF, SetObjectArrayElement") ||
        main == nullptr) {
        return;
    }
    env->CallStaticVoidMethod(cls, main, arguments);
    check_call(env, "main ran, with tick() called from another thread meanwhile");
    check_calls(env, cls, arguments);
    env->DeleteLocalRef(arguments);
}

void run_lifecycle_calls(JNIEnv* env, jclass cls)
{
    const jmethodID tick = static_method(env, cls, "tick", "()V");
    if (tick == nullptr) {
        return;
    }
    env->CallStaticVoidMethod(cls, tick);
    if (!check_call(env, "tick() while main runs")) {
        return;
    }
    // Two Windows threads handing calls over at once.
    constexpr int calls = 1000;
    bool clean = true;
    for (int i = 0; i < calls && clean; ++i) {
        env->CallStaticVoidMethod(cls, tick);
        clean = !thrown(env);
    }
    report(clean, std::to_string(calls) + " more calls of tick()");
}

DWORD WINAPI main_thread(void* context)
{
    attached(*static_cast<const Probe*>(context), "probe-main", true, &run_java_main);
    return 0;
}

// Attaches without arguments, as the launcher's lifecycle calls do.
DWORD WINAPI lifecycle_thread(void* context)
{
    attached(*static_cast<const Probe*>(context), "probe-lifecycle", false, &run_lifecycle_calls);
    return 0;
}

// The launcher finds the VM's C runtime among the DLLs that jvm.dll imports.
void check_c_runtime_import(const BridgeLibrary& library)
{
    const std::vector<std::string> imports = imported_modules(library.module);
    std::string names;
    for (const std::string& name : imports) {
        names += (names.empty() ? "" : ", ") + name;
    }
    const bool found = std::any_of(imports.begin(), imports.end(), [](const std::string& name) {
        return lstrcmpiA(name.c_str(), "ucrtbase.dll") == 0;
    });
    report(found, "jvm.dll's import directory names ucrtbase.dll (" + names + ")");
}

std::vector<ChildCase> child_cases()
{
    std::vector<ChildCase> cases = vm_hook_cases();
    cases.insert(cases.end(), vm_output_cases().begin(), vm_output_cases().end());
    return cases;
}

bool wait_for(HANDLE handle, const char* what)
{
    return report(WaitForSingleObject(handle, wait_ms) == WAIT_OBJECT_0, what);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2) {
        int status = 1;
        if (run_child_case(argv[1], child_cases(), status)) {
            return status;
        }
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: bridge_probe.exe [<child case>]\n");
        return 2;
    }
    const LARGE_INTEGER start = now();
    Probe probe;
    probe.directory = directory_of_exe();
    // As the launcher does: the working directory first, then paths relative to it.
    SetCurrentDirectoryA(probe.directory.c_str());
    probe.options = {
        "-Djava.class.path=" + probe.directory + "\\libs\\bridge-probe.jar;libs\\bridge-probe.jar",
        "-javaagent:libs/bridge-probe.jar",
        "-Dvorna.probe.dir=" + probe.directory,
        "-Dvorna.probe.log=" + probe.directory + "\\logs\\probe.log",
        "-Xmx64m",
    };
    if (!load_bridge_library(probe.directory, probe.library)) {
        return 1;
    }
    check_c_runtime_import(probe.library);

    const HANDLE owner = CreateThread(nullptr, 0, &own_vm, &probe, 0, nullptr);
    if (wait_for(probe.vm_created, "the VM thread answered") && probe.vm != nullptr) {
        JNIEnv* env = nullptr;
        report(probe.vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) ==
                   JNI_EDETACHED,
               "GetEnv on a thread never attached says JNI_EDETACHED");
        const HANDLE workers[] = {
            CreateThread(nullptr, 0, &main_thread, &probe, 0, nullptr),
            CreateThread(nullptr, 0, &lifecycle_thread, &probe, 0, nullptr),
        };
        report(WaitForMultipleObjects(2, workers, TRUE, wait_ms) == WAIT_OBJECT_0,
               "the main and lifecycle threads finished");
        SetEvent(probe.workers_done);
    }
    if (!wait_for(owner, "the VM thread finished")) {
        // A stuck VM thread would keep the process alive.
        ExitProcess(1);
    }
    check_child_cases(probe.directory, child_cases());
    std::printf("bridge_probe: %.0f ms in all\n", milliseconds_since(start));
    std::printf("bridge_probe: %d passed, %d failed\n", passed_checks(), failed_checks());
    return failed_checks() == 0 ? 0 : 1;
}
