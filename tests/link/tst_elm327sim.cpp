// The simulator's ELM327 personality byte for byte over its pseudo-terminal,
// read through the real serial driver: the protocol search, headers, several
// control units, ISO-TP multi-frame answers and the adapter's messages.
#include "link/comport.h"
#include "support_link.h"

#include <QElapsedTimer>
#include <QTest>

using namespace obd;
using obd::test::Simulator;

namespace {

// Everything the chip sends for command, up to and including the prompt.
QByteArray Ask(TComPort& port, const QByteArray& command) {
    port.WriteStr(command + '\r');
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();
    while (!reply.endsWith('>') && clock.elapsed() < 10000) {
        if (port.WaitForChars(1000))
            reply += port.Read(port.InputCount());
    }
    return reply;
}

} // namespace

class TestElm327Sim : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void searchTakesItsTime();
    void elm323StaysTheDefault();
};

void TestElm327Sim::replies_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArrayList>("commands"); // the last one's reply is checked
    QTest::addColumn<QByteArray>("reply");
    const QStringList elm327{"--chip", "elm327", "--search-ms", "0"};
    const QByteArrayList quiet{"ATE0", "ATL0"};
    QTest::newRow("identification, echo on")
        << elm327 << QByteArrayList{"ATI"} << QByteArray("ATI\r\nELM327 v1.5\r\n\r\n>");
    QTest::newRow("search") << elm327 << quiet + QByteArrayList{"0100"}
                            << QByteArray("SEARCHING...\r41 00 BE 3E B8 11 \r\r>");
    QTest::newRow("protocol found")
        << elm327 << quiet + QByteArrayList{"0100", "ATDPN"} << QByteArray("A6\r\r>");
    QTest::newRow("protocol name") << elm327 << quiet + QByteArrayList{"0100", "ATDP"}
                                   << QByteArray("AUTO, ISO 15765-4 (CAN 11/500)\r\r>");
    QTest::newRow("two units, headers on")
        << elm327 + QStringList{"--units", "2"} << quiet + QByteArrayList{"ATH1", "0100", "0100"}
        << QByteArray("7E8 06 41 00 BE 3E B8 11 \r7E9 06 41 00 88 18 00 00 \r\r>");
    QTest::newRow("response count")
        << elm327 + QStringList{"--units", "2"} << quiet + QByteArrayList{"ATH1", "0100", "01011"}
        << QByteArray("7E8 06 41 01 85 07 65 00 \r\r>");
    QTest::newRow("multi-frame, headers off")
        << elm327 << quiet + QByteArrayList{"0100", "03"}
        << QByteArray("00C\r0: 43 05 01 33 03 00 \r1: C1 23 04 20 D1 06 \r\r>");
    QTest::newRow("VIN on 29-bit, headers kept on")
        << elm327 + QStringList{"--protocol", "can29", "--headers-stored"}
        << quiet + QByteArrayList{"ATZ", "ATE0", "ATL0", "0100", "0902"}
        << QByteArray("18 DA F1 10 10 14 49 02 01 31 44 34 \r18 DA F1 10 21 47 50 30 30 52 35 "
                      "35 \r18 DA F1 10 22 42 31 32 33 34 35 36 \r\r>");
    QTest::newRow("codes of two units, clear, none left")
        << elm327 + QStringList{"--units", "2"} << quiet + QByteArrayList{"0100", "04", "03"}
        << QByteArray("43 00 \r43 00 \r\r>");
    QTest::newRow("K-line, headers on, spaces off")
        << elm327 + QStringList{"--protocol", "iso9141"}
        << quiet + QByteArrayList{"ATSP3", "ATH1", "ATS0", "03"}
        << QByteArray("BUS INIT: ...OK\r486B104301330300C12321\r486B10430420D106000001\r\r>");
    QTest::newRow("ignition off") << elm327 + QStringList{"--ignition-off"}
                                  << quiet + QByteArrayList{"0100"}
                                  << QByteArray("SEARCHING...\r\rUNABLE TO CONNECT\r\r>");
    QTest::newRow("adapter message on demand")
        << elm327 + QStringList{"--reply", "0101=NO DATA"} << quiet + QByteArrayList{"0101"}
        << QByteArray("SEARCHING...\rNO DATA\r\r>");
    QTest::newRow("unknown command")
        << elm327 << quiet + QByteArrayList{"ATXYZ"} << QByteArray("?\r\r>");
}

void TestElm327Sim::replies() {
    QFETCH(QStringList, args);
    QFETCH(QByteArrayList, commands);
    QFETCH(QByteArray, reply);
    Simulator sim(args);
    TComPort port;
    port.SetPort(sim.slavePath());
    port.Open();
    QByteArray last;
    for (const QByteArray& command : commands)
        last = Ask(port, command);
    QCOMPARE(last, reply);
}

// The search line comes at once, the data when the search is over.
void TestElm327Sim::searchTakesItsTime() {
    Simulator sim({"--chip", "elm327", "--search-ms", "600"});
    TComPort port;
    port.SetPort(sim.slavePath());
    port.Open();
    Ask(port, "ATE0");
    QElapsedTimer clock;
    clock.start();
    port.WriteStr("0100\r");
    QVERIFY(port.WaitForChars(5000));
    QTest::qWait(100);
    QCOMPARE(port.Read(port.InputCount()), QByteArray("SEARCHING...\r\n"));
    QVERIFY(port.WaitForChars(5000));
    QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
}

void TestElm327Sim::elm323StaysTheDefault() {
    Simulator sim;
    TComPort port;
    port.SetPort(sim.slavePath());
    port.Open();
    QCOMPARE(Ask(port, "ATI"), QByteArray("ATI\r\nELM323 v1.1\r\n\r\n>"));
    QCOMPARE(Ask(port, "ATH1"), QByteArray("ATH1\r\n?\r\n\r\n>"));
}

QTEST_GUILESS_MAIN(TestElm327Sim)
#include "tst_elm327sim.moc"
