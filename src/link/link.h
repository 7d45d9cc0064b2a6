// The command exchange with the interface chip: one object owns the port, the
// demo switch, the protocol log and the comm-failure guard. Every request to
// the chip or the vehicle is one SendCommand followed by one ReceiveReply, on
// the port's transport or, in demo mode, on the demo responder's.
//
// CONTRACT for the other folders (services, workbench): the names and
// signatures below are relied on; internals are free.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace obd {

class TComPort;    // link/comport.h: the termios serial port driver
class ProtocolLog; // link/protocollog.h: LogFile.txt
class AbortSignal; // link/abortsignal.h: ends the port's waits from another thread
class Transport;   // link/transport.h: what carries the bytes
class DemoLine;    // link/demoline.h: the demo responder

// "Fehler": no complete reply; also the failure result of the chip commands.
inline const QString ReplyError = QStringLiteral("Fehler");

// The message boxes the exchange raises. The GUI implements them (and
// marshals to the GUI thread when called from the polling worker); tests
// record them. Called with no lock held.
class LinkNotifier {
public:
    virtual ~LinkNotifier() = default;
    // "ERROR Message: " + error word
    virtual void showChipError(const QString& message) = 0;
    // "Kommunikation mit dem Fahrzeug ist nicht möglich.\r\nInitialisieren Sie das Interface neu."
    virtual void showNoCommunication(const QString& message) = 0;
    // A protocol log line could not be written ("Protokolldatei ... No space
    // left on device"); called once per failure, the exchange goes on.
    virtual void showLogFailure(const QString& message) = 0;
};

class Link {
public:
    // log may be null (start-up could not open it); lines are then dropped.
    Link(TComPort& port, ProtocolLog* log, LinkNotifier& notifier);
    ~Link();

    TComPort& ComPort();
    ProtocolLog* LogFile();

    void SendCommand(const QString& command);
    QString ReceiveReply();
    // The reply as the chip sent it: the text before the first prompt, line
    // breaks kept, or ReplyError; no chip error box (the caller reads the
    // adapter's messages itself). The log's R: line is the one ReceiveReply
    // writes. waitMs > 0 replaces the reply wait for this reply (the adapter's
    // protocol search is silent for seconds).
    QString ReceiveRawReply(int waitMs = 0);

    // Whether the line the next exchange goes over is open: the demo
    // responder always is (demo mode needs no port), the port when connected.
    bool LineOpen();

    // Shows the no-communication box and returns true while CommFailure is set.
    bool CheckCommFailure();

    // Callable from any thread while another is inside an exchange: the wait or
    // write under way ends at once (the reply becomes ReplyError, the write
    // fails), and until Resume every exchange returns ReplyError at once
    // without touching the line.
    void Abort();
    void Resume();
    // Between Abort and Resume.
    bool Aborted() const;

    // Writes TimeStamp + " - " + phrase ("Read DTC", "New Init", ...).
    void LogEvent(const QString& phrase);

    std::atomic<bool> CommFailure{true};
    std::atomic<bool> DemoMode{false};
    // (DemoCommand is internal state of the exchange.)

    // Each wait for received characters lasts at most this long. Tests of the
    // silent chip shorten it; the program keeps the default.
    static constexpr int ReplyWaitMs = 5000;
    void SetReplyWaitForTesting(int ms) { m_replyWaitMs = ms; }

private:
    // The transport of the exchange under way: the demo responder or the port.
    Transport& line();
    void discardStaleInput();
    // streaming: the device kept sending beyond any answer (IsStreaming).
    QByteArray readUntilPrompt(int waitMs, bool& streaming);
    QString receive(bool raw, int waitMs);
    void log(const QString& phrase);
    // The port lock is taken by SendCommand and given back by ReceiveReply once
    // its reading is done, so no other exchange can come between the two.
    void acquirePort();
    void releasePort();

    TComPort& m_port;
    ProtocolLog* m_log;
    LinkNotifier& m_notifier;
    std::mutex m_portMutex;
    std::atomic<std::thread::id> m_portOwner{};
    bool m_demoReply = false; // the path SendCommand took; guarded by m_portMutex
    QString m_logFailure;     // to report once the port is released; guarded by m_portMutex
    int m_replyWaitMs = ReplyWaitMs;
    std::shared_ptr<AbortSignal> m_abort; // shared with the port and the demo line
    std::unique_ptr<DemoLine> m_demo;     // used under m_portMutex
};

// The reply text of received chip output: no first '>' gives ReplyError;
// otherwise the first '>', CR and LF become blanks, characters up to 32 are
// trimmed from both ends and a reply beginning with "4" loses all blanks.
QString CleanReply(const QByteArray& received);
// Trims a reply text and removes the blanks of a positive response ("4...").
QString CleanReplyText(const QString& text);
// One of the chip's six error words, compared exactly.
bool IsChipErrorWord(const QString& reply);

// Appends the names of the serial ports (real devices, then the simulator's
// announced ports) to list.
void ListComPorts(QStringList& list);

} // namespace obd
