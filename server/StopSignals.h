#pragma once
// SIGINT and SIGTERM turned into a call: for as long as it lives, the two
// signals are blocked in the thread that made it (and in the threads that
// thread starts from then on) and taken by a thread of its own, which calls
// `stop` when one arrives. Make it before the threads that must not see the
// signals, so they inherit the blocked set.

#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

namespace sonotag::server {

class StopOnSignals {
public:
    explicit StopOnSignals(std::function<void()> stop);
    // Stops waiting without calling `stop` when no signal came, and
    // restores the thread's signal mask.
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    bool signalled() const { return signalled_; }

private:
    sigset_t previous_;
    std::atomic<bool> ending_{false};
    std::atomic<bool> signalled_{false};
    std::thread waiter_;
};

}  // namespace sonotag::server
