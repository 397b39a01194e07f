#pragma once

#include <atomic>
#include <csignal>

namespace palvorn {

// Ctrl-C (SIGINT) or SIGTERM during a walk stops it at its next item instead of ending the
// program, so that a stopped strip still prints what it removed. While an object lives it owns
// the two signals' handlers (a signal the caller ignores stays ignored); the previous ones come
// back when it goes.
class InterruptStop {
public:
    InterruptStop();
    ~InterruptStop();
    InterruptStop(const InterruptStop&) = delete;
    InterruptStop& operator=(const InterruptStop&) = delete;

    const std::atomic_bool& flag() const;

private:
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
    sigset_t m_previousMask = {};
};

} // namespace palvorn
