#include "session/troublecodes.h"

#include "session/offthread.h"
#include "session/vehiclebus.h"

#include <algorithm>

namespace obd {

namespace {

const QString StatusUnreadable = QStringLiteral("Der Monitorstatus konnte nicht gelesen werden: ");
const QString CodesUnreadable = QStringLiteral("Die Fehlercodes konnten nicht gelesen werden: ");
const QString PendingUnreadable =
    QStringLiteral("Die vorläufigen Fehlercodes (Mode 07) konnten nicht gelesen werden: ");
const QString PermanentUnreadable =
    QStringLiteral("Die permanenten Fehlercodes (Mode 0A) konnten nicht gelesen werden: ");

// The bus of the chip in use: the framing found for an ELM327-style adapter,
// else the ELM323 (and the demo responder, which speaks like it).
struct ActiveBus {
    ActiveBus(const Link& link, const std::optional<BusFraming>& framing)
        : framing(ActiveFraming(link, framing)) {
        if (this->framing)
            framed.SetFraming(*this->framing);
    }
    const VehicleBus& bus() const {
        if (framing)
            return framed;
        return elm323;
    }
    std::optional<BusFraming> framing;
    Elm327Bus framed;
    Elm323Bus elm323;
};

CodeListReading AskCodes(const VehicleBus& bus, Link& link, int service) {
    const QString request = QStringLiteral("%1").arg(service, 2, 16, QLatin1Char('0')).toUpper();
    return AskDecoded<QList<UnitTroubleCode>>(bus, link, request, [&](const QList<EcuMessage>& m) {
        std::optional<QList<UnitTroubleCode>> codes = TroubleCodesOf(m, bus.Family(), service);
        if (codes)
            std::stable_sort(codes->begin(), codes->end(), [](const auto& a, const auto& b) {
                const int byCode = a.code.compare(b.code, Qt::CaseInsensitive);
                return byCode != 0 ? byCode < 0 : a.unit < b.unit;
            });
        return codes;
    });
}

} // namespace

void TroubleCodes::Read(Link& link, const std::optional<BusFraming>& framing) {
    const ActiveBus active(link, framing);
    const VehicleBus& bus = active.bus();
    Reading<TMonitorStatus> status;
    CodeListReading codes;
    RunOffThread([&] {
        status = AskMonitorStatus(bus, link);
        codes = AskCodes(bus, link, 0x03);
    });
    QStringList failures;
    if (status.IsRead()) {
        emit monitorStatusRead(status.Value());
    } else {
        failures << StatusUnreadable + status.Why();
        emit monitorStatusUnreadable();
    }
    if (codes.IsRead()) {
        emit codesRead(codes.Value());
    } else {
        failures << CodesUnreadable + codes.Why();
        emit codesUnreadable();
    }
    if (!failures.isEmpty())
        emit readFailed(failures.join(QStringLiteral("\r\n")));
}

void TroubleCodes::ReadPending(const VehicleBus& bus, Link& link) {
    CodeListReading pending, permanent;
    RunOffThread([&] {
        pending = AskCodes(bus, link, 0x07);
        if (bus.Family() != ProtocolFamily::KLine)
            permanent = AskCodes(bus, link, 0x0A);
    });
    emit pendingRead(pending, permanent);
    QStringList failures;
    if (pending.HasFailed())
        failures << PendingUnreadable + pending.Why();
    if (permanent.HasFailed())
        failures << PermanentUnreadable + permanent.Why();
    if (!failures.isEmpty())
        emit readFailed(failures.join(QStringLiteral("\r\n")));
}

void TroubleCodes::ReadDistances(const VehicleBus& bus, Link& link,
                                 std::optional<PidSupport>& supported) {
    Distances distances;
    RunOffThread([&] {
        if (!supported)
            supported = ReadSupportedPidRanges(bus, link);
        distances = obd::ReadDistances(bus, link, *supported);
    });
    emit distancesRead(distances);
}

void TroubleCodes::Clear(Link& link, const std::optional<BusFraming>& framing) {
    const ActiveBus active(link, framing);
    ClearOutcome outcome;
    RunOffThread([&] { outcome = ClearOutcomeOf(active.bus().Ask(link, QStringLiteral("04"))); });
    if (outcome.confirmed)
        emit cleared();
    else
        emit clearRefused(outcome.refusal);
}

} // namespace obd
