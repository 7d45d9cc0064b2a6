#include "session/troublecodes.h"

#include "services/ecuanswers.h"
#include "services/j1979.h"
#include "session/offthread.h"
#include "session/vehiclebus.h"

#include <algorithm>

namespace obd {

namespace {

const QString StatusUnreadable = QStringLiteral("Der Monitorstatus konnte nicht gelesen werden: ");
const QString CodesUnreadable = QStringLiteral("Die Fehlercodes konnten nicht gelesen werden: ");
const QString NoValidAnswer = QStringLiteral("keine gültige Antwort des Fahrzeugs auf %1.");

// Why a part could not be read: the adapter's message or an invalid answer.
QString Cause(const QString& fault, const QString& request) {
    return fault.isEmpty() ? NoValidAnswer.arg(request) : fault;
}

void SortCodes(QStringList& codes) {
    std::stable_sort(codes.begin(), codes.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

} // namespace

void TroubleCodes::Read(Link& link, const std::optional<BusFraming>& framing) {
    QStringList failures;
    const std::optional<BusFraming> active = ActiveFraming(link, framing);
    RunOffThread([&] {
        if (active) {
            readMessages(link, *active, failures);
            return;
        }
        TMonitorStatus status;
        if (ReadMonitorStatus(link, status)) {
            emit monitorStatusRead(status);
        } else {
            failures << StatusUnreadable + NoValidAnswer.arg(QStringLiteral("0101"));
            emit monitorStatusUnreadable();
        }
        QStringList codes;
        if (ReadTroubleCodes(link, codes)) {
            SortCodes(codes);
            emit codesRead(codes);
        } else {
            failures << CodesUnreadable + NoValidAnswer.arg(QStringLiteral("03"));
            emit codesUnreadable();
        }
    });
    if (!failures.isEmpty())
        emit readFailed(failures.join(QStringLiteral("\r\n")));
}

void TroubleCodes::readMessages(Link& link, const BusFraming& framing, QStringList& failures) {
    QString fault;
    if (const std::optional<TMonitorStatus> monitors = RequestMonitorStatus(link, framing, fault)) {
        emit monitorStatusRead(*monitors);
    } else {
        failures << StatusUnreadable + Cause(fault, QStringLiteral("0101"));
        emit monitorStatusUnreadable();
    }
    const ParsedReply stored = RequestMessages(link, QStringLiteral("03"), framing);
    const std::optional<QList<UnitTroubleCode>> found =
        stored.fault.isEmpty() ? TroubleCodesOf(stored.messages, framing.family, 0x03)
                               : std::nullopt;
    if (!found) {
        failures << CodesUnreadable + Cause(stored.fault, QStringLiteral("03"));
        emit codesUnreadable();
        return;
    }
    QStringList codes;
    for (const UnitTroubleCode& c : *found)
        codes << (c.unit.isEmpty() ? c.code : QStringLiteral("%1 (%2)").arg(c.code, c.unit));
    SortCodes(codes);
    emit codesRead(codes);
}

void TroubleCodes::ReadPending(const VehicleBus& bus, Link& link) {
    const auto read = [&](const QString& request, int service) {
        std::optional<QList<UnitTroubleCode>> codes =
            TroubleCodesOf(bus.Ask(link, request).messages, bus.Family(), service);
        if (codes)
            std::stable_sort(codes->begin(), codes->end(), [](const auto& a, const auto& b) {
                const int byCode = a.code.compare(b.code, Qt::CaseInsensitive);
                return byCode != 0 ? byCode < 0 : a.unit < b.unit;
            });
        return codes;
    };
    std::optional<QList<UnitTroubleCode>> pending, permanent;
    RunOffThread([&] {
        pending = read(QStringLiteral("07"), 0x07);
        if (bus.Family() != ProtocolFamily::KLine)
            permanent = read(QStringLiteral("0A"), 0x0A);
    });
    emit pendingRead(pending, permanent);
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
    bool confirmed = false;
    QString cause;
    const std::optional<BusFraming> active = ActiveFraming(link, framing);
    RunOffThread([&] {
        if (!active) {
            confirmed = ClearTroubleCodes(link);
            return;
        }
        const ParsedReply reply = RequestMessages(link, QStringLiteral("04"), *active);
        cause = reply.fault;
        confirmed = cause.isEmpty() && ClearConfirmedBy(reply.messages);
    });
    if (confirmed)
        emit cleared();
    else
        emit clearRefused(cause);
}

} // namespace obd
