#include "companion_thread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// HotSpot's own threads get this much; the companion runs Java code, Java main included.
constexpr size_t stack_size = 8u << 20;
// Most JNI calls finish within a few microseconds: spinning that long spares most calls the
// futex round trips of a sleeping handover, which cost tens of microseconds.
constexpr std::chrono::microseconds spin_time{20};

void fail(const char* what, int error)
{
    std::fprintf(stderr, "jvm-bridge: %s: %s\n", what, std::strerror(error));
    std::abort();
}

} // namespace

CompanionThread::CompanionThread()
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stack_size);
    const int error = pthread_create(&thread_, &attributes, &CompanionThread::main, this);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        fail("cannot start a companion thread", error);
    }
}

CompanionThread::~CompanionThread()
{
    post(State::quit);
    pthread_join(thread_, nullptr);
}

void* CompanionThread::main(void* self)
{
    static_cast<CompanionThread*>(self)->serve();
    return nullptr;
}

void CompanionThread::serve()
{
    for (;;) {
        if (wait_for(State::posted, State::quit, companion_asleep_, wake_companion_) == State::quit) {
            return;
        }
        job_(context_);
        std::lock_guard<std::mutex> lock(mutex_);
        state_.store(State::done, std::memory_order_release);
        if (caller_asleep_) {
            wake_caller_.notify_one();
        }
    }
}

void CompanionThread::hand_over(void (*job)(void*), void* context)
{
    job_ = job;
    context_ = context;
    post(State::posted);
    wait_for(State::done, State::done, caller_asleep_, wake_caller_);
}

void CompanionThread::post(State state)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.store(state, std::memory_order_release);
    if (companion_asleep_) {
        wake_companion_.notify_one();
    }
}

// Waits, on either side, until the state is one of two, and returns it; `asleep` tells the
// other side to notify `wake`.
CompanionThread::State CompanionThread::wait_for(State one, State other, bool& asleep,
                                                 std::condition_variable& wake)
{
    const auto reached = [&] {
        const State now = state_.load(std::memory_order_acquire);
        return now == one || now == other;
    };
    const auto spin_end = std::chrono::steady_clock::now() + spin_time;
    do {
        for (int round = 0; round < 64; ++round) {
            if (reached()) {
                return state_.load(std::memory_order_relaxed);
            }
            __builtin_ia32_pause();
        }
    } while (std::chrono::steady_clock::now() < spin_end);
    std::unique_lock<std::mutex> lock(mutex_);
    asleep = true;
    wake.wait(lock, reached);
    asleep = false;
    return state_.load(std::memory_order_relaxed);
}
