// The serial port driver: one termios device opened exclusively, raw 8-bit
// line, non-blocking reads (a read returns at once with what has arrived),
// writes that return when every byte has left (or fail after a bound), waits
// that sleep in poll() and end early when the abort signal is raised.
// Failures raise DriverError with the driver's text and errno as the code.
#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

namespace obd {

class AbortSignal;

enum class StopBits { One, OnePointFive, Two };
enum class Parity { None, Odd, Even, Mark, Space };
enum class DtrControl { Disable, Enable };
enum class RtsControl { Disable, Enable, Handshake };

// Handshake lines and flow control. The fields are the ones the stored
// "FlowControl" text is derived from and applied to.
struct FlowSettings {
    DtrControl dtr = DtrControl::Enable;
    RtsControl rts = RtsControl::Enable;
    bool outCtsFlow = false; // hardware output flow control (CTS)
    bool xonXoffOut = false; // software flow control of what we send
    bool xonXoffIn = false;  // software flow control of what we receive
};

struct LineSettings {
    int baudRate = 9600; // bits per second; rates without a Bxxx constant are set as BOTHER
    int dataBits = 8;    // 5 to 8
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    FlowSettings flow;
};

// The platform's first serial port, the name a new port object starts with.
inline const QString DefaultPortName = QStringLiteral("/dev/ttyS0");

class TComPort {
public:
    TComPort() = default;
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Setting an equal name does nothing; another name on an open port closes
    // it and opens it again under the new name (an open failure is raised).
    const QString& Port() const { return m_port; }
    void SetPort(const QString& name);

    // On a closed port the settings take effect at the next Open; on an open
    // port they are applied at once.
    const LineSettings& Settings() const { return m_settings; }
    void SetSettings(const LineSettings& settings);

    // Opens the device for exclusive use (flock, then TIOCEXCL) and applies the
    // line settings. Opening an open port does nothing. On failure the port
    // stays closed and no descriptor is left behind.
    void Open();
    void Close();
    bool Connected() const { return m_fd >= 0; }

    // Sends every byte and returns when the line has transmitted them. A write
    // that cannot finish within WriteSlackMs plus the bytes' time at the line
    // rate fails (ETIMEDOUT) and its unsent bytes are discarded; a raised abort
    // signal fails it at once (ECANCELED).
    void WriteStr(const QByteArray& bytes);
    static constexpr int WriteSlackMs = 2000;
    // True as soon as at least one received byte is ready, false when timeoutMs
    // passed without one or the abort signal is raised.
    bool WaitForChars(int timeoutMs);
    // Received bytes not yet read.
    int InputCount();
    // Up to count received bytes, at once, in arrival order.
    QByteArray Read(int count);
    // Throws away unread received bytes and/or bytes not yet sent.
    void Purge(bool input, bool output);

    // The signal whose raising ends the waits of WriteStr and WaitForChars;
    // null for none. Set while no other thread uses the port.
    void SetAbortSignal(const AbortSignal* signal) { m_abort = signal; }

private:
    // Outcomes of waitFor besides a negative errno.
    enum { WaitReady = 0, WaitTimedOut = 1, WaitAborted = 2 };
    // Polls the device for events until the deadline or the abort signal.
    int waitFor(short events, std::chrono::steady_clock::time_point deadline);
    // Milliseconds the line takes for that many bytes at the current settings.
    int lineTimeMs(qsizetype bytes) const;
    void applySettings();
    void applyModemLines();
    [[noreturn]] void fail(const char* text, int error) const;

    QString m_port = DefaultPortName;
    LineSettings m_settings;
    int m_fd = -1;
    const AbortSignal* m_abort = nullptr;
};

// The port object with the fixed line settings: 9600 baud, 8 data bits, one
// stop bit, no parity, no flow control, DTR and RTS on. Not opened.
std::unique_ptr<TComPort> CreatePort();
// Closes the port if it is open and releases it.
void ClosePort(std::unique_ptr<TComPort>& port);

// "Unable to open com port (win error code: 2)": a driver text with its code.
QString DriverErrorText(const char* text, int error);

} // namespace obd
