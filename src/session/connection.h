// The connection sequence: (re)opens the port, brings the interface chip up
// with the steps its dialect names, checks that the vehicle's ECU answers,
// reads the supported PIDs, the OBD type and the monitor status, and decides
// CommFailure. Every step reports itself by a signal; the line work runs off
// the calling thread, whose events go on meanwhile.
#pragma once

#include "common/obdtypes.h"
#include "session/chipdialect.h"

#include <QObject>
#include <QString>
#include <memory>

namespace obd {

class Link;
class TComPort;

class ConnectionSequence : public QObject {
    Q_OBJECT
public:
    explicit ConnectionSequence(std::unique_ptr<ChipDialect> dialect, QObject* parent = nullptr);
    ~ConnectionSequence() override;

    // The polling worker must not run. link.CommFailure is true from the start
    // of the run and becomes false only when every step succeeded; an error
    // raised by the port or the log ends the run and is raised again here.
    void Run(TComPort& port, Link& link);

signals:
    // A run begins: no status lines, every lamp off.
    void cleared();
    // The port could not be opened; the run goes on once the receiver returns.
    void portOpenFailed(const QString& text);
    void statusLine(const QString& text, bool ok);
    // Rate detection found the chip at this rate; the port's settings hold
    // it and are to be stored.
    void baudRateFound(int rate);
    // The port's name (or "COM?") and whether it is open.
    void portShown(const QString& label, bool open);
    void chipLamp(bool on);
    void ecuLamp(bool on);
    // The chip's identification, or "Fehler" when the chip is not usable.
    void interfaceShown(const QString& identification);
    void supportedPidsRead(const TSupportedPids& flags);
    void obdTypeRead(const QString& text);
    void monitorStatusRead(const TMonitorStatus& status);
    // The vehicle gave no usable monitor status: nothing is known about it.
    void monitorStatusUnreadable();

private:
    bool bringUp(Link& link);

    std::unique_ptr<ChipDialect> m_dialect;
};

} // namespace obd
