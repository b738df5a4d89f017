#include <windows.h>

#include <string>
#include <vector>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/vm_hooks.h"

namespace {

std::string formatMessage(const char* format, va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// The caller holds vmMessageLock, so that lines of one thread reach the log in their order.
void logLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        writeLog("%s", line.c_str());
    }
}

}  // namespace

jint JNICALL vmMessageHook(FILE*, const char* format, va_list arguments) {
    std::string text = formatMessage(format, arguments);
    std::fputs(text.c_str(), stderr);
    // A line the VM goes on with elsewhere (its Java error stream) must come out in its order.
    std::fflush(stderr);
    EnterCriticalSection(&vmMessageLock);
    logLines(vmMessageLines->add(GetCurrentThreadId(), text));
    LeaveCriticalSection(&vmMessageLock);
    return static_cast<jint>(text.size());
}

void flushVmMessages() {
    EnterCriticalSection(&vmMessageLock);
    logLines(vmMessageLines->takeUnfinished());
    LeaveCriticalSection(&vmMessageLock);
}

void dropUnfinishedVmMessages() {
    EnterCriticalSection(&vmMessageLock);
    vmMessageLines->dropUnfinished();
    LeaveCriticalSection(&vmMessageLock);
}
