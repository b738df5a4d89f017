#include "vm_output_cases.h"

#include <windows.h>

#include <fcntl.h>
#include <jni.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "bridge_library.h"
#include "case_vm.h"
#include "probe_text.h"

namespace {

// The one VM option of JDK 17 that warns without failing: HotSpot writes the prefix
// "OpenJDK 64-Bit Server VM warning: " through the vfprintf hook and this text itself.
const char* const warning_option = "-XX:+UseBiasedLocking";
const std::string warning_text =
    "Option UseBiasedLocking was deprecated in version 15.0 and will likely be removed in a "
    "future release.";
const std::string warning_prefix = vfprintf_of("OpenJDK 64-Bit Server VM warning: \"");
// What BridgeProbe.printLines writes.
const std::string java_output_line = "java: on System.out";
const std::string java_error_line = "java: on System.err";

// The C runtime of jvm.dll, found as the launcher finds it: among the DLLs that its import
// directory names.
struct CRuntime {
    int(__cdecl* open_osfhandle)(intptr_t, int) = nullptr;
    int(__cdecl* dup2)(int, int) = nullptr;
    int(__cdecl* close)(int) = nullptr;
    intptr_t(__cdecl* get_osfhandle)(int) = nullptr;
};

template <class Function>
void find_function(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool find_c_runtime(const BridgeLibrary& library, CRuntime& crt)
{
    for (const std::string& name : imported_modules(library.module)) {
        if (lstrcmpiA(name.c_str(), "ucrtbase.dll") != 0) {
            continue;
        }
        const HMODULE module = GetModuleHandleA(name.c_str());
        find_function(module, "_open_osfhandle", crt.open_osfhandle);
        find_function(module, "_dup2", crt.dup2);
        find_function(module, "_close", crt.close);
        find_function(module, "_get_osfhandle", crt.get_osfhandle);
        if (crt.open_osfhandle != nullptr && crt.dup2 != nullptr && crt.close != nullptr &&
            crt.get_osfhandle != nullptr) {
            return true;
        }
    }
    print_line("no ucrtbase.dll with its descriptor functions among jvm.dll's imports");
    return false;
}

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;

    Pipe() { CreatePipe(&read, &write, nullptr, 0); }
    ~Pipe()
    {
        for (const HANDLE end : {read, write}) {
            if (end != nullptr) {
                CloseHandle(end);
            }
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    // What the pipe holds now.
    std::string contents() const
    {
        std::string text;
        DWORD available = 0;
        while (PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!ReadFile(read, &chunk[0], available, &got, nullptr)) {
                break;
            }
            text.append(chunk, 0, got);
        }
        return text;
    }
};

std::string quoted(const std::string& text)
{
    return "\"" + escaped(text) + "\"";
}

std::string destroyed(CaseVM& java)
{
    return "DestroyJavaVM: " + std::to_string(java.vm->DestroyJavaVM());
}

// How many times HotSpot got `option`, and how many times the record lists it.
void print_option_counts(CaseVM& java, const std::string& option)
{
    call_probe(java, "optionCount", "(Ljava/lang/String;)I",
               [&](JNIEnv* env, jclass cls, jmethodID method) {
                   const jstring text = env->NewStringUTF(option.c_str());
                   if (env->ExceptionCheck()) {
                       return;
                   }
                   const jint count = env->CallStaticIntMethod(cls, method, text);
                   env->DeleteLocalRef(text);
                   if (!env->ExceptionCheck()) {
                       print_line("HotSpot got " + option + " " + std::to_string(count) +
                                  " time(s)");
                   }
               });
    std::istringstream record(read_file(java.directory + "\\jvm-bridge-record.txt"));
    int listed = 0;
    for (std::string line; std::getline(record, line);) {
        listed += line == "option=" + option ? 1 : 0;
    }
    print_line("jvm-bridge-record.txt lists " + option + " " + std::to_string(listed) +
               " time(s)");
}

void print_output_targets(CaseVM& java)
{
    call_probe(java, "outputTargets", "()Ljava/lang/String;",
               [&](JNIEnv* env, jclass cls, jmethodID method) {
                   const auto text = static_cast<jstring>(env->CallStaticObjectMethod(cls, method));
                   if (env->ExceptionCheck() || text == nullptr) {
                       return;
                   }
                   const char* chars = env->GetStringUTFChars(text, nullptr);
                   if (!env->ExceptionCheck() && chars != nullptr) {
                       print_line(std::string("Linux fds: ") + chars);
                       env->ReleaseStringUTFChars(text, chars);
                   }
                   env->DeleteLocalRef(text);
               });
}

// The standard handles set after jvm.dll, and so ucrtbase, was loaded, then set back once the
// VM exists: Java writes where they were at its creation, HotSpot where ucrtbase's descriptors
// were bound at its load (this child's output).
int standard_handles(CaseVM& java)
{
    CRuntime crt;
    if (!find_c_runtime(java.library, crt)) {
        return 1;
    }
    print_line(std::string("ucrtbase's descriptor 2 holds ") +
               (reinterpret_cast<HANDLE>(crt.get_osfhandle(2)) == GetStdHandle(STD_ERROR_HANDLE)
                    ? "the standard error handle itself"
                    : "another handle than the standard error handle"));
    const Pipe output;
    const std::string error_path = java.directory + "\\logs\\standard-error.txt";
    const HANDLE error = CreateFileA(error_path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE original_output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE original_error = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, output.write);
    SetStdHandle(STD_ERROR_HANDLE, error);
    const bool created = java.create({java.class_path(), warning_option});
    SetStdHandle(STD_OUTPUT_HANDLE, original_output);
    SetStdHandle(STD_ERROR_HANDLE, original_error);
    if (created) {
        call_probe_method(java, "printLines", "()V");
        print_line(destroyed(java));
    }
    CloseHandle(error);
    print_line("standard output pipe: " + quoted(output.contents()));
    print_line("standard error file: " + quoted(read_file(error_path)));
    return 0;
}

// As the launcher's service mode: the standard handles to one pipe, then ucrtbase's descriptor
// 2 rebound to another with its own _open_osfhandle and _dup2.
int rebound_c_runtime(CaseVM& java)
{
    CRuntime crt;
    if (!find_c_runtime(java.library, crt)) {
        return 1;
    }
    const Pipe standard;
    Pipe descriptor;
    SetStdHandle(STD_OUTPUT_HANDLE, standard.write);
    SetStdHandle(STD_ERROR_HANDLE, standard.write);
    const int fd = crt.open_osfhandle(reinterpret_cast<intptr_t>(descriptor.write), _O_TEXT);
    if (fd < 0) {
        print_line("_open_osfhandle failed");
        return 1;
    }
    descriptor.write = nullptr;
    const bool rebound = crt.dup2(fd, 2) == 0;
    crt.close(fd);
    if (!rebound) {
        print_line("_dup2 failed");
        return 1;
    }
    const auto bound = reinterpret_cast<HANDLE>(crt.get_osfhandle(2));
    DWORD flags = 0;
    GetHandleInformation(bound, &flags);
    print_line(std::string("ucrtbase's _dup2 made ") +
               ((flags & HANDLE_FLAG_INHERIT) != 0 ? "an inheritable" : "a non-inheritable") +
               " handle; the standard error handle " +
               (GetStdHandle(STD_ERROR_HANDLE) == bound ? "became it" : "stayed"));
    SetHandleInformation(bound, HANDLE_FLAG_INHERIT, 0);
    // Wine's ucrtbase makes the handle it binds to descriptor 2 the standard error handle too:
    // set again, or System.err would follow descriptor 2.
    SetStdHandle(STD_ERROR_HANDLE, standard.write);
    if (java.create({java.class_path(), "-Xrs", warning_option})) {
        call_probe_method(java, "printLines", "()V");
        print_option_counts(java, "-Xrs");
        print_line(destroyed(java));
    }
    print_line("standard handles pipe: " + quoted(standard.contents()));
    print_line("ucrtbase descriptor 2 pipe: " + quoted(descriptor.contents()));
    return 0;
}

// A service has no standard handles, neither when ucrtbase is loaded with jvm.dll.
void drop_standard_handles()
{
    print_line(std::string("ucrtbase.dll loaded before jvm.dll: ") +
               (GetModuleHandleA("ucrtbase.dll") != nullptr ? "yes" : "no"));
    for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        SetStdHandle(which, nullptr);
    }
}

int no_standard_handles(CaseVM& java)
{
    CRuntime crt;
    if (!find_c_runtime(java.library, crt)) {
        return 1;
    }
    print_line("ucrtbase's descriptors 1 and 2 hold handles " +
               std::to_string(crt.get_osfhandle(1)) + " and " +
               std::to_string(crt.get_osfhandle(2)));
    if (java.create({java.class_path(), "-Xrs", warning_option,
                     "--add-opens=java.base/java.io=ALL-UNNAMED"})) {
        call_probe_method(java, "printLines", "()V");
        print_output_targets(java);
        print_line(destroyed(java));
    }
    return 0;
}

} // namespace

const std::vector<ChildCase>& vm_output_cases()
{
    static const std::vector<ChildCase> cases = {
        {"standard-handles",
         "output: with the standard handles set to a pipe and a file before the VM's creation "
         "(and set back after it), System.out and System.err write there, and a warning's text "
         "goes where ucrtbase bound its descriptor 2 as it was loaded",
         &standard_handles, 0,
         {{"JNI_CreateJavaVM: 0", 1},
          {warning_prefix, 1},
          {warning_text, 1},
          {"standard output pipe: " + quoted(java_output_line + "\n"), 1},
          {"standard error file: " + quoted(java_error_line + "\n"), 1},
          {"DestroyJavaVM: 0", 1}},
         {},
         {java_output_line, java_error_line},
         nullptr},
        {"crt-rebound",
         "output: with ucrtbase's descriptor 2 rebound to a pipe by _open_osfhandle and _dup2 "
         "before the VM's creation, a warning's text lands there byte for byte, its prefix in "
         "the vfprintf hook, and Java's lines on the standard handles; -Xrs given once",
         &rebound_c_runtime, 0,
         {{warning_prefix, 1},
          {"ucrtbase descriptor 2 pipe: " + quoted(warning_text + "\n"), 1},
          {"standard handles pipe: " + quoted(java_output_line + "\n" + java_error_line + "\n"),
           1},
          {"HotSpot got -Xrs 1 time(s)", 1},
          {"jvm-bridge-record.txt lists -Xrs 1 time(s)", 1},
          {"DestroyJavaVM: 0", 1}},
         {},
         {warning_text, java_output_line, java_error_line},
         nullptr},
        {"no-standard-handles",
         "output: a service, with no standard handles before jvm.dll is loaded: the VM runs, "
         "the vfprintf hook gets the warning's prefix, and what has nowhere to go goes to "
         "/dev/null",
         &no_standard_handles, 0,
         {{"ucrtbase.dll loaded before jvm.dll: no", 1},
          {warning_prefix, 1},
          {"printLines returned", 1},
          {"Linux fds: 1 -> /dev/null, 2 -> /dev/null, System.out -> /dev/null, "
           "System.err -> /dev/null",
           1},
          {"DestroyJavaVM: 0", 1}},
         {},
         {warning_text, java_output_line, java_error_line},
         &drop_standard_handles},
    };
    return cases;
}
