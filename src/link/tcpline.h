// The TCP transport for Wi-Fi adapters: the adapter is a TCP server whose
// byte stream is the chip's serial line. Connects only to the address it is
// given, within ConnectTimeoutMs, with Nagle's delay off so that every
// command leaves at once.
#pragma once

#include "link/transport.h"

#include <QString>

namespace obd {

// host:port as typed for a Wi-Fi adapter: a host name or IPv4 address, or an
// IPv6 address in brackets, then a port from 1 to 65535.
struct TcpAddress {
    QString host; // without brackets
    quint16 port = 0;
};

// The address named by a port name, or false when the name is no host:port
// (a name starting with "/" is always a device path).
bool ParseTcpAddress(const QString& name, TcpAddress& address);

class TcpLine : public FdLine {
public:
    explicit TcpLine(const TcpAddress& address) : m_address(address) {}
    ~TcpLine() override;
    TcpLine(const TcpLine&) = delete;
    TcpLine& operator=(const TcpLine&) = delete;

    static constexpr int ConnectTimeoutMs = 5000;

    // Resolves the host and connects to its addresses in turn until one
    // accepts; fails with the last errno (ETIMEDOUT when the bound passed,
    // ECANCELED when the abort signal was raised, EHOSTUNREACH for a name
    // without address).
    void Open() override;
    void Close() override;
    // Returns when the system has taken every byte; the peer's closing
    // fails the write (AdapterGone), so does a send buffer that stays full
    // (ETIMEDOUT).
    void WriteStr(const QByteArray& bytes) override;
    // The peer closing the connection with nothing left to read fails the
    // wait (AdapterGone): no reply can come any more.
    bool WaitForChars(int timeoutMs) override;
    // Received bytes are read and dropped; bytes already sent cannot be
    // called back, so output has nothing to discard.
    void Purge(bool input, bool output) override;

private:
    QString name() const override;
    ssize_t writeSome(const char* bytes, size_t n) override;
    // The connected socket for one resolved address, or -errno.
    int connectTo(const void* sockaddr, unsigned length, int family,
                  fdwait::Clock::time_point deadline);

    TcpAddress m_address;
};

} // namespace obd
