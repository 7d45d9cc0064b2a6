#include "link/transport.h"

#include "common/errors.h"
#include "link/abortsignal.h"
#include "link/comport.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace obd {

namespace fdwait {

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max<int>(0, static_cast<int>(left.count()));
}

int Wait(int fd, short events, Clock::time_point deadline, const AbortSignal* abort) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {abort ? abort->fd() : -1, POLLIN, 0}};
        const int r = ::poll(fds, 2, MsUntil(deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -errno;
        }
        if (fds[1].revents)
            return Aborted;
        if (r == 0) {
            if (Clock::now() < deadline)
                continue;
            return TimedOut;
        }
        if (fds[0].revents & events)
            return Ready;
        // Hung up or broken: the device or the connection has gone.
        return -((fds[0].revents & POLLNVAL) ? EBADF : EIO);
    }
}

int ErrorOf(int outcome) {
    return outcome == TimedOut ? ETIMEDOUT : outcome == Aborted ? ECANCELED : -outcome;
}

bool Sleep(Clock::time_point deadline, const AbortSignal* abort) {
    for (;;) {
        pollfd fd{abort ? abort->fd() : -1, POLLIN, 0};
        const int r = ::poll(&fd, 1, MsUntil(deadline));
        if (r > 0)
            return false;
        if (r == 0 && Clock::now() >= deadline)
            return true;
    }
}

} // namespace fdwait

QString AdapterLostText(const QString& name) {
    return QStringLiteral("Die Verbindung zum Adapter an %1 ist abgerissen: das Gerät wurde "
                          "ausgesteckt oder die Verbindung geschlossen.")
        .arg(name);
}

QString AdapterClosedText(const QString& name) {
    return QStringLiteral("Der Adapter an %1 ist nicht verbunden.").arg(name);
}

void FdLine::requireOpen() const {
    if (!Connected())
        throw AdapterGone(AdapterClosedText(name()));
}

void FdLine::lost() {
    ::close(m_fd.exchange(-1));
    throw AdapterGone(AdapterLostText(name()));
}

void FdLine::fail(const char* text, int error) {
    // A vanished device answers EIO (a pseudo-terminal without its master
    // too), ENXIO or ENODEV; a closed connection EPIPE or ECONNRESET.
    if (error == EIO || error == ENXIO || error == ENODEV || error == EPIPE || error == ECONNRESET)
        lost();
    FailDriver(text, error);
}

bool FdLine::WaitForChars(int timeoutMs) {
    requireOpen();
    const int r = fdwait::Wait(
        m_fd, POLLIN, fdwait::Clock::now() + std::chrono::milliseconds(timeoutMs), m_abort.get());
    if (r < 0)
        fail("WaitForEvent method failed", -r);
    return r == fdwait::Ready;
}

int FdLine::InputCount() {
    requireOpen();
    int count = 0;
    int r;
    do {
        r = ::ioctl(m_fd, FIONREAD, &count);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        fail("ClearCommError function failed", errno);
    return count;
}

QByteArray FdLine::Read(int count) {
    requireOpen();
    QByteArray buffer(std::max(count, 0), Qt::Uninitialized);
    if (count <= 0)
        return buffer;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer.data(), static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno != EAGAIN)
            fail("ReadFile function failed", errno);
        n = 0;
    }
    buffer.truncate(n);
    return buffer;
}

ssize_t FdLine::writeSome(const char* bytes, size_t n) {
    return ::write(m_fd, bytes, n);
}

int FdLine::writeAll(const QByteArray& bytes, fdwait::Clock::time_point deadline) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = writeSome(p, static_cast<size_t>(left));
        if (n >= 0) {
            p += n;
            left -= n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return -errno;
        // The output buffer is full: sleep until there is room again.
        const int r = fdwait::Wait(m_fd, POLLOUT, deadline, m_abort.get());
        if (r != fdwait::Ready)
            return r;
    }
    return fdwait::Ready;
}

void FailDriver(const char* text, int error) {
    throw DriverError(DriverErrorText(text, error));
}

} // namespace obd
