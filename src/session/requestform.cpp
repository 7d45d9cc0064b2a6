#include "session/requestform.h"

#include "common/errors.h"
#include "common/regional.h"
#include "link/link.h"
#include "services/ecuanswers.h"
#include "services/elm323reply.h"
#include "services/j1979.h"

#include <QRegularExpression>
#include <QStringList>

namespace obd {

namespace {

constexpr int CanPidsPerRequest = 6;

QString Exchange(Link& link, const QString& command) {
    link.SendCommand(command);
    return link.ReceiveRawReply();
}

// The reply without blanks and line breaks.
QString Compact(const QString& reply) {
    return QString(reply).remove(QRegularExpression(QStringLiteral("[\\s>]")));
}

// The first line that is neither empty nor a progress note.
QString FirstDataLine(const QString& reply) {
    for (const QString& line : reply.split(QRegularExpression(QStringLiteral("[\\r\\n]+")))) {
        const QString compact = Compact(line);
        if (!compact.isEmpty() && compact != QLatin1String("SEARCHING...") &&
            !compact.startsWith(QLatin1String("BUSINIT")))
            return compact;
    }
    return {};
}

QString PidText(int pid) {
    return QStringLiteral("%1").arg(pid, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

bool HasFastRequests(const QString& identification) {
    if (identification.contains(QLatin1String("STN"), Qt::CaseInsensitive))
        return true;
    static const QRegularExpression version(QStringLiteral("ELM327\\s+v(\\d+)\\.(\\d+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = version.match(identification);
    if (!m.hasMatch())
        return false;
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    return major > 1 || (major == 1 && minor >= 3);
}

RequestForm PrepareFastRequests(Link& link, const std::optional<BusFraming>& known) {
    RequestForm form;
    Exchange(link, QStringLiteral("ATAT1"));
    // 0100 first: an adapter that searches knows its protocol only after it.
    const QString reply = Exchange(link, QStringLiteral("0100"));
    // The connection sequence already asked the protocol and set the headers;
    // without it, the adapter is asked and the answer's layout tells.
    const std::optional<ProtocolFamily> family =
        known ? known->family : ProtocolFamilyOf(Compact(Exchange(link, QStringLiteral("ATDPN"))));
    if (!family)
        return form;
    // With headers off the answer's first line starts with the service byte.
    const bool headers =
        known ? known->headers : !FirstDataLine(reply).startsWith(QLatin1String("41"));
    const ParsedReply parsed = ParseReply(reply, *family, headers);
    int units = 0;
    for (const EcuMessage& m : parsed.messages)
        units += m.data.size() >= 2 && quint8(m.data[0]) == 0x41 && m.data[1] == 0 ? 1 : 0;
    if (units == 0 || units > 15)
        return form;
    form.fast = true;
    form.family = *family;
    form.headers = headers;
    form.units = units;
    form.pidsPerRequest = *family == ProtocolFamily::KLine ? 1 : CanPidsPerRequest;
    return form;
}

QString PidRequest(std::span<const int> pids, const RequestForm& form) {
    QString request = QStringLiteral("01");
    for (const int pid : pids)
        request += PidText(pid);
    if (form.fast)
        request += QString::number(form.units, 16).toUpper();
    return request;
}

QList<SensorReading> ReadPidAlone(Link& link, const std::optional<BusFraming>& framing,
                                  const TSupportedPids& supported, int pid) {
    if (framing)
        return RequestSensorReadings(link, *framing, pid);
    // PIDs 01 to 20 as the ELM323 dialogue has always read them.
    if (FindPid(pid))
        return {ReadSensorReading(link, supported, pid)};
    link.SendCommand(QStringLiteral("01") + PidText(pid));
    return SensorReadingsOf(Elm323Messages(link.ReceiveReply()).messages, ProtocolFamily::KLine,
                            pid, DecimalSeparator());
}

QList<QList<SensorReading>> ReadPids(Link& link, RequestForm& form, std::span<const int> pids) {
    const QChar separator = DecimalSeparator();
    if (!form.fast) {
        QList<QList<SensorReading>> readings;
        for (const int pid : pids) {
            const QString request = PidRequest(std::span(&pid, 1), form);
            if (FindPid(pid)) {
                link.SendCommand(request);
                readings << QList<SensorReading>{
                    DecodeSensorReading(pid, link.ReceiveReply(), separator)};
                continue;
            }
            // Beyond PID 20 the protocol layer reads the answer, and one that
            // cannot be read fails its PID alone.
            const ParsedReply parsed =
                ParseReply(Exchange(link, request), form.family, form.headers);
            readings << SensorReadingsOf(parsed.messages, form.family, pid, separator);
        }
        return readings;
    }
    const QString reply = Exchange(link, PidRequest(pids, form));
    const QString compact = Compact(reply);
    const bool refused =
        compact == QLatin1String("?") || (pids.size() > 1 && compact == QLatin1String("NODATA"));
    if (refused) {
        // Quietly the slower form for the rest of the session.
        if (form.pidsPerRequest > 1)
            form.pidsPerRequest = 1;
        else
            form.fast = false;
        QList<QList<SensorReading>> readings;
        for (const int pid : pids)
            readings << ReadPids(link, form, std::span(&pid, 1));
        return readings;
    }
    const ParsedReply parsed = ParseReply(reply, form.family, form.headers);
    const QMap<int, EcuMessage> answers = PidAnswersOf(parsed.messages, form.family);
    QList<QList<SensorReading>> readings;
    for (const int pid : pids) {
        const auto it = answers.constFind(pid);
        if (it == answers.cend()) {
            // Asked alone, a PID without an answer failed; asked with others,
            // the unit does not have it now.
            readings << SensorTexts(pid, pids.size() > 1 ? QStringLiteral("N/A") : ReplyError);
            continue;
        }
        // Too few bytes for this PID: that PID alone has failed.
        readings << SensorReadingsOf({*it}, form.family, pid, separator);
    }
    return readings;
}

} // namespace obd
