#include "hook_relay.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "trap.h"

namespace {

struct Relay {
    std::mutex one_call_at_a_time;
    std::mutex mutex;
    std::condition_variable posted;
    std::condition_variable finished;
    bool started = false;
    bool running = false;
    void (*job)(void*) = nullptr;
    void* context = nullptr;
};

// Never destroyed: the relay thread waits on its condition variable until the process ends,
// and destroying a condition variable at exit would wait for that waiter.
Relay& relay = *new Relay;

DWORD WINAPI serve(void*)
{
    std::unique_lock<std::mutex> lock(relay.mutex);
    relay.running = true;
    relay.finished.notify_all();
    for (;;) {
        relay.posted.wait(lock, [] { return relay.job != nullptr; });
        void (*const job)(void*) = relay.job;
        void* const context = relay.context;
        lock.unlock();
        job(context);
        lock.lock();
        relay.job = nullptr;
        relay.finished.notify_all();
    }
}

} // namespace

void start_hook_relay()
{
    std::unique_lock<std::mutex> lock(relay.mutex);
    if (relay.started) {
        return;
    }
    const HANDLE thread = CreateThread(nullptr, 0, &serve, nullptr, 0, nullptr);
    if (thread == nullptr) {
        trap("cannot start the thread for the VM hooks (error " +
             std::to_string(GetLastError()) + ")");
    }
    CloseHandle(thread);
    relay.started = true;
    relay.finished.wait(lock, [] { return relay.running; });
}

void hand_to_hook_relay(void (*job)(void*), void* context)
{
    std::lock_guard<std::mutex> turn(relay.one_call_at_a_time);
    std::unique_lock<std::mutex> lock(relay.mutex);
    relay.job = job;
    relay.context = context;
    relay.posted.notify_one();
    relay.finished.wait(lock, [] { return relay.job == nullptr; });
}
