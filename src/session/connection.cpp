#include "session/connection.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "services/j1979.h"
#include "session/offthread.h"

namespace obd {

ConnectionSequence::ConnectionSequence(std::unique_ptr<ChipDialect> dialect, QObject* parent)
    : QObject(parent), m_dialect(std::move(dialect)) {}

ConnectionSequence::~ConnectionSequence() = default;

void ConnectionSequence::Run(TComPort& port, Link& link) {
    // A run that does not reach its end leaves the vehicle actions closed.
    link.CommFailure = true;
    if (port.Connected())
        port.Close();
    emit cleared();

    // Connecting to a Wi-Fi adapter and rate detection take their time: the
    // window stays drawn meanwhile.
    bool openFailed = false;
    RunOffThread([&] {
        try {
            port.Open();
        } catch (const Error&) {
            openFailed = true;
        }
    });
    if (openFailed) {
        // The driver's own text is not shown.
        emit portOpenFailed(port.Port() + QStringLiteral(" kann nicht geöffnet werden!"));
    }
    if (!port.Connected()) {
        emit statusLine(QStringLiteral("Port: ") + port.Port() +
                            QStringLiteral(" kann nicht geöffnet werden"),
                        false);
        emit portShown(QStringLiteral("COM?"), false);
    } else {
        emit statusLine(QStringLiteral("Port: ") + port.Port() + QStringLiteral(" bereit"), true);
        emit portShown(port.Port(), true);
        if (const std::optional<int> rate = port.DetectedBaudRate()) {
            emit statusLine(*rate ? QStringLiteral("Baudrate erkannt: %1").arg(*rate)
                                  : QStringLiteral("Baudrate nicht erkannt"),
                            *rate != 0);
            if (*rate)
                emit baudRateFound(*rate);
        }
        port.Purge(true, true);
    }
    bool ready = false;
    RunOffThread([&] { ready = bringUp(link); });
    link.CommFailure = !ready;
}

bool ConnectionSequence::bringUp(Link& link) {
    // A port that did not open fails every chip step before it is sent.
    bool failed = !link.ComPort().Connected();
    QString identification;
    for (const ChipStep& step : m_dialect->Steps()) {
        if (failed)
            break;
        const QString r = step.run(link);
        failed = r == ReplyError;
        if (step.role == ChipStep::Role::Identify) {
            identification = r;
            emit interfaceShown(r);
        }
        emit statusLine(QString::fromUtf8(step.prefix) + r, !failed);
        if (step.role == ChipStep::Role::Reset)
            emit chipLamp(!failed);
    }
    if (failed) {
        emit statusLine(QStringLiteral("Keine Verbindung zum Interface"), false);
        emit interfaceShown(ReplyError);
        return false;
    }
    emit statusLine(QStringLiteral("Interface ist betriebsbereit"), true);

    if (!CheckEcuLink(link)) {
        // The check keeps no reply; the identification is the text the
        // sequence holds at this point.
        emit statusLine(QStringLiteral("Verbindung mit ECU: ") + identification, false);
        emit ecuLamp(false);
        return false;
    }
    emit statusLine(QStringLiteral("Verbindung mit ECU: OK"), true);
    emit ecuLamp(true);
    TSupportedPids supported{};
    ReadSupportedPids(link, supported);
    emit supportedPidsRead(supported);
    QString obdType;
    ReadSensorData(link, supported, QStringLiteral("01"), QStringLiteral("1C"), obdType);
    emit obdTypeRead(obdType);

    TMonitorStatus status;
    if (ReadMonitorStatus(link, status)) {
        emit monitorStatusRead(status);
    } else {
        emit statusLine(QStringLiteral("Monitorstatus: ") + ReplyError, false);
        emit monitorStatusUnreadable();
    }
    return true;
}

} // namespace obd
