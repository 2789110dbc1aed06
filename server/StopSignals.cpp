#include "server/StopSignals.h"

#include <pthread.h>

namespace sonotag::server {
namespace {

sigset_t StopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

StopOnSignals::StopOnSignals(std::function<void()> stop) {
    const sigset_t set = StopSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
    waiter_ = std::thread([this, set, stop = std::move(stop)] {
        int signal = 0;
        sigwait(&set, &signal);
        if (ending_) return;  // woken by the destructor
        signalled_ = true;
        stop();
    });
}

StopOnSignals::~StopOnSignals() {
    ending_ = true;
    if (!signalled_) pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace sonotag::server
