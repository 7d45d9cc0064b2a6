// The simulator's ELM327 personality byte for byte over its pseudo-terminal,
// read through the real serial driver: the protocol search, headers, several
// control units, ISO-TP multi-frame answers and the adapter's messages.
#include "link/comport.h"
#include "support/testenv.h"
#include "support_link.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

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
    void vehicleDrives();
    void staleAnnouncementIsTakenOver();
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
    // A bare CR repeats the last command; with echo on, its echo is the CR.
    QTest::newRow("bare CR repeats")
        << elm327 << quiet + QByteArrayList{"0100", "0105", ""} << QByteArray("41 05 50 \r\r>");
    QTest::newRow("bare CR repeats, echo on")
        << elm327 << QByteArrayList{"ATL0", "0100", "0105", ""} << QByteArray("\r41 05 50 \r\r>");
    QTest::newRow("bare CR with nothing to repeat")
        << elm327 << QByteArrayList{""} << QByteArray(">");
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

// With --drive the engine runs its cycle: the vehicle stands at idle, speeds
// up, cruises and brakes to a stop, and no value jumps. The vehicle's clock
// runs ten times as fast here: one cycle in six seconds.
void TestElm327Sim::vehicleDrives() {
    Simulator sim({"--chip", "elm327", "--search-ms", "0", "--drive", "--time-scale", "10"});
    TComPort port;
    port.SetPort(sim.slavePath());
    port.Open();
    Ask(port, "ATE0");
    Ask(port, "ATS0");
    Ask(port, "0100");
    // The value bytes of a one-PID answer such as "410D64\r\r>".
    const auto value = [&port](const QByteArray& command) {
        const QByteArray reply = Ask(port, command).trimmed();
        return reply.startsWith("41") ? reply.mid(4, reply.indexOf('\r') - 4).toInt(nullptr, 16)
                                      : -1;
    };
    QElapsedTimer clock;
    clock.start();
    QList<int> speeds;
    int lastSpeed = value("010D");
    qint64 lastAt = 0;
    const int idleRpm = value("010C") / 4;
    int topRpm = idleRpm;
    while (clock.elapsed() < 6500) {
        QTest::qWait(50);
        const int speed = value("010D");
        const qint64 at = clock.elapsed();
        topRpm = std::max(topRpm, value("010C") / 4);
        QVERIFY(speed >= 0);
        // At most 16 km/h per second of the vehicle's clock.
        QVERIFY2(std::abs(speed - lastSpeed) <= 3 + 16 * (at - lastAt) / 100,
                 qPrintable(QStringLiteral("%1 -> %2 km/h").arg(lastSpeed).arg(speed)));
        speeds << speed;
        lastSpeed = speed;
        lastAt = at;
    }
    QCOMPARE(speeds.first(), 0);
    const auto top = std::max_element(speeds.begin(), speeds.end());
    QVERIFY(*top >= 95);
    QVERIFY(std::find(top, speeds.end(), 0) != speeds.end()); // braked to a stop again
    QVERIFY2(idleRpm >= 700 && idleRpm <= 900, qPrintable(QString::number(idleRpm)));
    QVERIFY(topRpm > 2000);
}

// A simulator killed with SIGKILL leaves its link behind, and the number of
// its terminal may already belong to another terminal, so the link points at
// a device that exists. A new simulator takes the link over; one whose
// simulator is still running it refuses.
void TestElm327Sim::staleAnnouncementIsTakenOver() {
    QTemporaryDir dir;
    const QString link = dir.filePath("elmsim");
    {
        Simulator killed({}, link);
        killed.kill();
    }
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
    Simulator again({}, link);
    QCOMPARE(QFileInfo(link).symLinkTarget(), again.slavePath());

    QProcess second;
    second.start(test::tool("elmsim"), {"--link", link});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 2);
    QVERIFY(second.readAllStandardError().contains("announces a running simulator"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), again.slavePath());
}

QTEST_GUILESS_MAIN(TestElm327Sim)
#include "tst_elm327sim.moc"
