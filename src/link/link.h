// The command exchange with the interface chip: one object owns the port, the
// demo switch, the protocol log and the comm-failure guard. Every request to
// the chip or the vehicle is one SendCommand followed by one ReceiveReply.
//
// CONTRACT for the other folders (services, workbench): the names and
// signatures below are relied on; internals are free.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

namespace obd {

class TComPort;    // link/comport.h: the termios serial port driver
class ProtocolLog; // link/protocollog.h: LogFile.txt

// "Fehler": no complete reply; also the failure result of the chip commands.
inline const QString ReplyError = QStringLiteral("Fehler");

// The two message boxes the exchange raises. The GUI implements them (and
// marshals to the GUI thread when called from the polling worker); tests
// record them. Called with no lock held.
class LinkNotifier {
public:
    virtual ~LinkNotifier() = default;
    // "ERROR Message: " + error word
    virtual void showChipError(const QString& message) = 0;
    // "Kommunikation mit dem Fahrzeug ist nicht möglich.\r\nInitialisieren Sie das Interface neu."
    virtual void showNoCommunication(const QString& message) = 0;
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

    // Shows the no-communication box and returns true while CommFailure is set.
    bool CheckCommFailure();

    // Writes TimeStamp + " - " + phrase ("Read DTC", "New Init", ...).
    void LogEvent(const QString& phrase);

    std::atomic<bool> CommFailure{true};
    std::atomic<bool> DemoMode{false};
    // (DemoCommand is internal state of the exchange.)
};

// Appends the names of the serial ports (real devices, then the simulator's
// announced ports) to list.
void ListComPorts(QStringList& list);

} // namespace obd
