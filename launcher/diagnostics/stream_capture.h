#pragma once

#include <windows.h>

#include <cstddef>

#include "core/handle_owner.h"

// A pipe that stands in for a standard stream of the process, and the thread of ours that reads
// it. Whoever writes into the pipe waits for no more than the pipe's buffer: the reader takes each
// write as it arrives and hands it to the sink, whatever becomes of it there.
class StreamCapture {
public:
    // Called on the reader thread only: sink with each chunk read, flush once a drain has read
    // everything that was written before it.
    using Sink = void (*)(const char* data, std::size_t size);
    using Flush = void (*)();

    StreamCapture();
    // Only a capture that did not start may be destroyed: a reader thread uses a started one.
    ~StreamCapture();
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    // Makes the pipe and starts the reader; false, with the failing call logged, when it cannot.
    // The capture then lives as long as the process.
    bool start(const char* name, Sink sink, Flush flush);

    // The pipe's writing end, not inherited by other processes; it stays open for good.
    HANDLE writer() const { return writer_.get(); }

    // Returns once everything written into the pipe before the call has reached the sink and flush
    // has run, or after milliseconds; false then. One drain runs at a time.
    bool drain(DWORD milliseconds);

private:
    static DWORD WINAPI readerProc(LPVOID parameter);
    void readUntilClosed();
    void readWhatIsThere(OVERLAPPED& overlapped, char* buffer);

    Sink sink_ = nullptr;
    Flush flush_ = nullptr;
    KernelHandle reader_;
    KernelHandle writer_;
    KernelHandle readDone_;
    KernelHandle drainAsked_;
    KernelHandle drained_;
    CRITICAL_SECTION drainLock_;
};
