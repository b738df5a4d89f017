// A Linux pthread that makes every call into HotSpot for one Windows thread.
//
// HotSpot takes its stack bounds from the pthread it runs on; a Wine thread's stack pointer lies
// outside them, so no Windows thread may call libjvm itself. The Windows thread hands each call
// over with run() and waits for it to finish.
#ifndef VORNA_JVM_BRIDGE_COMPANION_THREAD_H
#define VORNA_JVM_BRIDGE_COMPANION_THREAD_H

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <type_traits>

class CompanionThread {
public:
    CompanionThread();
    ~CompanionThread();
    CompanionThread(const CompanionThread&) = delete;
    CompanionThread& operator=(const CompanionThread&) = delete;

    // Runs call() on the companion and returns its result.
    template <class Call>
    auto run(Call&& call) -> decltype(call())
    {
        using Result = decltype(call());
        if constexpr (std::is_void_v<Result>) {
            hand_over(&invoke<Call>, &call);
        } else {
            Result result{};
            auto store = [&] { result = call(); };
            hand_over(&invoke<decltype(store)>, &store);
            return result;
        }
    }

private:
    enum class State { idle, posted, done, quit };

    template <class Call>
    static void invoke(void* call)
    {
        (*static_cast<Call*>(call))();
    }

    static void* main(void* self);
    void serve();
    void hand_over(void (*job)(void*), void* context);
    void post(State state);
    State wait_for(State one, State other, bool& asleep, std::condition_variable& wake);

    pthread_t thread_{};
    std::mutex mutex_;
    std::condition_variable wake_companion_;
    std::condition_variable wake_caller_;
    std::atomic<State> state_{State::idle};
    bool companion_asleep_ = false;
    bool caller_asleep_ = false;
    void (*job_)(void*) = nullptr;
    void* context_ = nullptr;
};

#endif
