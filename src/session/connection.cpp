#include "session/connection.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "services/adaptermessages.h"
#include "services/ecuanswers.h"
#include "services/j1979.h"
#include "session/offthread.h"
#include "session/vehicledata.h"

namespace obd {

namespace {

const QString DemoPortText = QStringLiteral("Port: keiner nötig (Demo-Mode)");

} // namespace

ConnectionSequence::ConnectionSequence(std::unique_ptr<ChipDialect> dialect, QObject* parent)
    : QObject(parent), m_dialect(std::move(dialect)) {}

ConnectionSequence::~ConnectionSequence() = default;

void ConnectionSequence::Run(TComPort& port, Link& link) {
    // A run that does not reach its end leaves the vehicle actions closed.
    link.CommFailure = true;
    m_framing.reset();
    if (port.Connected())
        port.Close();
    emit cleared();
    if (link.DemoMode.load()) {
        // The demo responder answers in place of the adapter: no port is
        // opened, so demo mode works with no adapter plugged in.
        emit statusLine(DemoPortText, true);
        emit portShown(QStringLiteral("Demo"), true);
    } else {
        openPort(port, link);
    }
    bool ready = false;
    RunOffThread([&] { ready = bringUp(link); });
    link.CommFailure = !ready;
}

void ConnectionSequence::openPort(TComPort& port, Link& link) {
    // Connecting to a Wi-Fi adapter and rate detection take their time: the
    // window stays drawn meanwhile.
    bool openFailed = false;
    RunOffThread([&] {
        try {
            port.Open();
        } catch (const Error&) {
            // An open aborted by the window's close is no failure to show.
            openFailed = !link.Aborted();
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
        if (const std::optional<RateDetection>& detection = port.Detection())
            showDetection(*detection, port);
        if (port.Connected())
            port.Purge(true, true);
    }
}

void ConnectionSequence::showDetection(const RateDetection& detection, TComPort& port) {
    if (detection.rate) {
        emit statusLine(QStringLiteral("Baudrate erkannt: %1").arg(detection.rate), true);
        emit baudRateFound(detection.rate);
        return;
    }
    if (detection.streaming) {
        // No chip step could get an answer from it: the sequence ends here.
        emit statusLine(QStringLiteral("Baudrate nicht erkannt: ") + NotAnAdapterText(port.Port()),
                        false);
        port.Close();
        emit portShown(QStringLiteral("COM?"), false);
        return;
    }
    QStringList tried;
    for (const int rate : detection.tried)
        tried << QString::number(rate);
    emit statusLine(QStringLiteral("Baudrate nicht erkannt (versucht: %1 Baud)")
                        .arg(tried.join(QStringLiteral(", "))),
                    false);
}

bool ConnectionSequence::runSteps(std::span<const ChipStep> steps, Link& link,
                                  QString& identification, bool& headers) {
    for (const ChipStep& step : steps) {
        const QString r = step.run(link);
        const bool failed = r == ReplyError;
        if (step.role == ChipStep::Role::Identify) {
            identification = r;
            emit interfaceShown(r);
        }
        if (step.role == ChipStep::Role::Headers)
            headers = r == QLatin1String("OK");
        emit statusLine(QString::fromUtf8(step.prefix) + r, !failed);
        if (step.role == ChipStep::Role::Reset)
            emit chipLamp(!failed);
        if (failed)
            return false;
    }
    return true;
}

bool ConnectionSequence::bringUp(Link& link) {
    // A port that did not open fails every chip step before it is sent.
    QString identification;
    bool headers = false;
    bool ready = link.LineOpen() && runSteps(m_dialect->Steps(), link, identification, headers);
    const bool elm327 = ready && SpeaksElm327(identification);
    if (elm327)
        ready = runSteps(Elm327Dialect().Steps(), link, identification, headers);
    if (!ready) {
        emit statusLine(QStringLiteral("Keine Verbindung zum Interface"), false);
        emit interfaceShown(ReplyError);
        return false;
    }
    emit statusLine(QStringLiteral("Interface ist betriebsbereit"), true);
    if (elm327)
        return reachVehicle(link, headers);

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
    emit vinRead(ReadVin(Bus(), link).value_or(QString()));
    return true;
}

bool ConnectionSequence::reachVehicle(Link& link, bool headers) {
    const auto noVehicle = [this](const QString& text) {
        emit statusLine(text, false);
        emit ecuLamp(false);
        return false;
    };
    const QString ecuLine = QStringLiteral("Verbindung mit ECU: ");
    // The first request starts the adapter's protocol search.
    const QString raw = RequestRaw(link, QStringLiteral("0100"), ProtocolSearchWaitMs);
    if (raw == ReplyError)
        return noVehicle(ecuLine + ReplyError);
    if (const QString message = AdapterMessageText(raw); !message.isEmpty())
        return noVehicle(message);
    const QString number = AdapterQuery(link, QStringLiteral("ATDPN"));
    QString name = AdapterQuery(link, QStringLiteral("ATDP"));
    if (name == ReplyError || name == QLatin1String("?"))
        name = number;
    if (name.startsWith(QLatin1String("AUTO, ")))
        name.remove(0, 6);
    const std::optional<ProtocolFamily> family = ProtocolFamilyOf(number);
    if (!family)
        return noVehicle(QStringLiteral("Protokoll nicht unterstützt: ") + name);
    const BusFraming framing{*family, headers};
    const ParsedReply reply = MessagesOf(raw, framing);
    if (!reply.fault.isEmpty())
        return noVehicle(reply.fault);
    TSupportedPids supported{};
    if (!SupportedPidsOf(reply.messages, supported))
        return noVehicle(ecuLine + ReplyError);
    emit statusLine(ecuLine + QStringLiteral("OK"), true);
    emit ecuLamp(true);
    emit statusLine(QStringLiteral("Protokoll: ") + name, true);
    emit protocolShown(name);
    QString voltage = AdapterQuery(link, QStringLiteral("ATRV"));
    if (voltage == QLatin1String("?"))
        voltage = NotSupportedText;
    emit statusLine(QStringLiteral("Batteriespannung: ") + voltage, voltage != ReplyError);
    m_framing = framing;
    m_framedBus.SetFraming(framing);

    emit supportedPidsRead(supported);
    emit obdTypeRead(RequestSensorValue(link, framing, supported, 0x1C));
    QString fault;
    if (const std::optional<TMonitorStatus> monitors = RequestMonitorStatus(link, framing, fault)) {
        emit monitorStatusRead(*monitors);
    } else {
        emit statusLine(QStringLiteral("Monitorstatus: ") + (fault.isEmpty() ? ReplyError : fault),
                        false);
        emit monitorStatusUnreadable();
    }
    emit vinRead(ReadVin(Bus(), link).value_or(QString()));
    return true;
}

const VehicleBus& ConnectionSequence::Bus() const {
    static const Elm323Bus elm323;
    if (m_framing)
        return m_framedBus;
    return elm323;
}

} // namespace obd
