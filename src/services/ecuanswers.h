// Diagnostic services over the messages of one or more control units (the
// protocol layer's output): supported PIDs, monitor status, live values,
// trouble codes of services 03/07/0A, and the clear confirmation. Pure
// functions; they decode with the single-unit decoders of j1979.h.
#pragma once

#include "common/obdtypes.h"
#include "common/sensortable.h"
#include "services/protocol.h"

#include <QChar>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

namespace obd {

// The engine control unit, whose value counts when several units answer:
// 7E8 on 11-bit CAN, 10 on 29-bit CAN and K-line.
int EngineSender(ProtocolFamily family);

// The engine unit's message among those that fit, or the first that fits
// when the engine unit sent none; nullptr when none fits.
const EcuMessage* PreferredAnswer(const QList<EcuMessage>& messages, ProtocolFamily family,
                                  const std::function<bool(const EcuMessage&)>& fits);

// The union of every unit's 01 00 bitmap; false (flags untouched) when no
// unit answered 41 00. A bitmap shorter than four bytes raises ConversionError.
bool SupportedPidsOf(const QList<EcuMessage>& messages, TSupportedPids& flags);

// Service 01 PID 01 over all units: MIL on if any unit has it on, the code
// count is the sum (at most 127), a monitor counts as supported or incomplete
// if any unit says so. None when no unit answered 41 01.
std::optional<TMonitorStatus> MonitorStatusOf(const QList<EcuMessage>& messages);

// How many values service 01 PID pid has, one sensor row each: one for PIDs
// 01 to 20; beyond them the values of its record in the full PID table, none
// without a record.
int SensorValueCount(int pid);

// Every value of service 01 PID pid from the engine unit's answer, or the
// first answer: for PIDs 01 to 20 the one value of DecodeSensorReading, beyond
// them one per value of the PID's record. "Fehler" for each value when no
// unit answered the PID or its data cannot be converted (too few bytes, not
// hexadecimal): then that PID alone has failed.
QList<SensorReading> SensorReadingsOf(const QList<EcuMessage>& messages, ProtocolFamily family,
                                      int pid, QChar decimalSeparator);
// A text (no number) as the reading of every value of PID pid.
QList<SensorReading> SensorTexts(int pid, const QString& text);

// The answers to one service 01 request for one or more PIDs: each unit's 41
// message split into its PIDs by their byte counts in the PID table; per PID
// the engine unit's answer, or the first, as a single-PID message (41, PID,
// data bytes). A PID no unit answered is missing.
QMap<int, EcuMessage> PidAnswersOf(const QList<EcuMessage>& messages, ProtocolFamily family);

struct UnitTroubleCode {
    QString code; // "P0133"
    QString unit; // "7E8", "10"; empty when only one unit answered
    bool operator==(const UnitTroubleCode&) const = default;
};

// The trouble codes of service 03, 07 or 0A (answers 43, 47, 4A). CAN: a count
// byte, then two bytes per code, over as many frames as it takes. K-line/J1850:
// three codes per message, unused ones 00 00. None when no unit answered with
// the service's reply byte; an empty list is a unit with no codes.
std::optional<QList<UnitTroubleCode>> TroubleCodesOf(const QList<EcuMessage>& messages,
                                                     ProtocolFamily family, int service);

// The words for a control unit's refusal code (the last byte of "7F service
// code"): "Bedingungen nicht erfüllt – läuft der Motor?" for 22.
QString NegativeResponseText(quint8 code);

// Why a reply to request holds no answer of its service: the reply's fault
// (the adapter's message, no reply, a reply that cannot be read), a control
// unit's refusal in words, or no valid answer.
QString WhyUnanswered(const ParsedReply& reply, const QString& request);

// What the vehicle said to a clear (service 04). "Response pending" (7F 04 78)
// only announces the final answer; the clear is confirmed when a unit answered
// 44 and none refused. refusal: why it is not, in words.
struct ClearOutcome {
    bool confirmed = false;
    QString refusal;
};
ClearOutcome ClearOutcomeOf(const ParsedReply& reply);

// A control unit as every list shows it: by name where ISO 15765-4 fixes its
// address (7E8 engine, 7E9 transmission), else by its address; "" for none.
QString UnitLabel(const QString& unit);
// A code with its unit: "P0133 (Motor)", "P0171 (7EA)"; the code alone
// without a unit.
QString CodeWithUnit(const QString& code, const QString& unit);

} // namespace obd
