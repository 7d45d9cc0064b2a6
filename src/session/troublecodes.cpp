#include "session/troublecodes.h"

#include "services/j1979.h"
#include "session/offthread.h"

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

void TroubleCodes::Clear(Link& link) {
    bool confirmed = false;
    RunOffThread([&] { confirmed = ClearTroubleCodes(link); });
    if (confirmed)
        emit cleared();
    else
        emit clearRefused();
}

} // namespace obd
