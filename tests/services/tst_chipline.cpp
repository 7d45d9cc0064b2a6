// The chip commands and the service requests through the real driver and
// exchange, against the simulated chip on a pseudo-terminal: echo around the
// answers, a silent chip, error words, several control units in one reply.
#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "services/elm.h"
#include "services/j1979.h"
#include "support_link.h"

#include <QTest>

using namespace obd;
using obd::test::RecordingNotifier;
using obd::test::Simulator;

namespace {

// A link on an open port to elmsim started with args. The chip starts with
// echo on; the requests are made with echo off, as after the connection
// sequence.
struct SimulatedLink {
    explicit SimulatedLink(const QStringList& args = {}, bool echoOff = true) : sim(args) {
        port.SetPort(sim.slavePath());
        port.Open();
        if (echoOff && ElmSetEcho(link, false) != QLatin1String("OK"))
            qFatal("the simulated chip does not switch its echo off");
    }
    Simulator sim;
    TComPort port;
    RecordingNotifier notifier;
    Link link{port, nullptr, notifier};
};

} // namespace

class TestChipLine : public QObject {
    Q_OBJECT
private slots:
    void connectionCommands();
    void silentChip();
    void errorWord();
    void severalControlUnits();
    void truncatedSensorReply();
    void answersMatchTheirRequest();
};

void TestChipLine::connectionCommands() {
    // The connection order: reset (echo on, so the reply holds "ATZ" before
    // the identification), echo off (its reply is still echoed), line feeds
    // off, identify.
    SimulatedLink s({}, false);
    QCOMPARE(ElmReset(s.link), QStringLiteral("OK"));
    QCOMPARE(ElmSetEcho(s.link, false), QStringLiteral("OK"));
    QCOMPARE(ElmSetLinefeeds(s.link, false), QStringLiteral("OK"));
    QCOMPARE(ElmIdentify(s.link), QStringLiteral("ELM323 v1.1"));
    QVERIFY(CheckEcuLink(s.link));
    QVERIFY(s.notifier.boxes().isEmpty());
}

void TestChipLine::silentChip() {
    SimulatedLink s({"--silent"}, false);
    s.link.SetReplyWaitForTesting(200);
    QCOMPARE(ElmReset(s.link), ReplyError);
    QCOMPARE(ElmIdentify(s.link), ReplyError);
    QCOMPARE(ElmSetEcho(s.link, false), ReplyError);
    QCOMPARE(ElmSetLinefeeds(s.link, false), ReplyError);
    QVERIFY(!CheckEcuLink(s.link));
    TMonitorStatus status;
    status.MilOn = true;
    ReadMonitorStatus(s.link, status);
    QVERIFY(status == TMonitorStatus());
    QVERIFY(ReadTroubleCodes(s.link).isEmpty());
    QVERIFY(!ClearTroubleCodes(s.link));
}

void TestChipLine::errorWord() {
    SimulatedLink s({"--error", "NODATA"});
    // Each of the two 0100 requests shows the chip's error box once.
    QVERIFY(!CheckEcuLink(s.link));
    QCOMPARE(s.notifier.boxes(), QStringList(2, "chip: ERROR Message: NODATA"));
    TSupportedPids all{};
    all.fill(true);
    QString value;
    ReadSensorData(s.link, all, "01", "0D", value);
    QCOMPARE(value, ReplyError);
    TSupportedPids flags{};
    flags[4] = true;
    ReadSupportedPids(s.link, flags);
    QVERIFY(flags[4]); // left as it was
}

void TestChipLine::severalControlUnits() {
    // Two control units answer each request; the first one's bytes count,
    // trouble codes come from every frame, and "44" twice is no confirmation.
    SimulatedLink s({"--reply", "0100=41 00 80 00 00 01\r41 00 FF FF FF FF", "--reply",
                     "0101=41 01 83 07 65 00\r41 01 00 00 00 00", "--reply",
                     "03=43 01 33 00 00 00 00\r43 D4 51 01 33 00 00", "--reply", "04=44\r44",
                     "--reply", "010D=41 0D 20\r41 0D 40"});
    TSupportedPids flags{};
    ReadSupportedPids(s.link, flags);
    TSupportedPids expected{};
    expected[0] = expected[31] = true;
    QCOMPARE(flags, expected);

    TMonitorStatus status;
    ReadMonitorStatus(s.link, status);
    QVERIFY(status.MilOn);
    QCOMPARE(status.DtcCount, 3);
    QVERIFY(status.OxygenSensorHeaterSupported);

    QCOMPARE(ReadTroubleCodes(s.link), (QStringList{"P0133", "U1451", "P0133"}));
    QVERIFY(!ClearTroubleCodes(s.link));

    QString speed;
    ReadSensorData(s.link, flags, "01", "0D", speed);
    QCOMPARE(speed, QStringLiteral("N/A")); // PID 0D is not in this bitmap
    flags[0x0D - 1] = true;
    ReadSensorData(s.link, flags, "01", "0D", speed);
    QCOMPARE(speed, QStringLiteral("32"));
}

void TestChipLine::truncatedSensorReply() {
    SimulatedLink s({"--reply", "010C=41 0C 1A"});
    TSupportedPids all{};
    all.fill(true);
    QString value = "stale";
    try {
        ReadSensorData(s.link, all, "01", "0C", value);
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), QStringLiteral("'$' ist kein gültiger Integerwert"));
    }
    QCOMPARE(value, ReplyError);
}

void TestChipLine::answersMatchTheirRequest() {
    // A stale answer to another PID comes first; a code pair is not hex.
    SimulatedLink s(
        {"--reply", "010C=41 0D 00\r41 0C 1A F8", "--reply", "03=43 01 33 0Z ZZ 00 00"});
    TSupportedPids all{};
    all.fill(true);
    QString value;
    ReadSensorData(s.link, all, "01", "0C", value);
    QCOMPARE(value, QStringLiteral("1726"));
    try {
        ReadTroubleCodes(s.link);
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), QStringLiteral("'$0ZZZ' ist kein gültiger Integerwert"));
    }
}

QTEST_GUILESS_MAIN(TestChipLine)
#include "tst_chipline.moc"
