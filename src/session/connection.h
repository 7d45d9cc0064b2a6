// The connection sequence: (re)opens the port (in demo mode none: the demo
// responder answers), brings the interface chip up
// with the steps its dialect names, checks that the vehicle's ECU answers,
// reads the supported PIDs, the OBD type, the monitor status and the VIN, and
// decides CommFailure. An ELM327-style chip gets its own settings after the
// identification, the vehicle's protocol is shown with the battery voltage,
// and the vehicle's answers are read as messages per control unit from then
// on (Framing). Every step reports itself by a signal; the line work runs off
// the calling thread, whose events go on meanwhile.
#pragma once

#include "common/obdtypes.h"
#include "services/adapterrequests.h"
#include "session/chipdialect.h"
#include "session/vehiclebus.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace obd {

class Link;
class TComPort;
struct RateDetection;

class ConnectionSequence : public QObject {
    Q_OBJECT
public:
    explicit ConnectionSequence(std::unique_ptr<ChipDialect> dialect, QObject* parent = nullptr);
    ~ConnectionSequence() override;

    // The polling worker must not run. link.CommFailure is true from the start
    // of the run and becomes false only when every step succeeded; an error
    // raised by the port or the log ends the run and is raised again here.
    void Run(TComPort& port, Link& link);
    // After a successful run with an ELM327-style chip: how its answers are
    // laid out. None after any other run (the ELM323's text dialogue).
    const std::optional<BusFraming>& Framing() const { return m_framing; }

    // How requests to the vehicle come back as messages: through the framing
    // found for an ELM327-style chip, else the ELM323's text dialogue.
    const VehicleBus& Bus() const;

signals:
    // A run begins: no status lines, every lamp off.
    void cleared();
    // The port could not be opened; the run goes on once the receiver returns.
    void portOpenFailed(const QString& text);
    void statusLine(const QString& text, bool ok);
    // Rate detection found the chip at this rate; the port's settings hold
    // it and are to be stored.
    void baudRateFound(int rate);
    // The port's name (or "COM?", or "Demo" in demo mode) and whether it is open.
    void portShown(const QString& label, bool open);
    void chipLamp(bool on);
    void ecuLamp(bool on);
    // The chip's identification, or "Fehler" when the chip is not usable.
    void interfaceShown(const QString& identification);
    // The name of the vehicle's protocol the adapter found.
    void protocolShown(const QString& name);
    void supportedPidsRead(const TSupportedPids& flags);
    void obdTypeRead(const QString& text);
    void monitorStatusRead(const TMonitorStatus& status);
    // The vehicle gave no usable monitor status: nothing is known about it.
    void monitorStatusUnreadable();
    // The vehicle's VIN; empty when it gave none.
    void vinRead(const QString& vin);

private:
    // Opens the port (reporting when it cannot), shows it and the rate found.
    void openPort(TComPort& port, Link& link);
    // The status line of the port's rate detection; a device that is no
    // adapter is closed again.
    void showDetection(const RateDetection& detection, TComPort& port);
    bool bringUp(Link& link);
    // Runs the steps until one fails; headers is set by a Headers step.
    bool runSteps(std::span<const ChipStep> steps, Link& link, QString& identification,
                  bool& headers);
    // With an ELM327-style chip: the ECU check (the adapter's protocol
    // search), the protocol, the battery voltage, then the vehicle's data.
    bool reachVehicle(Link& link, bool headers);

    std::unique_ptr<ChipDialect> m_dialect;
    std::optional<BusFraming> m_framing; // written by the run, read after it
    Elm327Bus m_framedBus;               // in m_framing, while that is set
};

} // namespace obd
