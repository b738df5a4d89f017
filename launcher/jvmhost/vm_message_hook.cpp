#include <windows.h>

#include <string>
#include <vector>

#include "core/process_state.h"
#include "diagnostics/formatted_text.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/vm_hooks.h"

namespace {

// The caller holds vmMessageLock, so that lines of one thread reach the log in their order.
void logLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        writeLog("%s", line.c_str());
    }
}

}  // namespace

jint JNICALL vmMessageHook(FILE*, const char* format, va_list arguments) {
    std::string text = formattedText(format, arguments);
    std::fputs(text.c_str(), stderr);
    // A line the VM goes on with elsewhere (its Java error stream) must come out in its order.
    std::fflush(stderr);
    EnterCriticalSection(&vmMessageLock);
    logLines(vmMessageLines->add(GetCurrentThreadId(), text));
    LeaveCriticalSection(&vmMessageLock);
    return static_cast<jint>(text.size());
}

void logVmDirectOutput(const char* data, std::size_t size) {
    EnterCriticalSection(&vmMessageLock);
    logLines(vmMessageLines->addDirect(std::string(data, size)));
    LeaveCriticalSection(&vmMessageLock);
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
