// The workflows without a window, over the real driver against elmsim: the
// connection sequence, the trouble-code read and clear, and the poller's stop.
#include "common/errors.h"
#include "common/sensortable.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "link/support_link.h"
#include "session/connection.h"
#include "session/sensorpoller.h"
#include "session/troublecodes.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace obd;

namespace {

// A link over the real driver to elmsim started with args.
struct SimulatedCar {
    explicit SimulatedCar(const QStringList& args) : simulator(args) {
        port.SetPort(simulator.slavePath());
    }
    // Opens the port and switches the chip's echo off, as after a sequence;
    // a reply that does not come is waited for briefly.
    void open() {
        link.SetReplyWaitForTesting(300);
        port.Open();
        link.SendCommand(QStringLiteral("ATE0"));
        link.ReceiveReply();
    }
    QStringList sentCommands() const {
        QStringList commands;
        for (const QString& line : test::logLines(folder.filePath(QStringLiteral("log.txt")))) {
            const qsizetype at = line.indexOf(QStringLiteral(" - S: "));
            if (at >= 0)
                commands << line.mid(at + 6);
        }
        return commands;
    }

    test::Simulator simulator;
    QTemporaryDir folder;
    TComPort port;
    ProtocolLog log{folder.filePath(QStringLiteral("log.txt"))};
    test::RecordingNotifier notifier;
    Link link{port, &log, notifier};
};

QStringList statusTexts(const QSignalSpy& lines) {
    QStringList texts;
    for (const QList<QVariant>& line : lines)
        texts << line.at(0).toString() + (line.at(1).toBool() ? " ok" : " error");
    return texts;
}

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
        QCOMPARE(car.sentCommands(),
                 (QStringList{"ATZ", "ATE0", "ATL0", "ATI", "0100", "0100", "011C", "0101"}));
    }

    // The line goes away in the middle of a run that follows a successful one.
    void sequenceCutShortLeavesCommFailureSet_data() {
        QTest::addColumn<int>("answered");
        QTest::newRow("during the chip steps") << 2;
        QTest::newRow("after the ECU check") << 5;
    }
    void sequenceCutShortLeavesCommFailureSet() {
        QFETCH(int, answered);
        SimulatedCar car({"--disconnect-after", QString::number(answered)});
        car.link.SetReplyWaitForTesting(300);
        car.link.CommFailure = false;
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QVERIFY_THROWS_EXCEPTION(Error, sequence.Run(car.port, car.link));
        QVERIFY(car.link.CommFailure);
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

    void clearReportsOnlyAConfirmedClear_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("44") << QStringList{} << true;
        QTest::newRow("refused") << QStringList{"--reply", "04=7F 04 22"} << false;
        QTest::newRow("empty") << QStringList{"--reply", "04="} << false;
    }
    void clearReportsOnlyAConfirmedClear() {
        QFETCH(QStringList, simulator);
        QFETCH(bool, confirmed);
        SimulatedCar car(simulator);
        car.open();
        TroubleCodes codes;
        QSignalSpy cleared(&codes, &TroubleCodes::cleared);
        QSignalSpy refused(&codes, &TroubleCodes::clearRefused);
        codes.Clear(car.link);
        QCOMPARE(cleared.size(), confirmed ? 1 : 0);
        QCOMPARE(refused.size(), confirmed ? 0 : 1);
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
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
