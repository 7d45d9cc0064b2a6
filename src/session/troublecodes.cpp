#include "session/troublecodes.h"

#include "services/j1979.h"
#include "session/offthread.h"
#include "session/vehiclebus.h"

#include <algorithm>

namespace obd {

namespace {

const QString StatusUnreadable =
    QStringLiteral("Der Monitorstatus konnte nicht gelesen werden: keine gültige Antwort des "
                   "Fahrzeugs auf 0101.");
const QString CodesUnreadable =
    QStringLiteral("Die Fehlercodes konnten nicht gelesen werden: keine gültige Antwort des "
                   "Fahrzeugs auf 03.");

} // namespace

void TroubleCodes::Read(Link& link) {
    QStringList failures;
    RunOffThread([&] {
        TMonitorStatus status;
        if (ReadMonitorStatus(link, status)) {
            emit monitorStatusRead(status);
        } else {
            failures << StatusUnreadable;
            emit monitorStatusUnreadable();
        }
        QStringList codes;
        if (ReadTroubleCodes(link, codes)) {
            std::stable_sort(codes.begin(), codes.end(), [](const QString& a, const QString& b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
            emit codesRead(codes);
        } else {
            failures << CodesUnreadable;
            emit codesUnreadable();
        }
    });
    if (!failures.isEmpty())
        emit readFailed(failures.join(QStringLiteral("\r\n")));
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

void TroubleCodes::Clear(Link& link) {
    bool confirmed = false;
    RunOffThread([&] { confirmed = ClearTroubleCodes(link); });
    if (confirmed)
        emit cleared();
    else
        emit clearRefused();
}

} // namespace obd
