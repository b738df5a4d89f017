#include "vm_hooks.h"

#include <windows.h>
#include <winternl.h>

#include <cstdarg>
#include <cstdio>

#include "handle_output.h"
#include "hook_relay.h"
#include "vm_output.h"
#include "windows_jni_objects.h"

namespace {

using WindowsVfprintf = jint(MS_ABI*)(FILE*, const char*, __builtin_ms_va_list);
using WindowsExit = void(MS_ABI*)(jint);
using WindowsAbort = void(MS_ABI*)();

// The launcher's hooks, set before HotSpot is created.
WindowsVfprintf launcher_vfprintf = nullptr;
WindowsExit launcher_exit = nullptr;
WindowsAbort launcher_abort = nullptr;

// The text as HotSpot's C runtime formats it, whatever its length; false when it cannot.
bool format_text(const char* format, va_list arguments, std::string& text)
{
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0) {
        return false;
    }
    text.assign(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<size_t>(length));
    return true;
}

// Its own variadic arguments make the Windows va_list that the launcher's hook reads.
MS_ABI jint call_with_windows_va_list(WindowsVfprintf hook, FILE* stream, const char* format,
                                      ...)
{
    __builtin_ms_va_list arguments;
    __builtin_ms_va_start(arguments, format);
    const jint result = hook(stream, format, arguments);
    __builtin_ms_va_end(arguments);
    return result;
}

jint JNICALL relay_vfprintf(FILE* stream, const char* format, va_list arguments)
{
    std::string text;
    if (!format_text(format, arguments, text)) {
        return -1;
    }
    return run_on_hook_relay([&] {
        return call_with_windows_va_list(launcher_vfprintf, stream, "%s", text.c_str());
    });
}

// Wine takes a process's status from the last of its Windows threads to end, and HotSpot ends
// the process with a Linux exit that tells Wine nothing: Windows code waiting for the process
// would read 0. As ExitProcess begins, this ends the other Windows threads and gives each, the
// calling one included, the status; the calling one then lasts until HotSpot's exit.
void leave_status_to_windows(jint status)
{
    NtTerminateProcess(nullptr, static_cast<NTSTATUS>(status));
}

void JNICALL relay_exit(jint status)
{
    deliver_relayed_output();
    run_on_hook_relay([&] {
        launcher_exit(status);
        drop_later_vm_output();
        leave_status_to_windows(status);
    });
}

// A Windows VM ends the process with 1 after its abort hook.
void JNICALL relay_abort()
{
    deliver_relayed_output();
    run_on_hook_relay([] {
        launcher_abort();
        drop_later_vm_output();
        leave_status_to_windows(1);
    });
}

} // namespace

bool is_vm_hook_option(const std::string& option_string)
{
    return option_string == "vfprintf" || option_string == "exit" || option_string == "abort";
}

void* hotspot_hook_for(const JavaVMOption& option)
{
    if (option.extraInfo == nullptr) {
        return nullptr;
    }
    start_hook_relay();
    const std::string name = option.optionString;
    if (name == "vfprintf") {
        launcher_vfprintf = reinterpret_cast<WindowsVfprintf>(option.extraInfo);
        return reinterpret_cast<void*>(&relay_vfprintf);
    }
    if (name == "exit") {
        launcher_exit = reinterpret_cast<WindowsExit>(option.extraInfo);
        return reinterpret_cast<void*>(&relay_exit);
    }
    launcher_abort = reinterpret_cast<WindowsAbort>(option.extraInfo);
    return reinterpret_cast<void*>(&relay_abort);
}
