#include "cli/InterruptStop.h"

namespace palvorn {

namespace {

// A handler may only store to a lock-free atomic.
static_assert(std::atomic_bool::is_always_lock_free);
std::atomic_bool interrupted = false;

extern "C" void noteInterrupt(int) {
    interrupted.store(true);
}

} // namespace

InterruptStop::InterruptStop() {
    interrupted = false;
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_previousInt);
    sigaction(SIGTERM, &action, &m_previousTerm);
    // A signal the caller ignores stays ignored, as for a job a shell started in the background.
    if (m_previousInt.sa_handler == SIG_IGN)
        sigaction(SIGINT, &m_previousInt, nullptr);
    if (m_previousTerm.sa_handler == SIG_IGN)
        sigaction(SIGTERM, &m_previousTerm, nullptr);
    // A caller that blocked the signals (a script, a test) still gets them through.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &signals, &m_previousMask);
}

InterruptStop::~InterruptStop() {
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
    sigaction(SIGINT, &m_previousInt, nullptr);
    sigaction(SIGTERM, &m_previousTerm, nullptr);
}

const std::atomic_bool& InterruptStop::flag() const {
    return interrupted;
}

} // namespace palvorn
