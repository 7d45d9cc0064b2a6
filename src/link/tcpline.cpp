#include "link/tcpline.h"

#include "link/abortsignal.h"

#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace obd {

namespace {

using Clock = fdwait::Clock;

bool isHostNameChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
           c == QLatin1Char('-') || c == QLatin1Char('_');
}

bool parsePort(const QString& text, quint16& port) {
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int value = text.toInt();
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<quint16>(value);
    return true;
}

struct AddrInfoFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

} // namespace

bool ParseTcpAddress(const QString& name, TcpAddress& address) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return false;
    QString host;
    QString port;
    if (name.startsWith(QLatin1Char('['))) {
        const qsizetype close = name.indexOf(QLatin1Char(']'));
        if (close < 2 || name.mid(close + 1, 1) != QLatin1String(":"))
            return false;
        host = name.mid(1, close - 1);
        port = name.mid(close + 2);
    } else {
        const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
        if (colon < 1)
            return false;
        host = name.left(colon);
        port = name.mid(colon + 1);
        for (const QChar c : host) {
            if (!isHostNameChar(c))
                return false;
        }
    }
    if (!parsePort(port, address.port))
        return false;
    address.host = host;
    return true;
}

TcpLine::~TcpLine() {
    Close();
}

void TcpLine::Open() {
    if (Connected())
        return;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const QByteArray host = m_address.host.toUtf8();
    const QByteArray service = QByteArray::number(m_address.port);
    const int resolved = ::getaddrinfo(host.constData(), service.constData(), &hints, &found);
    if (resolved != 0)
        FailDriver("Unable to open com port", resolved == EAI_SYSTEM ? errno : EHOSTUNREACH);
    const std::unique_ptr<addrinfo, AddrInfoFree> list(found);
    int error = EHOSTUNREACH;
    for (const addrinfo* a = list.get(); a; a = a->ai_next) {
        const int fd = connectTo(a->ai_addr, a->ai_addrlen, a->ai_family, deadline);
        if (fd >= 0) {
            m_fd = fd;
            return;
        }
        error = -fd;
        if (error == ETIMEDOUT || error == ECANCELED)
            break;
    }
    FailDriver("Unable to open com port", error);
}

int TcpLine::connectTo(const void* address, unsigned length, int family,
                       Clock::time_point deadline) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return -errno;
    auto failed = [fd](int error) {
        ::close(fd);
        return -error;
    };
    if (::connect(fd, static_cast<const sockaddr*>(address), length) < 0) {
        if (errno != EINPROGRESS)
            return failed(errno);
        const int r = fdwait::Wait(fd, POLLOUT, deadline, m_abort.get());
        if (r == fdwait::TimedOut || r == fdwait::Aborted)
            return failed(fdwait::ErrorOf(r));
        // A refused connection also ends the wait; the socket says why.
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) < 0)
            return failed(errno);
        if (error != 0)
            return failed(error);
        if (r < 0)
            return failed(-r);
    }
    const int on = 1;
    if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) < 0)
        return failed(errno);
    return fd;
}

void TcpLine::Close() {
    if (!Connected())
        return;
    ::close(m_fd.exchange(-1));
}

QString TcpLine::name() const {
    return m_address.host.contains(QLatin1Char(':'))
               ? QStringLiteral("[%1]:%2").arg(m_address.host).arg(m_address.port)
               : QStringLiteral("%1:%2").arg(m_address.host).arg(m_address.port);
}

void TcpLine::WriteStr(const QByteArray& bytes) {
    requireOpen();
    if (m_abort && m_abort->Raised())
        FailDriver("WriteFile function failed", ECANCELED);
    const auto deadline = Clock::now() + std::chrono::milliseconds(WriteSlackMs);
    const int written = writeAll(bytes, deadline);
    if (written != fdwait::Ready)
        fail("WriteFile function failed", fdwait::ErrorOf(written));
}

ssize_t TcpLine::writeSome(const char* bytes, size_t n) {
    // A peer that has gone fails the write instead of raising SIGPIPE.
    return ::send(m_fd, bytes, n, MSG_NOSIGNAL);
}

bool TcpLine::WaitForChars(int timeoutMs) {
    const bool ready = FdLine::WaitForChars(timeoutMs);
    // Readable without bytes: the peer has closed its side.
    if (ready && InputCount() == 0)
        lost();
    return ready;
}

void TcpLine::Purge(bool input, bool output) {
    if (!input && !output)
        return;
    requireOpen();
    while (input && InputCount() > 0)
        Read(InputCount());
}

} // namespace obd
