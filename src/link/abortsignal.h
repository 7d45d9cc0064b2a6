// An interrupt for the port's waits, raised by another thread (shutdown): an
// eventfd that stays readable while raised, so every poll() that includes it
// returns at once until the signal is cleared.
#pragma once

#include <atomic>

namespace obd {

class AbortSignal {
public:
    // Raises DriverError when the system gives no event descriptor.
    AbortSignal();
    ~AbortSignal();
    AbortSignal(const AbortSignal&) = delete;
    AbortSignal& operator=(const AbortSignal&) = delete;

    // Both are safe from any thread.
    void Raise();
    void Clear();
    bool Raised() const { return m_raised.load(); }

    // The descriptor to include in poll() with POLLIN.
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    std::atomic<bool> m_raised{false};
};

} // namespace obd
