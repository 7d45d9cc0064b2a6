#include "link/comport.h"

#include "link/serialline.h"
#include "link/tcpline.h"

namespace obd {

QString DriverErrorText(const char* text, int error) {
    return QStringLiteral("%1 (win error code: %2)").arg(QLatin1String(text)).arg(error);
}

TComPort::TComPort() {
    makeLine();
}

TComPort::~TComPort() = default;

void TComPort::makeLine() {
    TcpAddress address;
    if (ParseTcpAddress(m_port, address)) {
        m_line = std::make_unique<TcpLine>(address);
        m_serial = nullptr;
    } else {
        auto serial = std::make_unique<SerialLine>(m_port, m_settings);
        m_serial = serial.get();
        m_line = std::move(serial);
    }
    m_line->SetAbortSignal(m_abort);
}

void TComPort::SetPort(const QString& name) {
    if (name == m_port)
        return;
    const bool reopen = Connected();
    m_line->Close();
    m_port = name;
    makeLine();
    if (reopen)
        Open();
}

void TComPort::SetSettings(const LineSettings& settings) {
    m_settings = settings;
    if (m_serial)
        m_serial->SetSettings(settings);
}

void TComPort::SetAbortSignal(std::shared_ptr<const AbortSignal> signal) {
    m_abort = std::move(signal);
    m_line->SetAbortSignal(m_abort);
}

bool IsPortNameUsable(const QString& name) {
    return !name.contains(QChar(0)) && !name.contains(QLatin1Char('\r')) &&
           !name.contains(QLatin1Char('\n'));
}

void TComPort::Open() {
    if (Connected())
        return;
    m_detected.reset();
    m_line->Open();
    if (!m_serial || !m_autoBaud)
        return;
    try {
        detectBaudRate();
    } catch (...) {
        Close();
        throw;
    }
}

void TComPort::detectBaudRate() {
    using Clock = fdwait::Clock;
    for (const int rate : DetectionRates) {
        LineSettings trial = m_settings;
        trial.baudRate = rate;
        m_serial->SetSettings(trial);
        m_serial->Purge(true, true);
        // Any prompt will do: after garbage from other rates the chip may
        // answer "?" instead of its identification.
        m_serial->WriteStr("ATI\r");
        const auto deadline = Clock::now() + std::chrono::milliseconds(DetectionWaitMs);
        QByteArray received;
        while (!received.contains('>')) {
            const int left = fdwait::MsUntil(deadline);
            if (left <= 0 || !m_serial->WaitForChars(left))
                break;
            received += m_serial->Read(m_serial->InputCount());
        }
        if (received.contains('>')) {
            m_settings = trial;
            m_serial->Purge(true, true);
            m_detected = rate;
            return;
        }
    }
    m_serial->SetSettings(m_settings);
    m_serial->Purge(true, true);
    m_detected = 0;
}

void TComPort::Close() {
    m_line->Close();
}

std::unique_ptr<TComPort> CreatePort() {
    auto port = std::make_unique<TComPort>();
    LineSettings s;
    s.baudRate = 9600;
    s.dataBits = 8;
    s.stopBits = StopBits::One;
    s.parity = Parity::None;
    s.flow = FlowSettings{DtrControl::Enable, RtsControl::Enable, false, false, false};
    port->SetSettings(s);
    return port;
}

void ClosePort(std::unique_ptr<TComPort>& port) {
    if (port)
        port->Close();
    port.reset();
}

} // namespace obd
