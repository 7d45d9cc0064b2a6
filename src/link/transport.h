// The byte stream to an interface chip, whatever carries it: a serial line,
// a TCP connection to a Wi-Fi adapter, or the demo responder. The exchange
// reaches the chip through these operations only. Failures raise DriverError
// with the driver's texts and errno as the code.
#pragma once

#include "common/errors.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <sys/types.h>

namespace obd {

class AbortSignal;

// The adapter is gone: its device vanished (unplugged, the simulator's
// terminal closed), the other end closed the connection, or the port is not
// open. Raised instead of a driver text; the user is offered to connect again.
class AdapterGone : public DriverError {
public:
    using DriverError::DriverError;
};

class Transport {
public:
    virtual ~Transport() = default;

    // Opening an open transport does nothing; a failed open leaves it closed.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool Connected() const = 0;

    // Sends every byte; fails (ETIMEDOUT) when they cannot leave within
    // WriteSlackMs plus their time on the line, at once (ECANCELED) when the
    // abort signal is raised.
    virtual void WriteStr(const QByteArray& bytes) = 0;
    static constexpr int WriteSlackMs = 2000;
    // True as soon as at least one received byte is ready, false when timeoutMs
    // passed without one or the abort signal is raised.
    virtual bool WaitForChars(int timeoutMs) = 0;
    // Received bytes not yet read.
    virtual int InputCount() = 0;
    // Up to count received bytes, at once, in arrival order.
    virtual QByteArray Read(int count) = 0;
    // Throws away unread received bytes and/or bytes not yet sent.
    virtual void Purge(bool input, bool output) = 0;

    // The signal whose raising ends the waits; null for none. Set while no
    // other thread uses the transport, which shares it with the setter (the
    // port may outlive the exchange that set it, or the other way round).
    virtual void SetAbortSignal(std::shared_ptr<const AbortSignal> signal) = 0;
};

// Shared by the transports that wait on a descriptor.
namespace fdwait {

using Clock = std::chrono::steady_clock;

// Outcomes of Wait besides a negative errno.
enum { Ready = 0, TimedOut = 1, Aborted = 2 };

// Milliseconds until the deadline, rounded up so that poll never ends before it.
int MsUntil(Clock::time_point deadline);

// Polls fd for events until the deadline or the abort signal (may be null).
// A hang-up or error on fd without the events gives -EIO (-EBADF for a
// descriptor that is not open).
int Wait(int fd, short events, Clock::time_point deadline, const AbortSignal* abort);

// The errno a wait's outcome other than Ready stands for: ETIMEDOUT,
// ECANCELED (aborted) or the error itself.
int ErrorOf(int outcome);

// Sleeps until the deadline; false when the abort signal ended the sleep.
bool Sleep(Clock::time_point deadline, const AbortSignal* abort);

} // namespace fdwait

// A transport on one non-blocking descriptor (serial device, socket): the
// operations both carry out alike. A descriptor that reports the device or
// the connection gone is closed at once; once closed it is never used again,
// and every operation raises AdapterGone until the line is opened anew.
class FdLine : public Transport {
public:
    bool Connected() const override { return m_fd.load() >= 0; }
    // Waits for a byte, polling the descriptor and the abort signal.
    bool WaitForChars(int timeoutMs) override;
    // FIONREAD.
    int InputCount() override;
    QByteArray Read(int count) override;
    void SetAbortSignal(std::shared_ptr<const AbortSignal> signal) override {
        m_abort = std::move(signal);
    }

protected:
    // Writes every byte, sleeping while the descriptor takes no more; Ready,
    // or the outcome of the wait that ended it (a write error as -errno).
    int writeAll(const QByteArray& bytes, fdwait::Clock::time_point deadline);
    // One write of up to n bytes; -1 with errno on failure.
    virtual ssize_t writeSome(const char* bytes, size_t n);
    // The name the user knows the line by (device path, host:port).
    virtual QString name() const = 0;
    // Raises AdapterGone while the line is closed.
    void requireOpen() const;
    // Raises the driver text with error, or AdapterGone (closing the
    // descriptor) when error says the device or the connection has gone.
    [[noreturn]] void fail(const char* text, int error);
    // Closes the descriptor and raises AdapterGone.
    [[noreturn]] void lost();

    std::atomic<int> m_fd{-1};
    std::shared_ptr<const AbortSignal> m_abort;
};

// What the user reads when the adapter has gone, or was never connected.
QString AdapterLostText(const QString& name);
QString AdapterClosedText(const QString& name);

// "Unable to open com port (win error code: 2)" raised as DriverError.
[[noreturn]] void FailDriver(const char* text, int error);

} // namespace obd
