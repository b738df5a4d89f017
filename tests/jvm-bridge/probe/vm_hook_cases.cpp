#include "vm_hook_cases.h"

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "bridge_library.h"
#include "launcher_hooks.h"
#include "probe_report.h"

namespace {

constexpr DWORD wait_ms = 60000;
const char* const probe_class = "vorna/probe/BridgeProbe";

void print_line(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

struct CaseVM {
    std::string directory;
    BridgeLibrary library;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    // The threads of concurrent-messages start their calls together.
    HANDLE all_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> not_ready{0};

    std::string class_path() const
    {
        return "-Djava.class.path=" + directory + "\\libs\\bridge-probe.jar";
    }

    // Creates the VM with `texts` and the launcher's hooks, and prints what it answered.
    bool create(const std::vector<std::string>& texts)
    {
        std::vector<JavaVMOption> options = java_vm_options(launcher_hook_options(), texts);
        JavaVMInitArgs args{JNI_VERSION_1_6, static_cast<jint>(options.size()), options.data(),
                            JNI_FALSE};
        const jint result = library.create_java_vm(&vm, reinterpret_cast<void**>(&env), &args);
        print_line("JNI_CreateJavaVM: " + std::to_string(result));
        return result == JNI_OK;
    }
};

// Calls BridgeProbe.<name> on the creating thread and says so when it returns.
template <class... Args>
void call_probe_method(CaseVM& java, const char* name, const char* signature, Args... args)
{
    JNIEnv* env = java.env;
    const jclass cls = env->FindClass(probe_class);
    const jmethodID method =
        !env->ExceptionCheck() && cls != nullptr ? env->GetStaticMethodID(cls, name, signature)
                                                 : nullptr;
    if (env->ExceptionCheck() || method == nullptr) {
        env->ExceptionDescribe();
        env->ExceptionClear();
        print_line(std::string("no method ") + name + signature);
        return;
    }
    env->CallStaticVoidMethod(cls, method, args...);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        env->ExceptionClear();
    }
    print_line(std::string(name) + " returned");
}

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

struct HookCase {
    const char* name;
    const char* what;
    int (*run)(CaseVM&);
    DWORD status;
    // Texts each found in at least so many lines of the child's output.
    std::vector<std::pair<std::string, int>> holds;
    // Texts found in none.
    std::vector<std::string> lacks;
};

// The start of the line launcher_hooks.h prints for a vfprintf call on a Windows thread
// whose text begins with `text` (line feeds as \n).
std::string vfprintf_of(const std::string& text)
{
    return "hook vfprintf on a Windows thread: \"" + text;
}

const std::vector<HookCase>& hook_cases()
{
    static const std::vector<HookCase> cases = {
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

DWORD WINAPI case_thread(void* context)
{
    const auto& [hook_case, java] = *static_cast<std::pair<const HookCase*, CaseVM*>*>(context);
    return static_cast<DWORD>(hook_case->run(*java));
}

struct ChildRun {
    bool ended = false;
    DWORD status = 0;
    std::string output;
};

std::string read_file(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs "bridge_probe.exe <case>" with its standard output and error in a file beside it. The
// VM library's C runtime binds its descriptors 1 and 2 to that file as it is loaded, so what
// HotSpot writes itself (an error report, a warning's text) lands there too.
ChildRun run_child(const std::string& directory, const HookCase& hook_case)
{
    ChildRun run;
    const std::string output_path = directory + "\\logs\\hook-" + hook_case.name + ".txt";
    CreateDirectoryA((directory + "\\logs").c_str(), nullptr);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE output = CreateFileA(output_path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        run.output = "cannot create " + output_path;
        return run;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string command = "\"" + directory + "\\bridge_probe.exe\" " + hook_case.name;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    const DWORD error = GetLastError();
    CloseHandle(output);
    if (!started) {
        run.output = "CreateProcessA failed with " + std::to_string(error);
        return run;
    }
    run.ended = WaitForSingleObject(process.hProcess, wait_ms) == WAIT_OBJECT_0;
    if (!run.ended) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, wait_ms);
    }
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.output = read_file(output_path);
    return run;
}

int lines_holding(const std::string& output, const std::string& text)
{
    std::istringstream lines(output);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

void check_case(const std::string& directory, const HookCase& hook_case)
{
    const ChildRun run = run_child(directory, hook_case);
    std::string faults;
    if (!run.ended) {
        faults += "  did not end within " + std::to_string(wait_ms / 1000) + " s\n";
    } else if (run.status != hook_case.status) {
        faults += "  ended with " + std::to_string(run.status) + "\n";
    }
    for (const auto& [text, times] : hook_case.holds) {
        const int found = lines_holding(run.output, text);
        if (found < times) {
            faults += "  " + std::to_string(found) + " of " + std::to_string(times) +
                      " lines hold: " + text + "\n";
        }
    }
    std::vector<std::string> lacks = hook_case.lacks;
    lacks.push_back("NOT on a Windows thread");
    for (const std::string& text : lacks) {
        if (lines_holding(run.output, text) > 0) {
            faults += "  a line holds: " + text + "\n";
        }
    }
    const std::string title = std::string(hook_case.what) + " (bridge_probe.exe " +
                              hook_case.name + ")";
    if (!report(faults.empty(), title)) {
        std::printf("%s  its output:\n%s\n", faults.c_str(), run.output.c_str());
        std::fflush(stdout);
    }
}

} // namespace

void check_vm_hooks(const std::string& directory)
{
    for (const HookCase& hook_case : hook_cases()) {
        check_case(directory, hook_case);
    }
}

bool run_vm_hook_case(const std::string& name, int& status)
{
    for (const HookCase& hook_case : hook_cases()) {
        if (name != hook_case.name) {
            continue;
        }
        CaseVM java;
        java.directory = directory_of_exe();
        SetCurrentDirectoryA(java.directory.c_str());
        if (!load_bridge_library(java.directory, java.library)) {
            status = 1;
            return true;
        }
        // As the launcher does: the VM is created on a thread of its own.
        std::pair<const HookCase*, CaseVM*> context{&hook_case, &java};
        const HANDLE thread = CreateThread(nullptr, 0, &case_thread, &context, 0, nullptr);
        DWORD result = 1;
        WaitForSingleObject(thread, INFINITE);
        GetExitCodeThread(thread, &result);
        CloseHandle(thread);
        status = static_cast<int>(result);
        return true;
    }
    return false;
}
