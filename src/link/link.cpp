#include "link/link.h"

#include "common/codec.h"
#include "common/errors.h"
#include "link/abortsignal.h"
#include "link/comport.h"
#include "link/demoline.h"
#include "link/protocollog.h"

#include <chrono>
#include <utility>

namespace obd {

namespace {

// A reply ends at the prompt or after one reply wait without a byte, however
// many pieces it comes in; a trickle without a prompt ends after this many
// reply waits in all (100 s with the production wait).
constexpr int MaxReplyWaits = 20;

constexpr QLatin1String ChipErrorWords[] = {
    QLatin1String("BUSBUSY"), QLatin1String("BUSERROR"),           QLatin1String("DATAERROR"),
    QLatin1String("NODATA"),  QLatin1String("BUS INIT: ...ERROR"), QLatin1String("?"),
};

const QString NoCommunicationText =
    QStringLiteral("Kommunikation mit dem Fahrzeug ist nicht möglich.\r\n"
                   "Initialisieren Sie das Interface neu.");

bool isTrimmed(QChar c) {
    return c.unicode() <= 32;
}

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString CleanReplyText(const QString& text) {
    QString reply = trimControls(text);
    if (reply.startsWith(QLatin1Char('4')))
        reply = trimControls(reply.remove(QLatin1Char(' ')));
    return reply;
}

QString CleanReply(const QByteArray& received) {
    const qsizetype prompt = received.indexOf('>');
    if (prompt < 0)
        return ReplyError;
    // One character per byte, so the prompt keeps its index.
    QString text = fromCp1252(received);
    text[prompt] = QLatin1Char(' ');
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return CleanReplyText(text);
}

bool IsChipErrorWord(const QString& reply) {
    for (const QLatin1String word : ChipErrorWords) {
        if (reply == word)
            return true;
    }
    return false;
}

Link::Link(TComPort& port, ProtocolLog* log, LinkNotifier& notifier)
    : m_port(port), m_log(log), m_notifier(notifier), m_abort(std::make_shared<AbortSignal>()),
      m_demo(std::make_unique<DemoLine>()) {
    m_port.SetAbortSignal(m_abort);
    m_demo->SetAbortSignal(m_abort);
}

// The port is not touched: it may have been released before the exchange
// (shutdown closes and releases it first); it keeps its share of the signal.
Link::~Link() = default;

void Link::Abort() {
    m_abort->Raise();
}

void Link::Resume() {
    m_abort->Clear();
}

bool Link::Aborted() const {
    return m_abort->Raised();
}

TComPort& Link::ComPort() {
    return m_port;
}

ProtocolLog* Link::LogFile() {
    return m_log;
}

void Link::log(const QString& phrase) {
    if (!m_log)
        return;
    const QString failure = m_log->WriteEvent(phrase);
    if (failure.isEmpty())
        return;
    // No box while this thread holds the line: it comes when the line is free.
    if (m_portOwner.load() == std::this_thread::get_id())
        m_logFailure = failure;
    else
        m_notifier.showLogFailure(failure);
}

void Link::LogEvent(const QString& phrase) {
    log(phrase);
}

void Link::acquirePort() {
    // A second SendCommand without its ReceiveReply on the same thread keeps
    // the lock it already holds instead of deadlocking on it.
    if (m_portOwner.load() == std::this_thread::get_id())
        return;
    m_portMutex.lock();
    m_portOwner.store(std::this_thread::get_id());
}

void Link::releasePort() {
    if (m_portOwner.load() != std::this_thread::get_id())
        return;
    const QString logFailure = std::exchange(m_logFailure, QString());
    m_portOwner.store(std::thread::id());
    m_portMutex.unlock();
    if (!logFailure.isEmpty())
        m_notifier.showLogFailure(logFailure);
}

Transport& Link::line() {
    if (m_demoReply)
        return *m_demo;
    return m_port;
}

void Link::SendCommand(const QString& command) {
    log(QStringLiteral("S: ") + command);
    acquirePort();
    m_demoReply = DemoMode.load();
    if (m_abort->Raised())
        return;
    try {
        discardStaleInput();
        line().WriteStr(toCp1252(command) + '\r');
    } catch (...) {
        releasePort();
        throw;
    }
}

void Link::discardStaleInput() {
    // A reply that came after its wait ended must not be taken for the answer
    // to this command; it is logged as discarded, control characters as blanks.
    // A closed port has nothing waiting: the write reports it.
    Transport& from = line();
    if (!from.Connected())
        return;
    const QByteArray stale = from.Read(from.InputCount());
    if (stale.isEmpty())
        return;
    QString text = fromCp1252(stale);
    for (QChar& c : text) {
        if (c.unicode() < 32)
            c = QLatin1Char(' ');
    }
    log(QStringLiteral("discarded: ") + text);
}

QByteArray Link::readUntilPrompt(int waitMs, bool& streaming) {
    using Clock = std::chrono::steady_clock;
    const auto cap = Clock::now() + std::chrono::milliseconds(qint64(MaxReplyWaits) * waitMs);
    Transport& from = line();
    QByteArray buffer;
    Clock::time_point first;
    streaming = false;
    while (!buffer.contains('>')) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(cap - Clock::now()).count();
        if (left <= 0 || !from.WaitForChars(static_cast<int>(std::min<qint64>(left, waitMs))))
            break;
        if (buffer.isEmpty())
            first = Clock::now();
        buffer += from.Read(from.InputCount());
        // A device that keeps sending without a prompt is no adapter: waiting
        // on would only fill memory until the cap.
        if (!buffer.contains('>') && IsStreaming(buffer.size(), Clock::now() - first)) {
            streaming = true;
            break;
        }
    }
    from.Purge(true, true);
    return buffer;
}

QString Link::ReceiveReply() {
    return receive(false, m_replyWaitMs);
}

QString Link::ReceiveRawReply(int waitMs) {
    return receive(true, waitMs > 0 ? waitMs : m_replyWaitMs);
}

QString Link::receive(bool raw, int waitMs) {
    // Without a SendCommand before it (not the intended use), the reply
    // follows the current demo switch.
    if (m_portOwner.load() != std::this_thread::get_id()) {
        acquirePort();
        m_demoReply = DemoMode.load();
    }
    QString reply;
    QString logged; // the cleaned reply
    bool streaming = false;
    try {
        if (m_abort->Raised()) {
            reply = logged = ReplyError;
        } else {
            const QByteArray received = readUntilPrompt(waitMs, streaming);
            // An abort during the wait leaves whatever came as no reply.
            const bool aborted = m_abort->Raised();
            logged = aborted ? ReplyError : CleanReply(received);
            const qsizetype prompt = received.indexOf('>');
            reply = !raw                    ? logged
                    : aborted || prompt < 0 ? ReplyError
                                            : fromCp1252(received.left(prompt));
        }
    } catch (...) {
        releasePort();
        throw;
    }
    releasePort();
    if (streaming) {
        log(QStringLiteral("R: ") + ReplyError);
        throw DriverError(NotAnAdapterText(m_port.Port()));
    }
    if (!raw && !reply.startsWith(QLatin1Char('4')) && IsChipErrorWord(reply))
        m_notifier.showChipError(QStringLiteral("ERROR Message: ") + reply);
    log(QStringLiteral("R: ") + logged);
    return reply;
}

bool Link::LineOpen() {
    return DemoMode.load() || m_port.Connected();
}

bool Link::CheckCommFailure() {
    if (!CommFailure.load())
        return false;
    m_notifier.showNoCommunication(NoCommunicationText);
    return true;
}

} // namespace obd
