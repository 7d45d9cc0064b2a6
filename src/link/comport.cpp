#include "link/comport.h"

#include "link/serialline.h"
#include "link/tcpline.h"

#include <algorithm>

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

int DetectionQuietMs(int rate) {
    // 32 characters of 10 bits at the rate: the gaps of a chip's answer are
    // far shorter.
    return std::max(DetectionQuietMinMs, 32 * 10 * 1000 / std::max(rate, 1));
}

bool IsStreaming(qsizetype bytes, std::chrono::steady_clock::duration sinceFirstByte) {
    return bytes > StreamBytes ||
           (bytes > AnswerBytesMax && sinceFirstByte > std::chrono::milliseconds(AnswerMsMax));
}

QString NotAnAdapterText(const QString& port) {
    return QStringLiteral("Das Gerät an %1 antwortet nicht wie ein OBD-Adapter: es sendet "
                          "fortlaufend Daten ohne Eingabeaufforderung ('>'). Ist es das falsche "
                          "Gerät, die falsche Baudrate oder ein Adapter im Monitor-Modus?")
        .arg(port);
}

namespace {

// What a chip's answer to ATI says: its identification, "?" (it heard
// leftovers of an earlier rate before the command), or nothing an ELM chip
// would send (noise, no prompt).
enum class AtiAnswer { Identification, Unknown, Other };

AtiAnswer atiAnswerOf(const QByteArray& received) {
    const qsizetype prompt = received.indexOf('>');
    if (prompt < 0)
        return AtiAnswer::Other;
    const QByteArray text = received.left(prompt);
    for (const char c : text) {
        if (c != '\r' && c != '\n' && (c < ' ' || c > '~'))
            return AtiAnswer::Other;
    }
    bool unknown = false;
    for (const QByteArray& line : text.split('\r')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("ELM"))
            return AtiAnswer::Identification;
        unknown = unknown || trimmed == "?";
    }
    return unknown ? AtiAnswer::Unknown : AtiAnswer::Other;
}

} // namespace

bool TComPort::collectAnswer(int quietMs, QByteArray& received) {
    using Clock = fdwait::Clock;
    if (!m_serial->WaitForChars(DetectionAnswerMs))
        return true;
    const auto first = Clock::now();
    do {
        received += m_serial->Read(m_serial->InputCount());
        if (IsStreaming(received.size(), Clock::now() - first))
            return false;
    } while (m_serial->WaitForChars(quietMs));
    return true;
}

TComPort::Trial TComPort::tryRate(int rate) {
    LineSettings trial = m_settings;
    trial.baudRate = rate;
    m_serial->SetSettings(trial);
    m_serial->Purge(true, true);
    // A chip that heard garbage from other rates before the command answers
    // "?": it is asked once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_serial->WriteStr("ATI\r");
        QByteArray received;
        if (!collectAnswer(DetectionQuietMs(rate), received))
            return Trial::Streaming;
        const AtiAnswer answer = atiAnswerOf(received);
        if (answer == AtiAnswer::Identification)
            return Trial::Identified;
        if (answer == AtiAnswer::Other)
            return Trial::NoAnswer;
    }
    return Trial::NoAnswer;
}

void TComPort::detectBaudRate() {
    RateDetection detection;
    for (const int rate : DetectionRates) {
        detection.tried.append(rate);
        const Trial trial = tryRate(rate);
        if (trial == Trial::Identified) {
            m_settings.baudRate = rate;
            detection.rate = rate;
            break;
        }
        if (trial == Trial::Streaming) {
            detection.streaming = true;
            break;
        }
    }
    m_serial->SetSettings(m_settings);
    m_serial->Purge(true, true);
    m_detected = detection;
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
