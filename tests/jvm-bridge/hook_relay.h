// The Wine thread that runs the launcher's VM hooks (vfprintf, exit, abort) for HotSpot.
//
// HotSpot calls its hooks on its own pthreads, which are no Wine threads: Windows code run
// there finds no TEB. So each call is handed to one Wine thread of the bridge's own, which
// calls the launcher's function while the HotSpot thread waits. That thread waits for nothing
// but the next call: HotSpot may print on a companion whose Windows thread is waiting for that
// very companion, and the hook must still run. One call runs at a time; the others wait.
#ifndef VORNA_JVM_BRIDGE_HOOK_RELAY_H
#define VORNA_JVM_BRIDGE_HOOK_RELAY_H

#include <type_traits>

// Starts the relay thread the first time and waits until it runs; call it on a Windows thread
// before HotSpot may call a hook.
void start_hook_relay();

void hand_to_hook_relay(void (*job)(void*), void* context);

// Runs call() on the relay thread and returns its result; callable from any Linux thread.
template <class Call>
auto run_on_hook_relay(Call&& call) -> decltype(call())
{
    using Result = decltype(call());
    if constexpr (std::is_void_v<Result>) {
        auto job = [](void* context) { (*static_cast<std::remove_reference_t<Call>*>(context))(); };
        hand_to_hook_relay(job, &call);
    } else {
        Result result{};
        auto store = [&] { result = call(); };
        hand_to_hook_relay([](void* context) { (*static_cast<decltype(store)*>(context))(); },
                           &store);
        return result;
    }
}

#endif
