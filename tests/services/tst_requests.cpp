// The requests end to end through the exchange, answered by the demo vehicle,
// and the chip commands' open-line rule.
#include "common/regional.h"
#include "link/comport.h"
#include "link/link.h"
#include "services/elm.h"
#include "services/j1979.h"

#include <QTest>

using namespace obd;

namespace {

class SilentNotifier : public LinkNotifier {
public:
    void showChipError(const QString& message) override { boxes << message; }
    void showNoCommunication(const QString& message) override { boxes << message; }
    void showLogFailure(const QString& message) override { boxes << message; }
    QStringList boxes;
};

// A link in demo mode on a port that stays closed.
struct DemoLink {
    TComPort port;
    SilentNotifier notifier;
    Link link{port, nullptr, notifier};
    DemoLink() { link.DemoMode = true; }
};

TSupportedPids DemoSupported() {
    TSupportedPids flags{};
    for (int pid : {0x01, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11, 0x13,
                    0x14, 0x15, 0x1C, 0x20})
        flags[size_t(pid - 1)] = true;
    return flags;
}

} // namespace

class TestRequests : public QObject {
    Q_OBJECT
private slots:
    void ecuLinkAndSupportedPids();
    void monitorStatus();
    void troubleCodesInReplyOrder();
    void clearTroubleCodes();
    void sensorData_data();
    void sensorData();
    void engineSpeed();
    void chipCommandsNeedOpenLine();
};

void TestRequests::ecuLinkAndSupportedPids() {
    DemoLink demo;
    QVERIFY(CheckEcuLink(demo.link));
    TSupportedPids flags{};
    ReadSupportedPids(demo.link, flags);
    QCOMPARE(flags, DemoSupported());
}

void TestRequests::monitorStatus() {
    DemoLink demo;
    TMonitorStatus status;
    status.MilOn = true;
    ReadMonitorStatus(demo.link, status);
    TMonitorStatus expected;
    expected.MisfireSupported = expected.FuelSystemSupported = expected.ComponentsSupported = true;
    expected.CatalystSupported = expected.EvapSystemSupported = true;
    expected.OxygenSensorSupported = expected.OxygenSensorHeaterSupported = true;
    QVERIFY(status == expected);
}

void TestRequests::troubleCodesInReplyOrder() {
    DemoLink demo;
    QCOMPARE(ReadTroubleCodes(demo.link),
             (QStringList{"P0125", "P0736", "P0455", "P1107", "P1299", "P1198", "B1491", "B1992",
                          "B2427", "B1390", "U1451", "U2500", "C1141", "C1184", "C1954"}));
}

void TestRequests::clearTroubleCodes() {
    DemoLink demo;
    QVERIFY(ClearTroubleCodes(demo.link));
}

void TestRequests::sensorData_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("pid");
    QTest::addColumn<QString>("value");
    QTest::newRow("03") << "01"
                        << "03"
                        << "closed loop";
    QTest::newRow("05") << "01"
                        << "05"
                        << "40";
    QTest::newRow("07") << "01"
                        << "07"
                        << "-29.6875";
    QTest::newRow("14") << "01"
                        << "14"
                        << "0.035";
    QTest::newRow("1C") << "01"
                        << "1C"
                        << "OBD II CARB";
    QTest::newRow("unsupported 0A") << "01"
                                    << "0A"
                                    << "N/A";
    QTest::newRow("unsupported 12") << "01"
                                    << "12"
                                    << "N/A";
    QTest::newRow("PID 00") << "01"
                            << "00"
                            << "N/A";
    QTest::newRow("past the flags") << "01"
                                    << "21"
                                    << "N/A";
    QTest::newRow("supported, no decoder") << "01"
                                           << "20"
                                           << "Fehler";
    QTest::newRow("service 02") << "02"
                                << "0D"
                                << "Fehler";
}

void TestRequests::sensorData() {
    QFETCH(QString, service);
    QFETCH(QString, pid);
    QFETCH(QString, value);
    value.replace('.', DecimalSeparator());
    DemoLink demo;
    QString result = "stale";
    ReadSensorData(demo.link, DemoSupported(), service, pid, result);
    QCOMPARE(result, value);
    // Only a decoded PID costs an exchange: the demo has no answer for 0A/12.
    QVERIFY(demo.notifier.boxes.isEmpty());
}

void TestRequests::engineSpeed() {
    DemoLink demo;
    QString value;
    ReadSensorData(demo.link, DemoSupported(), "01", "0C", value);
    const QStringList answers{"1123", "2246", "3369", "4492", "5615", "6738"};
    QVERIFY2(answers.contains(value), qPrintable(value));
}

void TestRequests::chipCommandsNeedOpenLine() {
    // The demo responder needs no port: it answers them on the closed one.
    DemoLink demo;
    QCOMPARE(ElmReset(demo.link), QStringLiteral("OK"));
    QCOMPARE(ElmIdentify(demo.link), QStringLiteral("ELM323 v1.1"));
    QCOMPARE(ElmSetEcho(demo.link, false), QStringLiteral("OK"));
    // Without demo mode nothing goes to the closed port.
    demo.link.DemoMode = false;
    QCOMPARE(ElmReset(demo.link), ReplyError);
    QCOMPARE(ElmIdentify(demo.link), ReplyError);
    QCOMPARE(ElmSetEcho(demo.link, false), ReplyError);
    QCOMPARE(ElmSetLinefeeds(demo.link, false), ReplyError);
}

QTEST_GUILESS_MAIN(TestRequests)
#include "tst_requests.moc"
