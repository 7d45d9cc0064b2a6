// The workflows without a window, over the real driver against elmsim: the
// connection sequence, the trouble-code read and clear, and the poller's stop,
// with the ELM323 and with ELM327-style adapters on CAN and K-line.
#include "common/errors.h"
#include "common/sensortable.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "link/support_link.h"
#include "services/adaptermessages.h"
#include "services/pidvalues.h"
#include "session/connection.h"
#include "session/requestform.h"
#include "session/sensorpoller.h"
#include "session/troublecodes.h"
#include "support_session.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace obd;

namespace {

using test::SimulatedCar;

QStringList statusTexts(const QSignalSpy& lines) {
    QStringList texts;
    for (const QList<QVariant>& line : lines)
        texts << line.at(0).toString() + (line.at(1).toBool() ? " ok" : " error");
    return texts;
}

// Codes as the lists show them.
QStringList shownCodes(const QVariant& codes) {
    QStringList shown;
    for (const UnitTroubleCode& c : codes.value<QList<UnitTroubleCode>>())
        shown << CodeWithUnit(c.code, c.unit);
    return shown;
}

// One pass of the poller over the sensor row of pid alone; its value.
QString polledValue(SimulatedCar& car, const TSupportedPids& supported,
                    const std::optional<BusFraming>& framing, int pid) {
    SensorTable table;
    table.SetUp([pid](int p) { return SensorRowInfo{{}, {}, p == pid}; });
    SensorPoller poller(table);
    poller.SetSupportedPids(supported);
    QSignalSpy passes(&poller, &SensorPoller::passCompleted);
    poller.Start(car.link, framing);
    if (!passes.wait(10000))
        return QStringLiteral("no pass");
    poller.RequestStop();
    poller.WaitUntilIdle();
    return table.Value(pid - 1);
}

// The commands of a successful run with an ELM327-style adapter.
const QStringList Elm327Commands{"ATZ",   "ATE0", "ATL0", "ATI",  "ATH1", "ATSP0", "0100",
                                 "ATDPN", "ATDP", "ATRV", "011C", "0101", "0900",  "0902"};
// The vehicle's stored codes on its engine unit (five: a multi-frame answer
// on CAN, two messages on K-line).
const QStringList EngineCodes{"P0133", "P0300", "P0420", "U0123", "U1106"};

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void sequenceReportsEveryStep() {
        SimulatedCar car({});
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy identified(&sequence, &ConnectionSequence::interfaceShown);
        QSignalSpy supported(&sequence, &ConnectionSequence::supportedPidsRead);
        QSignalSpy status(&sequence, &ConnectionSequence::monitorStatusRead);
        sequence.Run(car.port, car.link);
        QCOMPARE(statusTexts(lines),
                 (QStringList{"Port: " + car.port.Port() + " bereit ok", "Chip Reset: OK ok",
                              "Echo ausschalten: OK ok", "LF ausschalten: OK ok",
                              "Chip Info: ELM323 v1.1 ok", "Interface ist betriebsbereit ok",
                              "Verbindung mit ECU: OK ok"}));
        QCOMPARE(identified.at(0).at(0).toString(), QStringLiteral("ELM323 v1.1"));
        QCOMPARE(supported.size(), 1);
        QVERIFY(supported.at(0).at(0).value<TSupportedPids>()[0x0C - 1]); // engine speed
        QCOMPARE(status.size(), 1);
        QVERIFY(!car.link.CommFailure);
        QCOMPARE(car.sentCommands(), (QStringList{"ATZ", "ATE0", "ATL0", "ATI", "0100", "0100",
                                                  "011C", "0101", "0900", "0902"}));
    }

    // The line goes away in the middle of a run that follows a successful one.
    void sequenceCutShortLeavesCommFailureSet_data() {
        QTest::addColumn<int>("answered");
        QTest::newRow("during the chip steps") << 2;
        QTest::newRow("after the ECU check") << 5;
        QTest::newRow("during 0101") << 7;
    }
    // The list ends on the failure, no lamp stays on, and the monitor status
    // counts as unread.
    void sequenceCutShortLeavesCommFailureSet() {
        QFETCH(int, answered);
        SimulatedCar car({"--disconnect-after", QString::number(answered)});
        car.link.SetReplyWaitForTesting(300);
        car.link.CommFailure = false;
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy chip(&sequence, &ConnectionSequence::chipLamp);
        QSignalSpy ecu(&sequence, &ConnectionSequence::ecuLamp);
        QSignalSpy unknown(&sequence, &ConnectionSequence::monitorStatusUnreadable);
        QVERIFY_THROWS_EXCEPTION(Error, sequence.Run(car.port, car.link));
        QVERIFY(car.link.CommFailure);
        QVERIFY(!lines.last().at(1).toBool());
        QVERIFY(!chip.last().at(0).toBool());
        QVERIFY(!ecu.last().at(0).toBool());
        QCOMPARE(unknown.size(), 1);
    }

    // 0101 or 03 without a usable answer: reported as unreadable, never as a
    // state; the part that was read is still reported.
    void unreadableReadIsReportedAsSuch_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<bool>("statusRead");
        QTest::addColumn<bool>("codesRead");
        QTest::newRow("0101 empty") << QStringList{"--reply", "0101="} << false << true;
        QTest::newRow("0101 NODATA") << QStringList{"--reply", "0101=NODATA"} << false << true;
        QTest::newRow("0101 another PID")
            << QStringList{"--reply", "0101=41 0C 1A F8"} << false << true;
        QTest::newRow("03 empty") << QStringList{"--reply", "03="} << true << false;
        QTest::newRow("03 garbled") << QStringList{"--reply", "03=4?"} << true << false;
        QTest::newRow("03 another service")
            << QStringList{"--reply", "03=41 00 BE 3E B8 11"} << true << false;
        QTest::newRow("03 cut in a code")
            << QStringList{"--reply", "03=43 01 33 03 00 00"} << true << false;
        QTest::newRow("03 cut after a code byte")
            << QStringList{"--reply", "03=43 01"} << true << false;
        QTest::newRow("03 not hexadecimal")
            << QStringList{"--reply", "03=43 0G 33 XX"} << true << false;
        QTest::newRow("both read") << QStringList{} << true << true;
    }
    void unreadableReadIsReportedAsSuch() {
        QFETCH(QStringList, simulator);
        QFETCH(bool, statusRead);
        QFETCH(bool, codesRead);
        SimulatedCar car(simulator);
        car.open();
        TroubleCodes codes;
        QSignalSpy status(&codes, &TroubleCodes::monitorStatusRead);
        QSignalSpy statusUnknown(&codes, &TroubleCodes::monitorStatusUnreadable);
        QSignalSpy listed(&codes, &TroubleCodes::codesRead);
        QSignalSpy listUnknown(&codes, &TroubleCodes::codesUnreadable);
        QSignalSpy failed(&codes, &TroubleCodes::readFailed);
        codes.Read(car.link);
        QCOMPARE(status.size(), statusRead ? 1 : 0);
        QCOMPARE(statusUnknown.size(), statusRead ? 0 : 1);
        QCOMPARE(listed.size(), codesRead ? 1 : 0);
        QCOMPARE(listUnknown.size(), codesRead ? 0 : 1);
        QCOMPARE(failed.size(), statusRead && codesRead ? 0 : 1);
        if (!failed.isEmpty()) {
            const QString message = failed.at(0).at(0).toString();
            QCOMPARE(message.contains(QStringLiteral("Monitorstatus")), !statusRead);
            QCOMPARE(message.contains(QStringLiteral("Fehlercodes")), !codesRead);
        }
    }

    // The clear is confirmed by 44, after "response pending" too; a refusal
    // says its reason in words.
    void clearReportsOnlyAConfirmedClear_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("cause"); // a part of the reason
        const QStringList elm327{"--chip", "elm327"};
        QTest::newRow("44") << QStringList{} << true << "";
        QTest::newRow("pending, then 44")
            << QStringList{"--reply", "04=7F 04 78\\r44"} << true << "";
        QTest::newRow("engine running") << QStringList{"--reply", "04=7F 04 22"} << false
                                        << "Bedingungen nicht erfüllt – läuft der Motor?";
        QTest::newRow("pending, then refused")
            << QStringList{"--reply", "04=7F 04 78\\r7F 04 22"} << false << "läuft der Motor?";
        QTest::newRow("empty") << QStringList{"--reply", "04="} << false << "keine gültige Antwort";
        QTest::newRow("ELM327: pending, then 44")
            << elm327 + QStringList{"--search-ms", "0", "--reply", "04=7F 04 78\\r44"} << true
            << "";
        QTest::newRow("ELM327: not supported")
            << elm327 + QStringList{"--search-ms", "0", "--reply", "04=7F 04 11"} << false
            << "Dienst nicht unterstützt";
    }
    void clearReportsOnlyAConfirmedClear() {
        QFETCH(QStringList, simulator);
        QFETCH(bool, confirmed);
        QFETCH(QString, cause);
        SimulatedCar car(simulator);
        car.open();
        TroubleCodes codes;
        QSignalSpy cleared(&codes, &TroubleCodes::cleared);
        QSignalSpy refused(&codes, &TroubleCodes::clearRefused);
        const std::optional<BusFraming> framing =
            simulator.contains("elm327") ? std::optional(BusFraming{}) : std::nullopt;
        codes.Clear(car.link, framing);
        QCOMPARE(cleared.size(), confirmed ? 1 : 0);
        QCOMPARE(refused.size(), confirmed ? 0 : 1);
        if (!confirmed)
            QVERIFY2(refused.at(0).at(0).toString().contains(cause),
                     qPrintable(refused.at(0).at(0).toString()));
    }

    // A monitor status cut short in the connection sequence: the status list
    // ends on a failure line and the status is unreadable, with either chip.
    void damagedMonitorStatusEndsTheListOnAFailure_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::newRow("ELM323") << QStringList{"--reply", "0101=41 01 83"};
        QTest::newRow("ELM327") << QStringList{"--chip", "elm327", "--reply", "0101=41 01 83"};
    }
    void damagedMonitorStatusEndsTheListOnAFailure() {
        QFETCH(QStringList, simulator);
        SimulatedCar car(simulator);
        car.link.SetReplyWaitForTesting(300);
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy status(&sequence, &ConnectionSequence::monitorStatusRead);
        QSignalSpy unknown(&sequence, &ConnectionSequence::monitorStatusUnreadable);
        sequence.Run(car.port, car.link);
        QCOMPARE(status.size(), 0);
        QCOMPARE(unknown.size(), 1);
        const QString last = statusTexts(lines).last();
        // The reason: the adapter's reply or the answer is unreadable.
        QVERIFY2(last.startsWith(QStringLiteral("Monitorstatus: ")) &&
                     (last.contains(QStringLiteral("nicht lesbar")) ||
                      last.contains(QStringLiteral("beschädigt"))) &&
                     last.endsWith(QStringLiteral(" error")),
                 qPrintable(last));
    }

    // One run per adapter and vehicle: the connection, the supported PIDs, a
    // live value, MIL and code count, the stored codes and their clear.
    void compatibilityMatrix_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("protocol"); // shown in the status bar; none for the ELM323
        QTest::addColumn<bool>("milOn");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("codes");
        const QStringList elm327{"--chip", "elm327"};
        QTest::newRow("ELM323, K-line")
            << QStringList{} << QStringList{"ATZ",  "ATE0", "ATL0", "ATI",  "0100",
                                            "0100", "011C", "0101", "0900", "0902"}
            << QString() << false << 0
            << QStringList{"B1390", "B1491", "B1992", "B2427", "C1141", "C1184", "C1954", "P0125",
                           "P0455", "P0736", "P1107", "P1198", "P1299", "U1451", "U2500"};
        QTest::newRow("ELM327, CAN 11-bit, one unit")
            << elm327 << Elm327Commands << "ISO 15765-4 (CAN 11/500)" << true << 5 << EngineCodes;
        QTest::newRow("ELM327, CAN 11-bit, two units")
            << elm327 + QStringList{"--units", "2"} << Elm327Commands << "ISO 15765-4 (CAN 11/500)"
            << true << 6 << QStringList{"P0133 (Motor)",    "P0300 (Motor)", "P0420 (Motor)",
                                        "P0A80 (Getriebe)", "U0123 (Motor)", "U1106 (Motor)"};
        QTest::newRow("ELM327, CAN 29-bit")
            << elm327 + QStringList{"--protocol", "can29"} << Elm327Commands
            << "ISO 15765-4 (CAN 29/500)" << true << 5 << EngineCodes;
        QTest::newRow("ELM327, ISO 9141")
            << elm327 + QStringList{"--protocol", "iso9141"} << Elm327Commands << "ISO 9141-2"
            << true << 5 << EngineCodes;
        QTest::newRow("ELM327, headers stored on")
            << elm327 + QStringList{"--headers-stored"} << Elm327Commands
            << "ISO 15765-4 (CAN 11/500)" << true << 5 << EngineCodes;
    }
    void compatibilityMatrix() {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, commands);
        QFETCH(QString, protocol);
        QFETCH(bool, milOn);
        QFETCH(int, count);
        QFETCH(QStringList, codes);
        // The adapter's protocol search (500 ms) outlasts this wait.
        SimulatedCar car(simulator);
        car.link.SetReplyWaitForTesting(300);

        // Connect.
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy shown(&sequence, &ConnectionSequence::protocolShown);
        QSignalSpy supportedRead(&sequence, &ConnectionSequence::supportedPidsRead);
        sequence.Run(car.port, car.link);
        QVERIFY2(!car.link.CommFailure, qPrintable(statusTexts(lines).join('\n')));
        QCOMPARE(car.sentCommands(), commands);
        QVERIFY(statusTexts(lines).contains("Verbindung mit ECU: OK ok"));
        QCOMPARE(sequence.Framing().has_value(), !protocol.isEmpty());
        if (!protocol.isEmpty()) {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.at(0).at(0).toString(), protocol);
            QVERIFY(statusTexts(lines).contains("Protokoll: " + protocol + " ok"));
            QVERIFY(statusTexts(lines).contains("Batteriespannung: 12.6V ok"));
        }

        // Supported PIDs: the engine's 01 00 bitmap BE 3E B8 11 (the second
        // unit's adds none).
        QCOMPARE(supportedRead.size(), 1);
        const auto supported = supportedRead.at(0).at(0).value<TSupportedPids>();
        QCOMPARE(std::count(supported.begin(), supported.end(), true), 17);
        QVERIFY(supported[0x05 - 1] && supported[0x0C - 1] && !supported[0x02 - 1]);

        // One value: coolant 40 °C from the engine (the second unit says 50).
        QCOMPARE(polledValue(car, supported, sequence.Framing(), 0x05), QStringLiteral("40"));

        // MIL and code count, stored codes.
        TroubleCodes troubleCodes;
        QSignalSpy status(&troubleCodes, &TroubleCodes::monitorStatusRead);
        QSignalSpy listed(&troubleCodes, &TroubleCodes::codesRead);
        QSignalSpy failed(&troubleCodes, &TroubleCodes::readFailed);
        troubleCodes.Read(car.link, sequence.Framing());
        QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.at(0).at(0).value<TMonitorStatus>().MilOn, milOn);
        QCOMPARE(status.at(0).at(0).value<TMonitorStatus>().DtcCount, count);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(shownCodes(listed.at(0).at(0)), codes);

        // Clear: confirmed by every unit.
        QSignalSpy cleared(&troubleCodes, &TroubleCodes::cleared);
        QSignalSpy refused(&troubleCodes, &TroubleCodes::clearRefused);
        troubleCodes.Clear(car.link, sequence.Framing());
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(refused.size(), 0);
    }

    // Ignition off: the adapter's search ends in UNABLE TO CONNECT, which the
    // status list says in words; no line claims a connection with the ECU.
    void ignitionOffShowsTheAdaptersMessage() {
        SimulatedCar car({"--chip", "elm327", "--ignition-off"});
        car.link.CommFailure = false;
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy ecu(&sequence, &ConnectionSequence::ecuLamp);
        sequence.Run(car.port, car.link);
        QVERIFY(car.link.CommFailure);
        QVERIFY(!sequence.Framing());
        const QString message = AdapterMessageText(QStringLiteral("UNABLE TO CONNECT"));
        QVERIFY(message.contains(QStringLiteral("Zündung")));
        QCOMPARE(statusTexts(lines).last(), message + " error");
        QVERIFY(statusTexts(lines).filter(QStringLiteral("Verbindung mit ECU")).isEmpty());
        QCOMPARE(ecu.size(), 1);
        QVERIFY(!ecu.at(0).at(0).toBool());
    }

    // NO DATA to a request is never a value or a state: the monitor status is
    // unreadable with the adapter's message (sequence and read), the live
    // value stays "N/A", and a clear the adapter answers with a message is
    // refused with that message.
    void noDataIsNeverData() {
        SimulatedCar car({"--chip", "elm327", "--reply", "0101=NO DATA", "--reply", "0105=NO DATA",
                          "--reply", "04=CAN ERROR"});
        const QString noData = AdapterMessageText(QStringLiteral("NO DATA"));
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy lines(&sequence, &ConnectionSequence::statusLine);
        QSignalSpy unknown(&sequence, &ConnectionSequence::monitorStatusUnreadable);
        sequence.Run(car.port, car.link);
        QVERIFY(!car.link.CommFailure);
        QCOMPARE(unknown.size(), 1);
        QVERIFY(statusTexts(lines).contains("Monitorstatus: " + noData + " error"));

        TSupportedPids supported{};
        supported.fill(true);
        QCOMPARE(polledValue(car, supported, sequence.Framing(), 0x05), QStringLiteral("N/A"));

        TroubleCodes troubleCodes;
        QSignalSpy statusUnknown(&troubleCodes, &TroubleCodes::monitorStatusUnreadable);
        QSignalSpy status(&troubleCodes, &TroubleCodes::monitorStatusRead);
        QSignalSpy failed(&troubleCodes, &TroubleCodes::readFailed);
        troubleCodes.Read(car.link, sequence.Framing());
        QCOMPARE(status.size(), 0);
        QCOMPARE(statusUnknown.size(), 1);
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(noData));

        QSignalSpy cleared(&troubleCodes, &TroubleCodes::cleared);
        QSignalSpy refused(&troubleCodes, &TroubleCodes::clearRefused);
        troubleCodes.Clear(car.link, sequence.Framing());
        QCOMPARE(cleared.size(), 0);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), AdapterMessageText(QStringLiteral("CAN ERROR")));
        QVERIFY(car.notifier.boxes().isEmpty());
    }

    // A silent control unit: every request costs one reply wait; a stop ends
    // the worker after the request under way, not after the whole pass.
    void stopDuringPollingTakesAtMostOneReplyWait() {
        constexpr int ReplyWait = 300;
        SimulatedCar car({"--silent"});
        car.port.Open();
        car.link.SetReplyWaitForTesting(ReplyWait);
        SensorTable table;
        table.SetUp([](int pid) { return SensorRowInfo{{}, {}, pid >= 3 && pid <= 0x15}; });
        TSupportedPids all;
        all.fill(true);
        SensorPoller poller(table);
        poller.SetSupportedPids(all);
        poller.Start(car.link);
        QTRY_VERIFY(car.sentCommands().size() >= 2);
        QElapsedTimer stopping;
        stopping.start();
        poller.RequestStop();
        poller.WaitUntilIdle();
        // A pass of 19 silent requests would take over 5 s.
        QVERIFY2(stopping.elapsed() < 4 * ReplyWait,
                 qPrintable(QString::number(stopping.elapsed())));
    }

    // On an ELM327 the worker asks for up to six PIDs per request with the
    // count digit; an adapter that refuses that gets one PID per request for
    // the rest of the session, and the rows read the same either way.
    void fastRequestsAndTheirFallback_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("requests"); // after the preparation
        const QStringList elm327{"--chip", "elm327", "--search-ms", "0"};
        QTest::newRow("several PIDs per request")
            << elm327
            << QStringList{"0103040506070B1", "010C0D0E0F11131", "0114151", "0103040506070B1"};
        QTest::newRow("adapter refuses several PIDs")
            << elm327 + QStringList{"--single-pid"}
            << QStringList{"0103040506070B1", "01031", "01041", "01051", "01061", "01071",
                           "010B1",           "010C1", "010D1", "010E1", "010F1", "01111",
                           "01131",           "01141", "01151", "01031"};
    }
    void fastRequestsAndTheirFallback() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, requests);
        SimulatedCar car(args);
        car.open();
        SensorTable table;
        table.SetUp([](int pid) { return SensorRowInfo{{}, {}, pid >= 3 && pid <= 0x15}; });
        TSupportedPids flags{};
        for (const int pid :
             {0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11, 0x13, 0x14, 0x15})
            flags[size_t(pid - 1)] = true;
        for (int k = 0; k < SensorTable::Size; ++k)
            table.SetValue(k, QStringLiteral("-"));
        SensorPoller poller(table);
        poller.SetSupportedPids(flags);
        poller.SetFastRequests(true);
        QSignalSpy passes(&poller, &SensorPoller::passCompleted);
        poller.Start(car.link);
        QTRY_VERIFY(passes.count() >= 2);
        poller.RequestStop();
        poller.WaitUntilIdle();
        const QStringList sent = car.sentCommands();
        const qsizetype from = sent.indexOf(QStringLiteral("ATDPN"));
        QCOMPARE(sent.mid(from - 2, 3), (QStringList{"ATAT1", "0100", "ATDPN"}));
        QCOMPARE(sent.mid(from + 1, requests.size()), requests);
        QCOMPARE(table.Value(0x0B - 1), QStringLiteral("33"));
        for (const int pid : {0x03, 0x04, 0x05, 0x0C, 0x0D, 0x14})
            QVERIFY2(!QStringList({"-", "N/A", "Fehler"}).contains(table.Value(pid - 1)),
                     qPrintable(table.Value(pid - 1)));
        QCOMPARE(table.Reading(0x0C - 1).decimals, 0);
        QVERIFY(table.Reading(0x0C - 1).number);
    }

    // An ELM327-style adapter without the fast request forms: the values keep
    // their numbers (for the panels, the chart and the recording), not only
    // their texts.
    void valuesKeepTheirNumbersWithoutTheFastForms() {
        SimulatedCar car({"--chip", "elm327", "--search-ms", "0"});
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy supportedRead(&sequence, &ConnectionSequence::supportedPidsRead);
        sequence.Run(car.port, car.link);
        QVERIFY(sequence.Framing());
        const int fromPolling = car.sentCommands().size();
        SensorTable table;
        table.SetUp([](int pid) { return SensorRowInfo{{}, {}, pid == 0x0C}; });
        SensorPoller poller(table);
        poller.SetSupportedPids(supportedRead.at(0).at(0).value<TSupportedPids>());
        QSignalSpy passes(&poller, &SensorPoller::passCompleted);
        poller.Start(car.link, sequence.Framing());
        QVERIFY(passes.wait(10000));
        poller.RequestStop();
        poller.WaitUntilIdle();
        QCOMPARE(car.sentCommands().mid(fromPolling).value(0), QStringLiteral("010C"));
        const SensorReading rpm = table.Reading(0x0C - 1);
        QVERIFY2(rpm.number.has_value(), qPrintable(rpm.text));
        QCOMPARE(rpm.text, QString::number(*rpm.number));
    }

    // The PIDs beyond 20: after the rows 01..20 of the first pass the ranges
    // after the sequence's 01 00 are read once, as far as they announce each
    // other; only the PIDs they announce are asked, each once for all its
    // values, and a too short answer fails that PID's row alone.
    void furtherPidsArePolled() {
        // 21, 24, 2F, 31, 33 and range 40; there 42 alone, the last range.
        SimulatedCar car(QStringList{"--reply", "0120=41 20 90 02 A0 01", "--reply",
                                     "0140=41 40 40 00 00 00", "--reply", "0124=41 24 80 00 80 00",
                                     "--reply", "0142=41 42 37"});
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy supportedRead(&sequence, &ConnectionSequence::supportedPidsRead);
        QSignalSpy identified(&sequence, &ConnectionSequence::interfaceShown);
        sequence.Run(car.port, car.link);
        QVERIFY(!car.link.CommFailure);
        const int fromPolling = car.sentCommands().size();

        SensorTable table;
        SetUpSensorTable(table);
        SensorPoller poller(table);
        poller.SetSupportedPids(supportedRead.at(0).at(0).value<TSupportedPids>());
        poller.SetFastRequests(HasFastRequests(identified.at(0).at(0).toString()));
        QSignalSpy passes(&poller, &SensorPoller::passCompleted);
        poller.Start(car.link, sequence.Framing());
        QTRY_VERIFY(passes.count() >= 2);
        poller.RequestStop();
        poller.WaitUntilIdle();

        const QStringList sent = car.sentCommands().mid(fromPolling);
        const QStringList requests{"0120", "0140", "0121", "0124", "012F", "0131", "0133", "0142"};
        QCOMPARE(sent.mid(sent.indexOf(QStringLiteral("0120")), requests.size()), requests);
        QCOMPARE(sent.count(QStringLiteral("0120")), 1);
        for (const char* never : {"0100", "0160", "0122"})
            QVERIFY2(!sent.contains(QLatin1String(never)), never);
        const auto reading = [&](const char* key) {
            return table.Reading(table.IndexOfKey(QLatin1String(key)));
        };
        QCOMPARE(reading("21").number, 42.0);
        QCOMPARE(reading("24").number, 1.0);
        QCOMPARE(reading("24/2").number, 4.0);
        QCOMPARE(reading("33").number, 99.0);
        QCOMPARE(reading("42").text, QStringLiteral("Fehler"));
        QCOMPARE(reading("0B").text, QStringLiteral("33"));
        QVERIFY(!table[table.IndexOfKey(QStringLiteral("22"))].Supported);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
