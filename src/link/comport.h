// The port object: the port name the user chose and the line settings,
// opened as the serial device or the Wi-Fi adapter the name stands for.
// Failures raise DriverError with the driver's text and errno as the code.
#pragma once

#include "link/transport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

namespace obd {

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

class SerialLine;

// What the rate detection of the last Open gave.
struct RateDetection {
    int rate = 0;           // the rate at which the chip identified itself, 0 for none
    QList<int> tried;       // the rates tried, in order
    bool streaming = false; // the device kept sending without pause: no adapter
};

// The one port: its name, its line settings and the transport the name
// stands for. A name of the form host:port (see ParseTcpAddress) is a Wi-Fi
// adapter reached over TCP, anything else a serial device; line settings and
// rate detection apply to serial devices only.
class TComPort : public Transport {
public:
    TComPort();
    ~TComPort() override;
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

    // With rate detection on, opening a serial device tries DetectionRates
    // until the chip identifies itself ("ELM...") to ATI and keeps the first
    // rate at which it does. A device that keeps sending without a pause ends
    // the detection at once: it is no adapter.
    bool AutoBaud() const { return m_autoBaud; }
    void SetAutoBaud(bool on) { m_autoBaud = on; }
    // What the last Open's rate detection gave: nullopt when it did not run.
    // Without a rate found the stored rate stays; a rate found is now in
    // Settings().
    const std::optional<RateDetection>& Detection() const { return m_detected; }

    // Opens the device for exclusive use (flock, then TIOCEXCL) and applies the
    // line settings, or connects to the Wi-Fi adapter. Opening an open port
    // does nothing. On failure the port stays closed and no descriptor is left
    // behind; an unusable name fails with EINVAL.
    void Open() override;
    void Close() override;
    bool Connected() const override { return m_line->Connected(); }

    // A serial write returns when the line has transmitted every byte.
    void WriteStr(const QByteArray& bytes) override { m_line->WriteStr(bytes); }
    bool WaitForChars(int timeoutMs) override { return m_line->WaitForChars(timeoutMs); }
    int InputCount() override { return m_line->InputCount(); }
    QByteArray Read(int count) override { return m_line->Read(count); }
    void Purge(bool input, bool output) override { m_line->Purge(input, output); }
    void SetAbortSignal(std::shared_ptr<const AbortSignal> signal) override;

private:
    // The transport for the current name (closed).
    void makeLine();
    void detectBaudRate();
    // Whether the chip identifies itself at this rate.
    enum class Trial { Identified, NoAnswer, Streaming };
    Trial tryRate(int rate);
    // What the device sends after a command until the line is quiet for
    // quietMs; false when it kept sending beyond any answer.
    bool collectAnswer(int quietMs, QByteArray& received);

    QString m_port = DefaultPortName;
    LineSettings m_settings;
    bool m_autoBaud = false;
    std::optional<RateDetection> m_detected;
    std::unique_ptr<Transport> m_line;
    SerialLine* m_serial = nullptr; // m_line when it is a serial device
    std::shared_ptr<const AbortSignal> m_abort;
};

// The rates rate detection tries, in order: the usual factory rates of
// adapters first.
inline constexpr int DetectionRates[] = {38400, 9600, 115200, 57600, 230400, 19200};
// How long detection waits for the first byte of the chip's answer at one
// rate: a chip that says nothing for a second does not understand the rate.
inline constexpr int DetectionAnswerMs = 1000;
// The answer has ended when the line stayed quiet this long (at least
// DetectionQuietMinMs, which covers a loaded machine's scheduling).
int DetectionQuietMs(int rate);
inline constexpr int DetectionQuietMinMs = 100;

// An answer of the chip is short: its longest, a multi-frame answer of
// several control units with headers, stays below AnswerBytesMax and ends
// within AnswerMsMax once it has begun. A device that sends more than
// StreamBytes without a prompt, or more than AnswerBytesMax for longer than
// AnswerMsMax, is streaming: a wrong device (a GPS), an adapter in monitor
// mode or a line at the wrong rate full of noise.
inline constexpr int AnswerBytesMax = 512;
inline constexpr int AnswerMsMax = 3000;
inline constexpr int StreamBytes = 2048;
bool IsStreaming(qsizetype bytes, std::chrono::steady_clock::duration sinceFirstByte);
// What the user reads about such a device.
QString NotAnAdapterText(const QString& port);

// False for a name no device can have: one holding a NUL, CR or LF (the
// system would open the path cut at the NUL).
bool IsPortNameUsable(const QString& name);

// The port object with the fixed line settings: 9600 baud, 8 data bits, one
// stop bit, no parity, no flow control, DTR and RTS on. Not opened.
std::unique_ptr<TComPort> CreatePort();
// Closes the port if it is open and releases it.
void ClosePort(std::unique_ptr<TComPort>& port);

// "Unable to open com port (win error code: 2)": a driver text with its code.
QString DriverErrorText(const char* text, int error);

} // namespace obd
