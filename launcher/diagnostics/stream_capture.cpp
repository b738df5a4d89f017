#include "diagnostics/stream_capture.h"

#include <string>
#include <vector>

#include "diagnostics/log_writer.h"

namespace {

const DWORD pipeBuffer = 64 * 1024;

// Named, for the overlapped reads that a drain can interrupt; the name is the process's own.
std::string pipeName(const char* name) {
    return "\\\\.\\pipe\\vorna-launcher-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

bool failed(const char* call) {
    logWindowsError(call, GetLastError());
    return false;
}

}  // namespace

StreamCapture::StreamCapture() {
    InitializeCriticalSection(&drainLock_);
}

StreamCapture::~StreamCapture() {
    DeleteCriticalSection(&drainLock_);
}

bool StreamCapture::start(const char* name, Sink sink, Flush flush) {
    sink_ = sink;
    flush_ = flush;
    std::string path = pipeName(name);
    // One instance, and first: no other program can have made or taken it before us.
    reader_.reset(fileHandleOrNull(CreateNamedPipeA(
        path.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, pipeBuffer, 0, nullptr)));
    if (!reader_) {
        return failed("CreateNamedPipeA");
    }
    writer_.reset(
        fileHandleOrNull(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
    if (!writer_) {
        return failed("CreateFileA");
    }
    readDone_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    drainAsked_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    drained_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readDone_ || !drainAsked_ || !drained_) {
        return failed("CreateEventA");
    }
    KernelHandle thread(CreateThread(nullptr, 0, readerProc, this, 0, nullptr));
    if (!thread) {
        return failed("CreateThread");
    }
    return true;
}

bool StreamCapture::drain(DWORD milliseconds) {
    EnterCriticalSection(&drainLock_);
    ResetEvent(drained_.get());
    SetEvent(drainAsked_.get());
    bool drained = WaitForSingleObject(drained_.get(), milliseconds) == WAIT_OBJECT_0;
    LeaveCriticalSection(&drainLock_);
    return drained;
}

DWORD WINAPI StreamCapture::readerProc(LPVOID parameter) {
    static_cast<StreamCapture*>(parameter)->readUntilClosed();
    return 0;
}

// A read stays posted while the pipe is empty and completes as soon as a write arrives. A drain
// takes back the posted read, with whatever it got, and then reads what the pipe still holds.
void StreamCapture::readUntilClosed() {
    std::vector<char> buffer(pipeBuffer);
    OVERLAPPED overlapped = {};
    overlapped.hEvent = readDone_.get();
    for (;;) {
        if (!ReadFile(reader_.get(), buffer.data(), pipeBuffer, nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            return;
        }
        HANDLE wake[] = {readDone_.get(), drainAsked_.get()};
        bool draining = WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
        if (draining) {
            CancelIoEx(reader_.get(), &overlapped);
        }
        DWORD count = 0;
        if (GetOverlappedResult(reader_.get(), &overlapped, &count, TRUE)) {
            sink_(buffer.data(), count);
        } else if (GetLastError() != ERROR_OPERATION_ABORTED) {
            return;
        }
        if (draining) {
            readWhatIsThere(overlapped, buffer.data());
            if (flush_ != nullptr) {
                flush_();
            }
            SetEvent(drained_.get());
        }
    }
}

void StreamCapture::readWhatIsThere(OVERLAPPED& overlapped, char* buffer) {
    DWORD available = 0;
    while (PeekNamedPipe(reader_.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD count = 0;
        // With data there, the read completes at once.
        if ((!ReadFile(reader_.get(), buffer, pipeBuffer, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) ||
            !GetOverlappedResult(reader_.get(), &overlapped, &count, TRUE)) {
            return;
        }
        sink_(buffer, count);
    }
}
