#include "link/abortsignal.h"

#include "common/errors.h"
#include "link/comport.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace obd {

AbortSignal::AbortSignal() {
    m_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_fd < 0)
        throw DriverError(DriverErrorText("CreateEvent function failed", errno));
}

AbortSignal::~AbortSignal() {
    ::close(m_fd);
}

void AbortSignal::Raise() {
    m_raised.store(true);
    const std::uint64_t one = 1;
    // Only an overflowing counter can refuse the write, and that counter is
    // then readable anyway.
    while (::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void AbortSignal::Clear() {
    m_raised.store(false);
    std::uint64_t count = 0;
    // Reading resets the counter; an empty counter (EAGAIN) is already clear.
    while (::read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

} // namespace obd
