// The command exchange over a pseudo-terminal through the real driver: what is
// sent, how replies are collected and cleaned, the boxes and the log lines.
#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "link/transport.h"
#include "support/testenv.h"
#include "support_link.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <thread>

using namespace obd;

namespace {

// A link on an open pty with its own log and recorded boxes.
struct Bench {
    QTemporaryDir dir;
    test::ScriptedChip chip;
    std::unique_ptr<TComPort> port = CreatePort();
    ProtocolLog log{dir.filePath("LogFile.txt")};
    test::RecordingNotifier notifier;
    Link link{*port, &log, notifier};

    explicit Bench(bool open = true) {
        port->SetPort(chip.slavePath());
        if (open)
            port->Open();
    }
    // The lines after the log's opening block.
    QStringList lines() { return test::logLines(log.fileName()).mid(3); }
};

// The text after the time stamp and " - ".
QString phrase(const QString& line) {
    const qsizetype at = line.indexOf(QStringLiteral(" - "));
    return at < 0 ? QString() : line.mid(at + 3);
}

// After a failed exchange another thread can still run one (the lock is free).
void verifyLineIsFree(Bench& b) {
    b.link.DemoMode = true;
    std::thread other([&b] {
        b.link.SendCommand("04");
        QCOMPARE(b.link.ReceiveReply(), "44");
    });
    other.join();
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void silentChipWaitsFullTime();
    void staleInputIsDiscarded();
    void demoModeUsesNoPort();
    void demoBeforeAnyCommand();
    void demoSwitchTakesEffectWithNextCommand();
    void failedWriteFreesTheLine();
    void stalledWriteFails_data();
    void stalledWriteFails();
    void abortEndsTheWait();
    void fullDiskKeepsTheCarGoing();
    void checkCommFailure();
};

void TestExchange::replies_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("box");
    using L = QList<QByteArray>;
    QTest::newRow("three chunks") << L{"41 00 BE", " 3E B8 11\r", "\r>"} << 60 << "4100BE3EB811"
                                  << "";
    // More pieces than a count of wake-ups would allow, as a UART delivers them.
    QList<QByteArray> bytes;
    for (const char c : QByteArray("0100\r41 00 BE 3E B8 11\r\r>"))
        bytes << QByteArray(1, c);
    QTest::newRow("byte by byte") << bytes << 2 << "0100 41 00 BE 3E B8 11"
                                  << "";
    QTest::newRow("echo on") << L{"0100\r41 00 BE 3E B8 11\r\r>"} << 0 << "0100 41 00 BE 3E B8 11"
                             << "";
    QTest::newRow("prompt only") << L{">"} << 0 << ""
                                 << "";
    QTest::newRow("after the prompt") << L{"OK\r>\r\nXY"} << 0 << "OK    XY"
                                      << "";
    QTest::newRow("no prompt") << L{"41 00 BE 3E"} << 0 << "Fehler"
                               << "";
    QTest::newRow("NODATA") << L{"NODATA\r\r>"} << 0 << "NODATA"
                            << "ERROR Message: NODATA";
    QTest::newRow("question mark") << L{"?\r\r>"} << 0 << "?"
                                   << "ERROR Message: ?";
    QTest::newRow("bus init") << L{"BUS INIT: ...ERROR\r\r>"} << 0 << "BUS INIT: ...ERROR"
                              << "ERROR Message: BUS INIT: ...ERROR";
    QTest::newRow("inner blank") << L{"NO DATA\r\r>"} << 0 << "NO DATA"
                                 << "";
    QTest::newRow("case") << L{"NoData\r\r>"} << 0 << "NoData"
                          << "";
}

void TestExchange::replies() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, pauseMs);
    QFETCH(QString, reply);
    QFETCH(QString, box);
    Bench b;
    b.link.SetReplyWaitForTesting(1000);
    b.chip.answer(chunks, pauseMs);
    b.link.SendCommand("0100");
    QCOMPARE(b.link.ReceiveReply(), reply);
    QCOMPARE(b.chip.finish(), QByteArray("0100\r"));
    QCOMPARE(b.notifier.boxes(), box.isEmpty() ? QStringList() : QStringList{"chip: " + box});
    const QStringList lines = b.lines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(phrase(lines[0]), "S: 0100");
    QCOMPARE(phrase(lines[1]), "R: " + reply);
}

void TestExchange::silentChipWaitsFullTime() {
    Bench b;
    b.chip.answer({});
    QElapsedTimer timer;
    timer.start();
    b.link.SendCommand("ATZ");
    QCOMPARE(b.link.ReceiveReply(), ReplyError);
    const qint64 ms = timer.elapsed();
    QVERIFY2(ms >= Link::ReplyWaitMs && ms < Link::ReplyWaitMs + 1000,
             qPrintable(QString::number(ms)));
    QVERIFY(b.notifier.boxes().isEmpty());
}

void TestExchange::staleInputIsDiscarded() {
    Bench b;
    b.link.SetReplyWaitForTesting(1000);
    // The prompt comes first; what follows in a later chunk never reaches a reply.
    b.chip.answer({"OK\r>", "41 0C 00 00\r>"}, 100);
    b.link.SendCommand("ATE0");
    QCOMPARE(b.link.ReceiveReply(), "OK");
    b.chip.finish();
    QVERIFY(b.port->WaitForChars(1000));
    b.port->Purge(true, true);
    QCOMPARE(b.port->InputCount(), 0);
}

void TestExchange::demoModeUsesNoPort() {
    Bench b(false);
    b.link.DemoMode = true;
    QElapsedTimer timer;
    timer.start();
    b.link.SendCommand("0100");
    QCOMPARE(b.link.ReceiveReply(), "4100BE3EB811");
    QVERIFY(timer.elapsed() >= 100);
    QVERIFY(!b.port->Connected());
    QCOMPARE(phrase(b.lines().value(0)), "S: 0100");
    QCOMPARE(phrase(b.lines().value(1)), "R: 4100BE3EB811");
}

void TestExchange::demoBeforeAnyCommand() {
    Bench b(false);
    b.link.DemoMode = true;
    QCOMPARE(b.link.ReceiveReply(), "DEMO");
}

void TestExchange::demoSwitchTakesEffectWithNextCommand() {
    Bench b;
    b.chip.answer({"OK\r\r>"});
    b.link.SendCommand("ATE0");
    b.link.DemoMode = true;
    QCOMPARE(b.link.ReceiveReply(), "OK");
    b.link.SendCommand("ATI");
    QCOMPARE(b.link.ReceiveReply(), "ELM323 v1.1");
}

void TestExchange::failedWriteFreesTheLine() {
    Bench b(false);
    // A closed port is never touched: it says the adapter is not connected.
    try {
        b.link.SendCommand("0100");
        QFAIL("sent on a closed port");
    } catch (const AdapterGone& e) {
        QCOMPARE(e.text(), AdapterClosedText(b.chip.slavePath()));
    }
    // Waiting on a closed port fails at once instead of sleeping out the wait.
    try {
        b.link.ReceiveReply();
        QFAIL("waited on a closed port");
    } catch (const AdapterGone& e) {
        QCOMPARE(e.text(), AdapterClosedText(b.chip.slavePath()));
    }
    verifyLineIsFree(b);
}

void TestExchange::stalledWriteFails_data() {
    QTest::addColumn<bool>("abort");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    // 25,000 bytes take 1085 ms at 230400 baud; the bound adds 2000 ms.
    QTest::newRow("nobody reads") << false << ETIMEDOUT << 3000 << 8000;
    QTest::newRow("aborted") << true << ECANCELED << 0 << 1500;
}

void TestExchange::stalledWriteFails() {
    QFETCH(bool, abort);
    QFETCH(int, code);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    Bench b; // nothing reads the pty's other side
    LineSettings fast = b.port->Settings();
    fast.baudRate = 230400;
    b.port->SetSettings(fast);
    std::thread aborter;
    if (abort)
        aborter = std::thread([&b] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            b.link.Abort();
        });
    QElapsedTimer timer;
    timer.start();
    try {
        b.link.SendCommand(QString(25000, QLatin1Char('A')));
        QFAIL("a write nobody takes succeeded");
    } catch (const DriverError& e) {
        QCOMPARE(e.text(), DriverErrorText("WriteFile function failed", code));
    }
    const qint64 ms = timer.elapsed();
    if (aborter.joinable())
        aborter.join();
    QVERIFY2(ms >= minMs && ms < maxMs, qPrintable(QString::number(ms)));
    b.link.Resume();
    verifyLineIsFree(b);
}

void TestExchange::abortEndsTheWait() {
    Bench b;
    b.chip.answer({}); // reads the command, never answers
    QString reply;
    QElapsedTimer sinceAbort;
    std::atomic<qint64> endedAfter{-1};
    std::thread exchange([&] {
        b.link.SendCommand("0100");
        reply = b.link.ReceiveReply();
        endedAfter = sinceAbort.elapsed();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sinceAbort.start();
    b.link.Abort();
    exchange.join();
    QCOMPARE(reply, ReplyError);
    QVERIFY2(endedAfter.load() >= 0 && endedAfter.load() < 1000,
             qPrintable(QString::number(endedAfter.load())));
    QCOMPARE(b.chip.finish(), QByteArray("0100\r"));

    // While aborted an exchange answers at once and sends nothing.
    QElapsedTimer timer;
    timer.start();
    b.link.SendCommand("03");
    QCOMPARE(b.link.ReceiveReply(), ReplyError);
    QVERIFY(timer.elapsed() < 1000);

    b.link.Resume();
    b.chip.answer({"OK\r\r>"});
    b.link.SendCommand("ATE0");
    QCOMPARE(b.link.ReceiveReply(), "OK");
    QCOMPARE(b.chip.finish(), QByteArray("ATE0\r"));
}

void TestExchange::fullDiskKeepsTheCarGoing() {
    Bench b;
    // The file may grow by 10 bytes more: the next line is cut short by the
    // system, then every write fails (EFBIG) as on a full disk.
    const qint64 size = QFileInfo(b.log.fileName()).size();
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(size + 10);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
    for (int i = 0; i < 2; ++i) {
        b.chip.answer({"41 00 BE 3E B8 11\r\r>"});
        b.link.SendCommand("0100");
        QCOMPARE(b.link.ReceiveReply(), "4100BE3EB811");
        b.chip.finish();
    }
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
    std::signal(SIGXFSZ, previous);
    // Reported once, and no torn line left behind.
    QCOMPARE(b.notifier.boxes().size(), 1);
    QVERIFY2(b.notifier.boxes()[0].startsWith("log: Protokolldatei " + b.log.fileName()),
             qPrintable(b.notifier.boxes()[0]));
    QCOMPARE(QFileInfo(b.log.fileName()).size(), size);

    // Space is back: logging goes on.
    b.chip.answer({"OK\r\r>"});
    b.link.SendCommand("ATE0");
    QCOMPARE(b.link.ReceiveReply(), "OK");
    QCOMPARE(b.lines().size(), 2);
    QCOMPARE(phrase(b.lines()[0]), "S: ATE0");
    QCOMPARE(phrase(b.lines()[1]), "R: OK");
    QCOMPARE(b.notifier.boxes().size(), 1);
}

void TestExchange::checkCommFailure() {
    Bench b(false);
    QVERIFY(b.link.CheckCommFailure());
    QCOMPARE(b.notifier.boxes(),
             QStringList{QString::fromUtf8("nocomm: Kommunikation mit dem Fahrzeug ist nicht "
                                           "möglich.\r\nInitialisieren Sie das Interface neu.")});
    b.link.CommFailure = false;
    QVERIFY(!b.link.CheckCommFailure());
    QCOMPARE(b.notifier.boxes().size(), 1);
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
