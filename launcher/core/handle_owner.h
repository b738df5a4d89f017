#pragma once

#include <windows.h>

// Owns one Win32 handle and closes it with the function that belongs to its kind.
template <typename Handle, auto Close>
class HandleOwner {
public:
    HandleOwner() = default;
    explicit HandleOwner(Handle handle) : handle_(handle) {}
    ~HandleOwner() { reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Closes the handle owned so far and owns handle instead.
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using ServiceHandle = HandleOwner<SC_HANDLE, &CloseServiceHandle>;
using KernelHandle = HandleOwner<HANDLE, &CloseHandle>;

// CreateFile and CreateNamedPipe say "no handle" with INVALID_HANDLE_VALUE, not null; GetLastError
// is left as the call set it.
inline HANDLE fileHandleOrNull(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}
