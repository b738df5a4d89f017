#include "launcher_hooks.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "probe_text.h"

namespace {

// Only the tally is under the lock, so that calls that overlap show as such.
std::mutex tally_mutex;
int calls = 0;
int calls_in_progress = 0;
int most_at_once = 0;

// On a thread Wine did not make there is no TEB to read the stack limits from (or another
// thread's), so this faults or finds a stack that is not the caller's.
const char* thread_kind()
{
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    const char local = 0;
    const auto here = reinterpret_cast<ULONG_PTR>(&local);
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentThreadId());
    const bool known = thread != nullptr;
    if (known) {
        CloseHandle(thread);
    }
    return here >= low && here < high && known ? "on a Windows thread" : "NOT on a Windows thread";
}

std::string formatted(const char* format, va_list arguments)
{
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0) {
        return "<vsnprintf failed>";
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.resize(static_cast<size_t>(length));
    return text;
}

void print_line(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

// The stream belongs to the VM's C runtime, not to this exe's: never touched.
jint JNICALL note_vfprintf(FILE*, const char* format, va_list arguments)
{
    {
        std::lock_guard<std::mutex> lock(tally_mutex);
        ++calls;
        most_at_once = std::max(most_at_once, ++calls_in_progress);
    }
    const std::string text = formatted(format, arguments);
    // A moment in here, as a launcher that writes a log line takes one: calls that are not
    // made one at a time overlap.
    Sleep(1);
    print_line(std::string("hook vfprintf ") + thread_kind() + ": \"" + escaped(text) + "\"\n");
    std::lock_guard<std::mutex> lock(tally_mutex);
    --calls_in_progress;
    return static_cast<jint>(text.size());
}

void JNICALL note_exit(jint status)
{
    print_line("hook exit(" + std::to_string(status) + ") " + thread_kind() + "\n");
}

void JNICALL note_abort()
{
    print_line(std::string("hook abort() ") + thread_kind() + "\n");
}

} // namespace

std::vector<JavaVMOption> launcher_hook_options()
{
    return {
        {const_cast<char*>("vfprintf"), reinterpret_cast<void*>(&note_vfprintf)},
        {const_cast<char*>("exit"), reinterpret_cast<void*>(&note_exit)},
        {const_cast<char*>("abort"), reinterpret_cast<void*>(&note_abort)},
    };
}

int vfprintf_calls()
{
    std::lock_guard<std::mutex> lock(tally_mutex);
    return calls;
}

int most_vfprintf_calls_at_once()
{
    std::lock_guard<std::mutex> lock(tally_mutex);
    return most_at_once;
}
