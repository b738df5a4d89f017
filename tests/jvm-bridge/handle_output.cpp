#include "handle_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Exported by Wine's ntdll (in its import library), declared in a header Wine 8 no longer
// installs. Gives a new Unix fd, which the caller closes.
extern "C" NTSTATUS CDECL wine_server_handle_to_fd(HANDLE handle, unsigned int access,
                                                   int* unix_fd, unsigned int* options);

namespace {

constexpr std::chrono::seconds delivery_bound{2};

// One handle's Linux pipe and the Windows thread that empties it into the handle.
struct Relay {
    HANDLE handle = nullptr;
    int read_end = -1;
    int write_end = -1;
    // Set before the thread reads bytes out of the pipe, cleared once it has written them.
    std::atomic<bool> holding{false};
};

// Never destroyed: the relays' threads wait on their pipes until the process ends.
std::mutex relays_mutex;
std::map<HANDLE, Relay*>& relays = *new std::map<HANDLE, Relay*>;

bool write_all(HANDLE handle, const char* bytes, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes, static_cast<DWORD>(size), &written, nullptr)) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

DWORD WINAPI hand_on(void* context)
{
    Relay& relay = *static_cast<Relay*>(context);
    std::vector<char> buffer(1 << 16);
    // After a failed write (a closed handle, a pipe whose reader is gone) the rest is dropped,
    // as a Windows writer's later writes fail too.
    bool writable = true;
    for (;;) {
        pollfd readable{relay.read_end, POLLIN, 0};
        if (poll(&readable, 1, -1) < 0) {
            continue;
        }
        relay.holding = true;
        const ssize_t got = read(relay.read_end, buffer.data(), buffer.size());
        if (got > 0 && writable) {
            writable = write_all(relay.handle, buffer.data(), static_cast<size_t>(got));
        }
        relay.holding = false;
    }
}

// The pipe is looked at before the thread: bytes it takes out are held until written.
bool undelivered(const Relay& relay)
{
    int queued = 0;
    ioctl(relay.read_end, FIONREAD, &queued);
    return queued > 0 || relay.holding;
}

Relay* relay_for(HANDLE handle, std::string& error)
{
    std::lock_guard<std::mutex> lock(relays_mutex);
    const auto found = relays.find(handle);
    if (found != relays.end()) {
        return found->second;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    auto* relay = new Relay;
    relay->handle = handle;
    relay->read_end = ends[0];
    relay->write_end = ends[1];
    const HANDLE thread = CreateThread(nullptr, 0, &hand_on, relay, 0, nullptr);
    if (thread == nullptr) {
        error = "cannot start a thread to write to handle " +
                std::to_string(reinterpret_cast<uintptr_t>(handle)) + " (error " +
                std::to_string(GetLastError()) + ")";
        close(ends[0]);
        close(ends[1]);
        delete relay;
        return nullptr;
    }
    CloseHandle(thread);
    relays[handle] = relay;
    return relay;
}

bool no_handle(HANDLE handle)
{
    const auto value = reinterpret_cast<intptr_t>(handle);
    return value == 0 || value == -1 || value == -2;
}

} // namespace

int open_null_output(std::string& error)
{
    const int fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot open /dev/null: ") + std::strerror(errno);
    }
    return fd;
}

HandleOutput open_handle_output(HANDLE handle, std::string& error)
{
    if (no_handle(handle)) {
        return {open_null_output(error), false};
    }
    int fd = -1;
    if (wine_server_handle_to_fd(handle, FILE_WRITE_DATA, &fd, nullptr) == 0) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        return {fd, false};
    }
    Relay* relay = relay_for(handle, error);
    if (relay == nullptr) {
        return {};
    }
    fd = fcntl(relay->write_end, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot duplicate a pipe's end: ") + std::strerror(errno);
        return {};
    }
    return {fd, true};
}

void deliver_relayed_output()
{
    std::vector<Relay*> current;
    {
        std::lock_guard<std::mutex> lock(relays_mutex);
        for (const auto& entry : relays) {
            current.push_back(entry.second);
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + delivery_bound;
    for (const Relay* relay : current) {
        while (undelivered(*relay) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}
