#include "link/serialline.h"

#include "common/errors.h"
#include "link/abortsignal.h"

// termios2 (any baud rate through BOTHER) lives in the kernel headers, which
// cannot be combined with the C library's <termios.h>; so this file speaks the
// tty ioctls directly: TCGETS2/TCSETS2, TCFLSH (discard), TCSBRK 1 (drain).
#include <asm/termbits.h>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <limits>

namespace obd {

namespace {

// Stay within this fraction of the requested rate, or report the rate as not
// settable: a UART that cannot come close would only produce garbage.
constexpr double BaudTolerance = 0.03;

tcflag_t dataBitsFlag(int bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    }
    return 0;
}

// Runs an ioctl again when a signal interrupted it.
template <typename Arg> int retryIoctl(int fd, unsigned long request, Arg arg) {
    int r;
    do {
        r = ::ioctl(fd, request, arg);
    } while (r < 0 && errno == EINTR);
    return r;
}

} // namespace

using Clock = fdwait::Clock;

SerialLine::~SerialLine() {
    Close();
}

void SerialLine::SetSettings(const LineSettings& settings) {
    m_settings = settings;
    if (Connected())
        applySettings();
}

void SerialLine::Open() {
    if (Connected())
        return;
    if (!IsPortNameUsable(m_path))
        FailDriver("Unable to open com port", EINVAL);
    const QByteArray path = m_path.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        FailDriver("Unable to open com port", errno);
    // flock stops a second open by another process (root included), TIOCEXCL
    // stops other openers that do not use flock (root excepted).
    if (::flock(fd, LOCK_EX | LOCK_NB) < 0 || retryIoctl(fd, TIOCEXCL, 0) < 0) {
        const int error = errno;
        ::close(fd);
        FailDriver("Unable to open com port", error);
    }
    m_fd = fd;
    try {
        applySettings();
    } catch (...) {
        Close();
        throw;
    }
}

void SerialLine::Close() {
    if (!Connected())
        return;
    // Leave the device openable for others; closing also drops the flock.
    ::ioctl(m_fd, TIOCNXCL, 0);
    ::close(m_fd.exchange(-1));
}

void SerialLine::applySettings() {
    const LineSettings& s = m_settings;
    struct termios2 tio {};
    if (retryIoctl(m_fd, TCGETS2, &tio) < 0)
        FailDriver("SetCommState function failed", errno);
    const tcflag_t size = dataBitsFlag(s.dataBits);
    if (size == 0 || s.baudRate <= 0)
        FailDriver("SetCommState function failed", EINVAL);

    // Raw 8-bit line: no character translation, no echo, no signals.
    tio.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &=
        ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= size | CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(s.baudRate);
    // 1.5 stop bits have no termios form; two is the nearest the UART offers.
    if (s.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB;
    switch (s.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        tio.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.parity != Parity::None)
        tio.c_iflag |= INPCK;
    if (s.flow.outCtsFlow || s.flow.rts == RtsControl::Handshake)
        tio.c_cflag |= CRTSCTS;
    if (s.flow.xonXoffOut)
        tio.c_iflag |= IXON;
    if (s.flow.xonXoffIn)
        tio.c_iflag |= IXOFF;
    // A read returns at once with whatever has arrived.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    if (retryIoctl(m_fd, TCSETS2, &tio) < 0)
        FailDriver("SetCommState function failed", errno);
    // Drivers round the rate to what their clock can do; one that lands far
    // away did not take it.
    struct termios2 check {};
    if (retryIoctl(m_fd, TCGETS2, &check) < 0)
        FailDriver("SetCommState function failed", errno);
    if (std::abs(static_cast<double>(check.c_ospeed) - s.baudRate) > BaudTolerance * s.baudRate)
        FailDriver("SetCommState function failed", EINVAL);
    applyModemLines();
}

void SerialLine::applyModemLines() {
    const FlowSettings& f = m_settings.flow;
    auto setLine = [this](int line, bool on) {
        // Devices without modem lines (pseudo-terminals) have no DTR or RTS to
        // set; that is not a failure of the port.
        if (retryIoctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &line) < 0 && errno != ENOTTY &&
            errno != EINVAL)
            FailDriver("SetCommState function failed", errno);
    };
    setLine(TIOCM_DTR, f.dtr == DtrControl::Enable);
    if (f.rts != RtsControl::Handshake)
        setLine(TIOCM_RTS, f.rts == RtsControl::Enable);
}

int SerialLine::lineTimeMs(qsizetype bytes) const {
    // Start bit, data bits, parity bit and stop bits per byte, rounded up.
    const int bits = 1 + m_settings.dataBits + (m_settings.parity != Parity::None ? 1 : 0) +
                     (m_settings.stopBits != StopBits::One ? 2 : 1);
    const qint64 ms = (static_cast<qint64>(bytes) * bits * 1000 + m_settings.baudRate - 1) /
                      std::max(m_settings.baudRate, 1);
    return static_cast<int>(std::min<qint64>(ms, std::numeric_limits<int>::max() - WriteSlackMs));
}

void SerialLine::WriteStr(const QByteArray& bytes) {
    requireOpen();
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(WriteSlackMs + lineTimeMs(bytes.size()));
    auto stalled = [this](int result) {
        if (result == fdwait::TimedOut) {
            // What the device did not take would otherwise go out before the
            // next command.
            retryIoctl(m_fd, TCFLSH, TCOFLUSH);
            FailDriver("WriteFile function failed", ETIMEDOUT);
        }
        fail("WriteFile function failed", fdwait::ErrorOf(result));
    };
    if (m_abort && m_abort->Raised())
        stalled(fdwait::Aborted);
    const int written = writeAll(bytes, deadline);
    if (written != fdwait::Ready)
        stalled(written);
    // Drain: a tty cannot bound tcdrain, so watch the output queue empty.
    for (;;) {
        int queued = 0;
        if (retryIoctl(m_fd, TIOCOUTQ, &queued) < 0)
            fail("WriteFile function failed", errno);
        if (queued <= 0)
            return;
        // Sleep about the time the queued bytes take, at least a millisecond;
        // only the abort signal can end the sleep early.
        const auto wake = std::min(
            deadline, Clock::now() + std::chrono::milliseconds(std::max(1, lineTimeMs(queued))));
        if (Clock::now() >= deadline)
            stalled(fdwait::TimedOut);
        if (!fdwait::Sleep(wake, m_abort.get()))
            stalled(fdwait::Aborted);
    }
}

void SerialLine::Purge(bool input, bool output) {
    if (!input && !output)
        return;
    requireOpen();
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (retryIoctl(m_fd, TCFLSH, which) < 0)
        fail("PurgeComm function failed", errno);
}

} // namespace obd
